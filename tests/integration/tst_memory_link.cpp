// The program's poll cycle, programmer and port facade against the simulator on both of its
// lines, the pseudo-terminal and the in-memory wire: what one line does, the other must do too.
#include "ControllerMirror.h"
#include "EventPump.h"
#include "FakeLang.h"
#include "FirmwareProgrammer.h"
#include "GeneratedImages.h"
#include "PollDriver.h"
#include "SimController.h"
#include "SimLine.h"
#include "TMySerial.h"

#include <QtTest>

#include <memory>

Q_DECLARE_METATYPE(SimLineKind)
Q_DECLARE_METATYPE(ProgramResult)

namespace {

struct Rig {
    Rig(SimLineKind line, bool pacing) : driver(serial, lang) {
        SimConfig config;
        config.line = line;
        config.pacing = pacing;
        if (!pacing) {
            config.replyLatencyMs = 0;
            config.flashWriteMs = 0;
        }
        sim = std::make_unique<SimController>(config);
    }
    bool open() {
        if (!sim->start()) {
            qWarning() << sim->errorString();
            return false;
        }
        return sim->wire() != nullptr
                   ? serial.SerialOpenWire(sim->wire(), QStringLiteral("Demo"), 9600)
                   : serial.SerialOpenDevice(sim->slavePath(), 9600);
    }
    std::unique_ptr<SimController> sim;
    TMySerial serial;
    FakeLang lang;
    PollDriver driver;
};

struct Quiet : ProgrammingProgress {
    int blocks = 0;
    void loaderIdentified(const LoaderIdentity&, int) override {}
    void blockRequested(int, int, int) override { ++blocks; }
    void replyLogged(const QString&) override {}
    void transferResumed(int attempt, int, bool) override { resumedAt = attempt; }
    int resumedAt = 0; // the last attempt begun after an interrupted transfer
};

// Both lines where the system has pseudo-terminals, the wire alone on Windows.
void addLines() {
    QTest::addColumn<SimLineKind>("line");
    if (SimLine::available(SimLineKind::Pty)) {
        QTest::newRow("pseudo-terminal") << SimLineKind::Pty;
    }
    QTest::newRow("in-memory wire") << SimLineKind::Memory;
}

} // namespace

class MemoryLinkTest : public QObject {
    Q_OBJECT
private slots:
    void init() { EventPump::setSleepHook(nullptr); }
    void thePollCycleRunsAtTheLinesPace_data() { addLines(); }
    void thePollCycleRunsAtTheLinesPace();
    void aFirmwareTransferReproducesTheImageAtTheLoader_data() { addLines(); }
    void aFirmwareTransferReproducesTheImageAtTheLoader();
    void aControllerThatHungUpIsPolledAgainOnceItIsBack();
    void aStalledLoaderIsWaitedForOrResumed_data();
    void aStalledLoaderIsWaitedForOrResumed();
};

void MemoryLinkTest::thePollCycleRunsAtTheLinesPace() {
    QFETCH(SimLineKind, line);
    Rig rig(line, true); // 9600 bit/s both ways
    rig.driver.states.InfoReportTag = 1;
    QVERIFY(rig.open());
    rig.driver.start();
    QTRY_VERIFY_WITH_TIMEOUT(rig.driver.ticks.size() >= 12, 8000);
    rig.driver.stop();

    const ControllerMirror& m = rig.driver.mirror;
    QCOMPARE(m.DeviceId, 0x0801E0E0u);
    QCOMPARE(m.IdentityState, -1);
    QCOMPARE(m.SettingIndex, -1);
    QCOMPARE(int(m.SettingsImage[0]), 19);
    QVERIFY(m.LiveStatus & 0x04); // engine running
    // Identity, live, settings, map, two held-off ticks, then live only; all answered.
    QVector<int> codes;
    for (const PollDriver::Tick& t : rig.driver.ticks) {
        codes << t.command;
        QVERIFY2(t.command == 0 || t.answered, "every request of a healthy link is answered");
    }
    QCOMPARE(codes.mid(0, 7), QVector<int>({0x52, 0x50, 0x56, 0x5A, 0, 0, 0x50}));
    const QByteArray cells = rig.sim->mapCells();
    QCOMPARE(std::int8_t(m.MapTable[18]), std::int8_t(cells[0]));

    // One live exchange cannot be over before the line has carried its 4 + 24 bytes (29 ms):
    // the wire adds no pacing, the simulator paces both directions on either line.
    const QByteArray live = QByteArray::fromHex("5500505b");
    QElapsedTimer clock;
    clock.start();
    QCOMPARE(rig.serial.SerialWrite(reinterpret_cast<const std::uint8_t*>(live.constData()), 4), 4);
    QVERIFY(EventPump::waitForBytes(rig.serial, 24, 2000));
    QVERIFY2(clock.elapsed() >= 28, qPrintable(QString::number(clock.elapsed())));
}

void MemoryLinkTest::aFirmwareTransferReproducesTheImageAtTheLoader() {
    QFETCH(SimLineKind, line);
    Rig rig(line, false); // the loader answers at once: 584 blocks in a test's time
    QVERIFY(rig.open());
    auto mirror = std::make_unique<ControllerMirror>();
    FirmwareProgrammer programmer;
    const QByteArray image = GeneratedImages::Image(1330);
    programmer.LoadImage(image);
    Quiet progress;
    QCOMPARE(programmer.Program(*mirror, rig.serial, {}, progress), ProgramResult::Success);
    QCOMPARE(rig.sim->completedTransfers(), 1);
    QCOMPARE(rig.sim->receivedImage(), image + QByteArray(584 * 16 - image.size(), '\0'));
    QTRY_VERIFY(!rig.sim->inLoader()); // the closing request restarted the application
}

void MemoryLinkTest::aStalledLoaderIsWaitedForOrResumed_data() {
    QTest::addColumn<SimLineKind>("line");
    QTest::addColumn<QString>("fault");
    QTest::addColumn<int>("attempts");
    QList<QPair<const char*, SimLineKind>> lines{{"wire", SimLineKind::Memory}};
    if (SimLine::available(SimLineKind::Pty)) {
        lines.prepend({"pseudo-terminal", SimLineKind::Pty});
    }
    for (const auto& l : lines) {
        // A reply late by far more than its window but well within the grace (1112 ms) is
        // waited for; one that stands still longer gives up the attempt, and the loader moves
        // again well inside the next attempt's listen window (1212 to 2374 ms): a stop of the
        // machine of a few hundred ms changes neither outcome. The broken attempt's block
        // request, sent first when the loader moves again, is not taken for the listen answer.
        QTest::addRow("%s, standing still 500 ms", l.first) << l.second << "late:500@block20" << 1;
        QTest::addRow("%s, a reply in two parts", l.first) << l.second << "split:500@block30" << 1;
        QTest::addRow("%s, standing still 1800 ms", l.first)
            << l.second << "late:1800@block20" << 2;
    }
}

// On the paced line, a loader that stands still part way through a transfer costs time, never
// the update: the image arrives byte for byte.
void MemoryLinkTest::aStalledLoaderIsWaitedForOrResumed() {
    QFETCH(SimLineKind, line);
    QFETCH(QString, fault);
    QFETCH(int, attempts);
    Rig rig(line, true);
    QVERIFY(rig.open());
    rig.sim->setFault(*SimFault::parse(fault));
    auto mirror = std::make_unique<ControllerMirror>();
    FirmwareProgrammer programmer;
    // 20 blocks of image and the loader's 32: a transfer of about two seconds.
    const QByteArray image = GeneratedImages::Image(1330).left(320);
    programmer.LoadImage(image);
    Quiet progress;
    QCOMPARE(programmer.Program(*mirror, rig.serial, {}, progress), ProgramResult::Success);
    QCOMPARE(programmer.Attempt, attempts);
    QCOMPARE(progress.resumedAt, attempts > 1 ? attempts : 0);
    QCOMPARE(rig.sim->completedTransfers(), 1);
    QCOMPARE(rig.sim->receivedImage(), image + QByteArray(52 * 16 - image.size(), '\0'));
    QTRY_VERIFY(!rig.sim->inLoader());
}

void MemoryLinkTest::aControllerThatHungUpIsPolledAgainOnceItIsBack() {
    Rig rig(SimLineKind::Memory, false);
    QVERIFY(rig.open());
    const auto wire = rig.sim->wire();
    rig.driver.start();
    QTRY_VERIFY_WITH_TIMEOUT(rig.driver.mirror.SettingIndex == -1, 5000);
    rig.sim->setFault(SimFault{SimFault::HangUp, 0});
    QTRY_VERIFY_WITH_TIMEOUT(!rig.serial.SerialConnected(), 5000);
    QVERIFY(rig.serial.SerialWaitingForDevice());
    QVERIFY(!rig.serial.SerialReconnect());

    rig.sim->clearFaults();
    QVERIFY(rig.sim->start());
    QCOMPARE(rig.sim->wire(), wire); // the same wire, its controller's end open again
    QVERIFY(rig.serial.SerialReconnect());
    const quint64 served = rig.sim->requestCount();
    QTRY_VERIFY_WITH_TIMEOUT(rig.sim->requestCount() > served + 3, 5000);
    QTRY_VERIFY_WITH_TIMEOUT(rig.driver.ticks.last().answered, 5000);
    rig.driver.stop();
}

QTEST_MAIN(MemoryLinkTest)
#include "tst_memory_link.moc"
