#include "WaitRecorder.h"

#include "EventPump.h"

#include <QThread>
#include <numeric>

std::vector<int> WaitRecorder::waits_;

void WaitRecorder::hook(int ms) {
    waits_.push_back(ms);
    QThread::msleep(static_cast<unsigned long>(ms));
}

void WaitRecorder::install() {
    EventPump::setSleepHook(&WaitRecorder::hook);
}

void WaitRecorder::uninstall() {
    EventPump::setSleepHook(nullptr);
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
