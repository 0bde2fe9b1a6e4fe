// The response reader and the poll cycle fed from the in-memory link. The input is cut into
// chunks that arrive at chosen virtual times, so answers split across the reader's waits,
// glued together or cut short are all reached. Waits cost no real time.
//
// Input: mode byte, five bytes of mirror and window state, then chunks: a byte with the delay
// before the chunk (low 7 bits, ms) and a length byte, followed by that many line bytes.

#include "ControlStates.h"
#include "ControllerMirror.h"
#include "FakeLang.h"
#include "FakeLink.h"
#include "FuzzInput.h"
#include "PollCycle.h"
#include "ReadResponse.h"

#include <QList>

namespace {

// The longest one read may wait: three 16 ms waits for the header, two of B ms for the body.
constexpr int MaxWait = 3 * 16 + 2 * 257;

ControlStates statesFrom(std::uint8_t a, std::uint8_t b) {
    ControlStates s;
    s.CheckBoxOn = (a & 0x01) != 0;
    s.CheckBoxBG = (a & 0x02) != 0;
    s.CheckBoxTp = (a & 0x04) != 0;
    s.PanelMapyVisible = (a & 0x08) != 0;
    s.PanelRightVisible = (a & 0x10) != 0;
    s.MapChartExists = (a & 0x20) != 0;
    s.InfoWindowExists = (a & 0x40) != 0;
    s.ParametersPageCurrent = (a & 0x80) != 0;
    s.UpDownGMP = b;
    s.RGMapa = int(b % 4) - 1;
    s.InfoReportTag = (b >> 2) & 1;
    s.Image1Visible = (b & 0x08) != 0;
    return s;
}

struct Chunk {
    int delayMs;
    QByteArray bytes;
};

void checkUntouched(const ControllerMirror& m) {
    FUZZ_CHECK(m.TxBuffer[1023] == 0x5A);
    FUZZ_CHECK(m.MapTable[0] == 0xC3);  // column 0 is never a cell
    FUZZ_CHECK(m.MapTable[17] == 0x3C); // nor is row 0 of column 1
}

void readAnswers(std::uint8_t replay, const QList<Chunk>& chunks, ControllerMirror& m,
                 const ControlStates& states) {
    static const FakeLang lang;
    FakeLink link;
    link.keepSleeps = false;
    link.skipQuietLooks(true);
    int at = 0;
    for (const Chunk& c : chunks) {
        at += c.delayMs;
        link.deliverAt(at, c.bytes);
    }
    if (replay != 0 && !chunks.isEmpty()) {
        // A replayed record: 16 bytes already in RxBuffer, decoded without a checksum test.
        const QByteArray& record = chunks.first().bytes;
        for (int i = 0; i < 16 && i < record.size(); ++i) {
            m.RxBuffer[std::size_t(i)] = std::uint8_t(record[i]);
        }
    }
    // Each read either takes bytes, drops them or lets the clock run to the next chunk.
    for (int reads = 0; reads < 2 * chunks.size() + 4; ++reads) {
        if (link.waiting() == 0 && link.now() > at) {
            break;
        }
        m.LinkCounter = 5;
        const int start = link.now();
        const ResponseResult r = ReadResponse(m, link, lang, states, reads == 0 ? replay : 0);
        FUZZ_CHECK(link.now() - start <= MaxWait);
        checkUntouched(m);
        const bool replayed = reads == 0 && replay != 0;
        if (r.outcome == ResponseResult::Outcome::Accepted) {
            FUZZ_CHECK(replayed || m.LinkCounter == 0);
        } else {
            FUZZ_CHECK(m.LinkCounter == 5);
            FUZZ_CHECK(!r.live && !r.identity && !r.settings && !r.map && !r.serviceCaption);
        }
        if (r.map) {
            FUZZ_CHECK(r.map->cells.size() <= 240);
        }
    }
}

void pollTicks(const QList<Chunk>& chunks, ControllerMirror& m, ControlStates states) {
    static const FakeLang lang;
    FakeLink link;
    link.keepSleeps = false;
    link.skipQuietLooks(true);
    int next = 0;
    // Every request is answered by the next chunk, after that chunk's delay.
    link.responder = [&](const QByteArray&) {
        return next < chunks.size() ? chunks[next++].bytes : QByteArray();
    };
    for (int tick = 0; tick < chunks.size() + 2; ++tick) {
        link.replyDelayMs = next < chunks.size() ? chunks[next].delayMs : 0;
        const int start = link.now();
        const PollTickResult r = PollCycle::Tick(m, link, lang, states);
        FUZZ_CHECK(link.now() - start <= MaxWait);
        FUZZ_CHECK(r.interval == 100 || r.interval == 500);
        FUZZ_CHECK(m.HoldOff <= 20);
        checkUntouched(m);
        for (const QByteArray& frame : link.writes) {
            FUZZ_CHECK(frame.size() <= 247); // no request outgrows the longest map block
        }
        link.writes.clear();
        if (r.lossReset) {
            states.Image1Visible = false;
        }
        if (r.showImage1) {
            states.Image1Visible = true;
        }
        link.advance(50);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzInput in(data, size);
    const std::uint8_t mode = in.byte();
    ControllerMirror m;
    m.LogFrames = (mode & 0x02) != 0;
    m.OpcjeH = in.byte();
    m.OpcjeL = in.byte();
    m.Zworki = in.byte();
    m.TxBuffer[1023] = 0x5A;
    m.MapTable[0] = 0xC3;
    m.MapTable[17] = 0x3C;
    const std::uint8_t s1 = in.byte();
    const ControlStates states = statesFrom(s1, in.byte());
    if ((mode & 0x04) != 0) {
        m.PendingWrites = std::uint32_t(in.byte()) << 8;
        m.MapWriteFirst = int(in.byte()) - 8;
        m.MapWriteLast = int(in.byte()) - 8;
        m.SettingIndex = int(in.byte() % 24) - 2;
        m.SettingValue = int(in.byte()) - 64;
    }

    QList<Chunk> chunks;
    while (in.left() > 0 && chunks.size() < 64) {
        const int delay = in.byte() & 0x7F;
        const std::uint8_t* p = nullptr;
        const std::size_t n = in.take(in.byte(), &p);
        chunks.append(Chunk{delay, QByteArray(reinterpret_cast<const char*>(p), qsizetype(n))});
    }

    if ((mode & 0x01) != 0) {
        pollTicks(chunks, m, states);
    } else {
        const std::uint8_t replay = (mode & 0x18) == 0x18 ? ((mode & 0x20) != 0 ? 0x56 : 0x50) : 0;
        readAnswers(replay, chunks, m, states);
    }
    return 0;
}
