#include "EventPump.h"

#include "SerialLink.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>
#include <algorithm>

EventPump::Hook EventPump::sleepHook = nullptr;

void EventPump::processEvents() {
    if (QCoreApplication::instance() != nullptr) {
        QCoreApplication::processEvents();
    }
}

void EventPump::sleepBlocking(int ms) {
    if (ms <= 0) {
        return;
    }
    if (sleepHook != nullptr) {
        sleepHook(ms);
        return;
    }
    QThread::msleep(static_cast<unsigned long>(ms));
}

void EventPump::processAndSleep(int ms) {
    processEvents();
    sleepBlocking(ms);
}

int EventPump::sleepStep(int ms) {
    if (sleepHook != nullptr) {
        sleepHook(ms);
        return ms;
    }
    QElapsedTimer clock;
    clock.start();
    QThread::msleep(static_cast<unsigned long>(ms));
    // A loaded machine may oversleep: the bound is kept in real time.
    return std::max(ms, static_cast<int>(clock.elapsed()));
}

bool EventPump::waitUntil(int boundMs, const Condition& ready, int* waitedMs) {
    int waited = 0;
    bool held = false;
    for (;;) {
        processEvents();
        held = ready();
        if (held || waited >= boundMs) {
            break;
        }
        waited += sleepStep(std::min(CheckStepMs, boundMs - waited));
    }
    if (waitedMs != nullptr) {
        *waitedMs = waited;
    }
    return held;
}

bool EventPump::waitForBytes(SerialLink& link, int count, int boundMs, int* waitedMs) {
    return waitUntil(
        boundMs, [&link, count] { return link.SerialInQueCount() >= count; }, waitedMs);
}

void EventPump::pause(int ms) {
    waitUntil(ms, [] { return false; });
}

void EventPump::setSleepHook(Hook hook) {
    sleepHook = hook;
}
