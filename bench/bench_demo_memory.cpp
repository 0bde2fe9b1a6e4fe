// Memory of a demo run: the main window offscreen with the simulated controller for 30 s (or
// --seconds N), resident size and its peak sampled every 5 s, and the longest stretches in which
// the window's event loop did not run once the first live frame was shown.
#include "BenchClock.h"
#include "DemoWindowRig.h"
#include "Pump.h"
#include "Report.h"
#include "Samples.h"

#include <QApplication>
#include <QFile>
#include <QTimer>

namespace {

// A "VmXXX:   1234 kB" line of /proc/self/status, in kB; -1 when missing.
long statusKb(const char* key) {
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly)) {
        return -1;
    }
    const QByteArray prefix = QByteArray(key) + ':';
    for (const QByteArray& line : f.readAll().split('\n')) {
        if (line.startsWith(prefix)) {
            return line.mid(prefix.size()).trimmed().split(' ').value(0).toLong();
        }
    }
    return -1;
}

QString mb(long kb) {
    return kb < 0 ? QStringLiteral("?") : QStringLiteral("%1 MB").arg(kb / 1024.0, 0, 'f', 1);
}

} // namespace

int main(int argc, char** argv) {
    DemoWindowRig::prepareEnvironment();
    QApplication app(argc, argv);
    int seconds = 30;
    const QStringList args = QCoreApplication::arguments();
    const int at = static_cast<int>(args.indexOf(QStringLiteral("--seconds")));
    if (at > 0 && at + 1 < args.size()) {
        seconds = std::max(5, args[at + 1].toInt());
    }
    Report::title(QStringLiteral("bench_demo_memory"),
                  QStringLiteral("resident memory of a %1 s offscreen demo run").arg(seconds));
    Report::figure(QStringLiteral("before the window (VmRSS / VmHWM)"),
                   mb(statusKb("VmRSS")) + QStringLiteral(" / ") + mb(statusKb("VmHWM")));

    DemoWindowRig rig;
    if (!rig.start()) {
        Report::line(QStringLiteral("cannot run: ") + rig.error());
        return 1;
    }
    if (!rig.waitForFirstLive(10000)) {
        Report::line(QStringLiteral("no live frame within 10 s"));
        return 1;
    }
    Report::figure(QStringLiteral("first live frame at"),
                   QStringLiteral("%1 ms").arg(rig.firstLiveMs, 0, 'f', 0));

    // Event-loop stalls: a 10 ms timer that notes how late it runs.
    Samples stalls;
    QStringList stallTimes;
    double worst = 0.0;
    BenchClock stallClock;
    QTimer beat;
    beat.setTimerType(Qt::PreciseTimer);
    QObject::connect(&beat, &QTimer::timeout, [&] {
        const double gap = stallClock.elapsedMs();
        stallClock.restart();
        worst = std::max(worst, gap);
        if (gap > 50.0) {
            stalls.add(gap);
            stallTimes << QStringLiteral("%1 ms at %2 s")
                              .arg(gap, 0, 'f', 0)
                              .arg(rig.sinceConstructionMs() / 1000.0, 0, 'f', 1);
        }
    });
    beat.start(10);

    Report::heading(QStringLiteral("Samples (time since the window was constructed)"));
    Report::line(QStringLiteral("   time    VmRSS      VmHWM      live frames"));
    long rssAt5 = -1;
    long rssLast = -1;
    int framesAt5 = 0;
    for (int t = 5; t <= seconds; t += 5) {
        const double target = t * 1000.0;
        const double now = rig.sinceConstructionMs();
        if (target > now) {
            pumpFor(static_cast<int>(target - now));
        }
        const long rss = statusKb("VmRSS");
        Report::line(QStringLiteral("%1 s  %2  %3  %4")
                         .arg(t, 5)
                         .arg(mb(rss), 9)
                         .arg(mb(statusKb("VmHWM")), 9)
                         .arg(rig.liveFrames(), 8));
        if (t == 5) {
            rssAt5 = rss;
            framesAt5 = rig.liveFrames();
        }
        rssLast = rss;
    }
    beat.stop();

    Report::heading(QStringLiteral("Summary"));
    Report::figure(QStringLiteral("peak resident (VmHWM)"), mb(statusKb("VmHWM")));
    Report::figure(QStringLiteral("resident growth after 5 s"),
                   QStringLiteral("%1 kB over %2 live frames")
                       .arg(rssLast - rssAt5)
                       .arg(rig.liveFrames() - framesAt5));
    Report::figure(QStringLiteral("live frames per second"),
                   QStringLiteral("%1").arg(
                       rig.liveFrames() / ((rig.sinceConstructionMs() - rig.firstLiveMs) / 1000.0),
                       0, 'f', 2));
    Report::figure(QStringLiteral("longest event-loop stall"),
                   QStringLiteral("%1 ms").arg(worst, 0, 'f', 1));
    Report::figure(QStringLiteral("stalls over 50 ms"),
                   stalls.empty() ? QStringLiteral("none") : stalls.summary(" ms"));
    const double framesPerS =
        rig.liveFrames() / ((rig.sinceConstructionMs() - rig.firstLiveMs) / 1000.0);
    Report::row(BenchRow::atMost(QStringLiteral("demo: peak resident memory"),
                                 statusKb("VmHWM") / 1024.0, QStringLiteral("MB"), 100.0));
    Report::row(BenchRow::atMost(QStringLiteral("demo: resident growth after 5 s"),
                                 static_cast<double>(rssLast - rssAt5), QStringLiteral("kB"),
                                 1024.0));
    Report::row(BenchRow::atLeast(QStringLiteral("demo: live frames shown per second"), framesPerS,
                                  QStringLiteral("/s"), 5.0));
    // The longest wait the reader allows for one answer (a 257-byte body): 48 + 2 x 257 ms.
    Report::row(BenchRow::atMost(QStringLiteral("demo: longest event-loop stall"), worst,
                                 QStringLiteral("ms"), 562.0));
    for (const QString& s : stallTimes.mid(0, 10)) {
        Report::line(QStringLiteral("  stall ") + s);
    }
    rig.close();
    return 0;
}
