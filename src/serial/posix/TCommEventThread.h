#pragma once

#include "CommTypes.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <thread>

// Waits for the port's events on its own thread. It never takes the component's lock and never
// blocks on the main thread: every event is posted to the handler's thread (see TCoreComm), so
// stopping it cannot deadlock with an event being handed over.
//
// Linux has no "wait for comm event": the thread polls the port and an eventfd that stops it.
// Received bytes are reported when the input queue grew (not while unread bytes merely sit there),
// modem lines, breaks and line errors are sampled where the device has them, the output queue is
// watched after a write until it drains, and a hang-up (POLLHUP) is reported once, after which only
// the stop is awaited.
class TCommEventThread {
public:
    using Handler = std::function<void(TCommEventThread* sender, std::uint32_t mask)>;

    // Sets up the wait on `handle` for the events in `events` (a TCommEventTypes set). Not started.
    TCommEventThread(int handle, std::uint32_t suspendTime, TCommEventTypes events);
    ~TCommEventThread();
    TCommEventThread(const TCommEventThread&) = delete;
    TCommEventThread& operator=(const TCommEventThread&) = delete;

    void SetOnCommEvent(Handler handler) { FOnCommEvent = std::move(handler); }
    // False when the thread could not be set up (no eventfd, no thread).
    bool Start();
    // Wakes the wait and ends the thread. Returns once it has left its loop, which takes no longer
    // than one pass of the loop: nothing in the loop waits for anyone but the port and this call.
    void Stop();
    // A write was made: watch the output queue until it drains (for EV_TXEMPTY).
    void NotifyWrite();

    // The event bits the thread waits for (EV_* values).
    std::uint32_t EventMask() const { return FEventMask; }
    // Times the wait returned; tests use it to see that a dead line does not spin.
    std::uint64_t WakeCount() const { return FWakes.load(); }

private:
    void Execute();
    void Report(std::uint32_t mask);

    int FHandle;
    std::uint32_t FEventMask;
    std::uint32_t FSuspendTime;
    Handler FOnCommEvent;
    int FStopFd = -1;
    int FKickFd = -1;
    std::thread FThread;
    std::atomic<bool> FTerminated{false};
    std::atomic<std::uint64_t> FWakes{0};
};
