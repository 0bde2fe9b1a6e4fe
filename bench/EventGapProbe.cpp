#include "EventGapProbe.h"

#include <algorithm>

EventGapProbe::EventGapProbe() {
    timer_.setInterval(0);
    connect(&timer_, &QTimer::timeout, this, &EventGapProbe::fired);
}

void EventGapProbe::start() {
    clock_.restart();
    lastMs_ = 0.0;
    maxGapMs_ = 0.0;
    firings_ = 0;
    timer_.start();
}

double EventGapProbe::stop() {
    timer_.stop();
    maxGapMs_ = std::max(maxGapMs_, clock_.elapsedMs() - lastMs_);
    return maxGapMs_;
}

void EventGapProbe::fired() {
    const double now = clock_.elapsedMs();
    maxGapMs_ = std::max(maxGapMs_, now - lastMs_);
    lastMs_ = now;
    ++firings_;
}
