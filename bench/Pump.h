#pragma once

#include <QEventLoop>
#include <QTimer>

// Runs the event loop for `ms` milliseconds, as the window's own loop would between ticks.
inline void pumpFor(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}
