#include "EventGapProbe.h"

#include <algorithm>
#include <ctime>

namespace {
double threadCpuMs() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) * 1000.0 + static_cast<double>(t.tv_nsec) / 1.0e6;
}
} // namespace

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
    maxGapCpuMs_ = 0.0;
    lastCpuMs_ = threadCpuMs();
    firings_ = 0;
    timer_.start();
}

double EventGapProbe::stop() {
    timer_.stop();
    note(clock_.elapsedMs());
    return maxGapMs_;
}

void EventGapProbe::resetMax() {
    maxGapMs_ = 0.0;
    maxGapEndMs_ = 0.0;
    maxGapCpuMs_ = 0.0;
}

void EventGapProbe::note(double nowMs) {
    const double cpu = threadCpuMs();
    if (nowMs - lastMs_ > maxGapMs_) {
        maxGapMs_ = nowMs - lastMs_;
        maxGapEndMs_ = nowMs;
        maxGapCpuMs_ = cpu - lastCpuMs_;
    }
    lastMs_ = nowMs;
    lastCpuMs_ = cpu;
}

void EventGapProbe::fired() {
    note(clock_.elapsedMs());
    ++firings_;
}
