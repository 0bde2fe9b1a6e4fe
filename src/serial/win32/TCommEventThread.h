#pragma once

#include "CommHandle.h"
#include "CommTypes.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <thread>

// Waits for the port's events on its own thread with an overlapped WaitCommEvent. It never takes
// the component's lock; every event is posted to the handler's thread (see TCoreComm).
//
// Stopping: the thread also waits on an event of its own; once woken by it, it ends the pending
// WaitCommEvent by clearing the port's event mask (CancelIo does not end it with every driver),
// waits for that to complete, and leaves. A device that cannot wait for events (a driver without
// modem lines) leaves the thread waiting for the stop alone.
class TCommEventThread {
public:
    using Handler = std::function<void(TCommEventThread* sender, std::uint32_t mask)>;

    // Sets the device's event mask to the bits of `events` (a TCommEventTypes set). Not started.
    TCommEventThread(CommHandle handle, std::uint32_t suspendTime, TCommEventTypes events);
    ~TCommEventThread();
    TCommEventThread(const TCommEventThread&) = delete;
    TCommEventThread& operator=(const TCommEventThread&) = delete;

    void SetOnCommEvent(Handler handler) { FOnCommEvent = std::move(handler); }
    bool Start();
    void Stop();
    // The driver reports EV_TXEMPTY itself.
    void NotifyWrite() {}

    std::uint32_t EventMask() const { return FEventMask; }
    std::uint64_t WakeCount() const { return FWakes.load(); }

private:
    void Execute();

    CommHandle FHandle;
    std::uint32_t FEventMask;
    std::uint32_t FSuspendTime;
    Handler FOnCommEvent;
    void* FStopEvent = nullptr;
    std::thread FThread;
    std::atomic<bool> FTerminated{false};
    std::atomic<std::uint64_t> FWakes{0};
};
