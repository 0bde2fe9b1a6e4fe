#pragma once

#include "BenchClock.h"

#include <QObject>
#include <QTimer>

// Measures how long the event loop goes without running: a timer fires every time events are
// processed (by the loop or by a wait that pumps them), and the longest time between two
// firings is the longest stretch during which the window could not react. With interval 0 it
// fires on every pass of the loop; a short interval (a few ms) costs far less CPU and measures
// the same stalls to within that interval.
class EventGapProbe : public QObject {
    Q_OBJECT
public:
    explicit EventGapProbe(int intervalMs = 0);
    void start();
    // Stops and returns the longest gap in milliseconds (the time since the last firing
    // included).
    double stop();
    int firings() const { return firings_; }
    // While running: the longest gap so far, and when it ended (ms since start()).
    double maxGapMs() const { return maxGapMs_; }
    double maxGapEndMs() const { return maxGapEndMs_; }
    // CPU time the probe's thread used during that longest gap: close to the gap when the
    // program was busy, far below it when the machine did not give the thread a core.
    double maxGapCpuMs() const { return maxGapCpuMs_; }
    // Starts a new stretch of the measurement without stopping the timer.
    void resetMax();

private:
    void fired();
    void note(double nowMs);
    QTimer timer_;
    BenchClock clock_;
    double lastMs_ = 0.0;
    double maxGapMs_ = 0.0;
    double maxGapEndMs_ = 0.0;
    double maxGapCpuMs_ = 0.0;
    double lastCpuMs_ = 0.0;
    int firings_ = 0;
};
