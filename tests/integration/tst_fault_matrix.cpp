// Every line fault of the simulator against every activity of the poll cycle, programming
// through the boot loader and replaying a recording, over the real port facade on a
// pseudo-terminal. For each pair: the event loop never stops for longer than
// the reader's fixed waits allow, the loss is shown where the line gives nothing usable, nothing
// from a damaged answer reaches the mirror, and once the line is good again the controller is
// read afresh and the activity, done again, lands.
#include "ControlStates.h"
#include "ControllerFrame.h"
#include "EventPump.h"
#include "FakeLang.h"
#include "FirmwareProgrammer.h"
#include "GeneratedImages.h"
#include "PollDriver.h"
#include "ReplayReader.h"
#include "SimController.h"
#include "TMySerial.h"

#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

namespace {

enum class Activity { Polling, SettingWrite, MapWrite, Programming, Replay };

// The longest one tick may hold the loop: three 16 ms header waits and two body waits of at
// most 257 ms, plus room for a loaded machine. A hang lasts seconds.
constexpr int LongestTickMs = 3 * 16 + 2 * 257 + 1000;

// The longest time between two turns of the event loop while it runs.
class GapProbe : public QObject {
public:
    GapProbe() {
        beat.setTimerType(Qt::PreciseTimer);
        connect(&beat, &QTimer::timeout, this,
                [this] { longest = std::max(longest, clock.restart()); });
        clock.start();
        beat.start(5);
    }
    qint64 longest = 0;

private:
    QTimer beat;
    QElapsedTimer clock;
};

void setMapPattern(ControllerMirror& m, QByteArray& cells, int salt) {
    cells.clear();
    for (int cell = 0; cell < 240; ++cell) {
        const auto v = std::uint8_t(cell * 3 + salt);
        cells.append(char(v));
        m.MapTable[std::size_t((cell / 16 + 1) * 17 + cell % 16 + 1)] = v;
    }
}

QByteArray mirrorMap(const ControllerMirror& m) {
    QByteArray cells;
    for (int cell = 0; cell < 240; ++cell) {
        cells.append(char(m.MapTable[std::size_t((cell / 16 + 1) * 17 + cell % 16 + 1)]));
    }
    return cells;
}

// Settings 0..14 as the mirror keeps them (SettingsImage byte k + 1 is setting k).
QByteArray mirrorSettings(const ControllerMirror& m) {
    QByteArray s;
    for (int k = 0; k < 15; ++k) {
        s.append(char(m.SettingsImage[std::size_t(k + 1)]));
    }
    return s;
}

struct QuietProgress : ProgrammingProgress {
    int blocks = 0;
    void loaderIdentified(const LoaderIdentity&, int) override {}
    void blockRequested(int, int, int) override { ++blocks; }
    void replyLogged(const QString&) override {}
    void transferResumed(int attempt, int, bool) override { resumedAt = attempt; }
    int resumedAt = 0; // the last attempt begun after an interrupted transfer
};

struct CountingSink : ReplaySink {
    ControlStates replayStates() override { return {}; }
    void replayOpened(qint64) override {}
    void replayRecord(const ResponseResult&, qint64) override { ++records; }
    int records = 0;
};

// A recording of `records` records: a settings record, then live records.
QByteArray recording(int records) {
    QByteArray bytes;
    for (int i = 0; i < 16 * records; ++i) {
        bytes.append(char(i * 7 + 3));
    }
    return bytes;
}

// Programming meets the fault at the 60th reply of the transfer (of 584): inside it, and soon
// enough that a loaded machine is unlikely to miss a reply window before.
constexpr int TransferFaultAt = 60;

} // namespace

Q_DECLARE_METATYPE(Activity)
Q_DECLARE_METATYPE(ProgramResult)

class FaultMatrixTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { EventPump::setSleepHook(nullptr); }
    void faultDuringActivity_data();
    void faultDuringActivity();

private:
    void programUnderFault(SimController& sim, TMySerial& serial, PollDriver& driver,
                           SimFault::Kind fault, int arg, ProgramResult programmed, GapProbe& gaps);
};

// A transfer through the boot loader meets the fault part way: it ends in its outcome within
// the fixed waits, the controller stays in its loader, and once the line is good a second
// transfer succeeds and the controller is polled again.
void FaultMatrixTest::programUnderFault(SimController& sim, TMySerial& serial, PollDriver& driver,
                                        SimFault::Kind fault, int arg, ProgramResult programmed,
                                        GapProbe& gaps) {
    ControllerMirror& m = driver.mirror;
    driver.stop(); // the window stops the poll cycle first
    FirmwareProgrammer programmer;
    programmer.LoadImage(GeneratedImages::Image(1320));
    // Silence answers that many first; the other faults hit every that-many-th reply.
    sim.setFault(fault == SimFault::Silence ? SimFault{fault, TransferFaultAt, CMD_SERVICE, 0}
                                            : SimFault{fault, arg, CMD_SERVICE, TransferFaultAt});
    QuietProgress progress;
    const ProgramResult result = programmer.Program(m, serial, {}, progress);
    QCOMPARE(result, programmed);
    QVERIFY2(gaps.longest <= LongestTickMs, qPrintable(QString::number(gaps.longest)));
    sim.clearFaults();
    if (programmed == ProgramResult::Success) {
        // A late reply is waited for: the update went through at the first attempt.
        QCOMPARE(programmer.Attempt, 1);
    } else {
        // A fault on every 60th reply breaks each attempt: the transfer was started again
        // twice (a vanished device, whose port is gone, not at all), then given up.
        QCOMPARE(programmer.Attempt, fault == SimFault::HangUp ? 1 : 3);
        QVERIFY(progress.blocks < 3 * TransferFaultAt);
        QCOMPARE(sim.completedTransfers(), 0);
        if (fault == SimFault::HangUp && !sim.isRunning()) { // plugged in again as a new terminal
            QVERIFY2(sim.start(), qPrintable(sim.errorString()));
            QVERIFY(serial.SerialOpenDevice(sim.slavePath(), 9600));
        }
        // The user writes again.
        QuietProgress progressAgain;
        QCOMPARE(programmer.Program(m, serial, {}, progressAgain), ProgramResult::Success);
    }
    QCOMPARE(sim.completedTransfers(), 1);
    // Identity and settings are forgotten and the poll cycle starts again.
    m.IdentityState = 0;
    m.SettingIndex = 0;
    driver.start();
    QTRY_VERIFY_WITH_TIMEOUT(driver.states.Image1Visible && m.IdentityState == -1 &&
                                 m.SettingIndex == -1 && m.LinkCounter == 0,
                             15000);
    QCOMPARE(mirrorSettings(m), sim.settings().left(15));
    driver.stop();
    QVERIFY2(gaps.longest <= LongestTickMs, qPrintable(QString::number(gaps.longest)));
}

void FaultMatrixTest::faultDuringActivity_data() {
    QTest::addColumn<int>("fault");
    QTest::addColumn<int>("arg");
    QTest::addColumn<bool>("lost"); // nothing usable comes back: the loss must be shown
    QTest::addColumn<Activity>("activity");
    QTest::addColumn<ProgramResult>("programmed"); // a transfer meeting the fault ends so
    struct F {
        const char* name;
        SimFault::Kind kind;
        int arg;
        bool lost;
        ProgramResult programmed;
    };
    // A late answer or stray bytes ahead of it may still be read as a later tick's answer.
    const F faults[] = {
        {"silence", SimFault::Silence, 0, true, ProgramResult::TransferNoReply},
        {"late answer", SimFault::Late, 400, false, ProgramResult::Success},
        {"garbage", SimFault::Garbage, 5, false, ProgramResult::TransferNoReply},
        {"truncated", SimFault::Truncated, 0, true, ProgramResult::TransferNoReply},
        {"bad checksum", SimFault::BadChecksum, 0, true, ProgramResult::TransferFailed},
        {"wrong start byte", SimFault::WrongStart, 0, true, ProgramResult::TransferNoReply},
        {"device vanishes", SimFault::HangUp, 0, true, ProgramResult::TransferNoReply},
    };
    const std::pair<const char*, Activity> activities[] = {
        {"polling", Activity::Polling},    {"setting write", Activity::SettingWrite},
        {"map write", Activity::MapWrite}, {"programming", Activity::Programming},
        {"replay", Activity::Replay},
    };
    for (const F& f : faults) {
        for (const auto& a : activities) {
            QTest::addRow("%s during %s", f.name, a.first)
                << int(f.kind) << f.arg << f.lost << a.second << f.programmed;
        }
    }
}

void FaultMatrixTest::faultDuringActivity() {
    QFETCH(int, fault);
    QFETCH(int, arg);
    QFETCH(bool, lost);
    QFETCH(Activity, activity);
    QFETCH(ProgramResult, programmed);

    SimConfig config;
    config.pacing = false;
    if (activity == Activity::Programming) { // the loader answers and flashes at once
        config.replyLatencyMs = 0;
        config.flashWriteMs = 0;
    }
    SimController sim(config);
    QVERIFY2(sim.start(), qPrintable(sim.errorString()));
    TMySerial serial;
    FakeLang lang;
    PollDriver driver(serial, lang, 10); // timer waits shortened; the line's own waits are real
    QVERIFY(serial.SerialOpenDevice(sim.slavePath(), 9600));
    ControllerMirror& m = driver.mirror;
    driver.start();
    QTRY_VERIFY_WITH_TIMEOUT(
        m.IdentityState == -1 && m.SettingIndex == -1 && driver.ticks.size() > 6, 5000);
    const QByteArray settingsBefore = sim.settings();

    GapProbe gaps;
    if (activity == Activity::Programming) {
        programUnderFault(sim, serial, driver, SimFault::Kind(fault), arg, programmed, gaps);
        return;
    }
    sim.setFault(SimFault{SimFault::Kind(fault), arg, -1, 0});
    const int faultFrom = int(driver.ticks.size()) + 1; // one tick may be in flight
    QByteArray wantedMap;
    const int wantedSetting = std::uint8_t(settingsBefore[5]) == 77 ? 78 : 77;
    switch (activity) {
    case Activity::Polling:
    case Activity::Programming:
    case Activity::Replay:
        break;
    case Activity::SettingWrite:
        m.SettingValue = wantedSetting;
        m.SettingIndex = 5;
        break;
    case Activity::MapWrite:
        setMapPattern(m, wantedMap, 1);
        m.MapWriteFirst = -1; // the whole map
        m.PendingWrites |= 0x2000;
        break;
    }

    if (lost) {
        QTRY_VERIFY_WITH_TIMEOUT(!driver.states.Image1Visible, 20000);
        const auto loss = std::find_if(driver.results.cbegin() + faultFrom, driver.results.cend(),
                                       [](const PollTickResult& r) { return r.lossReset; });
        QVERIFY(loss != driver.results.cend());
        QCOMPARE(loss->lossReset->caption, QStringLiteral("Orvex V1.03"));
        QCOMPARE(m.IdentityState, 0);
        for (int i = faultFrom; i < driver.ticks.size(); ++i) {
            QVERIFY2(!driver.ticks[i].answered, qPrintable(QString::number(i)));
        }
    } else {
        QTest::qWait(2500);
    }
    // Whatever came through, the mirror holds nothing the controller did not send.
    if (activity == Activity::SettingWrite && m.SettingIndex == -1) {
        QCOMPARE(mirrorSettings(m), sim.settings().left(15));
    }
    QVERIFY2(gaps.longest <= LongestTickMs, qPrintable(QString::number(gaps.longest)));

    if (activity == Activity::Replay) {
        // The user replays a recording on the bad line: the port is closed on purpose, the
        // whole file plays, and polling afterwards shows the lost connection.
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("faulty.rec"));
        QFile out(file);
        QVERIFY(out.open(QIODevice::WriteOnly));
        out.write(recording(40));
        out.close();
        serial.SerialClose();
        driver.stop();
        CountingSink sink;
        const ReplayResult r = ReplayRecording(m, file, lang, sink);
        QCOMPARE(int(r.outcome), int(ReplayResult::Outcome::Played));
        QCOMPARE(sink.records, 40);
        driver.start();
        QTRY_VERIFY_WITH_TIMEOUT(!driver.states.Image1Visible && m.IdentityState == 0, 10000);
        QVERIFY2(gaps.longest <= LongestTickMs, qPrintable(QString::number(gaps.longest)));
    }

    // The line comes back (a vanished device is plugged in again as a new terminal).
    if (fault == SimFault::HangUp) {
        driver.stop();
        QVERIFY(!sim.isRunning());
        sim.clearFaults(); // the new terminal must not hang up again
        QVERIFY2(sim.start(), qPrintable(sim.errorString()));
        QVERIFY(serial.SerialOpenDevice(sim.slavePath(), 9600));
        driver.start();
    } else {
        sim.clearFaults();
        if (activity == Activity::Replay) { // connected again from the Port menu
            QVERIFY(serial.SerialOpenDevice(sim.slavePath(), 9600));
        }
    }
    QTRY_VERIFY_WITH_TIMEOUT(driver.states.Image1Visible && m.IdentityState == -1 &&
                                 m.SettingIndex == -1 && m.LinkCounter == 0,
                             15000);
    QCOMPARE(mirrorSettings(m), sim.settings().left(15));

    // Done again on the good line, the activity lands.
    switch (activity) {
    case Activity::Programming:
    case Activity::Replay: // the settings read afresh above replaced the recording's
        break;
    case Activity::Polling: {
        // A late answer sent just before the line came back may still cost a tick or two;
        // then three ticks in a row are answered.
        const int from = int(driver.ticks.size());
        const auto lastThreeAnswered = [&driver, from] {
            const int n = int(driver.ticks.size());
            return n >= from + 3 && driver.ticks[n - 1].answered && driver.ticks[n - 2].answered &&
                   driver.ticks[n - 3].answered;
        };
        QTRY_VERIFY_WITH_TIMEOUT(lastThreeAnswered(), 5000);
        break;
    }
    case Activity::SettingWrite:
        m.SettingValue = wantedSetting;
        m.SettingIndex = 5;
        QTRY_COMPARE_WITH_TIMEOUT(m.SettingIndex, -1, 5000);
        QCOMPARE(int(std::uint8_t(sim.settings()[5])), wantedSetting);
        QCOMPARE(int(m.SettingsImage[6]), wantedSetting);
        break;
    case Activity::MapWrite:
        setMapPattern(m, wantedMap, 2);
        m.MapWriteFirst = -1;
        m.PendingWrites |= 0x2000;
        QTRY_COMPARE_WITH_TIMEOUT(sim.mapCells(), wantedMap, 5000);
        m.MapTable.fill(0);
        m.PendingWrites |= 0x0800; // read it back
        QTRY_COMPARE_WITH_TIMEOUT(mirrorMap(m), wantedMap, 5000);
        break;
    }
    driver.stop();
    QVERIFY2(gaps.longest <= LongestTickMs, qPrintable(QString::number(gaps.longest)));
}

QTEST_MAIN(FaultMatrixTest)
#include "tst_fault_matrix.moc"
