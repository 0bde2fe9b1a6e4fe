#include "EventPump.h"

#include "SerialLink.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QSocketNotifier>
#include <QThread>
#include <QTimer>

#include <algorithm>
#include <memory>

EventPump::Hook EventPump::sleepHook = nullptr;
EventPump::QuietHook EventPump::quietHook = nullptr;
EventPump::Observer EventPump::observer = nullptr;
int EventPump::armedWaits = 0;

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

bool EventPump::waitInSteps(int boundMs, const Condition& ready, bool lineOnly, int& waited) {
    const bool skipQuiet = lineOnly && sleepHook != nullptr && quietHook != nullptr;
    while (waited < boundMs) {
        if (skipQuiet) {
            // Whole steps that end before the next arrival (and leave the last look at the
            // bound) would each find the condition as it is now: one sleep over all of them.
            const int quiet = std::max(quietHook(), 1);
            const int skip = std::min(quiet - 1, boundMs - waited - 1) / CheckStepMs * CheckStepMs;
            if (skip > 0) {
                waited += sleepStep(skip);
            }
        }
        waited += sleepStep(std::min(CheckStepMs, boundMs - waited));
        processEvents();
        if (ready()) {
            return true;
        }
    }
    return false;
}

bool EventPump::waitInLoop(int boundMs, const Condition& ready, SerialLink* link, int count,
                           bool sleepThrough, int& waited) {
    QElapsedTimer clock;
    clock.start();
    // Fires at the end of each sleep; its event alone ends the event loop's sleep.
    QTimer timer;
    timer.setSingleShot(true);
    timer.setTimerType(Qt::PreciseTimer);
    // The line's descriptor, readable once the next byte (or, at an unknown rate, the whole
    // count) is there. Only the outermost wait arms it: a nested one would change the count.
    std::unique_ptr<QSocketNotifier> wake;
    bool woken = false;
    bool canArm = link != nullptr && armedWaits == 0;
    bool armed = false;
    const int byteUs = link != nullptr ? std::max(0, link->ByteTimeUs()) : 0;
    int had = 0; // bytes waiting at the previous look
    bool held = false;
    for (;;) {
        const int have = link != nullptr ? link->SerialInQueCount() : 0;
        held = link != nullptr ? have >= count : ready();
        const qint64 left = boundMs - clock.elapsed();
        if (held || left <= 0) {
            break;
        }
        if (woken && have <= had) {
            // Readable without a new byte (hung up, past what the line counts, a handler changed
            // the line): the descriptor stays readable, so look in steps from now on.
            canArm = false;
        }
        const bool coming = byteUs > 0 && have > had;
        const int missing = count - have;
        const bool lineCarries = coming && missing > 2;
        qint64 step = std::min<qint64>(left, CheckStepMs);
        if (lineCarries) {
            // Bytes are arriving: the rest cannot be complete before the line has carried them.
            // Sleep until the last one or two are due, then let the descriptor wake the wait.
            const qint64 due = qint64(missing - 1) * byteUs / 1000;
            step = std::min<qint64>(left, std::max<qint64>(1, due));
        } else if (canArm) {
            // A silent line wakes the wait with its next byte; a nearly complete answer, or one
            // at an unknown rate, once all of it is there.
            const int fd = link->ArmInputWake(byteUs > 0 && !coming ? have + 1 : count);
            if (fd >= 0 && wake == nullptr) {
                wake = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Read);
                QObject::connect(wake.get(), &QSocketNotifier::activated,
                                 [&woken] { woken = true; });
                ++armedWaits;
            }
            armed = armed || fd >= 0;
            canArm = fd >= 0;
            if (canArm) {
                step = left;
            }
        } else if (link == nullptr && sleepThrough) {
            step = left;
        }
        if (wake != nullptr) {
            wake->setEnabled(!lineCarries && canArm);
        }
        had = std::max(have, 0);
        woken = false;
        timer.start(static_cast<int>(step));
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    }
    if (wake != nullptr) {
        wake.reset();
        --armedWaits;
    }
    if (armed) {
        link->DisarmInputWake();
    }
    if (!held) {
        // The look at the bound.
        processEvents();
        held = link != nullptr ? link->SerialInQueCount() >= count : ready();
    }
    waited = static_cast<int>(clock.elapsed());
    return held;
}

bool EventPump::wait(int boundMs, const Condition& ready, int* waitedMs, SerialLink* link,
                     int count, bool sleepThrough) {
    int waited = 0;
    processEvents();
    bool held = ready();
    if (!held && boundMs > 0) {
        QThread* thread = QThread::currentThread();
        const bool loop = sleepHook == nullptr && QCoreApplication::instance() != nullptr &&
                          thread->eventDispatcher() != nullptr;
        held = loop ? waitInLoop(boundMs, ready, link, count, sleepThrough, waited)
                    : waitInSteps(boundMs, ready, link != nullptr || sleepThrough, waited);
    }
    if (waitedMs != nullptr) {
        *waitedMs = waited;
    }
    if (observer != nullptr) {
        observer(boundMs, waited);
    }
    return held;
}

bool EventPump::waitUntil(int boundMs, const Condition& ready, int* waitedMs) {
    return wait(boundMs, ready, waitedMs, nullptr, 0, false);
}

bool EventPump::waitForBytes(SerialLink& link, int count, int boundMs, int* waitedMs) {
    return wait(
        boundMs, [&link, count] { return link.SerialInQueCount() >= count; }, waitedMs, &link,
        count, false);
}

void EventPump::pause(int ms) {
    wait(
        ms, [] { return false; }, nullptr, nullptr, 0, true);
}

void EventPump::setSleepHook(Hook hook) {
    sleepHook = hook;
}

void EventPump::setQuietHook(QuietHook hook) {
    quietHook = hook;
}

void EventPump::setObserver(Observer o) {
    observer = o;
}
