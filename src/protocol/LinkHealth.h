#pragma once

#include <QtGlobal>

#include <array>
#include <cstdint>

// How well the line to the controller works since the port was opened: requests sent per
// second, answers that never came, answers that came damaged, and when the last valid answer
// came. The poll cycle counts into it (a few integer operations per tick); the window reads
// the figures once a second. Times are milliseconds of a monotonic clock.
class LinkHealth {
public:
    enum class Answer { None, Missed, Bad, Valid };

    struct Figures {
        double pollsPerSecond = 0.0;
        qint64 missed = 0;
        qint64 badFrames = 0;
        qint64 sinceValidMs = -1; // -1: no valid answer since the port was opened
        bool portOpen = false;
    };

    // The port's state as a tick found it: a port that was closed and is open now, or was
    // opened again since (its opening count changed), starts the figures from nothing.
    void notePort(bool open, std::uint32_t openCount, qint64 nowMs);
    // One tick: whether a request went out and what became of the answer waited for.
    void countPoll(bool requestSent, Answer answer, qint64 nowMs);
    Figures figures(qint64 nowMs) const;

    // The rate is taken over this much of the recent past.
    static constexpr qint64 RateWindowMs = 2000;

    // Milliseconds of the monotonic clock the poll cycle counts with.
    static qint64 clockMs();

private:
    void reset();

    static constexpr int RingSize = 64; // more requests than the fastest poll sends in the window
    std::array<qint64, RingSize> sentAt_{};
    int next_ = 0;
    int stored_ = 0;
    qint64 missed_ = 0;
    qint64 bad_ = 0;
    qint64 lastValid_ = -1;
    qint64 openedAt_ = -1;
    bool open_ = false;
    std::uint32_t openCount_ = 0;
};
