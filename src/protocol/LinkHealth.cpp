#include "LinkHealth.h"

#include <algorithm>
#include <chrono>

qint64 LinkHealth::clockMs() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

void LinkHealth::reset() {
    next_ = 0;
    stored_ = 0;
    missed_ = 0;
    bad_ = 0;
    lastValid_ = -1;
}

void LinkHealth::notePort(bool open, std::uint32_t openCount, qint64 nowMs) {
    if (open && (!open_ || openCount != openCount_)) {
        reset();
        openedAt_ = nowMs;
    }
    open_ = open;
    openCount_ = openCount;
}

void LinkHealth::countPoll(bool requestSent, Answer answer, qint64 nowMs) {
    if (!open_) {
        return; // nothing goes over a closed port
    }
    if (requestSent) {
        sentAt_[static_cast<std::size_t>(next_)] = nowMs;
        next_ = (next_ + 1) % RingSize;
        stored_ = std::min(stored_ + 1, RingSize);
    }
    switch (answer) {
    case Answer::Missed:
        ++missed_;
        break;
    case Answer::Bad:
        ++bad_;
        break;
    case Answer::Valid:
        lastValid_ = nowMs;
        break;
    case Answer::None:
        break;
    }
}

LinkHealth::Figures LinkHealth::figures(qint64 nowMs) const {
    Figures f;
    f.portOpen = open_;
    if (!open_) {
        return f;
    }
    f.missed = missed_;
    f.badFrames = bad_;
    f.sinceValidMs = lastValid_ < 0 ? -1 : std::max<qint64>(0, nowMs - lastValid_);
    // Requests within the window, over the part of the window the port has been open for.
    int recent = 0;
    for (int i = 0; i < stored_; ++i) {
        if (nowMs - sentAt_[static_cast<std::size_t>(i)] < RateWindowMs) {
            ++recent;
        }
    }
    const qint64 span = std::clamp<qint64>(nowMs - openedAt_, 1, RateWindowMs);
    f.pollsPerSecond = span < 250 ? 0.0 : recent * 1000.0 / static_cast<double>(span);
    return f;
}
