// Firmware transfer speed against a controller's boot loader on a named port, through the
// program's port facade: what bench_firmware measures, for a build that cannot start the
// simulator itself (the Windows build under Wine, with the simulator on a port it maps).
//   bench_device_firmware --device COM8 [--runs 2] [--flash-ms 5] [--latency-ms 2] [--label T]
// The flash time and reply latency are those the controller at the far end uses (the
// simulator's defaults unless told), for the line limit.
#include "DeviceArguments.h"
#include "FirmwareRuns.h"
#include "LineLimits.h"
#include "Report.h"
#include "TMySerial.h"

#include <QCoreApplication>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    const QString device = DeviceArguments::text(args, QStringLiteral("--device"));
    const QString label = DeviceArguments::text(args, QStringLiteral("--label"),
                                                QStringLiteral("firmware on ") + device);
    const int runs = DeviceArguments::number(args, QStringLiteral("--runs"), 2);
    const int flashMs = DeviceArguments::number(args, QStringLiteral("--flash-ms"), 5);
    const int latencyMs = DeviceArguments::number(args, QStringLiteral("--latency-ms"), 2);
    Report::title(
        QStringLiteral("bench_device_firmware"),
        QStringLiteral("firmware transfer to the boot loader on %1 at 9600 bit/s").arg(device));
    if (device.isEmpty()) {
        Report::line(QStringLiteral("cannot run: no --device"));
        return 1;
    }
    TMySerial serial;
    QString error;
    serial.SetOpenErrorPresenter([&error](const QString& text, const QString&) { error = text; });
    if (!serial.SerialOpenDevice(device, 9600)) {
        Report::line(QStringLiteral("cannot open %1: %2").arg(device, error));
        return 1;
    }
    const double limit = LineLimits::firmwareBlocksPerSecond(flashMs, latencyMs);
    FirmwareRuns r;
    r.run(serial, runs);
    for (const QString& f : r.failures) {
        Report::line(f);
    }
    Report::figure(QStringLiteral("line limit (33 bytes + %1 ms flash + %2 ms latency)")
                       .arg(flashMs)
                       .arg(latencyMs),
                   QStringLiteral("%1 blocks/s").arg(limit, 0, 'f', 1));
    Report::figure(QStringLiteral("measured"), r.blocksPerSecond.summary("blocks/s"));
    Report::figure(QStringLiteral("whole run, switch to loader to closing request"),
                   r.totalSeconds.summary("s"));
    Report::figure(QStringLiteral("remaining time shown minus time really left"),
                   r.estimateErrors.summary("s"));
    const bool ended = r.blocksPerSecond.count() > 0;
    Report::row(BenchRow::atLeast(label + (ended ? QStringLiteral(": firmware blocks per second "
                                                                  "(median)")
                                                 : QStringLiteral(": firmware, no run ended")),
                                  ended ? r.blocksPerSecond.median() : 0.0,
                                  QStringLiteral("blocks/s"), 0.9 * limit));
    return ended ? 0 : 1;
}
