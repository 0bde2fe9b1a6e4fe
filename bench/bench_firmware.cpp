// Firmware transfer speed: blocks per second through the program's port facade against the
// simulator's boot loader at 9600 bit/s, beside the line limit of the same set-up, and how close
// the remaining-time figure shown during the transfer came to the time really left.
#include "BenchClock.h"
#include "ControllerMirror.h"
#include "FirmwareProgrammer.h"
#include "GeneratedImages.h"
#include "Report.h"
#include "Samples.h"
#include "SimController.h"
#include "SimLinkRig.h"
#include "TMySerial.h"

#include <QCoreApplication>
#include <QThread>

#include <memory>

namespace {

struct Timing : ProgrammingProgress {
    BenchClock clock;
    double firstBlockMs = -1;
    double lastBlockMs = -1;
    int firstBlock = -1;
    int lastBlock = -1;
    int count = 0;
    // (time of the request, remaining seconds shown) at every 50th block
    QList<QPair<double, int>> estimates;
    void loaderIdentified(const LoaderIdentity&, int blockCount) override { count = blockCount; }
    void blockRequested(int index, int, int remaining) override {
        const double now = clock.elapsedMs();
        if (firstBlock < 0) {
            firstBlock = index;
            firstBlockMs = now;
        }
        lastBlock = index;
        lastBlockMs = now;
        if (index % 50 == 0) {
            estimates.append({now, remaining});
        }
    }
    void replyLogged(const QString&) override {}
};

} // namespace

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
    // The line limit: per block the PC sends 23 bytes and the loader answers with 10, at 960
    // bytes a second, plus the loader's flash write and its reply latency.
    const double bytesPerSecond = 9600.0 / 10.0;
    const double blockMs =
        (23 + 10) * 1000.0 / bytesPerSecond + config.flashWriteMs + config.replyLatencyMs;
    const double limit = 1000.0 / blockMs;

    const int runs = argc > 1 ? QString::fromLocal8Bit(argv[1]).toInt() : 2;
    Samples rates;
    Samples totals;
    Samples estimateErrors;
    for (int run = 0; run < runs; ++run) {
        auto mirror = std::make_unique<ControllerMirror>();
        FirmwareProgrammer p;
        p.LoadImage(GeneratedImages::Image(1320));
        Timing t;
        const ProgramResult r = p.Program(*mirror, rig.serial(), {}, t);
        const double total = t.clock.elapsedMs();
        if (r != ProgramResult::Success) {
            Report::line(QStringLiteral("run %1 failed with outcome %2").arg(run).arg(int(r)));
            continue;
        }
        const double seconds = (t.lastBlockMs - t.firstBlockMs) / 1000.0;
        rates.add((t.lastBlock - t.firstBlock) / seconds);
        totals.add(total / 1000.0);
        for (const auto& e : t.estimates) {
            const double left = (t.lastBlockMs - e.first) / 1000.0;
            estimateErrors.add(e.second - left);
        }
        // Back to the application for the next run.
        QThread::msleep(300);
    }
    Report::heading(QStringLiteral("584 blocks (8832-byte image, loader base 0x0100)"));
    Report::figure(QStringLiteral("line limit (33 bytes + %1 ms flash + %2 ms latency)")
                       .arg(config.flashWriteMs)
                       .arg(config.replyLatencyMs),
                   QStringLiteral("%1 blocks/s").arg(limit, 0, 'f', 1));
    Report::figure(QStringLiteral("measured"), rates.summary("blocks/s"));
    if (rates.count() > 0) {
        Report::figure(QStringLiteral("share of the line limit"),
                       QStringLiteral("%1 %").arg(100.0 * rates.median() / limit, 0, 'f', 1));
        Report::row(BenchRow::atLeast(QStringLiteral("firmware blocks per second (median)"),
                                      rates.median(), QStringLiteral("blocks/s"), 0.9 * limit));
    } else {
        Report::row(BenchRow::atLeast(QStringLiteral("firmware blocks per second (no run ended)"),
                                      0.0, QStringLiteral("blocks/s"), 0.9 * limit));
    }
    Report::figure(QStringLiteral("whole run, switch to loader to closing request"),
                   totals.summary("s"));
    Report::figure(QStringLiteral("remaining time shown minus time really left"),
                   estimateErrors.summary("s"));
    return 0;
}
