#include "EventPump.h"
#include "FakeLang.h"
#include "PollDriver.h"
#include "SimController.h"
#include "TMySerial.h"

#include <QtTest>

namespace {

// The codes of the ticks from `from` on, 0 for ticks that sent nothing.
QVector<int> codes(const PollDriver& d, int from = 0, int count = -1) {
    QVector<int> out;
    for (int i = from; i < d.ticks.size() && (count < 0 || out.size() < count); ++i) {
        out.append(d.ticks[i].command);
    }
    return out;
}

struct Rig {
    explicit Rig(bool pacing, int timeScale = 1) : driver(serial, lang, timeScale) {
        SimConfig config;
        config.pacing = pacing;
        sim = std::make_unique<SimController>(config);
    }
    bool open() {
        if (!sim->start()) {
            qWarning() << sim->errorString();
            return false;
        }
        return serial.SerialOpenDevice(sim->slavePath(), 9600);
    }
    std::unique_ptr<SimController> sim;
    TMySerial serial;
    FakeLang lang;
    PollDriver driver;
};

} // namespace

class ProtocolOnSimTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void connectReadsIdentitySettingsThenPollsLiveEveryHundredMilliseconds();
    void aSettingWriteComesBackInTheNextSettingsFrame();
    void mapWrittenToTheControllerReadsBackTheSame();
    void silentControllerIsLostAndReadAfreshWhenItAnswersAgain();
    void garbledAnswersNeverReachTheMirror();
    void linkFiguresCountWhatTheLineDid_data();
    void linkFiguresCountWhatTheLineDid();
};

void ProtocolOnSimTest::init() {
    // The facade's open pause and the reads take real time here.
    EventPump::setSleepHook(nullptr);
}

void ProtocolOnSimTest::connectReadsIdentitySettingsThenPollsLiveEveryHundredMilliseconds() {
    Rig rig(true); // 9600 bit/s pacing: real line timing
    rig.driver.states.InfoReportTag = 1;
    QVERIFY(rig.open());
    rig.driver.start();
    QTRY_VERIFY_WITH_TIMEOUT(rig.driver.ticks.size() >= 16, 8000);
    rig.driver.stop();

    const ControllerMirror& m = rig.driver.mirror;
    QCOMPARE(m.DeviceId, 0x0801E0E0u);
    QCOMPARE(m.IdentityState, -1);
    QCOMPARE(m.SettingIndex, -1);
    QCOMPARE(int(m.SettingsImage[0]), 19);
    QVERIFY(m.LiveStatus & 0x04);    // engine running
    QVERIFY(m.RevsPerSecond > 0.0F); // cranking or running
    QVERIFY(m.PcConfig);
    // Identity; live (its layout refresh asks for the settings and queues a map read); the
    // settings on the toggled tick; the map read and two held-off ticks; then live only.
    QCOMPARE(codes(rig.driver, 0, 7), QVector<int>({0x52, 0x50, 0x56, 0x5A, 0, 0, 0x50}));
    for (int i = 7; i < rig.driver.ticks.size(); ++i) {
        QCOMPARE(rig.driver.ticks[i].command, 0x50);
    }
    for (const PollDriver::Tick& t : rig.driver.ticks) {
        QCOMPARE(t.interval, 100);
        if (t.command != 0) {
            QVERIFY2(t.answered, "every request of a healthy link is answered");
        }
    }
    const QByteArray cells = rig.sim->mapCells();
    QCOMPARE(std::int8_t(m.MapTable[18]), std::int8_t(cells[0]));
    QCOMPARE(std::int8_t(m.MapTable[271]), std::int8_t(cells[239]));
}

void ProtocolOnSimTest::aSettingWriteComesBackInTheNextSettingsFrame() {
    Rig rig(false);
    QVERIFY(rig.open());
    rig.driver.start();
    QTRY_VERIFY_WITH_TIMEOUT(rig.driver.mirror.SettingIndex == -1 && rig.driver.ticks.size() > 4,
                             5000);
    const int before = rig.driver.mirror.SettingsImage[6];
    const int wanted = before == 77 ? 78 : 77;
    rig.driver.mirror.SettingValue = 0x100 + wanted; // only the low byte goes out
    rig.driver.mirror.SettingIndex = 5;              // engine-speed threshold
    QTRY_COMPARE_WITH_TIMEOUT(rig.driver.mirror.SettingIndex, -1, 5000);
    rig.driver.stop();
    QCOMPARE(int(rig.driver.mirror.SettingsImage[6]), wanted);
    QCOMPARE(int(std::uint8_t(rig.sim->settings()[5])), wanted);
}

void ProtocolOnSimTest::mapWrittenToTheControllerReadsBackTheSame() {
    Rig rig(false);
    QVERIFY(rig.open());
    rig.driver.start();
    QTRY_VERIFY_WITH_TIMEOUT(rig.driver.ticks.size() > 8, 5000);
    ControllerMirror& m = rig.driver.mirror;
    QByteArray pattern;
    for (int cell = 0; cell < 240; ++cell) {
        const std::uint8_t v = std::uint8_t((cell * 7) - 100);
        pattern.append(char(v));
        m.MapTable[std::size_t((cell / 16 + 1) * 17 + cell % 16 + 1)] = v;
    }
    m.MapWriteFirst = -1; // whole map
    m.PendingWrites |= 0x2000;
    QTRY_COMPARE_WITH_TIMEOUT(rig.sim->mapCells(), pattern, 5000);

    // A three-cell write of a part of the map.
    m.MapTable[std::size_t(2 * 17 + 5)] = 0x11; // cell 20
    m.MapTable[std::size_t(2 * 17 + 6)] = 0x22; // cell 21
    m.MapWriteFirst = 20;
    m.MapWriteLast = 21;
    m.PendingWrites |= 0x2000;
    pattern[20] = char(0x11);
    pattern[21] = char(0x22);
    QTRY_COMPARE_WITH_TIMEOUT(rig.sim->mapCells(), pattern, 5000);

    m.MapTable.fill(0);
    m.PendingWrites |= 0x0800;
    QTRY_VERIFY_WITH_TIMEOUT(m.MapTable[18] == std::uint8_t(pattern[0]) &&
                                 m.MapTable[271] == std::uint8_t(pattern[239]),
                             5000);
    rig.driver.stop();
    for (int cell = 0; cell < 240; ++cell) {
        QCOMPARE(m.MapTable[std::size_t((cell / 16 + 1) * 17 + cell % 16 + 1)],
                 std::uint8_t(pattern[cell]));
    }
}

void ProtocolOnSimTest::silentControllerIsLostAndReadAfreshWhenItAnswersAgain() {
    Rig rig(false, 10); // timer waits shortened tenfold; the intervals asked for are checked
    QVERIFY(rig.open());
    rig.driver.start();
    QTRY_VERIFY_WITH_TIMEOUT(rig.driver.ticks.size() > 8, 5000);
    rig.sim->setFault(SimFault{SimFault::Silence, 0, -1, 0});
    const int silentFrom = rig.driver.ticks.size();
    QTRY_VERIFY_WITH_TIMEOUT(!rig.driver.states.Image1Visible, 10000);
    const auto& t = rig.driver.ticks;
    int lossAt = -1;
    for (int i = silentFrom; i < t.size(); ++i) {
        if (t[i].lossReset) {
            lossAt = i;
        }
    }
    // A tick may have been in flight when the line fell silent; from the last answered one,
    // six ticks at 100 ms, then 500 ms, and the loss on the tick after the 17th silent request.
    int lastAnswered = silentFrom - 1;
    for (int i = silentFrom; i < t.size(); ++i) {
        if (t[i].answered) {
            lastAnswered = i;
        }
    }
    QCOMPARE(lossAt - lastAnswered, 18);
    for (int i = lastAnswered + 1; i <= lossAt; ++i) {
        QCOMPARE(t[i].interval, i - lastAnswered <= 6 ? 100 : 500);
    }
    QCOMPARE(rig.driver.mirror.IdentityState, 0);
    QCOMPARE(t[lossAt].command, 0x52);

    rig.sim->clearFaults();
    QTRY_VERIFY_WITH_TIMEOUT(rig.driver.states.Image1Visible, 10000);
    QTRY_VERIFY_WITH_TIMEOUT(rig.driver.mirror.SettingIndex == -1, 10000);
    rig.driver.stop();
    QCOMPARE(rig.driver.mirror.IdentityState, -1);
    QCOMPARE(rig.driver.mirror.DeviceId, 0x0801E0E0u);
    QCOMPARE(rig.driver.ticks.last().interval, 100);
}

void ProtocolOnSimTest::garbledAnswersNeverReachTheMirror() {
    Rig rig(false, 10);
    QVERIFY(rig.open());
    rig.driver.start();
    QTRY_VERIFY_WITH_TIMEOUT(rig.driver.ticks.size() > 8, 5000);
    rig.sim->setFault(SimFault{SimFault::BadChecksum, 0, 0x50, 0});
    const int from = rig.driver.ticks.size() + 1;
    QTRY_VERIFY_WITH_TIMEOUT(rig.driver.ticks.size() > from + 6, 5000);
    rig.sim->clearFaults();
    rig.sim->setFault(SimFault{SimFault::Truncated, 0, 0x50, 0});
    const int from2 = rig.driver.ticks.size() + 1;
    QTRY_VERIFY_WITH_TIMEOUT(rig.driver.ticks.size() > from2 + 6, 5000);
    rig.sim->clearFaults();
    QTRY_VERIFY_WITH_TIMEOUT(rig.driver.mirror.LinkCounter == 0, 5000);
    rig.driver.stop();
    for (int i = from; i < from + 6; ++i) {
        QVERIFY(!rig.driver.ticks[i].answered);
    }
    for (int i = from2; i < from2 + 6; ++i) {
        QVERIFY(!rig.driver.ticks[i].answered);
    }
}

void ProtocolOnSimTest::linkFiguresCountWhatTheLineDid_data() {
    QTest::addColumn<QString>("fault");
    QTest::addColumn<bool>("missed"); // answers missed grow (else they stay)
    QTest::addColumn<bool>("bad");    // bad frames grow (else they stay)
    QTest::newRow("silence") << "silence:0@0x50" << true << false;
    QTest::newRow("bad checksum") << "checksum@0x50" << false << true;
    QTest::newRow("wrong start byte") << "start@0x50" << false << true;
    QTest::newRow("stray bytes first") << "garbage:4@0x50" << false << true;
}

void ProtocolOnSimTest::linkFiguresCountWhatTheLineDid() {
    QFETCH(QString, fault);
    QFETCH(bool, missed);
    QFETCH(bool, bad);
    Rig rig(false);
    QVERIFY(rig.open());
    rig.driver.start();
    QTRY_VERIFY_WITH_TIMEOUT(rig.driver.ticks.size() > 12, 5000);
    const LinkHealth& health = rig.driver.mirror.Health;
    const LinkHealth::Figures clean = health.figures(LinkHealth::clockMs());
    QVERIFY(clean.portOpen);
    // A machine that stops running the simulator for 100 ms (a virtual machine's host does),
    // or a loaded one, makes an answer late: it is counted as missed, as it should be. A fault
    // counts on every tick it hits, so the comparisons below allow for one such answer, and
    // count from what the healthy line had.
    constexpr int OneStall = 1;
    QCOMPARE(clean.badFrames, 0);
    QVERIFY(clean.sinceValidMs >= 0 && clean.sinceValidMs < 1000);
    QVERIFY2(clean.pollsPerSecond > 2.0 && clean.pollsPerSecond <= 10.5,
             qPrintable(QString::number(clean.pollsPerSecond)));

    rig.sim->setFault(*SimFault::parse(fault));
    const int from = rig.driver.ticks.size() + 1;
    QTRY_VERIFY_WITH_TIMEOUT(rig.driver.ticks.size() > from + 5, 8000);
    const LinkHealth::Figures hit = health.figures(LinkHealth::clockMs());
    rig.sim->clearFaults();
    QCOMPARE(hit.missed - clean.missed > OneStall, missed);
    QCOMPARE(hit.badFrames > 0, bad);
    // Nothing valid came for at least the faulty ticks.
    QVERIFY2(hit.sinceValidMs >= 250, qPrintable(QString::number(hit.sinceValidMs)));

    // Valid answers again: the counts stay, the last answer is recent again.
    QTRY_VERIFY_WITH_TIMEOUT(health.figures(LinkHealth::clockMs()).sinceValidMs < 300, 8000);
    const LinkHealth::Figures after = health.figures(LinkHealth::clockMs());
    QVERIFY(after.missed >= hit.missed && after.badFrames >= hit.badFrames);

    // Closed and opened again: counted from nothing.
    rig.driver.stop();
    rig.serial.SerialClose();
    QVERIFY(rig.serial.SerialOpenDevice(rig.sim->slavePath(), 9600));
    const int before = rig.driver.ticks.size();
    rig.driver.start();
    QTRY_VERIFY_WITH_TIMEOUT(rig.driver.ticks.size() > before + 3, 5000);
    const LinkHealth::Figures reopened = health.figures(LinkHealth::clockMs());
    rig.driver.stop();
    QVERIFY(reopened.missed <= OneStall);
    QCOMPARE(reopened.badFrames, 0);
    QVERIFY(reopened.sinceValidMs >= 0 && reopened.sinceValidMs < 1000);
}

QTEST_MAIN(ProtocolOnSimTest)
#include "tst_protocol_on_sim.moc"
