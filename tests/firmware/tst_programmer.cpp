// The programming exchange on an in-memory line with a scripted boot loader.
#include "BlockFrame.h"
#include "ControllerMirror.h"
#include "FakeLink.h"
#include "FirmwareLabel.h"
#include "FirmwareProgrammer.h"
#include "GeneratedImages.h"
#include "ScriptedLoader.h"

#include <QtTest>

#include <memory>

Q_DECLARE_METATYPE(ProgramResult)

namespace {

struct Recorder : ProgrammingProgress {
    int identified = 0;
    int announcedBlocks = -1;
    LoaderIdentity loader;
    QList<int> blocks;
    QList<int> remaining;
    QStringList lines;
    void loaderIdentified(const LoaderIdentity& l, int count) override {
        ++identified;
        loader = l;
        announcedBlocks = count;
    }
    void blockRequested(int index, int, int seconds) override {
        blocks << index;
        remaining << seconds;
    }
    void replyLogged(const QString& line) override { lines << line; }
    void transferResumed(int attempt, int attempts, bool silent) override {
        resumed << QStringLiteral("%1/%2 %3")
                       .arg(attempt)
                       .arg(attempts)
                       .arg(silent ? "silent" : "damaged");
    }
    QStringList resumed;
};

// The inverse of the scrambling, written from the frame rules: undo the two exchanges, then
// the chain seeded with the key byte.
QByteArray unscramble(const QByteArray& frame) {
    QByteArray b = frame.mid(5, 16);
    std::swap(b[0], b[3]);
    std::swap(b[2], b[9]);
    quint8 c = quint8(frame[4]);
    for (char& x : b) {
        x = char(quint8(x) ^ c);
        c = quint8(x);
    }
    return b;
}

struct Run {
    std::unique_ptr<ControllerMirror> mirror = std::make_unique<ControllerMirror>();
    FakeLink link;
    ScriptedLoader loader;
    FirmwareProgrammer programmer;
    Recorder progress;
    Run() {
        link.responder = [this](const QByteArray& r) {
            const QByteArray a = loader.answer(r);
            link.replyDelayMs = loader.replyDelayMs;
            return a;
        };
        programmer.LoadImage(GeneratedImages::Image(1320));
    }
    ProgramResult go(FirmwareProgrammer::FitCheck fits = {}) {
        return programmer.Program(*mirror, link, fits, progress);
    }
    bool sent(const char* hex) const { return link.writes.contains(hexBytes(hex)); }
};

} // namespace

class ProgrammerTest : public QObject {
    Q_OBJECT
private slots:
    void labelsGiveImageIdAndSignalCode_data();
    void labelsGiveImageIdAndSignalCode();
    void blockFramesCarryTheBlockUnderAFreshKey();
    void aWholeTransferServesEveryBlockAndCloses_data();
    void aWholeTransferServesEveryBlockAndCloses();
    void failuresEndInTheirOutcome_data();
    void failuresEndInTheirOutcome();
    void onlyTheLowFourStatusBitsCount();
    void blocksBeyondTheImageAreZeros();
    void replyWindowsAreKeptExactly_data();
    void replyWindowsAreKeptExactly();
    void aBodyStillArrivingGetsTheRestOfItsHeaderStep_data();
    void aBodyStillArrivingGetsTheRestOfItsHeaderStep();
    void anInterruptedTransferStartsAgainFromTheListenRequest_data();
    void anInterruptedTransferStartsAgainFromTheListenRequest();
};

void ProgrammerTest::labelsGiveImageIdAndSignalCode_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("imageId");
    QTest::addColumn<int>("signalCode");
    QTest::newRow("service entry") << "V1.3.4.12 - Admin" << 13412 << 12;
    QTest::newRow("with description") << "V1.3.2.0 - Stały kąt" << 1320 << 0;
    QTest::newRow("two-digit signal") << "V1.3.2.11 - x" << 13211 << 11;
    QTest::newRow("group caption") << " Sygnał  Bosch (60-2) zębów" << 0 << -1;
    QTest::newRow("car name") << "Honda (12+1)" << 0 << -1;
    QTest::newRow("dash too early") << "V-1.3.1.0" << 0 << -1;
    QTest::newRow("two dots only") << "V1.31.0 - x" << 0 << 0;
    QTest::newRow("no V") << "1.3.1.0 - x" << 0 << 0;
    QTest::newRow("empty") << "" << 0 << -1;
}

void ProgrammerTest::labelsGiveImageIdAndSignalCode() {
    QFETCH(QString, text);
    QFETCH(int, imageId);
    QFETCH(int, signalCode);
    QCOMPARE(ImageIdFromLabel(text), imageId);
    QCOMPARE(SignalCodeFromLabel(text), signalCode);
}

void ProgrammerTest::blockFramesCarryTheBlockUnderAFreshKey() {
    const QByteArray block = QByteArray::fromHex("55000102030405060708090A0B0C0DFF");
    const auto* b = reinterpret_cast<const std::uint8_t*>(block.constData());
    QSet<QByteArray> seen;
    for (int r = 0; r < 32; ++r) {
        for (int keyWord : {0, 0x1234, 0xFFFF}) {
            const int blockIndex = 37;
            const BlockFrameBytes f = BuildBlockFrame(b, blockIndex, keyWord, 32, r, quint8(r * 7));
            const QByteArray frame(reinterpret_cast<const char*>(f.data()), 23);
            QCOMPARE(frame.left(4), hexBytes("55 13 54 01"));
            QCOMPARE(unscramble(frame), block);
            // The loader's key rule.
            QCOMPARE(((quint8(frame[4]) - blockIndex + keyWord * 32) % 8 + 8) % 8, 0);
            quint8 sum = 0;
            for (char c : frame)
                sum = quint8(sum + quint8(c));
            QCOMPARE(sum, quint8(0));
            seen.insert(frame);
        }
    }
    QCOMPARE(seen.size(), 96);

    // With the real random source, one block served twice generally goes out differently.
    Run run;
    run.programmer.BaseBlocks = 32;
    run.programmer.BlockCount = 584;
    run.link.responder = nullptr;
    QSet<QByteArray> twice;
    for (int i = 0; i < 8; ++i) {
        run.link.writes.clear();
        run.link.deliver(ScriptedLoader::frame(0x54, hexBytes("01 03 12 34 00 05")));
        // Served, then no further request: the reader gives up.
        QCOMPARE(run.programmer.ReadLoaderReply(*run.mirror, run.link, run.progress), 2);
        QCOMPARE(run.link.writes.size(), 1);
        QCOMPARE(unscramble(run.link.writes[0]), GeneratedImages::Image(1320).mid(80, 16));
        twice.insert(run.link.writes[0]);
    }
    QVERIFY(twice.size() > 1);
}

void ProgrammerTest::aWholeTransferServesEveryBlockAndCloses_data() {
    QTest::addColumn<int>("base");
    QTest::addColumn<int>("baseBlocks");
    QTest::addColumn<QByteArray>("announce");
    // 8832 bytes: 552 blocks, then the loader's own.
    QTest::newRow("base 0x0100") << 0x0100 << 32 << hexBytes("55 05 54 00 00 00 02 48 08");
    QTest::newRow("base 0x0123") << 0x0123 << 36 << hexBytes("55 05 54 00 00 00 02 4C 04");
}

void ProgrammerTest::aWholeTransferServesEveryBlockAndCloses() {
    QFETCH(int, base);
    QFETCH(int, baseBlocks);
    QFETCH(QByteArray, announce);
    const int count = 552 + baseBlocks;
    Run run;
    run.loader.base = base;
    QCOMPARE(run.go(), ProgramResult::Success);
    QCOMPARE(run.link.writes.value(0), hexBytes("55 02 54 33 33 EF"));
    QCOMPARE(run.link.writes.value(1), hexBytes("55 00 50 5B"));
    QCOMPARE(run.link.writes.value(2), hexBytes("55 00 52 59"));
    QCOMPARE(run.link.writes.value(3), announce);
    QCOMPARE(run.programmer.BaseBlocks, baseBlocks);
    QCOMPARE(run.progress.loader.base, base);
    QCOMPARE(run.progress.announcedBlocks, count);
    QCOMPARE(run.progress.loader.deviceId, 0x0801E0E0u);
    QCOMPARE(run.loader.blockFrames.size(), count);
    QCOMPARE(run.link.writes.last(), hexBytes("55 02 54 02 02 51"));
    QVERIFY(run.loader.closed);
    const QByteArray image = GeneratedImages::Image(1320);
    for (int b = 0; b < count; ++b) {
        const QByteArray& frame = run.loader.blockFrames[b];
        QCOMPARE(unscramble(frame), b < 552 ? image.mid(16 * b, 16) : QByteArray(16, '\0'));
        // The loader's key rule, with this loader's base.
        const int keyWord = run.loader.keyWords[b];
        QCOMPARE(((quint8(frame[4]) - b + keyWord * baseBlocks) % 8 + 8) % 8, 0);
    }
    QCOMPARE(run.progress.blocks.first(), 0);
    QCOMPARE(run.progress.blocks.last(), count);
    QCOMPARE(run.progress.remaining.last(), 0);
    QCOMPARE(run.progress.lines.first(), QStringLiteral("Rx: 55 00 50 - - 5B"));
    // The closing request counts, the 584 block frames do not.
    QCOMPARE(run.mirror->LinkCounter, 1);
}

void ProgrammerTest::failuresEndInTheirOutcome_data() {
    QTest::addColumn<QString>("fault");
    QTest::addColumn<ProgramResult>("result");
    QTest::addColumn<bool>("identified"); // the progress window opened
    QTest::addColumn<bool>("closing");    // the closing request was sent
    QTest::newRow("listen answered by a live frame")
        << "live" << ProgramResult::NoListen << false << false;
    QTest::newRow("listen unanswered") << "nolisten" << ProgramResult::NoListen << false << false;
    QTest::newRow("identity of another length")
        << "idlen" << ProgramResult::BadIdentity << false << false;
    QTest::newRow("loader 1.05") << "v105" << ProgramResult::UnsupportedLoader << false << false;
    QTest::newRow("identity unanswered")
        << "noid" << ProgramResult::UnsupportedLoader << false << false;
    QTest::newRow("image for another controller")
        << "device" << ProgramResult::WrongController << true << false;
    QTest::newRow("silence mid-transfer")
        << "silence" << ProgramResult::TransferNoReply << true << true;
    QTest::newRow("bad checksum mid-transfer")
        << "checksum" << ProgramResult::TransferFailed << true << true;
    QTest::newRow("refused (status 1)")
        << "refused" << ProgramResult::TransferFailed << true << true;
    QTest::newRow("block 1024") << "block1024" << ProgramResult::TransferFailed << true << true;
    QTest::newRow("identity request answered by an empty answer")
        << "listenid" << ProgramResult::BadIdentity << false << false;
    QTest::newRow("announcement answered by an identity")
        << "idtransfer" << ProgramResult::TransferFailed << true << true;
    QTest::newRow("loader asking for block 3 again and again")
        << "endless" << ProgramResult::TransferFailed << true << true;
}

void ProgrammerTest::failuresEndInTheirOutcome() {
    QFETCH(QString, fault);
    QFETCH(ProgramResult, result);
    QFETCH(bool, identified);
    QFETCH(bool, closing);
    Run run;
    FirmwareProgrammer::FitCheck fits;
    if (fault == "live")
        run.loader.listenAnswer = ScriptedLoader::frame(0x50, QByteArray(18, '\x01'));
    else if (fault == "nolisten")
        run.loader.listenAnswer.clear();
    else if (fault == "idlen")
        run.loader.identityBytes = hexBytes("08 01 E0");
    else if (fault == "v105")
        run.loader.version = 105;
    else if (fault == "noid")
        run.loader.identityAnswered = false;
    else if (fault == "device")
        fits = [](const LoaderIdentity& l) { return l.deviceId == 0x08026060u; };
    else if (fault == "silence")
        run.loader.silentFromBlock = 100;
    else if (fault == "checksum")
        run.loader.badChecksumAtBlock = 200;
    else if (fault == "refused")
        run.loader.serveStatus = 0x01;
    else if (fault == "block1024") {
        run.loader.endBlock = 1024;
    } else if (fault == "listenid") {
        run.link.responder = [&run](const QByteArray& r) {
            return r.size() >= 3 && quint8(r[2]) == 0x52 ? hexBytes("55 00 50 5B")
                                                         : run.loader.answer(r);
        };
    } else if (fault == "idtransfer") {
        run.link.responder = [&run](const QByteArray& r) {
            return r.size() == 9 ? run.loader.answer(hexBytes("55 00 52 59"))
                                 : run.loader.answer(r);
        };
    } else if (fault == "endless") {
        run.loader.endStatus = 0x03; // serve block 3, ever again
        run.loader.endBlock = 3;
    }
    QCOMPARE(run.go(fits), result);
    // A transfer serves each block about once: a loader that never ends is given up on.
    QVERIFY(run.programmer.BlocksServed <= 2 * run.programmer.BlockCount + 32);
    QCOMPARE(run.progress.identified > 0, identified);
    QCOMPARE(run.sent("55 02 54 02 02 51"), closing);
    if (!identified)
        QCOMPARE(run.loader.announced, -1);
    if (fault == "device")
        QCOMPARE(run.loader.announced, -1); // nothing announced to the wrong controller
}

void ProgrammerTest::onlyTheLowFourStatusBitsCount() {
    Run run;
    run.loader.serveStatus = 0x13;
    run.loader.endStatus = 0x17;
    QCOMPARE(run.go(), ProgramResult::Success);
    QCOMPARE(run.loader.blockFrames.size(), 584);
}

void ProgrammerTest::blocksBeyondTheImageAreZeros() {
    Run run;
    QCOMPARE(run.go(), ProgramResult::Success);
    for (int b = 552; b < 584; ++b)
        QCOMPARE(unscramble(run.loader.blockFrames[b]), QByteArray(16, '\0'));
}

void ProgrammerTest::replyWindowsAreKeptExactly_data() {
    QTest::addColumn<int>("delay");
    QTest::addColumn<ProgramResult>("result");
    // Listen and identity: due within 50 + 16 + 32 + 64 ms, then a grace of 1000 ms; the reply
    // is scheduled after the request.
    QTest::newRow("at once") << 0 << ProgramResult::Success;
    QTest::newRow("end of the window") << 162 << ProgramResult::Success;
    QTest::newRow("late, end of the grace") << 1162 << ProgramResult::Success;
    QTest::newRow("one millisecond later") << 1163 << ProgramResult::NoListen;
}

void ProgrammerTest::replyWindowsAreKeptExactly() {
    QFETCH(int, delay);
    QFETCH(ProgramResult, result);
    Run run;
    run.link.skipQuietLooks(true); // 584 replies a second late: only the looks that matter
    run.link.keepSleeps = false;
    run.link.replyDelayMs = delay;
    // Only the listen reply is late; the block replies then need 16 + 32 + 64 at most.
    run.link.responder = [&run, delay](const QByteArray& r) {
        run.link.replyDelayMs = quint8(r[2]) == 0x50 ? delay : 112;
        return run.loader.answer(r);
    };
    QCOMPARE(run.go(), result);
    if (result == ProgramResult::Success) {
        // After a block frame: 16 + 32 + 64 ms and the grace.
        run.link.responder = [&run](const QByteArray& r) {
            run.link.replyDelayMs = r.size() == 23 ? 1112 : 2;
            return run.loader.answer(r);
        };
        QCOMPARE(run.go(), ProgramResult::Success);
        QCOMPARE(run.programmer.Attempt, 1);
        run.link.responder = [&run](const QByteArray& r) {
            run.link.replyDelayMs = r.size() == 23 ? 1113 : 2;
            return run.loader.answer(r);
        };
        QCOMPARE(run.go(), ProgramResult::TransferNoReply);
        QCOMPARE(run.programmer.Attempt, 3);
    }
}

void ProgrammerTest::aBodyStillArrivingGetsTheRestOfItsHeaderStep_data() {
    QTest::addColumn<int>("bodyAt");
    QTest::addColumn<int>("result");
    // The header comes at 60 ms, inside the step that ends at 66 ms: the 7-byte body is due
    // within the 6 ms left of it and two waits of 7 ms, and taken up to 1000 ms after that.
    QTest::newRow("whole at once") << 60 << 0;
    QTest::newRow("after its own two waits") << 76 << 0;
    QTest::newRow("at the end of the allowance") << 80 << 0;
    QTest::newRow("late, end of the grace") << 1080 << 0;
    QTest::newRow("too late") << 1082 << 2;
}

void ProgrammerTest::aBodyStillArrivingGetsTheRestOfItsHeaderStep() {
    QFETCH(int, bodyAt);
    QFETCH(int, result);
    Run run;
    run.link.responder = nullptr;
    run.programmer.BlockCount = 584;
    const QByteArray reply = ScriptedLoader::frame(0x54, hexBytes("01 07 00 00 02 48"));
    run.link.deliverAt(60, reply.left(4));
    run.link.deliverAt(bodyAt, reply.mid(4));
    QCOMPARE(run.programmer.ReadLoaderReply(*run.mirror, run.link, run.progress), result);
}

void ProgrammerTest::anInterruptedTransferStartsAgainFromTheListenRequest_data() {
    QTest::addColumn<QString>("fault");
    QTest::addColumn<ProgramResult>("result");
    QTest::addColumn<QStringList>("resumed");
    QTest::addColumn<int>("listens");  // listen requests sent in all
    QTest::addColumn<bool>("damaged"); // the outcome is a damaged reply's
    const QStringList none;
    const QStringList silentOnce{"2/3 silent"};
    QTest::newRow("late by 900 ms") << "late" << ProgramResult::Success << none << 1 << false;
    QTest::newRow("silent once") << "silent" << ProgramResult::Success << silentOnce << 2 << false;
    QTest::newRow("damaged once") << "damaged" << ProgramResult::Success
                                  << QStringList{"2/3 damaged"} << 2 << false;
    // The loader answers in order: its late request for block 100 comes before the listen
    // answer of attempt 2, and is read and dropped, not served.
    QTest::newRow("late beyond the grace")
        << "stale" << ProgramResult::Success << silentOnce << 2 << false;
    QTest::newRow("silent every time") << "silent always" << ProgramResult::TransferNoReply
                                       << QStringList{"2/3 silent", "3/3 silent"} << 3 << false;
    QTest::newRow("damaged every time") << "damaged always" << ProgramResult::TransferFailed
                                        << QStringList{"2/3 damaged", "3/3 damaged"} << 3 << true;
    QTest::newRow("silent, then the loader answers no more")
        << "gone" << ProgramResult::TransferNoReply << QStringList{"2/3 silent", "3/3 silent"} << 3
        << false;
    QTest::newRow("damaged, then the loader answers no more")
        << "damaged gone" << ProgramResult::TransferFailed
        << QStringList{"2/3 damaged", "3/3 silent"} << 3 << true;
    QTest::newRow("the application answers the listen request")
        << "application" << ProgramResult::TransferNoReply << silentOnce << 2 << false;
    QTest::newRow("another controller's loader answers")
        << "identity" << ProgramResult::TransferNoReply << silentOnce << 2 << false;
    QTest::newRow("refused: never resumed")
        << "refused" << ProgramResult::TransferFailed << none << 1 << false;
}

// A late reply is waited for; a transfer broken by silence or a damaged reply starts again
// from the listen request (no second loader switch), at most three attempts; the closing
// request goes out once, at the end. A controller that left its loader or changed is not
// programmed on.
void ProgrammerTest::anInterruptedTransferStartsAgainFromTheListenRequest() {
    QFETCH(QString, fault);
    QFETCH(ProgramResult, result);
    QFETCH(QStringList, resumed);
    QFETCH(int, listens);
    QFETCH(bool, damaged);
    Run run;
    // Seconds of grace on the virtual clock: the looks that could see nothing are passed over.
    run.link.skipQuietLooks(true);
    run.link.keepSleeps = false;
    int listened = 0;
    int answeredUntil = 0; // the loader answers in order, a late answer first
    if (fault == "late" || fault == "stale") {
        run.loader.lateAtBlock = 100;
        run.loader.lateMs = fault == "late" ? 112 + 900 : 1500;
    } else if (fault.startsWith("silent") || fault == "gone" || fault == "application" ||
               fault == "identity") {
        run.loader.silentFromBlock = 100;
        run.loader.faultsLeft = fault == "silent" ? 1 : -1;
    } else if (fault.startsWith("damaged")) {
        run.loader.badChecksumAtBlock = 200;
        run.loader.faultsLeft = fault == "damaged" ? 1 : -1;
    } else if (fault == "refused") {
        run.loader.serveStatus = 0x01;
    }
    run.link.responder = [&](const QByteArray& r) {
        const bool listen = quint8(r[2]) == 0x50;
        listened += listen ? 1 : 0;
        QByteArray a = run.loader.answer(r);
        run.link.replyDelayMs = std::max(run.loader.replyDelayMs, answeredUntil - run.link.now());
        answeredUntil = run.link.now() + run.link.replyDelayMs + 1;
        if (listened > 1 && fault.endsWith("gone"))
            return QByteArray();
        if (listened > 1 && listen && fault == "application")
            return ScriptedLoader::frame(0x50, QByteArray(18, '\x04'));
        if (listened > 1 && quint8(r[2]) == 0x52 && fault == "identity")
            a = ScriptedLoader::frame(0x52, hexBytes("08 02 60 60 67 01 00 00 00"));
        return a;
    };
    QCOMPARE(run.go(), result);
    QCOMPARE(run.progress.resumed, resumed);
    QCOMPARE(run.programmer.Attempt, resumed.size() + 1);
    QCOMPARE(run.programmer.LastReplyDamaged, damaged);
    QCOMPARE(run.programmer.LoaderLeft, fault == "application" || fault == "identity");
    QCOMPARE(run.link.writes.count(hexBytes("55 00 50 5B")), listens);
    QCOMPARE(run.link.writes.count(hexBytes("55 02 54 33 33 EF")), 1);
    QCOMPARE(run.link.writes.count(hexBytes("55 02 54 02 02 51")), 1);
    QCOMPARE(run.link.writes.last(), hexBytes("55 02 54 02 02 51"));
    if (result == ProgramResult::Success) {
        // The last attempt sent every block, in order, from block 0.
        QCOMPARE(run.progress.blocks.last(), 584);
        const QByteArray image = GeneratedImages::Image(1320);
        const QList<QByteArray> last =
            run.loader.blockFrames.mid(run.loader.blockFrames.size() - 584);
        for (int b = 0; b < 552; b += 50)
            QCOMPARE(unscramble(last[b]), image.mid(16 * b, 16));
    }
}

QTEST_GUILESS_MAIN(ProgrammerTest)
#include "tst_programmer.moc"
