// CPU cost of the protocol code on an in-memory link: reading and decoding answers, building
// requests and the checksum. The reader's waits are replaced by nothing, so only the work is
// timed; a QCoreApplication exists, as in the program, so event processing is included.
#include "BenchClock.h"
#include "BenchFrames.h"
#include "ControlStates.h"
#include "ControllerFrame.h"
#include "ControllerMirror.h"
#include "EventPump.h"
#include "LanguageTable.h"
#include "LiveDecoder.h"
#include "MemoryLink.h"
#include "ReadResponse.h"
#include "Report.h"
#include "Requests.h"
#include "Samples.h"

#include <QCoreApplication>

#include <algorithm>
#include <functional>

namespace {

using Outcome = ResponseResult::Outcome;

// Keeps results alive so that the compiler cannot drop the work.
volatile long long sink = 0;
// Answers that were not accepted while being timed (the figures would then be of the wrong path).
long long notAccepted = 0;

void expectAccepted(const ResponseResult& r) {
    notAccepted += r.outcome != Outcome::Accepted;
}

// Runs `op` in rounds of about `roundMs` each and prints nanoseconds per call and calls per
// second (from the median round); returns the median in nanoseconds.
double measure(const QString& name, const std::function<void()>& op, int rounds = 7,
               double roundMs = 80.0) {
    // Calibrate: how many calls fill one round.
    long long n = 16;
    for (;;) {
        const BenchClock c;
        for (long long i = 0; i < n; ++i) {
            op();
        }
        const double ms = c.elapsedMs();
        if (ms >= roundMs / 4 || n > (1LL << 26)) {
            n = std::max<long long>(1, static_cast<long long>(n * roundMs / std::max(ms, 0.001)));
            break;
        }
        n *= 4;
    }
    Samples nsPerCall;
    for (int r = 0; r < rounds; ++r) {
        const BenchClock c;
        for (long long i = 0; i < n; ++i) {
            op();
        }
        nsPerCall.add(c.elapsedNs() / static_cast<double>(n));
    }
    const double median = nsPerCall.median();
    Report::figure(name, QStringLiteral("%1 ns/call (best %2, worst round %3)  = %4 calls/s")
                             .arg(median, 0, 'f', 0)
                             .arg(nsPerCall.min(), 0, 'f', 0)
                             .arg(nsPerCall.max(), 0, 'f', 0)
                             .arg(1e9 / median, 0, 'f', 0));
    return median;
}

// Decoding a frame should cost less than receiving one more byte of it at 9600 bit/s.
constexpr double kByteOnWireUs = 10.0 * 1e6 / 9600.0;

void tableRow(const QString& figure, double ns) {
    Report::row(BenchRow::atMost(figure, ns / 1000.0, QStringLiteral("µs"), kByteOnWireUs));
}

void noWait(int /*ms*/) {}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    Report::title(QStringLiteral("bench_decode"),
                  QStringLiteral("CPU cost of reading, decoding and building frames (in memory)"));
    EventPump::setSleepHook(&noWait);

    LanguageTable lang;
    ControlStates states;
    states.CheckBoxOn = true;
    states.UpDownGMP = 60;
    states.RGMapa = 2;
    states.PanelMapyVisible = true;
    states.InfoReportTag = 1; // the settings report section is already written

    ControllerMirror m;
    m.OpcjeL = 0x0F;
    m.OpcjeH = 0x8D;
    m.IdentityState = -1;
    m.SettingIndex = -1;
    MemoryLink link;

    const std::vector<QByteArray> live = BenchFrames::liveFrames(64);
    const QByteArray settings = BenchFrames::settingsFrame();
    const QByteArray map = BenchFrames::mapFrame();

    // Check once that every frame is accepted, so the figures are of real decoding.
    int rejected = 0;
    for (const QByteArray& f : live) {
        link.load(f);
        rejected += ReadResponse(m, link, lang, states).outcome != Outcome::Accepted;
    }
    for (const QByteArray& f : {settings, map}) {
        link.load(f);
        rejected += ReadResponse(m, link, lang, states).outcome != Outcome::Accepted;
    }
    if (rejected != 0) {
        Report::line(
            QStringLiteral("cannot run: %1 hand-built answers were not accepted").arg(rejected));
        return 1;
    }
    m.PendingWrites = 0;
    m.SettingIndex = -1;

    Report::heading(QStringLiteral("Answers through ReadResponse (frame waiting, no waits)"));
    std::size_t next = 0;
    const double liveNs = measure(QStringLiteral("live answer, 24 bytes"), [&] {
        link.load(live[next++ % live.size()]);
        const ResponseResult r = ReadResponse(m, link, lang, states);
        expectAccepted(r);
        sink = sink + (r.live ? r.live->LabelRpm.size() : 0);
    });
    measure(QStringLiteral("live request + answer"), [&] {
        SendRequest(m, link, CMD_LIVE);
        link.load(live[next++ % live.size()]);
        const ResponseResult r = ReadResponse(m, link, lang, states);
        expectAccepted(r);
        sink = sink + (r.live ? r.live->LabelRpm.size() : 0);
    });
    measure(QStringLiteral("settings answer, 24 bytes"), [&] {
        link.load(settings);
        const ResponseResult r = ReadResponse(m, link, lang, states);
        expectAccepted(r);
        sink = sink + static_cast<int>(r.outcome);
    });
    const double mapNs = measure(QStringLiteral("map answer, 247 bytes"), [&] {
        link.load(map);
        const ResponseResult r = ReadResponse(m, link, lang, states);
        expectAccepted(r);
        sink = sink + static_cast<long long>(r.map ? r.map->cells.size() : 0);
    });

    Report::heading(QStringLiteral("Live decoding alone (body already in RxBuffer)"));
    measure(QStringLiteral("LiveDecoder::Decode, 21-byte body"), [&] {
        const QByteArray& f = live[next++ % live.size()];
        std::copy(f.begin() + 3, f.end(), m.RxBuffer.begin());
        const LiveView v = LiveDecoder::Decode(m, 21, lang, states);
        sink = sink + v.LabelRpm.size();
    });

    Report::heading(QStringLiteral("Frame builders and the checksum"));
    measure(QStringLiteral("SendRequest(live), 4 bytes"),
            [&] { sink = sink + SendRequest(m, link, CMD_LIVE).length; });
    measure(QStringLiteral("SendRequest(setting write), 7 bytes"),
            [&] { sink = sink + SendRequest(m, link, CMD_SETTINGS, 3, 0x01, 0x04, 0x64).length; });
    const double mapBlockNs = measure(QStringLiteral("SendMapBlock, whole map, 247 bytes"), [&] {
        m.MapWriteFirst = -1;
        sink = sink + SendMapBlock(m, link).length;
    });
    m.LogFrames = true;
    measure(QStringLiteral("SendRequest(live) with frame log"),
            [&] { sink = sink + SendRequest(m, link, CMD_LIVE).logLine.size(); });
    m.LogFrames = false;
    const std::uint8_t* mapBytes = reinterpret_cast<const std::uint8_t*>(map.constData());
    measure(QStringLiteral("checksum over 246 bytes"),
            [&] { sink = sink + ControllerFrame::checksum(mapBytes, 246); });
    measure(QStringLiteral("body check of a 245-byte body"),
            [&] { sink = sink + ControllerFrame::bodyValid(0xF2, 0x5B, mapBytes + 3, 244); });
    EventPump::setSleepHook(nullptr);
    tableRow(QStringLiteral("live answer read and decoded (CPU)"), liveNs);
    tableRow(QStringLiteral("whole-map answer read and decoded (CPU)"), mapNs);
    tableRow(QStringLiteral("whole-map write frame built (CPU)"), mapBlockNs);
    Report::heading(
        notAccepted == 0
            ? QStringLiteral("Every answer timed above was accepted.")
            : QStringLiteral("WARNING: %1 answers timed above were not accepted").arg(notAccepted));
    return notAccepted == 0 ? 0 : 1;
}
