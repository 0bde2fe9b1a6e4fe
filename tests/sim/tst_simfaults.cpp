#include "SimRig.h"

#include <QElapsedTimer>
#include <QTest>

namespace {
const QByteArray kLive = QByteArray::fromHex("5500505B");
const QByteArray kIdentity = QByteArray::fromHex("55005259");

SimRig* rigWith(const QString& fault) {
    auto* rig = new SimRig;
    rig->sim.setFault(*SimFault::parse(fault));
    return rig;
}
} // namespace

class SimFaultsTest : public QObject {
    Q_OBJECT
private slots:
    void faultTextsParse_data();
    void faultTextsParse();
    void silenceDropsRequestsFromNowOrAfterN();
    void lateAnswerComesNoSoonerThanTheDelay();
    void badChecksumKeepsTheLength();
    void garbageBytesPrecedeAValidFrame();
    void truncatedBodyIsShorterThanItsLengthSays();
    void wrongStartByteReplacesTheHeader();
    void hangUpClosesTheLine();
    void faultLimitedToOneRequestCodeSparesTheOthers();
    void faultOnEveryNthAnswerHitsOnlyThose();
    void clearingFaultsRestoresNormalAnswers();
};

void SimFaultsTest::faultTextsParse_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("arg");
    QTest::addColumn<int>("only");
    QTest::addColumn<int>("nth");
    QTest::newRow("silence") << "silence" << true << int(SimFault::Silence) << 0 << -1 << 0;
    QTest::newRow("silence after 5")
        << "silence:5" << true << int(SimFault::Silence) << 5 << -1 << 0;
    QTest::newRow("late on live only")
        << "late:300@0x50" << true << int(SimFault::Late) << 300 << 0x50 << 0;
    QTest::newRow("every third checksum")
        << "checksum/3" << true << int(SimFault::BadChecksum) << 0 << -1 << 3;
    QTest::newRow("all parts") << "GARBAGE:4@82/2" << true << int(SimFault::Garbage) << 4 << 82
                               << 2;
    QTest::newRow("hang-up") << "hangup" << true << int(SimFault::HangUp) << 0 << -1 << 0;
    QTest::newRow("unknown name") << "noise" << false << 0 << 0 << 0 << 0;
    QTest::newRow("bad argument") << "late:soon" << false << 0 << 0 << 0 << 0;
    QTest::newRow("code above a byte") << "start@300" << false << 0 << 0 << 0 << 0;
    QTest::newRow("every zeroth") << "truncate/0" << false << 0 << 0 << 0 << 0;
    QTest::newRow("negative") << "late:-5" << false << 0 << 0 << 0 << 0;
    // "only" holds the block for @block: the request code filter stays off.
    QTest::newRow("late at a block")
        << "late:1800@block100" << true << int(SimFault::Late) << 1800 << 100 << 0;
    QTest::newRow("split at a block")
        << "split:300@BLOCK7" << true << int(SimFault::Split) << 300 << 7 << 0;
    QTest::newRow("block beyond 1023") << "late@block1024" << false << 0 << 0 << 0 << 0;
    QTest::newRow("a block's request comes once") << "late@block5/2" << false << 0 << 0 << 0 << 0;
    QTest::newRow("no requests let through at a block")
        << "silence:3@block5" << false << 0 << 0 << 0 << 0;
    QTest::newRow("no hang-up at a block") << "hangup@block5" << false << 0 << 0 << 0 << 0;
}

void SimFaultsTest::faultTextsParse() {
    QFETCH(QString, text);
    QFETCH(bool, valid);
    QString error;
    const auto f = SimFault::parse(text, &error);
    QCOMPARE(f.has_value(), valid);
    if (!valid) {
        QVERIFY(!error.isEmpty());
        return;
    }
    QFETCH(int, kind);
    QFETCH(int, arg);
    QFETCH(int, only);
    QFETCH(int, nth);
    QCOMPARE(int(f->kind), kind);
    QCOMPARE(f->arg, arg);
    const bool atBlock = text.contains("@block", Qt::CaseInsensitive);
    QCOMPARE(atBlock ? f->atBlock : f->onlyCommand, only);
    QCOMPARE(atBlock ? f->onlyCommand : f->atBlock, -1);
    QCOMPARE(f->everyNth, nth);
}

void SimFaultsTest::silenceDropsRequestsFromNowOrAfterN() {
    std::unique_ptr<SimRig> now(rigWith("silence"));
    QVERIFY(now->ok());
    QVERIFY(now->ask(kLive, 0).isEmpty());
    QVERIFY(now->sim.waitForRequests(1, 1000)); // heard, not answered
    QCOMPARE(now->sim.answerCount(), quint64(0));

    std::unique_ptr<SimRig> later(rigWith("silence:2"));
    QVERIFY(later->ok());
    QVERIFY(!later->client->exchange(kLive).isEmpty());
    QVERIFY(!later->client->exchange(kIdentity).isEmpty());
    QVERIFY(later->ask(kLive, 0).isEmpty());
    QVERIFY(later->ask(kIdentity, 0).isEmpty());
    // A silent controller takes no writes either: it is as good as unplugged.
    const QByteArray before = later->sim.settings();
    later->client->send(QByteArray::fromHex("550356010464E9"));
    QVERIFY(later->sim.waitForRequests(5, 1000));
    QCOMPARE(later->sim.settings(), before);
}

void SimFaultsTest::lateAnswerComesNoSoonerThanTheDelay() {
    std::unique_ptr<SimRig> rig(rigWith("late:250"));
    QVERIFY(rig->ok());
    QElapsedTimer t;
    t.start();
    const QByteArray answer = rig->client->exchange(kLive, 2000);
    QVERIFY(!answer.isEmpty());
    QVERIFY(SimTestClient::sumIsZero(answer));
    QVERIFY2(t.elapsed() >= 250, qPrintable(QString::number(t.elapsed())));
}

void SimFaultsTest::badChecksumKeepsTheLength() {
    std::unique_ptr<SimRig> rig(rigWith("checksum"));
    QVERIFY(rig->ok());
    const QByteArray answer = rig->client->exchange(kLive);
    QCOMPARE(answer.size(), 24);
    QVERIFY(!SimTestClient::sumIsZero(answer));
}

void SimFaultsTest::garbageBytesPrecedeAValidFrame() {
    std::unique_ptr<SimRig> rig(rigWith("garbage:5"));
    QVERIFY(rig->ok());
    const QByteArray all = rig->ask(kLive, 5 + 24);
    QCOMPARE(all.size(), 5 + 24);
    QVERIFY(!all.left(5).contains(char(0x55)));
    QVERIFY(SimTestClient::sumIsZero(all.mid(5)));
    QCOMPARE(quint8(all[5]), quint8(0x55));
}

void SimFaultsTest::truncatedBodyIsShorterThanItsLengthSays() {
    std::unique_ptr<SimRig> rig(rigWith("truncate:4"));
    QVERIFY(rig->ok());
    const QByteArray all = rig->ask(kLive, 24 - 4);
    QCOMPARE(all.size(), 24 - 4);
    QCOMPARE(all.left(3).toHex(), QByteArray("551351"));

    std::unique_ptr<SimRig> half(rigWith("truncate"));
    QVERIFY(half->ok());
    QCOMPARE(half->ask(kLive, 3 + 21 - 10).size(), 3 + 21 - 10);
}

void SimFaultsTest::wrongStartByteReplacesTheHeader() {
    std::unique_ptr<SimRig> rig(rigWith("start"));
    QVERIFY(rig->ok());
    const QByteArray all = rig->ask(kLive, 24);
    QCOMPARE(all.size(), 24);
    QVERIFY(quint8(all[0]) != 0x55);
}

void SimFaultsTest::hangUpClosesTheLine() {
    std::unique_ptr<SimRig> rig(rigWith("hangup"));
    QVERIFY(rig->ok());
    rig->client->send(kLive);
    QVERIFY(rig->client->waitForHangUp(2000));
    QTRY_VERIFY(!rig->sim.isRunning());
    // The simulator can be started again on a fresh line, its state kept.
    rig->sim.clearFaults();
    QVERIFY(rig->sim.start());
    SimTestClient again(rig->sim.slavePath());
    QVERIFY(SimTestClient::sumIsZero(again.exchange(kLive)));
}

void SimFaultsTest::faultLimitedToOneRequestCodeSparesTheOthers() {
    std::unique_ptr<SimRig> rig(rigWith("checksum@0x52"));
    QVERIFY(rig->ok());
    QVERIFY(SimTestClient::sumIsZero(rig->client->exchange(kLive)));
    QVERIFY(!SimTestClient::sumIsZero(rig->client->exchange(kIdentity)));
    QVERIFY(SimTestClient::sumIsZero(rig->client->exchange(kLive)));
}

void SimFaultsTest::faultOnEveryNthAnswerHitsOnlyThose() {
    std::unique_ptr<SimRig> rig(rigWith("checksum/3"));
    QVERIFY(rig->ok());
    QString pattern;
    for (int i = 0; i < 7; ++i)
        pattern += SimTestClient::sumIsZero(rig->client->exchange(kLive)) ? 'g' : 'B';
    QCOMPARE(pattern, QStringLiteral("ggBggBg"));

    std::unique_ptr<SimRig> silent(rigWith("silence/2"));
    QVERIFY(silent->ok());
    pattern.clear();
    for (int i = 0; i < 4; ++i)
        pattern += silent->ask(kLive, 24).isEmpty() ? '-' : 'a';
    QCOMPARE(pattern, QStringLiteral("a-a-"));
}

void SimFaultsTest::clearingFaultsRestoresNormalAnswers() {
    std::unique_ptr<SimRig> rig(rigWith("silence"));
    QVERIFY(rig->ok());
    rig->sim.setFault(*SimFault::parse("start"));
    QVERIFY(rig->ask(kLive, 0).isEmpty());
    rig->sim.clearFaults();
    QVERIFY(SimTestClient::sumIsZero(rig->client->exchange(kLive)));
}

QTEST_GUILESS_MAIN(SimFaultsTest)
#include "tst_simfaults.moc"
