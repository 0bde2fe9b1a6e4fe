#include "EventPump.h"

#include "SerialLink.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QPointer>
#include <QSocketNotifier>
#include <QThread>
#include <QTimer>

#include <algorithm>
#include <memory>

EventPump::Hook EventPump::sleepHook = nullptr;
EventPump::QuietHook EventPump::quietHook = nullptr;
EventPump::Observer EventPump::observer = nullptr;
int EventPump::armedWaits = 0;
int EventPump::inputHolds = 0;

namespace {

// How often a wait in steps processes the window's events (real time): well under the 40 ms a
// user would notice, and a few steps apart.
constexpr int EventsEveryMs = 8;
// How much longer they may wait while the last bytes of an answer are due.
constexpr int ArrivalHoldMs = 2 * EventPump::CheckStepMs;

// How long the line needs for the rest of `count` bytes when `have` are there: the byte seen
// last may have only just arrived, so one byte time less than the rest's count.
int restCarryMs(int count, int have, int byteUs) {
    return std::max(0, count - have - 1) * byteUs / 1000;
}

QEventLoop::ProcessEventsFlags pumpFlags() {
    return EventPump::inputHeld() ? QEventLoop::ExcludeUserInputEvents : QEventLoop::AllEvents;
}

} // namespace

void EventPump::processEvents() {
    if (QCoreApplication::instance() != nullptr) {
        QCoreApplication::processEvents(pumpFlags());
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

int EventPump::sleepFine(int us, long long& carryUs) {
    QElapsedTimer clock;
    clock.start();
    sleepMicroseconds(us);
    carryUs += std::max<long long>(us, clock.nsecsElapsed() / 1000);
    const int whole = static_cast<int>(carryUs / 1000);
    carryUs %= 1000;
    return whole;
}

bool EventPump::waitInSteps(int boundMs, const Condition& ready, bool lineOnly, int& waited,
                            SerialLink* link, int count) {
    const bool skipQuiet = lineOnly && sleepHook != nullptr && quietHook != nullptr;
    // A wait for bytes on a link that knows its byte time: once the answer has begun, the rest
    // cannot be complete before the line has carried it, so the wait sleeps until then and looks
    // every ArrivalStepMs around the moment the last byte is due (a look every CheckStepMs would
    // find it up to a whole step late, twice a live exchange).
    const int byteUs = link != nullptr ? std::max(0, link->ByteTimeUs()) : 0;
    int had = byteUs > 0 ? std::max(0, link->SerialInQueCount()) : 0;
    // When the last byte is due, in ms of `waited`; -1: nothing arriving yet.
    int dueAt = had > 0 ? waited + restCarryMs(count, had, byteUs) : -1;
    long long fineUs = 0; // real time of the looks shorter than a millisecond, not yet counted
    QElapsedTimer sinceEvents;
    sinceEvents.start();
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
        int step = CheckStepMs;
        bool arriving = false;
        if (dueAt >= 0 && waited < dueAt) {
            // A long answer (a map) is slept through in pieces: the window's events wait for
            // no longer than EventsEveryMs.
            step = std::min(dueAt - waited, EventsEveryMs);
        } else if (dueAt >= 0 && waited < dueAt + CheckStepMs) {
            step = ArrivalStepMs;
            arriving = true;
        }
        if (arriving && sleepHook == nullptr) {
            waited += sleepFine(ArrivalStepUs, fineUs);
        } else {
            waited += sleepStep(std::min(step, boundMs - waited));
        }
        // The line is looked at every step, the window's events are processed every few steps:
        // a pass of the event loop may take longer than a step (under Wine every pass asks the
        // Windows server, a few ms on a busy machine), and bytes that are already there need
        // not wait for it. A virtual clock (tests) processes them every step.
        // A wait for bytes looks at the queue once: its count is the condition.
        const int have = byteUs > 0 ? std::max(0, link->SerialInQueCount()) : 0;
        if (byteUs > 0 ? have >= count : ready()) {
            return true;
        }
        if (have > had) {
            dueAt = waited + restCarryMs(count, have, byteUs);
        }
        had = have;
        // While the last bytes are due the events wait for the end of the wait (a pass of the
        // event loop under Wine is longer than a byte), at most ArrivalHoldMs more.
        const bool lastDue =
            dueAt >= 0 && waited >= dueAt - CheckStepMs && waited < dueAt + CheckStepMs;
        const qint64 sinceMs = sinceEvents.elapsed();
        if (sleepHook != nullptr ||
            (sinceMs >= EventsEveryMs && (!lastDue || sinceMs >= EventsEveryMs + ArrivalHoldMs))) {
            processEvents();
            sinceEvents.restart();
            if (ready()) {
                return true;
            }
        }
    }
    return false;
}

namespace {

// The line's descriptor is watched by one notifier that outlives the waits: creating, enabling or
// dropping a notifier wakes the event loop once more, and a live exchange has two waits. Between
// waits the descriptor is readable only when an answer came that nobody waits for (or the line
// hung up): the notifier then turns itself off, and the next wait turns it on again.
struct LineWake {
    QPointer<QSocketNotifier> notifier;
    int fd = -1;
    int ownerDepth = 0; // the nesting depth of the wait sleeping on it; 0: none
    int ownerLoopLevel = 0;
    bool fired = false;
};
LineWake lineWake;
int waitDepth = 0; // waits in the event loop, nested ones included

void lineReadable() {
    lineWake.fired = true;
    // Only the wait that owns it sleeps on it; anywhere else (another wait, a dialog's loop opened
    // by a handler, between waits) a readable line would wake the event loop again and again.
    if (lineWake.ownerDepth == 0 || lineWake.ownerDepth != waitDepth ||
        lineWake.ownerLoopLevel != QThread::currentThread()->loopLevel()) {
        lineWake.notifier->setEnabled(false);
    }
}

// The notifier for `fd`, on and owned by the wait at the current depth; nullptr in a thread other
// than the application's (the wait then looks in steps).
QSocketNotifier* watchLine(int fd) {
    QCoreApplication* app = QCoreApplication::instance();
    if (app == nullptr || QThread::currentThread() != app->thread()) {
        return nullptr;
    }
    if (lineWake.notifier != nullptr && lineWake.fd != fd) {
        delete lineWake.notifier.data();
    }
    if (lineWake.notifier == nullptr) {
        lineWake.notifier = new QSocketNotifier(fd, QSocketNotifier::Read, app);
        lineWake.fd = fd;
        QObject::connect(lineWake.notifier.data(), &QSocketNotifier::activated, &lineReadable);
    }
    lineWake.ownerDepth = waitDepth;
    lineWake.ownerLoopLevel = QThread::currentThread()->loopLevel();
    lineWake.notifier->setEnabled(true);
    return lineWake.notifier.data();
}

} // namespace

void EventPump::releaseLineWake() {
    // Before the descriptor closes: a notifier on a closed descriptor is polled as invalid.
    delete lineWake.notifier.data();
    lineWake = LineWake{};
}

bool EventPump::waitInLoop(int boundMs, const Condition& ready, SerialLink* link, int count,
                           bool sleepThrough, int& waited) {
    QElapsedTimer clock;
    clock.start();
    ++waitDepth;
    // Fires at the end of each sleep; its event alone ends the event loop's sleep.
    QTimer timer;
    timer.setSingleShot(true);
    timer.setTimerType(Qt::PreciseTimer);
    qint64 timerDue = -1; // when the running timer fires, in ms of `clock`
    // The line's descriptor, readable once the whole count is there (the line's minimum read
    // count; it stays set after the wait, so the next wait for as many bytes changes nothing on
    // the line). Only the outermost wait arms it: a nested one would change the count.
    QSocketNotifier* wake = nullptr;
    bool canArm = link != nullptr && armedWaits == 0;
    if (canArm) {
        ++armedWaits;
    }
    const bool owner = canArm;
    const int byteUs = link != nullptr ? std::max(0, link->ByteTimeUs()) : 0;
    int had = 0;           // bytes waiting at the previous look
    qint64 carryUntil = 0; // while bytes arrive: when the last one or two are due
    bool held = false;
    for (;;) {
        const int have = link != nullptr ? link->SerialInQueCount() : 0;
        held = link != nullptr ? have >= count : ready();
        const qint64 now = clock.elapsed();
        const qint64 left = boundMs - now;
        if (held || left <= 0) {
            break;
        }
        if (wake != nullptr && lineWake.fired && have <= had) {
            // Readable without a new byte (hung up, past what the line counts, a handler changed
            // the line): the descriptor stays readable, so look in steps from now on.
            canArm = false;
            wake->setEnabled(false);
            wake = nullptr;
        }
        qint64 step = std::min<qint64>(left, CheckStepMs);
        if (byteUs > 0 && have > had && count - have > 2) {
            // Bytes are arriving: the rest cannot be complete before the line has carried them.
            // Until the last one or two are due the descriptor is not watched: the kernel would
            // wake the sleeping thread for every byte, only to find the count not reached.
            carryUntil = now + std::max(1, restCarryMs(count, have, byteUs));
        }
        if (now < carryUntil) {
            // Also a notifier an earlier wait left on (the header's, while the body comes in):
            // it would wake this sleep for every byte.
            if (lineWake.notifier != nullptr && lineWake.notifier->isEnabled()) {
                lineWake.notifier->setEnabled(false);
            }
            step = std::min<qint64>(left, carryUntil - now);
        } else {
            if (canArm && wake == nullptr) {
                const int fd = link->ArmInputWake(count);
                wake = fd >= 0 ? watchLine(fd) : nullptr;
                canArm = wake != nullptr;
            } else if (wake != nullptr && !wake->isEnabled()) {
                wake->setEnabled(true); // after the line's time, or a nested wait turned it off
            }
            if (wake != nullptr) {
                step = left; // the line wakes the wait, the timer only at the bound
            } else if (link == nullptr && sleepThrough) {
                step = left;
            }
        }
        had = std::max(have, 0);
        lineWake.fired = false;
        if (timerDue != now + step || !timer.isActive()) {
            timer.start(static_cast<int>(step));
            timerDue = now + step;
        }
        QCoreApplication::processEvents(pumpFlags() | QEventLoop::WaitForMoreEvents);
        if (wake != nullptr && lineWake.notifier.isNull()) {
            wake = nullptr; // the port was closed meanwhile
            canArm = false;
        }
    }
    if (owner) {
        --armedWaits;
        if (lineWake.ownerDepth == waitDepth) {
            lineWake.ownerDepth = 0;
        }
    }
    --waitDepth;
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
    QThread* thread = QThread::currentThread();
    const bool loop = sleepsInEventLoop() && sleepHook == nullptr &&
                      QCoreApplication::instance() != nullptr &&
                      thread->eventDispatcher() != nullptr;
    bool held = false;
    if (loop && boundMs > 0) {
        // The first look is the loop's own; its sleep processes the pending events.
        held = waitInLoop(boundMs, ready, link, count, sleepThrough, waited);
    } else {
        processEvents();
        held = ready();
        if (!held && boundMs > 0) {
            held =
                waitInSteps(boundMs, ready, link != nullptr || sleepThrough, waited, link, count);
        }
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
