// Feeds random and mutated controller answers through ReadResponse and the poll cycle on the
// in-memory link. Every answer must be read within the fixed waits, leave the buffers it does
// not own untouched and change nothing unless a handler accepted it.
//
// ORVEX_FUZZ_ITERATIONS (default 300000) and ORVEX_FUZZ_SEED (default 1) vary the run.

#include "ControlStates.h"
#include "ControllerMirror.h"
#include "FakeLang.h"
#include "FakeLink.h"
#include "PollCycle.h"
#include "ReadResponse.h"

#include <QtTest>

#include <random>

namespace {

class Generator {
public:
    explicit Generator(std::uint32_t seed) : rng(seed) {}

    int below(int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng); }
    std::uint8_t byte() { return std::uint8_t(below(256)); }
    bool chance(int percent) { return below(100) < percent; }

    // A well-formed answer of one of the codes the program knows (or a neighbour).
    QByteArray validFrame() {
        static const int codes[] = {0x50, 0x51, 0x52, 0x53, 0x54, 0x55, 0x56, 0x57,
                                    0x5A, 0x5B, 0x5C, 0x5D, 0x58, 0x00, 0xFF};
        const int cmd = codes[below(int(sizeof codes / sizeof codes[0]))];
        int len;
        switch (below(6)) {
        case 0:
            len = below(4);
            break;
        case 1:
            len = 17 + below(4);
            break;
        case 2:
            len = 9;
            break;
        case 3:
            len = 98 + below(3);
            break;
        case 4:
            len = 240 + below(16);
            break;
        default:
            len = below(256);
            break;
        }
        QByteArray data(len + (cmd & 1), '\0');
        for (auto& c : data) {
            c = char(byte());
        }
        if ((cmd & 0xFE) == 0x5A && data.size() >= 3 && chance(80)) {
            data[1] = char(0x10);
            data[2] = char(0x03);
        }
        if ((cmd & 0xFE) == 0x5C && data.size() >= 2 && chance(80)) {
            data[1] = char(0x01);
        }
        if ((cmd & 0xFE) == 0x56 && data.size() >= 1 && chance(70)) {
            data[0] = char(14 + below(7));
        }
        return responseFrame(len, cmd, data);
    }

    QByteArray mutate(QByteArray frame) {
        const int edits = 1 + below(4);
        for (int i = 0; i < edits && !frame.isEmpty(); ++i) {
            const int at = below(int(frame.size()));
            switch (below(6)) {
            case 0:
                frame[at] = char(byte());
                break;
            case 1:
                frame[at] = char(frame[at] ^ (1 << below(8)));
                break;
            case 2:
                frame.truncate(at);
                break;
            case 3:
                frame.insert(at, char(byte()));
                break;
            case 4:
                frame.remove(at, 1 + below(8));
                break;
            default:
                frame.append(randomBytes(1 + below(8)));
                break;
            }
        }
        return frame;
    }

    QByteArray randomBytes(int n) {
        QByteArray out(n, '\0');
        for (auto& c : out) {
            c = char(byte());
        }
        return out;
    }

    QByteArray answer() {
        switch (below(10)) {
        case 0:
            return randomBytes(below(300));
        case 1:
            return QByteArray(1, char(0x55)) + randomBytes(below(300));
        case 2:
        case 3:
        case 4:
            return validFrame();
        default:
            return mutate(validFrame());
        }
    }

    ControlStates states() {
        ControlStates s;
        s.CheckBoxOn = chance(50);
        s.CheckBoxBG = chance(50);
        s.CheckBoxTp = chance(50);
        s.UpDownGMP = below(256);
        s.RGMapa = below(4) - 1;
        s.PanelMapyVisible = chance(50);
        s.PanelRightVisible = chance(50);
        s.MapChartExists = chance(50);
        s.InfoWindowExists = chance(80);
        s.InfoReportTag = below(2);
        s.Image1Visible = chance(50);
        s.ParametersPageCurrent = chance(50);
        return s;
    }

private:
    std::mt19937 rng;
};

int envInt(const char* name, int fallback) {
    bool ok = false;
    const int value = qEnvironmentVariableIntValue(name, &ok);
    return ok ? value : fallback;
}

// The longest a read may wait: three 16 ms waits for the header, two of B ms for the body.
constexpr int MaxWait = 3 * 16 + 2 * 257;

} // namespace

class FuzzReadResponse : public QObject {
    Q_OBJECT
private slots:
    void randomAndMutatedAnswersAreReadSafelyWithinTheFixedWaits();
    void randomAnswersNeverStallThePollCycle();
};

void FuzzReadResponse::randomAndMutatedAnswersAreReadSafelyWithinTheFixedWaits() {
    const int iterations = envInt("ORVEX_FUZZ_ITERATIONS", 300000);
    Generator gen(std::uint32_t(envInt("ORVEX_FUZZ_SEED", 1)));
    FakeLang lang;
    FakeLink link;
    link.keepSleeps = false;
    ControllerMirror m;
    int accepted = 0;
    for (int i = 0; i < iterations; ++i) {
        m.LogFrames = gen.chance(30);
        m.OpcjeH = gen.byte();
        m.OpcjeL = gen.byte();
        m.Zworki = gen.byte();
        m.LinkCounter = 5;
        m.TxBuffer[0] = 0xA5;
        m.TxBuffer[1023] = 0x5A;
        m.MapTable[0] = 0xC3;  // column 0 and row 0 are never cells
        m.MapTable[17] = 0x3C; // row 0 of column 1
        m.SettingsImage[31] = gen.chance(50) ? 0xFF : 0x00;

        const QByteArray bytes = gen.answer();
        const int start = link.now();
        if (gen.chance(70)) {
            link.deliver(bytes);
        } else {
            // Split delivery across the waits.
            const int cut = bytes.isEmpty() ? 0 : gen.below(int(bytes.size()));
            link.deliver(bytes.left(cut));
            link.deliverAt(start + gen.below(120), bytes.mid(cut));
        }
        const ControlStates states = gen.states();
        const std::uint8_t replay = gen.chance(3) ? (gen.chance(50) ? 0x50 : 0x56) : 0;
        const ResponseResult r = ReadResponse(m, link, lang, states, replay);

        QVERIFY2(link.now() - start <= MaxWait, qPrintable(bytes.toHex(' ')));
        QCOMPARE(m.TxBuffer[0], std::uint8_t(0xA5));
        QCOMPARE(m.TxBuffer[1023], std::uint8_t(0x5A));
        QCOMPARE(m.MapTable[0], std::uint8_t(0xC3));
        QCOMPARE(m.MapTable[17], std::uint8_t(0x3C));
        if (r.outcome == ResponseResult::Outcome::Accepted) {
            ++accepted;
            QCOMPARE(m.LinkCounter, 0);
        } else {
            QVERIFY2(m.LinkCounter == 5, qPrintable(bytes.toHex(' ')));
            QVERIFY(!r.live && !r.identity && !r.settings && !r.map && !r.serviceCaption);
        }
        if (r.map) {
            QVERIFY(r.map->cells.size() <= 240);
        }

        // Whatever is left is the next request's to drain; let the scheduled rest arrive first.
        link.advance(200);
        std::uint8_t sink[512];
        while (link.SerialInQueCount() > 0) {
            link.SerialRead(sink, int(sizeof sink));
        }
    }
    qInfo("%d answers, %d accepted", iterations, accepted);
    QVERIFY(accepted > iterations / 20); // the generator does reach the handlers
}

void FuzzReadResponse::randomAnswersNeverStallThePollCycle() {
    const int iterations = envInt("ORVEX_FUZZ_ITERATIONS", 300000) / 10;
    Generator gen(std::uint32_t(envInt("ORVEX_FUZZ_SEED", 1)) + 7);
    FakeLang lang;
    FakeLink link;
    link.keepSleeps = false;
    link.replyDelayMs = 0;
    link.responder = [&gen](const QByteArray&) { return gen.answer(); };
    ControllerMirror m;
    ControlStates states;
    for (int i = 0; i < iterations; ++i) {
        if (gen.chance(5)) {
            m.PendingWrites |= std::uint32_t(0x4000 | 0x0200 | 0x2000 | 0x0800) & gen.byte() << 8;
            m.MapWriteFirst = gen.below(300) - 30;
            m.MapWriteLast = gen.below(300) - 30;
        }
        if (gen.chance(5)) {
            m.SettingIndex = gen.below(20);
            m.SettingValue = gen.below(100000) - 50000;
        }
        const int start = link.now();
        const PollTickResult r = PollCycle::Tick(m, link, lang, states);
        QVERIFY(link.now() - start <= MaxWait);
        QVERIFY(r.interval == 100 || r.interval == 500);
        QVERIFY(m.HoldOff <= 20);
        if (r.lossReset) {
            states.Image1Visible = false;
        }
        if (r.showImage1) {
            states.Image1Visible = true;
        }
        for (const QByteArray& frame : link.writes) {
            QVERIFY(frame.size() <= 247);
        }
        link.writes.clear();
    }
}

QTEST_GUILESS_MAIN(FuzzReadResponse)
#include "fuzz_read_response.moc"
