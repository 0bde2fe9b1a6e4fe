#pragma once

#include "BenchClock.h"

#include <QObject>
#include <QTimer>

// Measures how long the event loop goes without running: a zero-interval timer fires every
// time events are processed (by the loop or by a wait that pumps them), and the longest time
// between two firings is the longest stretch during which the window could not react.
class EventGapProbe : public QObject {
    Q_OBJECT
public:
    EventGapProbe();
    void start();
    // Stops and returns the longest gap in milliseconds (the time since the last firing
    // included).
    double stop();
    int firings() const { return firings_; }

private:
    void fired();
    QTimer timer_;
    BenchClock clock_;
    double lastMs_ = 0.0;
    double maxGapMs_ = 0.0;
    int firings_ = 0;
};
