#pragma once

#include "BenchClock.h"

// Frames a second over a run, from the first frame of the run to its last: (frames - 1) periods
// over the time between them. Counting the frames of a fixed window instead moves the figure by
// a whole frame (1.3 % of 7.7 a second over 10 s) with where the window happens to start.
class FrameRate {
public:
    // Frames from now on only.
    void restart() {
        count_ = 0;
        firstMs_ = lastMs_ = 0.0;
    }
    void frame() {
        const double now = clock_.elapsedMs();
        if (count_++ == 0) {
            firstMs_ = now;
        }
        lastMs_ = now;
    }
    int frames() const { return count_; }
    // 0 with fewer than two frames.
    double perSecond() const {
        return count_ >= 2 && lastMs_ > firstMs_ ? (count_ - 1) * 1000.0 / (lastMs_ - firstMs_)
                                                 : 0.0;
    }

private:
    BenchClock clock_;
    int count_ = 0;
    double firstMs_ = 0.0;
    double lastMs_ = 0.0;
};
