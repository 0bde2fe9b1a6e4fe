// The main window against a controller on a named port, as `orvex --device COM9` runs it: how
// long the window ever goes without processing its events (a 2 ms probe timer in its thread)
// over the connection (port open, identity, settings, map read) and over N seconds of live
// values, and the live rate. What bench_responsiveness measures for the demo, for a build that
// cannot start the simulator itself (the Windows build under Wine, the simulator on a port it
// maps). The settings of the run are those of the user (for Windows: the registry of the
// throw-away prefix the run gets); the port stored there is not changed.
//   bench_device_window --device COM9 [--seconds 10] [--label TEXT]
#include "BenchClock.h"
#include "BenchRow.h"
#include "DeviceArguments.h"
#include "EventGapProbe.h"
#include "EventPump.h"
#include "FrameRate.h"
#include "LineLimits.h"
#include "LiveView.h"
#include "PendingWrites.h"
#include "Pump.h"
#include "Report.h"
#include "Samples.h"
#include "TForm1.h"

#include <QApplication>
#include <QEvent>
#include <QEventLoop>
#include <QTimer>

#include <algorithm>
#include <functional>

namespace {

constexpr int ProbeIntervalMs = 2;

QString stall(const EventGapProbe& probe) {
    return QStringLiteral("%1 ms (busy %2 ms)")
        .arg(probe.maxGapMs(), 0, 'f', 1)
        .arg(probe.maxGapCpuMs(), 0, 'f', 1);
}

// One clock for the tick and wait times below.
const BenchClock runClock;

// How long the reader's waits lasted: the header's and the body's of each live exchange, and
// when they ended (ms of runClock).
Samples headerWaits;
Samples bodyWaits;
int waitsSeen = 0;
double headerStartMs = -1.0; // the header's wait began (to the ms: waits count whole ms)
double bodyEndMs = -1.0;
void waitEnded(int, int waitedMs) {
    if (waitsSeen++ % 2 == 0) {
        headerWaits.add(waitedMs);
        headerStartMs = runClock.elapsedMs() - waitedMs;
    } else {
        bodyWaits.add(waitedMs);
        bodyEndMs = runClock.elapsedMs();
    }
}

// The poll timer's ticks: how long each held the window (the exchange and showing its answer),
// the parts of it outside the waits for the answer, and how long the timer took from the end of
// one tick to the start of the next (its interval, 100 ms while answers come, plus how late the
// system delivered it).
class TickTimes : public QObject {
public:
    explicit TickTimes(QTimer* timer) {
        timer->installEventFilter(this);
        QObject::connect(timer, &QTimer::timeout, this, [this] {
            if (startMs_ >= 0.0) {
                lastEndMs_ = runClock.elapsedMs();
                tickMs.add(lastEndMs_ - startMs_);
                if (headerStartMs >= startMs_ && bodyEndMs >= headerStartMs) {
                    beforeWaitsMs.add(headerStartMs - startMs_);
                    afterWaitsMs.add(lastEndMs_ - bodyEndMs);
                }
                startMs_ = -1.0;
            }
        });
    }
    Samples tickMs;
    Samples beforeWaitsMs; // events processed, the request written
    Samples afterWaitsMs;  // the answer read, decoded and shown
    Samples idleMs;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Timer) {
            startMs_ = runClock.elapsedMs();
            if (lastEndMs_ >= 0.0) {
                idleMs.add(startMs_ - lastEndMs_);
            }
        }
        return QObject::eventFilter(watched, event);
    }

private:
    double startMs_ = -1.0;
    double lastEndMs_ = -1.0;
};

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    const QString device = DeviceArguments::text(args, QStringLiteral("--device"));
    const QString label = DeviceArguments::text(args, QStringLiteral("--label"),
                                                QStringLiteral("window on ") + device);
    const int liveSeconds = DeviceArguments::number(args, QStringLiteral("--seconds"), 10);
    Report::title(QStringLiteral("bench_device_window"),
                  QStringLiteral("longest event-loop stall of the window on %1 (2 ms probe "
                                 "timer), live rate")
                      .arg(device));
    if (device.isEmpty()) {
        Report::line(QStringLiteral("cannot run: no --device"));
        return 1;
    }

    TForm1 w;
    QString error;
    w.ErrorBox = [&error](const QString& text) { error = text; };
    int frames = 0;
    FrameRate liveRate;
    auto shown = w.LiveViewHandler;
    w.LiveViewHandler = [&frames, &liveRate, shown](const LiveView& v) {
        shown(v);
        ++frames;
        liveRate.frame();
    };
    w.UseSessionDevice(device);
    const BenchClock clock;
    w.showMaximized();
    EventGapProbe probe(ProbeIntervalMs);
    probe.start();

    Report::heading(QStringLiteral("Connection (window shown to the map read done)"));
    if (!pumpUntil([&] { return frames > 0 || !error.isEmpty(); }, 20000) || frames == 0) {
        Report::line(QStringLiteral("no live frame within 20 s") +
                     (error.isEmpty() ? QString() : QStringLiteral(": ") + error));
        return 1;
    }
    Report::figure(QStringLiteral("first live frame shown"),
                   QStringLiteral("%1 ms").arg(clock.elapsedMs(), 0, 'f', 1));
    const bool mapRead = pumpUntil(
        [&] {
            return (w.Mirror.PendingWrites & PW_MAP_READ) == 0 && w.Mirror.HoldOff == 0 &&
                   frames >= 2;
        },
        5000);
    Report::figure(QStringLiteral("map read done"),
                   mapRead ? QStringLiteral("%1 ms").arg(clock.elapsedMs(), 0, 'f', 1)
                           : QStringLiteral("not seen"));
    Report::figure(QStringLiteral("longest stall"), stall(probe));
    double worst = probe.maxGapMs();

    Report::heading(QStringLiteral("Live values, %1 s").arg(liveSeconds));
    probe.resetMax();
    liveRate.restart();
    TickTimes ticks(w.Timer1);
    EventPump::setObserver(&waitEnded);
    pumpFor(liveSeconds * 1000);
    EventPump::setObserver(nullptr);
    const double rate = liveRate.perSecond();
    Report::figure(QStringLiteral("live frames per second"),
                   QStringLiteral("%1 (%2 frames, first to last)")
                       .arg(rate, 0, 'f', 2)
                       .arg(liveRate.frames()));
    Report::figure(QStringLiteral("longest stall"), stall(probe));
    Report::figure(QStringLiteral("probe firings"), QString::number(probe.firings()));
    Report::figure(QStringLiteral("poll tick (exchange and showing it)"),
                   ticks.tickMs.summary(" ms"));
    Report::figure(QStringLiteral("  the answer's header waited for"), headerWaits.summary(" ms"));
    Report::figure(QStringLiteral("  its body waited for"), bodyWaits.summary(" ms"));
    Report::figure(QStringLiteral("  tick start to the header's wait"),
                   ticks.beforeWaitsMs.summary(" ms"));
    Report::figure(QStringLiteral("  end of the body's wait to the end of the tick"),
                   ticks.afterWaitsMs.summary(" ms"));
    Report::figure(QStringLiteral("end of a tick to the start of the next"),
                   ticks.idleMs.summary(" ms"));
    worst = std::max(worst, probe.stop());

    const double best = LineLimits::liveFramesPerSecond();
    Report::figure(QStringLiteral("live rate the line allows"),
                   QStringLiteral("%1 /s").arg(best, 0, 'f', 3));
    Report::row(BenchRow::atLeast(label + QStringLiteral(": live frames per second"), rate,
                                  QStringLiteral("/s"), 0.97 * best));
    Report::row(BenchRow::atMost(label + QStringLiteral(": longest stall, connection and live"),
                                 worst, QStringLiteral("ms"), 40.0));
    w.close();
    return 0;
}
