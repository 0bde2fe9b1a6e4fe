#pragma once

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>

// A serial line between two threads of one process, for systems without pseudo-terminals.
// Each end has a receive queue that the other end's writes fill. The line carries bytes as
// they are written: whoever plays the controller paces its own output and the arrival of what
// it reads, as it does on a pseudo-terminal, so the wire adds no pacing of its own.
//
// The controller's end sleeps in wait() until bytes come; the host's end (the port facade) is
// told through a wake hook, called on the writer's thread, once as many bytes as it asked for
// are waiting, so a wait in the window's event loop ends when its answer is complete.
// All functions are thread-safe.
class MemoryWire {
public:
    enum End { Controller = 0, Host = 1 };
    enum class Wake { Input, Time, Interrupted };
    using Clock = std::chrono::steady_clock;
    // Bytes an end holds unread at most; more are dropped, as a full driver buffer drops them.
    static constexpr int QueueLimit = 4096;

    // Opening empties the end's queue and ends an earlier interrupt.
    void open(End end);
    // The other end sees a hang-up; bytes written to a closed end are dropped.
    void close(End end);
    bool isOpen(End end) const;
    // Open, with its far end closed: nothing will come any more.
    bool hungUp(End end) const;

    // What an open end takes: count, less what a full queue dropped; -1 when `from` is closed.
    int write(End from, const char* data, int count);
    int read(End end, char* buffer, int max);
    int available(End end) const;
    void purge(End end);

    // Sleeps until `until`, or interrupt(end), or (with `forInput`) until bytes wait at `end`.
    Wake wait(End end, bool forInput, Clock::time_point until);
    // Ends the current and every later wait of `end` until it is opened again.
    void interrupt(End end);

    // `hook` runs when the queue of `end` reaches the count given to armWake (as its bytes
    // arrive, or at once when they are there already) and when the far end closes. It runs on
    // the calling thread with the wire locked: it may only hand the news on, never call back.
    void setWakeHook(End end, std::function<void()> hook);
    // 0 turns the wake off.
    void armWake(End end, int count);

private:
    struct Side {
        std::deque<char> queue;
        bool open = false;
        bool interrupted = false;
        int wakeCount = 0;
        std::function<void()> wakeHook;
    };
    static End other(End end) { return end == Controller ? Host : Controller; }
    void wakeIfDue(Side& side, int before);

    mutable std::mutex m_;
    std::condition_variable changed_;
    Side sides_[2];
};
