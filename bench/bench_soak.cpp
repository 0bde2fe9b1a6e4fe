// Soak: the demo (main window offscreen, simulated controller on its pseudo-terminal) polling
// for a long time, with resident memory and open file descriptors printed every sample period.
// Neither may grow once the first period is over: the verdict at the end compares the last
// sample with the first.
//
//     bench_soak [--minutes N] [--every S]      defaults: 10 minutes, a sample every 60 s
#include "DemoWindowRig.h"
#include "Pump.h"
#include "Report.h"

#include <QApplication>
#include <QDir>
#include <QFile>

#include <algorithm>

namespace {

long residentKb() {
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly)) {
        return -1;
    }
    for (const QByteArray& line : f.readAll().split('\n')) {
        if (line.startsWith("VmRSS:")) {
            return line.mid(6).trimmed().split(' ').value(0).toLong();
        }
    }
    return -1;
}

int openDescriptors() {
    return int(QDir(QStringLiteral("/proc/self/fd"))
                   .entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System)
                   .size());
}

double argValue(const QStringList& args, const QString& name, double fallback) {
    const int at = int(args.indexOf(name));
    if (at > 0 && at + 1 < args.size()) {
        bool ok = false;
        const double v = args[at + 1].toDouble(&ok);
        if (ok && v > 0) {
            return v;
        }
    }
    return fallback;
}

} // namespace

int main(int argc, char** argv) {
    DemoWindowRig::prepareEnvironment();
    QApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    const double minutes = argValue(args, QStringLiteral("--minutes"), 10.0);
    const int everyS = std::max(1, int(argValue(args, QStringLiteral("--every"), 60.0)));
    const int samples = std::max(2, int(minutes * 60.0 / everyS));
    Report::title(QStringLiteral("bench_soak"),
                  QStringLiteral("demo polling for %1 s, a sample every %2 s")
                      .arg(samples * everyS)
                      .arg(everyS));

    DemoWindowRig rig;
    if (!rig.start()) {
        Report::line(QStringLiteral("cannot run: ") + rig.error());
        return 1;
    }
    if (!rig.waitForFirstLive(10000)) {
        Report::line(QStringLiteral("no live frame within 10 s"));
        return 1;
    }
    const double startMs = rig.sinceConstructionMs();
    Report::line(QStringLiteral("  time     VmRSS   open fds   live frames"));
    long firstRss = -1;
    int firstFds = -1;
    int firstFrames = 0;
    long lastRss = -1;
    int lastFds = -1;
    long peakRss = 0;
    int peakFds = 0;
    for (int i = 1; i <= samples; ++i) {
        const double due = startMs + double(i) * everyS * 1000.0;
        const double now = rig.sinceConstructionMs();
        if (due > now) {
            pumpFor(int(due - now));
        }
        lastRss = residentKb();
        lastFds = openDescriptors();
        peakRss = std::max(peakRss, lastRss);
        peakFds = std::max(peakFds, lastFds);
        Report::line(QStringLiteral("%1 s  %2 kB  %3  %4")
                         .arg(i * everyS, 5)
                         .arg(lastRss, 8)
                         .arg(lastFds, 9)
                         .arg(rig.liveFrames(), 12));
        if (i == 1) {
            firstRss = lastRss;
            firstFds = lastFds;
            firstFrames = rig.liveFrames();
        }
    }
    const int frames = rig.liveFrames() - firstFrames;
    Report::heading(QStringLiteral("Summary (after the first sample)"));
    Report::figure(QStringLiteral("resident growth"),
                   QStringLiteral("%1 kB (peak %2 kB) over %3 live frames")
                       .arg(lastRss - firstRss)
                       .arg(peakRss - firstRss)
                       .arg(frames));
    Report::figure(QStringLiteral("descriptor growth"),
                   QStringLiteral("%1 (peak %2)").arg(lastFds - firstFds).arg(peakFds - firstFds));
    // Allocator noise stays well under a megabyte; a leak per frame would pass it within minutes.
    const bool steady = lastFds == firstFds && lastRss - firstRss < 1024 && frames > 0;
    Report::figure(QStringLiteral("verdict"),
                   steady ? QStringLiteral("steady") : QStringLiteral("GROWING or not polling"));
    rig.close();
    return steady ? 0 : 1;
}
