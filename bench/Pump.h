#pragma once

#include "BenchClock.h"

#include <QEventLoop>
#include <QTimer>

#include <functional>

// Runs the event loop for `ms` milliseconds, as the window's own loop would between ticks.
inline void pumpFor(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

// Runs the event loop until `done` holds or `timeoutMs` have passed; returns whether it holds.
inline bool pumpUntil(const std::function<bool()>& done, int timeoutMs) {
    const BenchClock clock;
    QEventLoop loop;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (done() || clock.elapsedMs() > timeoutMs) {
            loop.quit();
        }
    });
    poll.start(1);
    loop.exec();
    return done();
}
