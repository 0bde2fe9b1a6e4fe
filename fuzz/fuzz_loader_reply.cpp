// The boot loader reply reader on any line bytes, cut into chunks that arrive at chosen virtual
// times: it ends in accepted, failed or no reply, within the fixed waits for each reply it
// handled; every block it serves is a whole frame with a good checksum for a block below 1024,
// and nothing outside the reply buffer changes.
//
// Input: image size (two bytes), loader base (two bytes), a flag byte for the first wait, then
// chunks: the delay before the chunk (ms, low 7 bits), a length byte and that many line bytes.

#include "ControllerFrame.h"
#include "ControllerMirror.h"
#include "FakeLink.h"
#include "FirmwareProgrammer.h"
#include "FuzzInput.h"

namespace {

// The longest one reply may take: the first wait, the rest of its step and two waits of the
// longest body.
constexpr int MaxReplyMs =
    50 + 16 + 32 + 64 + 112 + 2 * 257 + 16 + 2 * FirmwareProgrammer::ReplyGraceMs;

struct Quiet : ProgrammingProgress {
    void loaderIdentified(const LoaderIdentity&, int) override {}
    void blockRequested(int index, int, int seconds) override {
        FUZZ_CHECK(index >= 0 && index < 1024 && seconds >= 0);
    }
    void replyLogged(const QString& line) override { FUZZ_CHECK(line.startsWith("Rx:")); }
    void transferResumed(int, int, bool) override {}
};

int fixedRandom(int bound) {
    return bound - 1;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzInput in(data, size);
    static FirmwareProgrammer p; // 16 KiB image: loaded once, sized per input
    p.RandomSource = fixedRandom;
    p.ImageSize = (in.byte() << 8 | in.byte()) % (FirmwareProgrammer::ImageCapacity + 1);
    p.LoaderBase = in.byte() << 8 | in.byte();
    p.BaseBlocks = (2 * p.LoaderBase) / 16;
    p.BlockCount = p.ImageSize / 16 + p.BaseBlocks;
    p.BlockIndex = p.BlockCount;
    p.BlocksServed = 0;
    const bool serveFirst = in.flag();

    ControllerMirror m;
    m.TxBuffer[1023] = 0x5A;
    m.MapTable[0] = 0xC3;
    m.SettingsImage[5] = 0x3C;
    FakeLink link;
    link.keepSleeps = false;
    link.skipQuietLooks(true);
    link.reserveScheduled(64);
    int at = 0;
    int chunks = 0;
    while (in.left() > 0 && chunks < 64) {
        at += in.byte() & 0x7F;
        const std::uint8_t* bytes = nullptr;
        const std::size_t n = in.take(in.byte(), &bytes);
        // The input outlives the link: its bytes are scheduled without a copy.
        link.deliverAt(at,
                       QByteArray::fromRawData(reinterpret_cast<const char*>(bytes), qsizetype(n)));
        ++chunks;
    }
    Quiet progress;
    if (serveFirst) {
        link.advance(at); // everything already waiting
    }
    const int start = link.now();
    const int outcome = p.ReadLoaderReply(m, link, progress);
    FUZZ_CHECK(outcome >= 0 && outcome <= 2);
    const int frames = static_cast<int>(link.writes.size());
    FUZZ_CHECK(frames == p.BlocksServed);
    FUZZ_CHECK(link.now() - start <= (frames + 1) * MaxReplyMs);
    for (const QByteArray& f : link.writes) {
        FUZZ_CHECK(f.size() == 23 && quint8(f[0]) == ControllerFrame::Header);
        FUZZ_CHECK(ControllerFrame::bodyValid(
            quint8(f[1]), quint8(f[2]), reinterpret_cast<const std::uint8_t*>(f.data()) + 3, 20));
    }
    FUZZ_CHECK(m.TxBuffer[1023] == 0x5A && m.MapTable[0] == 0xC3 && m.SettingsImage[5] == 0x3C);
    return 0;
}
