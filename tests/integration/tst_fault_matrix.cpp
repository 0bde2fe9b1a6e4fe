// Every line fault of the simulator against every activity of the poll cycle, over the real
// port facade on a pseudo-terminal. For each pair: the event loop never stops for longer than
// the reader's fixed waits allow, the loss is shown where the line gives nothing usable, nothing
// from a damaged answer reaches the mirror, and once the line is good again the controller is
// read afresh and the activity, done again, lands.
#include "EventPump.h"
#include "FakeLang.h"
#include "PollDriver.h"
#include "SimController.h"
#include "TMySerial.h"

#include <QElapsedTimer>
#include <QtTest>

namespace {

enum class Activity { Polling, SettingWrite, MapWrite };

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

} // namespace

Q_DECLARE_METATYPE(Activity)

class FaultMatrixTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { EventPump::setSleepHook(nullptr); }
    void faultDuringActivity_data();
    void faultDuringActivity();
};

void FaultMatrixTest::faultDuringActivity_data() {
    QTest::addColumn<int>("fault");
    QTest::addColumn<int>("arg");
    QTest::addColumn<bool>("lost"); // nothing usable comes back: the loss must be shown
    QTest::addColumn<Activity>("activity");
    struct F {
        const char* name;
        SimFault::Kind kind;
        int arg;
        bool lost;
    };
    // A late answer or stray bytes ahead of it may still be read as a later tick's answer.
    const F faults[] = {
        {"silence", SimFault::Silence, 0, true},
        {"late answer", SimFault::Late, 400, false},
        {"garbage", SimFault::Garbage, 5, false},
        {"truncated", SimFault::Truncated, 0, true},
        {"bad checksum", SimFault::BadChecksum, 0, true},
        {"wrong start byte", SimFault::WrongStart, 0, true},
        {"device vanishes", SimFault::HangUp, 0, true},
    };
    const std::pair<const char*, Activity> activities[] = {
        {"polling", Activity::Polling},
        {"setting write", Activity::SettingWrite},
        {"map write", Activity::MapWrite},
    };
    for (const F& f : faults) {
        for (const auto& a : activities) {
            QTest::addRow("%s during %s", f.name, a.first)
                << int(f.kind) << f.arg << f.lost << a.second;
        }
    }
}

void FaultMatrixTest::faultDuringActivity() {
    QFETCH(int, fault);
    QFETCH(int, arg);
    QFETCH(bool, lost);
    QFETCH(Activity, activity);

    SimConfig config;
    config.pacing = false;
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
    sim.setFault(SimFault{SimFault::Kind(fault), arg, -1, 0});
    const int faultFrom = int(driver.ticks.size()) + 1; // one tick may be in flight
    QByteArray wantedMap;
    const int wantedSetting = std::uint8_t(settingsBefore[5]) == 77 ? 78 : 77;
    switch (activity) {
    case Activity::Polling:
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
    }
    QTRY_VERIFY_WITH_TIMEOUT(driver.states.Image1Visible && m.IdentityState == -1 &&
                                 m.SettingIndex == -1 && m.LinkCounter == 0,
                             15000);
    QCOMPARE(mirrorSettings(m), sim.settings().left(15));

    // Done again on the good line, the activity lands.
    switch (activity) {
    case Activity::Polling: {
        const int from = int(driver.ticks.size());
        QTRY_VERIFY_WITH_TIMEOUT(driver.ticks.size() > from + 3, 5000);
        QVERIFY(driver.ticks.last().answered || driver.ticks[driver.ticks.size() - 2].answered);
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
