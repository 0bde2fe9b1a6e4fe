// Firmware transfer speed: blocks per second through the program's port facade against the
// simulator's boot loader at 9600 bit/s, beside the line limit of the same set-up, and how close
// the remaining-time figure shown during the transfer came to the time really left.
#include "FirmwareRuns.h"
#include "LineLimits.h"
#include "Report.h"
#include "SimLinkRig.h"
#include "TMySerial.h"

#include <QCoreApplication>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    Report::title(
        QStringLiteral("bench_firmware"),
        QStringLiteral("firmware transfer over the simulator's boot loader at 9600 bit/s"));
    SimConfig config; // pacing on, the loader's default flash time and reply latency
    SimLinkRig rig(config);
    if (!rig.open()) {
        Report::line(QStringLiteral("cannot open the simulator: ") + rig.error());
        return 1;
    }
    const double limit =
        LineLimits::firmwareBlocksPerSecond(config.flashWriteMs, config.replyLatencyMs);
    const int runs = argc > 1 ? QString::fromLocal8Bit(argv[1]).toInt() : 2;
    FirmwareRuns r;
    r.run(rig.serial(), runs);
    for (const QString& f : r.failures) {
        Report::line(f);
    }
    Report::heading(QStringLiteral("584 blocks (8832-byte image, loader base 0x0100)"));
    Report::figure(QStringLiteral("line limit (33 bytes + %1 ms flash + %2 ms latency)")
                       .arg(config.flashWriteMs)
                       .arg(config.replyLatencyMs),
                   QStringLiteral("%1 blocks/s").arg(limit, 0, 'f', 1));
    Report::figure(QStringLiteral("measured"), r.blocksPerSecond.summary("blocks/s"));
    if (r.blocksPerSecond.count() > 0) {
        Report::figure(
            QStringLiteral("share of the line limit"),
            QStringLiteral("%1 %").arg(100.0 * r.blocksPerSecond.median() / limit, 0, 'f', 1));
        Report::row(BenchRow::atLeast(QStringLiteral("firmware blocks per second (median)"),
                                      r.blocksPerSecond.median(), QStringLiteral("blocks/s"),
                                      0.9 * limit));
    } else {
        Report::row(BenchRow::atLeast(QStringLiteral("firmware blocks per second (no run ended)"),
                                      0.0, QStringLiteral("blocks/s"), 0.9 * limit));
    }
    Report::figure(QStringLiteral("whole run, switch to loader to closing request"),
                   r.totalSeconds.summary("s"));
    Report::figure(QStringLiteral("remaining time shown minus time really left"),
                   r.estimateErrors.summary("s"));
    return 0;
}
