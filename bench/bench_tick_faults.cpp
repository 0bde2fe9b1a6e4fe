// How long one poll tick holds the window when the controller misbehaves: the simulator's fault
// modes on the real port facade at 9600 bit/s, and a hand-placed worst case on the in-memory
// link. The reader's waits are bounded by three 16 ms waits for the header and two waits of
// B ms for a body of B bytes; every case prints its bound beside what it took.
#include "BenchClock.h"
#include "BenchFrames.h"
#include "ControlStates.h"
#include "ControllerFrame.h"
#include "ControllerMirror.h"
#include "EventGapProbe.h"
#include "LanguageTable.h"
#include "MemoryLink.h"
#include "PendingWrites.h"
#include "PollCycle.h"
#include "Pump.h"
#include "ReadResponse.h"
#include "Report.h"
#include "Requests.h"
#include "Samples.h"
#include "SimController.h"
#include "SimLinkRig.h"
#include "TMySerial.h"
#include "WaitRecorder.h"

#include <QCoreApplication>
#include <QMap>
#include <QStringList>

#include <optional>

namespace {

using Outcome = ResponseResult::Outcome;

QString outcomeName(Outcome o) {
    switch (o) {
    case Outcome::NoAnswer:
        return QStringLiteral("no answer");
    case Outcome::BadHeader:
        return QStringLiteral("bad header");
    case Outcome::ShortBody:
        return QStringLiteral("short body");
    case Outcome::BadChecksum:
        return QStringLiteral("bad checksum");
    case Outcome::Ignored:
        return QStringLiteral("ignored");
    case Outcome::Accepted:
        return QStringLiteral("accepted");
    }
    return QString();
}

struct CaseStats {
    Samples tickMs;
    Samples gapMs; // longest stretch without event processing within the tick
    int worstWaitsMs = 0;
    int worstBoundMs = 0;
    double worstOverBoundMs = -1e9; // tick duration minus its own bound, worst case
    QMap<QString, int> outcomes;
};

// The reader's bound for what it saw: 3 x 16 ms for the header, 2 x B ms once a header of a
// B-byte body was read.
int boundFor(const ResponseResult& r) {
    const bool headerRead = r.outcome != Outcome::NoAnswer && r.outcome != Outcome::BadHeader;
    return 3 * 16 + (headerRead ? 2 * r.bodyLength : 0);
}

void record(CaseStats& s, double tickMs, double gapMs, const std::optional<ResponseResult>& r) {
    s.tickMs.add(tickMs);
    s.gapMs.add(gapMs);
    const int waits = WaitRecorder::totalMs();
    const int bound = r ? boundFor(*r) : 0;
    s.worstWaitsMs = std::max(s.worstWaitsMs, waits);
    s.worstBoundMs = std::max(s.worstBoundMs, bound);
    s.worstOverBoundMs = std::max(s.worstOverBoundMs, tickMs - bound);
    ++s.outcomes[r ? outcomeName(r->outcome) : QStringLiteral("nothing read")];
}

// Cases whose reader waited longer than its own bound.
int boundsExceeded = 0;

void printCase(const QString& name, const CaseStats& s) {
    boundsExceeded += s.worstWaitsMs > s.worstBoundMs;
    // How long the window is held, against the bound the reader keeps for what it saw.
    Report::row(BenchRow::reference(QStringLiteral("poll tick, %1 (max)").arg(name), s.tickMs.max(),
                                    QStringLiteral("ms"), s.worstBoundMs));
    QStringList seen;
    for (auto it = s.outcomes.cbegin(); it != s.outcomes.cend(); ++it) {
        seen << QStringLiteral("%1 x%2").arg(it.key()).arg(it.value());
    }
    Report::line(name + QStringLiteral("  [") + seen.join(QStringLiteral(", ")) + QLatin1Char(']'));
    Report::figure(QStringLiteral("  tick holds the caller"), s.tickMs.summary(" ms"));
    Report::figure(QStringLiteral("  longest stretch without events"), s.gapMs.summary(" ms"));
    Report::figure(QStringLiteral("  waits / bound (worst tick)"),
                   QStringLiteral("%1 ms / %2 ms; tick minus bound at most %3 ms -> %4")
                       .arg(s.worstWaitsMs)
                       .arg(s.worstBoundMs)
                       .arg(s.worstOverBoundMs, 0, 'f', 1)
                       .arg(s.worstWaitsMs <= s.worstBoundMs ? QStringLiteral("bound holds")
                                                             : QStringLiteral("BOUND EXCEEDED")));
}

struct FaultCase {
    QString name;
    std::optional<SimFault> fault;
    bool mapRead = false;
};

void simCases(SimLinkRig& rig, const LangSource& lang, int ticksPerCase) {
    Report::heading(QStringLiteral("Poll ticks against the simulator's faults (9600 bit/s, %1 "
                                   "ticks each, 100 ms apart)")
                        .arg(ticksPerCase));
    ControllerMirror m;
    ControlStates states;
    // Identity known and settings in step: every tick is the live request (or the map read).
    SendRequest(m, rig.serial(), CMD_IDENTITY);
    ReadResponse(m, rig.serial(), lang, states);

    const std::vector<FaultCase> cases = {
        {QStringLiteral("healthy live answer"), std::nullopt},
        {QStringLiteral("silent controller"), SimFault{SimFault::Silence, 0}},
        {QStringLiteral("answer 20 ms late"), SimFault{SimFault::Late, 20}},
        {QStringLiteral("answer 35 ms late"), SimFault{SimFault::Late, 35}},
        {QStringLiteral("answer 45 ms late"), SimFault{SimFault::Late, 45}},
        {QStringLiteral("answer 100 ms late"), SimFault{SimFault::Late, 100}},
        {QStringLiteral("live body truncated by half"), SimFault{SimFault::Truncated, 0}},
        {QStringLiteral("live body short by one byte"), SimFault{SimFault::Truncated, 1}},
        {QStringLiteral("bad checksum"), SimFault{SimFault::BadChecksum, 0}},
        {QStringLiteral("3 stray bytes before the answer"), SimFault{SimFault::Garbage, 3}},
        {QStringLiteral("wrong start byte"), SimFault{SimFault::WrongStart, 0}},
        {QStringLiteral("healthy map read"), std::nullopt, true},
        {QStringLiteral("map read body truncated by half"), SimFault{SimFault::Truncated, 0}, true},
    };
    EventGapProbe probe;
    for (const FaultCase& c : cases) {
        rig.sim().clearFaults();
        if (c.fault) {
            rig.sim().setFault(*c.fault);
        }
        CaseStats s;
        for (int i = 0; i < ticksPerCase; ++i) {
            m.IdentityState = -1;
            m.SettingIndex = -1;
            m.HoldOff = 0;
            m.LinkCounter = 0;
            // A live frame's layout refresh may queue a map read: only the case's own request.
            m.PendingWrites = c.mapRead ? std::uint32_t{PW_MAP_READ} : 0U;
            WaitRecorder::reset();
            probe.start();
            const BenchClock clock;
            const PollTickResult r = PollCycle::Tick(m, rig.serial(), lang, states);
            const double tickMs = clock.elapsedMs();
            const double gap = probe.stop();
            record(s, tickMs, gap, r.response);
            pumpFor(c.mapRead ? 300 : 100);
        }
        printCase(c.name, s);
    }
    rig.sim().clearFaults();
}

// The largest bound the reader allows: the header of a 257-byte body (LEN 255, odd code) turns
// up just before the third header check, and the body never comes.
void worstCase(const LangSource& lang, int runs) {
    Report::heading(QStringLiteral("Worst case on the in-memory link: header of a 257-byte body "
                                   "at 40 ms, body never comes"));
    ControllerMirror m;
    ControlStates states;
    MemoryLink link;
    EventGapProbe probe;
    CaseStats s;
    for (int i = 0; i < runs; ++i) {
        link.clear();
        m.IdentityState = -1;
        m.SettingIndex = -1;
        m.HoldOff = 0;
        m.LinkCounter = 0;
        m.PendingWrites = 0;
        link.arm();
        link.deliverAfter(40.0, QByteArray::fromHex("55FF5100"));
        WaitRecorder::reset();
        probe.start();
        const BenchClock clock;
        const PollTickResult r = PollCycle::Tick(m, link, lang, states);
        const double tickMs = clock.elapsedMs();
        record(s, tickMs, probe.stop(), r.response);
        pumpFor(20);
    }
    printCase(QStringLiteral("LEN 255, code 51, nothing after"), s);
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    Report::title(QStringLiteral("bench_tick_faults"),
                  QStringLiteral("how long one poll tick holds the window under line faults"));
    LanguageTable lang;
    WaitRecorder::install();

    SimLinkRig rig;
    if (!rig.open()) {
        Report::line(QStringLiteral("cannot run: ") + rig.error());
        return 1;
    }
    simCases(rig, lang, 8);
    worstCase(lang, 3);
    WaitRecorder::uninstall();
    Report::row(BenchRow::atMost(QStringLiteral("fault cases whose reader waits exceed its bound"),
                                 boundsExceeded, QStringLiteral("cases"), 0.0));
    return 0;
}
