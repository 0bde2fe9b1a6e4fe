// What the user changes reaches the controller, against the simulated controller: an edit made
// while a settings answer is on its way, an edit queued when the configuration source changes,
// a map answer that is lost, and a device that vanishes and comes back at the same path.
#include "SimController.h"
#include "TForm1.h"
#include "TMyComm.h"
#include "TMySerial.h"
#include "TPanel.h"
#include "TRadioGroup.h"
#include "TUpDown.h"
#include "WindowTestSupport.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMutex>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <atomic>
#include <functional>

namespace {

// The frames the simulated controller received, as hexadecimal text ("55 03 56 01 01 27 ...").
class FrameLog {
public:
    void add(const QString& line) {
        const int rx = line.indexOf(QStringLiteral("Rx  "));
        if (rx < 0) {
            return;
        }
        const QString frame = line.mid(rx + 4).trimmed().toUpper();
        std::function<void(const QString&)> hook;
        {
            QMutexLocker lock(&mutex_);
            frames_ << frame;
            hook = hook_;
        }
        if (hook) {
            hook(frame);
        }
    }
    QStringList frames() const {
        QMutexLocker lock(&mutex_);
        return frames_;
    }
    QStringList framesStartingWith(const QString& start) const {
        QStringList found;
        for (const QString& f : frames()) {
            if (f.startsWith(start)) {
                found << f;
            }
        }
        return found;
    }
    void clear() {
        QMutexLocker lock(&mutex_);
        frames_.clear();
        hook_ = nullptr;
    }
    // Called on the simulator's thread for every frame received from now on.
    void setHook(std::function<void(const QString&)> hook) {
        QMutexLocker lock(&mutex_);
        hook_ = std::move(hook);
    }

private:
    mutable QMutex mutex_;
    QStringList frames_;
    std::function<void(const QString&)> hook_;
};

const QString SettingWrite = QStringLiteral("55 03 56 01");
const QString SettingsRead = QStringLiteral("55 00 56");
const QString MapRead = QStringLiteral("55 03 5A F0 10 03");

} // namespace

class WindowEditsTest : public QObject {
    Q_OBJECT

private:
    FrameLog log;
    std::unique_ptr<SimController> sim;
    std::unique_ptr<TForm1> w;

    SimConfig config() {
        SimConfig c;
        c.pacing = false;
        c.log = [this](const QString& line) { log.add(line); };
        return c;
    }
    void start(const QString& device = QString()) {
        sim = std::make_unique<SimController>(config());
        QVERIFY2(sim->start(), qPrintable(sim->errorString()));
        w = WindowTest::freshWindow();
        w->ErrorBox = [](const QString&) {};
        w->UseSessionDevice(device.isEmpty() ? sim->slavePath() : device);
        w->show();
    }
    void waitConnected() {
        QTRY_VERIFY_WITH_TIMEOUT(w->windowTitle().contains(QStringLiteral("KOLVA-VX-01")), 5000);
        QTRY_COMPARE_WITH_TIMEOUT(w->Mirror.SettingIndex, -1, 5000);
        QTRY_VERIFY_WITH_TIMEOUT(w->LabelRpm->text().contains(QStringLiteral("obr/min")), 5000);
    }
    // Poll ticks by hand from here on: nothing runs between them but what the test does.
    void tickByHand() {
        w->Timer1->stop();
        w->Timer1->setInterval(1 << 30);
    }
    void tick() {
        w->Timer1Timer();
        w->Timer1->stop();
    }
    int settingBits() const { return static_cast<quint8>(sim->settings().at(1)); }

private slots:
    void init() { log.clear(); }
    void cleanup() {
        log.setHook(nullptr);
        w.reset();
        sim.reset();
    }

    void editMadeWhileASettingsAnswerIsOnItsWayIsSent() {
        start();
        waitConnected();
        QTRY_VERIFY_WITH_TIMEOUT(w->Mirror.MapTableRead, 5000);
        QCOMPARE(settingBits(), 0x23);
        QVERIFY(!w->CheckBoxRo->isChecked());
        // The answer to the next settings read comes a little late; the user ticks the
        // camshaft box (F2) after the request went out and before the answer is shown.
        sim->setFault(SimFault{SimFault::Late, 30, 0x56, 0});
        std::atomic<bool> armed{true};
        bool editedBeforeAnswer = false;
        log.setHook([&](const QString& frame) {
            if (frame.startsWith(SettingsRead) && armed.exchange(false)) {
                QMetaObject::invokeMethod(
                    w.get(),
                    [&] {
                        editedBeforeAnswer = w->Mirror.SettingIndex == 0;
                        QTest::keyClick(w.get(), Qt::Key_F2);
                    },
                    Qt::QueuedConnection);
            }
        });
        QTest::keyClick(w.get(), Qt::Key_I, Qt::ControlModifier); // a fresh read
        QTRY_VERIFY_WITH_TIMEOUT(!armed, 5000);
        QTRY_COMPARE_WITH_TIMEOUT(settingBits(), 0x27, 5000);
        QVERIFY(editedBeforeAnswer);
        sim->clearFaults();
        QTRY_COMPARE_WITH_TIMEOUT(w->Mirror.SettingIndex, -1, 5000);
        QVERIFY(w->CheckBoxRo->isChecked());
        // The answer never put the old byte back, in the box or on the line; and reading the
        // controller (twice, with the start) wrote nothing the user did not change, such as
        // the map source.
        const QStringList writes = log.framesStartingWith(SettingWrite);
        QCOMPARE(writes.size(), 1);
        QVERIFY2(writes[0].startsWith(QStringLiteral("55 03 56 01 01 27")), qPrintable(writes[0]));
    }

    void editQueuedWhenTheConfigurationSourceChangesIsSentBeforeTheRead() {
        start();
        waitConnected();
        tickByHand();
        // Make the next tick a live poll: settings go on every other tick.
        if (!w->Mirror.PollToggle) {
            tick();
        }
        sim->setSwitchBits(0x02); // a switch of the controller moved: the live mode byte changes
        w->CheckBoxKP->click();   // connection check off: 0x23 -> 0x03
        QCOMPARE(w->Mirror.SettingIndex, 1);
        tick(); // live: the layout is refreshed and all settings are to be read again
        QCOMPARE(w->StatusText(), QStringLiteral("Konfiguracja wariatora z komputera PC"));
        for (int i = 0; i < 20 && w->Mirror.SettingIndex != -1; ++i) {
            tick();
        }
        QCOMPARE(w->Mirror.SettingIndex, -1);
        QCOMPARE(settingBits(), 0x03);
        QVERIFY(!w->CheckBoxKP->isChecked());
        const QStringList writes = log.framesStartingWith(SettingWrite);
        QVERIFY2(writes.size() == 1, qPrintable(writes.join(QLatin1Char('|'))));
        QVERIFY2(writes[0].startsWith(QStringLiteral("55 03 56 01 01 03")), qPrintable(writes[0]));
    }

    void lostMapAnswerIsAskedForAgainAndTheMapIsNotEditedMeanwhile() {
        // Every map answer is cut short until the test lets one through.
        sim = std::make_unique<SimController>(config());
        sim->setFault(SimFault{SimFault::Truncated, 0, 0x5A, 0});
        QVERIFY(sim->start());
        w = WindowTest::freshWindow();
        w->UseSessionDevice(sim->slavePath());
        w->show();
        QTRY_VERIFY_WITH_TIMEOUT(!w->PanelMapy->isHidden(), 5000);
        tickByHand();
        for (int i = 0; i < 20 && log.framesStartingWith(MapRead).isEmpty(); ++i) {
            tick();
        }
        const int cutShort = int(log.framesStartingWith(MapRead).size());
        QVERIFY(cutShort >= 1);
        sim->clearFaults();
        QVERIFY(!w->Mirror.MapTableRead);
        QVERIFY(w->Mirror.PendingWrites & 0x0800); // asked for again
        QVERIFY(TForm1::Cell(w->GridMapa, 1, 1).isEmpty());

        // Meanwhile the set-angle arrows (which tune the live map cell) change nothing.
        const auto table = w->Mirror.MapTable;
        w->UpDownKat->press(TUpDown::btNext);
        QCOMPARE(w->Mirror.MapTable, table);
        QCOMPARE(w->Mirror.PendingWrites & 0x2000, 0u);

        for (int i = 0; i < 10 && !w->Mirror.MapTableRead; ++i) {
            tick();
        }
        QVERIFY(w->Mirror.MapTableRead);
        QCOMPARE(int(log.framesStartingWith(MapRead).size()), cutShort + 1);
        const QByteArray cells = sim->mapCells();
        for (const int n : {0, 17, 239}) {
            const int column = n / 16 + 1;
            const int row = n % 16 + 1;
            QCOMPARE(qint8(w->Mirror.MapTable[std::size_t(column * 17 + row)]), qint8(cells.at(n)));
            QVERIFY(!TForm1::Cell(w->GridMapa, column, row).isEmpty());
        }
        // Now the arrows tune the map.
        w->UpDownKat->press(TUpDown::btNext);
        QVERIFY(w->Mirror.PendingWrites & 0x2000);
    }

    void deviceThatComesBackAtTheSamePathIsOpenedAgain() {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString link = dir.filePath(QStringLiteral("controller"));
        sim = std::make_unique<SimController>(config());
        QVERIFY(sim->start());
        QVERIFY(QFile::link(sim->slavePath(), link));
        start(link);
        waitConnected();

        // The simulator stops: its terminal is gone and the link dangles.
        sim.reset();
        QTRY_VERIFY_WITH_TIMEOUT(w->Image1->isHidden(), 15000);
        QTRY_COMPARE_WITH_TIMEOUT(w->StatusText(), w->LangText(160).arg(link), 5000);
        QVERIFY(!w->Serial1->Comm().Enabled()); // the dead device is let go
        QVERIFY(w->ReconnectTimer->isActive());
        QVERIFY(w->ReconnectTimer->interval() >= 1000);

        // Started again on the same link path.
        sim = std::make_unique<SimController>(config());
        QVERIFY(sim->start());
        QFile::remove(link);
        QVERIFY(QFile::link(sim->slavePath(), link));
        QTRY_COMPARE_WITH_TIMEOUT(w->StatusText(), w->LangText(161).arg(link), 5000);
        QTRY_VERIFY_WITH_TIMEOUT(!w->Image1->isHidden(), 5000);
        QTRY_VERIFY_WITH_TIMEOUT(w->windowTitle().contains(QStringLiteral("KOLVA-VX-01")), 5000);
        QVERIFY(!w->ReconnectTimer->isActive());
    }

    void portTheUserClosedIsNotOpenedAgain() {
        start();
        waitConnected();
        tickByHand();
        w->MenuPortZmienClick(); // "Rozłącz"
        QVERIFY(!w->Serial1->SerialConnected());
        tick();
        QVERIFY(!w->Serial1->SerialWaitingForDevice());
        QVERIFY(w->ReconnectTimer == nullptr || !w->ReconnectTimer->isActive());
    }
};

QTEST_MAIN(WindowEditsTest)
#include "tst_window_edits.moc"
