#include "EventPump.h"

#include <QCoreApplication>
#include <QThread>

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

void EventPump::setSleepHook(Hook hook) {
    sleepHook = hook;
}
