// The whole programming procedure against a boot loader on the in-memory line, two ways:
// a scripted loader bent by the input (version, base, identity, where it falls silent or
// damages a request, its statuses, the image size), and a loader whose every answer is raw
// input bytes. Whatever it answers, the run ends within the fixed waits of the requests it
// made, starts with the loader switch, sends the closing request after every announced
// transfer, and reports success only for a transfer the loader finished.

#include "ControllerFrame.h"
#include "ControllerMirror.h"
#include "FakeLink.h"
#include "FirmwareProgrammer.h"
#include "FuzzInput.h"
#include "ScriptedLoader.h"

#include <algorithm>
#include <memory>

namespace {

// The most one request (or block frame) can cost: the longest reply plus the loader switch.
// (a late reply is waited for a grace longer, and a resumed transfer first lets the line settle)
constexpr int MaxPerWriteMs =
    100 + 100 + 50 + 16 + 32 + 64 + 112 + 2 * 257 + 16 + 2 * FirmwareProgrammer::ReplyGraceMs;

struct Quiet : ProgrammingProgress {
    int announced = -1;
    void loaderIdentified(const LoaderIdentity&, int count) override { announced = count; }
    void blockRequested(int index, int, int seconds) override {
        FUZZ_CHECK(index >= 0 && index < 1024 && seconds >= 0);
    }
    void replyLogged(const QString&) override {}
    void transferResumed(int, int, bool) override {}
};

int fixedRandom(int bound) {
    return bound / 2;
}

bool isAnnouncement(const QByteArray& w) {
    return w.size() == 9 && quint8(w[2]) == 0x54 && w.mid(3, 3) == QByteArray(3, '\0');
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzInput in(data, size);
    const std::uint8_t mode = in.byte();
    static FirmwareProgrammer p;
    p.RandomSource = fixedRandom;
    const int imageBytes = (in.byte() << 6) % (FirmwareProgrammer::ImageCapacity + 1);
    p.LoadImage(QByteArray(imageBytes, char(mode)));

    auto m = std::make_unique<ControllerMirror>();
    m->TxBuffer[1023] = 0x5A; // beyond the longest request
    FakeLink link;
    link.keepSleeps = false;
    link.skipQuietLooks(true);
    ScriptedLoader loader;
    QList<QByteArray> answers;
    QList<int> delays;
    int next = 0;
    if ((mode & 1) != 0) {
        loader.version = in.flag() ? 103 : in.byte();
        loader.base = in.byte() << 4; // up to 0x0FF0: at most 510 base blocks
        loader.identityAnswered = in.below(8) != 0;
        loader.silentFromBlock = int(in.byte()) - 8;
        loader.badChecksumAtBlock = int(in.byte()) - 8;
        loader.serveStatus = in.below(8) != 0 ? 0x03 : in.byte();
        loader.endStatus = in.below(8) != 0 ? 0x07 : in.byte();
        loader.endBlock = int(in.byte()) - 8;
        if (in.flag()) {
            loader.listenAnswer = QByteArray::fromHex("55 00 50 5B");
        } else {
            const std::uint8_t* b = nullptr;
            const std::size_t n = in.take(in.below(8), &b);
            loader.listenAnswer = QByteArray(reinterpret_cast<const char*>(b), qsizetype(n));
        }
        link.replyDelayMs = in.below(130);
        link.responder = [&](const QByteArray& r) { return loader.answer(r); };
    } else {
        while (in.left() > 0 && answers.size() < 64) {
            delays.append(in.below(200));
            const std::uint8_t* b = nullptr;
            const std::size_t n = in.take(in.byte(), &b);
            answers.append(QByteArray(reinterpret_cast<const char*>(b), qsizetype(n)));
        }
        link.responder = [&](const QByteArray&) {
            link.replyDelayMs = next < delays.size() ? delays[next] : 0;
            return next < answers.size() ? answers[next++] : QByteArray();
        };
    }

    Quiet progress;
    const bool fits = (mode & 2) == 0;
    const ProgramResult r = p.Program(
        *m, link, [fits](const LoaderIdentity&) { return fits; }, progress);
    FUZZ_CHECK(int(r) >= 0 && int(r) <= int(ProgramResult::TransferNoReply));

    const QList<QByteArray>& w = link.writes;
    FUZZ_CHECK(!w.isEmpty() && w.first() == QByteArray::fromHex("55 02 54 33 33 EF"));
    FUZZ_CHECK(link.now() <= int(w.size()) * MaxPerWriteMs);
    int announcements = 0;
    for (const QByteArray& f : w) {
        announcements += isAnnouncement(f) ? 1 : 0;
        FUZZ_CHECK(f.size() <= 23);
    }
    // One announcement an attempt: a transfer broken by silence or damage starts again.
    FUZZ_CHECK(announcements <= p.Attempt && p.Attempt <= FirmwareProgrammer::Attempts);
    if (announcements >= 1) {
        FUZZ_CHECK(w.last() == QByteArray::fromHex("55 02 54 02 02 51"));
        FUZZ_CHECK(progress.announced == p.BlockCount);
    }
    if (r == ProgramResult::Success) {
        FUZZ_CHECK(announcements >= 1 && fits);
    }
    if (r == ProgramResult::WrongController) {
        FUZZ_CHECK(!fits && announcements == 0);
    }
    if ((mode & 1) != 0 && r == ProgramResult::Success && p.Attempt == 1) {
        // The loader asked for every block of the announced count (block 0 at least) and got
        // each one, unless its very first request already said the transfer was over.
        const int served = static_cast<int>(loader.blockFrames.size());
        FUZZ_CHECK(loader.closed);
        FUZZ_CHECK(served == std::max(loader.announced, 1) || (loader.serveStatus & 0x0F) == 7);
    }
    FUZZ_CHECK(m->TxBuffer[1023] == 0x5A);
    return 0;
}
