#include "EventGapProbe.h"

#include <algorithm>

EventGapProbe::EventGapProbe(int intervalMs) {
    timer_.setInterval(intervalMs);
    timer_.setTimerType(Qt::PreciseTimer);
    connect(&timer_, &QTimer::timeout, this, &EventGapProbe::fired);
}

void EventGapProbe::start() {
    clock_.restart();
    lastMs_ = 0.0;
    maxGapMs_ = 0.0;
    maxGapEndMs_ = 0.0;
    firings_ = 0;
    timer_.start();
}

double EventGapProbe::stop() {
    timer_.stop();
    const double now = clock_.elapsedMs();
    if (now - lastMs_ > maxGapMs_) {
        maxGapMs_ = now - lastMs_;
        maxGapEndMs_ = now;
    }
    return maxGapMs_;
}

void EventGapProbe::resetMax() {
    maxGapMs_ = 0.0;
    maxGapEndMs_ = 0.0;
}

void EventGapProbe::fired() {
    const double now = clock_.elapsedMs();
    if (now - lastMs_ > maxGapMs_) {
        maxGapMs_ = now - lastMs_;
        maxGapEndMs_ = now;
    }
    lastMs_ = now;
    ++firings_;
}
