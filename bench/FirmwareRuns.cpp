#include "FirmwareRuns.h"

#include "BenchClock.h"
#include "ControllerMirror.h"
#include "FirmwareProgrammer.h"
#include "GeneratedImages.h"

#include <QList>
#include <QPair>
#include <QThread>

#include <memory>

namespace {

struct Timing : ProgrammingProgress {
    BenchClock clock;
    double firstBlockMs = -1;
    double lastBlockMs = -1;
    int firstBlock = -1;
    int lastBlock = -1;
    // (time of the request, remaining seconds shown) at every 50th block
    QList<QPair<double, int>> estimates;
    void loaderIdentified(const LoaderIdentity&, int) override {}
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
    void transferResumed(int attempt, int, bool) override { resumedAt = attempt; }
    int resumedAt = 0; // the last attempt begun after an interrupted transfer
};

} // namespace

void FirmwareRuns::run(SerialLink& link, int runs) {
    for (int i = 0; i < runs; ++i) {
        auto mirror = std::make_unique<ControllerMirror>();
        FirmwareProgrammer p;
        p.LoadImage(GeneratedImages::Image(1320));
        Timing t;
        const ProgramResult r = p.Program(*mirror, link, {}, t);
        const double total = t.clock.elapsedMs();
        if (r != ProgramResult::Success) {
            failures << QStringLiteral("run %1 failed with outcome %2").arg(i).arg(int(r));
            continue;
        }
        const double seconds = (t.lastBlockMs - t.firstBlockMs) / 1000.0;
        if (seconds > 0.0) {
            blocksPerSecond.add((t.lastBlock - t.firstBlock) / seconds);
        }
        totalSeconds.add(total / 1000.0);
        for (const auto& e : t.estimates) {
            estimateErrors.add(e.second - (t.lastBlockMs - e.first) / 1000.0);
        }
        // Back to the application before the next run.
        QThread::msleep(300);
    }
}
