// Live poll round trip over the program's port facade on the simulator's pseudo-terminal at
// 9600 bit/s, the other requests of the poll cycle, and ten seconds of the real poll cycle at the
// intervals it asks for.
#include "BenchClock.h"
#include "ControlStates.h"
#include "ControllerFrame.h"
#include "ControllerMirror.h"
#include "LanguageTable.h"
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

#include <algorithm>

namespace {

using Outcome = ResponseResult::Outcome;

// The reader's waits: how many, and how long they add up to.
QString waitPattern() {
    return QStringLiteral("%1 ms in %2 waits")
        .arg(WaitRecorder::totalMs())
        .arg(WaitRecorder::waits().size());
}

struct Exchange {
    Samples sendMs;
    Samples readMs;
    Samples totalMs;
    int accepted = 0;
    // The reader's own bound, 3 x 16 ms + 2 x B ms, for the body the answer should have (the
    // largest seen, should an answer be longer).
    int boundMs = 0;
    QMap<QString, int> patterns; // waits of the reader -> how often
};

// One request and the read of its answer, timed as the caller sees them.
void exchange(Exchange& e, int expectedBody, ControllerMirror& m, SerialLink& link,
              const LangSource& lang, const ControlStates& states, std::uint8_t cmd,
              int dataLength = 0, std::uint8_t d0 = 0, std::uint8_t d1 = 0, std::uint8_t d2 = 0) {
    WaitRecorder::reset();
    const BenchClock clock;
    SendRequest(m, link, cmd, dataLength, d0, d1, d2);
    const double sent = clock.elapsedMs();
    const ResponseResult r = ReadResponse(m, link, lang, states);
    const double total = clock.elapsedMs();
    e.sendMs.add(sent);
    e.readMs.add(total - sent);
    e.totalMs.add(total);
    e.boundMs = std::max(e.boundMs, 3 * 16 + 2 * expectedBody);
    if (r.outcome == Outcome::Accepted) {
        ++e.accepted;
        e.boundMs = std::max(e.boundMs, 3 * 16 + 2 * r.bodyLength);
    }
    ++e.patterns[waitPattern()];
}

void printExchange(const QString& name, const Exchange& e) {
    Report::line(name);
    Report::figure(QStringLiteral("  SendRequest (drain + write)"), e.sendMs.summary(" ms", 2));
    Report::figure(QStringLiteral("  ReadResponse"), e.readMs.summary(" ms"));
    Report::figure(QStringLiteral("  caller blocked in total"), e.totalMs.summary(" ms"));
    Report::figure(QStringLiteral("  answers accepted"),
                   QStringLiteral("%1 of %2").arg(e.accepted).arg(e.totalMs.count()));
    for (auto it = e.patterns.cbegin(); it != e.patterns.cend(); ++it) {
        Report::figure(QStringLiteral("  reader waits ") + it.key(),
                       QStringLiteral("%1 times").arg(it.value()));
    }
}

// Time on the wire at 9600 bit/s (ten bits a byte).
double wireMs(int bytes) {
    return bytes * 10.0 * 1000.0 / 9600.0;
}

// Returns the median time the caller is blocked by one live exchange.
double roundTrips(SimLinkRig& rig, const LangSource& lang) {
    ControllerMirror m;
    ControlStates states;
    TMySerial& link = rig.serial();

    Report::heading(QStringLiteral("Single exchanges, back to back (no poll interval between)"));
    Exchange identity;
    for (int i = 0; i < 5; ++i) {
        exchange(identity, 100, m, link, lang, states, CMD_IDENTITY);
    }
    printExchange(QStringLiteral("identity (52)"), identity);

    Exchange settings;
    for (int i = 0; i < 5; ++i) {
        exchange(settings, 21, m, link, lang, states, CMD_SETTINGS);
    }
    printExchange(QStringLiteral("settings read (56)"), settings);

    Exchange live;
    for (int i = 0; i < 3; ++i) { // warm-up: the first live frame rebuilds the layout
        Exchange warm;
        exchange(warm, 21, m, link, lang, states, CMD_LIVE);
    }
    for (int i = 0; i < 100; ++i) {
        exchange(live, 21, m, link, lang, states, CMD_LIVE);
    }
    printExchange(QStringLiteral("live (50), 21-byte body"), live);

    Exchange map;
    for (int i = 0; i < 5; ++i) {
        exchange(map, 244, m, link, lang, states, CMD_MAP_READ, 3, 0xF0, 0x10, 0x03);
        pumpFor(300); // let a late tail of the map arrive before the next request drains it
    }
    printExchange(QStringLiteral("map read (5A F0 10 03), 245-byte body"), map);

    // The live request is 4 bytes and its answer 24: what the line itself needs.
    Report::row(BenchRow::reference(QStringLiteral("live exchange, caller blocked (median)"),
                                    live.totalMs.median(), QStringLiteral("ms"), wireMs(4 + 24)));
    Report::row(BenchRow::atMost(QStringLiteral("live exchange, caller blocked (max)"),
                                 live.totalMs.max(), QStringLiteral("ms"), live.boundMs));
    Report::row(BenchRow::atMost(QStringLiteral("whole-map read, caller blocked (max)"),
                                 map.totalMs.max(), QStringLiteral("ms"), map.boundMs));
    // Complete when the reader returns: the window shows the map then.
    Report::row(BenchRow::atMost(QStringLiteral("whole-map read, complete after its request (max)"),
                                 map.totalMs.max(), QStringLiteral("ms"), 300.0));
    Report::row(BenchRow::atLeast(QStringLiteral("live answers accepted"),
                                  100.0 * live.accepted / std::max(1, live.totalMs.count()),
                                  QStringLiteral("%"), 100.0));
    return live.totalMs.median();
}

struct PollStats {
    int ticks = 0;
    int sent = 0;
    int accepted = 0;
    int liveAccepted = 0;
    QMap<int, int> byCommand;
    Samples tickMs;
    Samples periodMs;
    Samples liveGapMs; // between two accepted live frames
};

void pollCycle(SimLinkRig& rig, const LangSource& lang, int seconds, double liveExchangeMs) {
    Report::heading(
        QStringLiteral("Poll cycle at its own intervals for %1 s (fresh connection)").arg(seconds));
    ControllerMirror m;
    ControlStates states;
    PollStats s;
    QTimer timer;
    timer.setSingleShot(true);
    const BenchClock clock;
    double lastStart = -1.0;
    double lastLive = -1.0;
    QObject::connect(&timer, &QTimer::timeout, [&] {
        const double start = clock.elapsedMs();
        if (lastStart >= 0.0) {
            s.periodMs.add(start - lastStart);
        }
        lastStart = start;
        const PollTickResult r = PollCycle::Tick(m, rig.serial(), lang, states);
        s.tickMs.add(clock.elapsedMs() - start);
        ++s.ticks;
        ++s.byCommand[r.requestSent ? r.command : 0];
        if (r.requestSent) {
            ++s.sent;
        }
        // Keep the few window states the cycle reads as the window would.
        if (r.lossReset) {
            states.Image1Visible = false;
        }
        if (r.showImage1) {
            states.Image1Visible = true;
        }
        if (r.response && r.response->outcome == Outcome::Accepted) {
            ++s.accepted;
            if (r.response->live) {
                ++s.liveAccepted;
                const double now = clock.elapsedMs();
                if (lastLive >= 0.0) {
                    s.liveGapMs.add(now - lastLive);
                }
                lastLive = now;
                if (r.response->live->refresh) {
                    states.PanelMapyVisible = r.response->live->refresh->mapPanelVisible;
                }
            }
            if (r.response->settings) {
                states.RGMapa = r.response->settings->RGMapa;
                states.UpDownGMP = r.response->settings->UpDownGMP;
                states.CheckBoxOn = r.response->settings->CheckBoxOn;
            }
        }
        timer.start(r.interval);
    });
    timer.start(0);
    pumpFor(seconds * 1000);
    timer.stop();
    const double elapsed = clock.elapsedMs() / 1000.0;

    const int answered = s.accepted;
    Report::figure(QStringLiteral("ticks"), QStringLiteral("%1 in %2 s = %3 ticks/s")
                                                .arg(s.ticks)
                                                .arg(elapsed, 0, 'f', 1)
                                                .arg(s.ticks / elapsed, 0, 'f', 2));
    Report::figure(QStringLiteral("requests answered"),
                   QStringLiteral("%1 of %2 (%3 %)")
                       .arg(answered)
                       .arg(s.sent)
                       .arg(s.sent > 0 ? 100.0 * answered / s.sent : 0.0, 0, 'f', 1));
    Report::figure(QStringLiteral("live frames shown"),
                   QStringLiteral("%1 = %2 per s")
                       .arg(s.liveAccepted)
                       .arg(s.liveAccepted / elapsed, 0, 'f', 2));
    QStringList mix;
    for (auto it = s.byCommand.cbegin(); it != s.byCommand.cend(); ++it) {
        mix << (it.key() == 0 ? QStringLiteral("held off")
                              : QStringLiteral("%1").arg(it.key(), 2, 16)) +
                   QStringLiteral(" x%1").arg(it.value());
    }
    Report::figure(QStringLiteral("requests by code"), mix.join(QStringLiteral(", ")));
    Report::figure(QStringLiteral("tick duration (Tick call)"), s.tickMs.summary(" ms"));
    Report::figure(QStringLiteral("tick period (start to start)"), s.periodMs.summary(" ms"));
    Report::figure(QStringLiteral("between live frames"), s.liveGapMs.summary(" ms"));
    // The poll timer is restarted after each tick, so the best live rate is one frame per
    // 100 ms interval plus one live exchange as measured above.
    Report::row(BenchRow::reference(QStringLiteral("poll cycle: live frames shown per second"),
                                    s.liveAccepted / elapsed, QStringLiteral("/s"),
                                    1000.0 / (100.0 + liveExchangeMs)));
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    int seconds = 10;
    const QStringList args = QCoreApplication::arguments();
    const int at = static_cast<int>(args.indexOf(QStringLiteral("--seconds")));
    if (at > 0 && at + 1 < args.size()) {
        seconds = std::max(1, args[at + 1].toInt());
    }
    Report::title(QStringLiteral("bench_round_trip"),
                  QStringLiteral("requests over the port facade, simulator at 9600 bit/s"));

    SimLinkRig rig;
    double openMs = 0.0;
    if (!rig.open(&openMs)) {
        Report::line(QStringLiteral("cannot run: ") + rig.error());
        return 1;
    }
    Report::figure(QStringLiteral("SerialOpen of the pty"),
                   QStringLiteral("%1 ms (fixed 500 ms pause included)").arg(openMs, 0, 'f', 1));

    LanguageTable lang;
    WaitRecorder::install();
    Report::row(BenchRow::atMost(QStringLiteral("SerialOpen of the pty (500 ms pause included)"),
                                 openMs, QStringLiteral("ms"), 550.0));
    const double liveMs = roundTrips(rig, lang);
    pollCycle(rig, lang, seconds, liveMs);
    WaitRecorder::uninstall();
    Report::figure(
        QStringLiteral("simulator served / answered"),
        QStringLiteral("%1 / %2").arg(rig.sim().requestCount()).arg(rig.sim().answerCount()));
    return 0;
}
