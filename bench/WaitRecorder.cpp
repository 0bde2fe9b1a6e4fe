#include "WaitRecorder.h"

#include "EventPump.h"

#include <QThread>
#include <numeric>

std::vector<int> WaitRecorder::waits_;

void WaitRecorder::waitEnded(int boundMs, int waitedMs) {
    (void)boundMs;
    waits_.push_back(waitedMs);
}

void WaitRecorder::install() {
    EventPump::setObserver(&WaitRecorder::waitEnded);
}

void WaitRecorder::uninstall() {
    EventPump::setObserver(nullptr);
}

void WaitRecorder::reset() {
    waits_.clear();
}

const std::vector<int>& WaitRecorder::waits() {
    return waits_;
}

int WaitRecorder::totalMs() {
    return std::accumulate(waits_.begin(), waits_.end(), 0);
}
