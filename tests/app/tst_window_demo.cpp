// The whole program against the simulated controller over a pseudo-terminal: start, identity,
// settings, live values, the service text and frame log, a lost and regained link, and close.
#include "BgrColor.h"
#include "DemoSession.h"
#include "PendingWrites.h"
#include "PersistedSettings.h"
#include "SimController.h"
#include "TForm1.h"
#include "TFormInfo.h"
#include "TMySerial.h"
#include "TPanel.h"
#include "TRadioGroup.h"
#include "WindowTestSupport.h"

#include <QAction>
#include <QCheckBox>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QStatusBar>
#include <QTest>
#include <QTextEdit>
#include <QTimer>
#include <QToolButton>

// The colour a check box really shows behind its text, not what its palette claims.
static QColor paintedBackground(QCheckBox* box) {
    return box->grab().toImage().pixelColor(box->width() - 2, 1);
}

class WindowDemoTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<SimController> sim;
    std::unique_ptr<TForm1> w;
    QStringList boxes;

    void start(SimConfig config = {}, bool pacing = false) {
        config.pacing = pacing; // timing is not what most of these tests are about
        sim = std::make_unique<SimController>(config);
        QVERIFY2(sim->start(), qPrintable(sim->errorString()));
        w = std::make_unique<TForm1>();
        w->Serial1->SetOpenErrorPresenter(
            [this](const QString& text, const QString&) { boxes << text; });
        w->ErrorBox = [this](const QString& text) { boxes << text; };
        w->UseSessionDevice(sim->slavePath());
        w->show();
    }
    void waitConnected() {
        QTRY_VERIFY_WITH_TIMEOUT(w->windowTitle().contains(QStringLiteral("KOLVA-VX-01")), 5000);
        QTRY_COMPARE_WITH_TIMEOUT(w->Mirror.SettingIndex, -1, 5000);
        QTRY_VERIFY_WITH_TIMEOUT(w->LabelRpm->text().contains(QStringLiteral("obr/min")), 5000);
    }
    void grab(const QString& name) {
        const QByteArray dir = qgetenv("ORVEX_SCREENSHOT_DIR");
        if (!dir.isEmpty()) {
            w->grab().save(QString::fromLocal8Bit(dir) + '/' + name + ".png");
        }
    }

private slots:
    void init() {
        WindowTest::removeSettings();
        boxes.clear();
    }
    void cleanup() {
        w.reset();
        sim.reset();
    }

    void startIdentitySettingsLiveAndClose() {
        WindowTest::writeSettings(QByteArray("[General]\nComm=4\nLang=0\n"));
        start();
        waitConnected();
        QCOMPARE(w->Mirror.IdentityState, -1);
        QVERIFY(!w->Image1->isHidden());
        // Live values move: the panels take state colours and the labels their units.
        QTRY_VERIFY(!w->LabelSta->text().isEmpty());
        const QColor sta = w->PanelSta->color();
        QVERIFY(sta == colorFromBgr(0x00FF00) || sta == colorFromBgr(0x0000FF));
        QVERIFY(w->LabelTps->text().endsWith(QStringLiteral(" V")));
        const quint64 served = sim->requestCount();
        QTRY_VERIFY(sim->requestCount() > served + 5);
        // The information report holds the identity and, once, the settings.
        const QString report = w->FormInfo->Edit2->toPlainText();
        QVERIFY(report.contains(QStringLiteral("Wersja :")));
        QVERIFY(report.contains(QStringLiteral("IlośćNastaw :")));
        QCOMPARE(report.count(QStringLiteral("IlośćNastaw :")), 1);
        grab(QStringLiteral("demo-polish"));
        w->ApplyLanguage(2);
        QTRY_VERIFY(w->LabelRpm->text().contains(QStringLiteral("rpm")));
        grab(QStringLiteral("demo-english"));

        QVERIFY(w->close());
        QVERIFY(boxes.isEmpty());
        // The simulator's terminal was for this run only: the user's port stays saved.
        const PersistedSettings::Values saved = PersistedSettings::Read();
        QCOMPARE(saved.Comm, 4);
        QCOMPARE(saved.Lang, 2);
    }

    void demoEngineIsStoppedByHandBeforeAnUpdate() {
        start();
        waitConnected();
        w->AddDemoEngineSwitch([this](bool running) { sim->setEngineRunning(running); });
        QTRY_VERIFY_WITH_TIMEOUT((w->Mirror.LiveStatus & 0x04) != 0, 5000);
        // On the update tab the window refuses an update until the user stops the engine.
        w->ZakladkaProg->click();
        QVERIFY(w->DemoEngine->isChecked());
        QTest::keyClick(w.get(), Qt::Key_F8);
        QVERIFY(!w->DemoEngine->isChecked());
        QTRY_VERIFY_WITH_TIMEOUT((w->Mirror.LiveStatus & 0x04) == 0, 5000);
        QCOMPARE(w->StatusText(), w->LangText(987));
        w->DemoEngine->trigger();
        QTRY_VERIFY_WITH_TIMEOUT((w->Mirror.LiveStatus & 0x04) != 0, 5000);
    }

    void silentControllerLosesTheLinkAndComesBack() {
        start();
        waitConnected();
        w->ZakladkaProg->click(); // a loss always brings the parameters tab back
        QCOMPARE(w->Button1->property("Tag").toInt(), 2);
        // The relay box unchecked turns yellow; the loss must take that colour away too.
        QTRY_VERIFY_WITH_TIMEOUT(w->CheckBoxPk->isChecked(), 5000);
        w->CheckBoxPk->click();
        QCOMPARE(paintedBackground(w->CheckBoxPk), QColor(255, 255, 0));
        sim->setFault(SimFault{SimFault::Silence, 0});
        // Six quick unanswered polls, then slow ones, then the reset on the tick after the 17th.
        QTRY_VERIFY_WITH_TIMEOUT(w->Image1->isHidden(), 15000);
        QCOMPARE(w->windowTitle(), QStringLiteral("Orvex V1.03"));
        QCOMPARE(TForm1::ApplicationTitle(), QStringLiteral("Orvex"));
        QCOMPARE(w->PanelError->text(), QStringLiteral("Brak połączenia"));
        QCOMPARE(w->Timer1->interval(), 500);
        QCOMPARE(w->Mirror.IdentityState, 0);
        QCOMPARE(w->Button1->property("Tag").toInt(), 0);
        QVERIFY(w->ZakladkaParam->isChecked());
        QVERIFY(!w->PanelLeft->isHidden());
        QCOMPARE(w->PanelSta->color(), buttonFaceColor());
        QCOMPARE(paintedBackground(w->CheckBoxPk), buttonFaceColor());
        grab(QStringLiteral("demo-lost"));

        // The relay write went out into the silence: on return it is offered, never resent
        // by itself.
        QStringList asked;
        w->AskMapWrite = [&asked](const QString& text, bool) {
            asked << text;
            return false;
        };
        sim->clearFaults();
        QTRY_VERIFY_WITH_TIMEOUT(!w->Image1->isHidden(), 5000);
        QTRY_VERIFY_WITH_TIMEOUT(w->windowTitle().contains(QStringLiteral("KOLVA-VX-01")), 5000);
        QTRY_COMPARE_WITH_TIMEOUT(asked.size(), 1, 5000);
        QVERIFY2(asked[0].startsWith(w->LangText(966)), qPrintable(asked[0]));
        QVERIFY2(asked[0].contains(w->CheckBoxPk->text()), qPrintable(asked[0]));
        QTRY_COMPARE_WITH_TIMEOUT(w->Timer1->interval(), 100, 5000);
        // The first live frame after a loss always refreshes the configuration-source layout.
        QTRY_COMPARE(w->StatusText(), QStringLiteral("Konfiguracja wariatora z komputera PC"));
        QVERIFY(w->StatusBar1->isVisible());
    }

    void serviceTextAndFrameLog() {
        SimConfig config;
        config.serviceText = "Serwis testowy 42";
        start(config);
        waitConnected();
        // Ctrl+F pressed while a poll tick waits for its answer is not served inside the tick
        // (its request would take the tick's answer), but right after it.
        w->Timer1->stop();
        QCoreApplication::postEvent(
            w.get(), new QKeyEvent(QEvent::KeyPress, Qt::Key_F, Qt::ControlModifier));
        QCoreApplication::postEvent(
            w.get(), new QKeyEvent(QEvent::KeyRelease, Qt::Key_F, Qt::ControlModifier));
        quint64 before = sim->requestCount();
        w->Timer1Timer();
        QCOMPARE(sim->requestCount(), before + 1);
        QVERIFY(w->windowTitle().contains(QStringLiteral("KOLVA-VX-01")));
        QTRY_COMPARE(w->windowTitle(), QStringLiteral("Serwis testowy 42"));

        // A poll tick due while the service text is awaited waits for it: one request only.
        w->setWindowTitle(QString());
        w->Timer1->start(0);
        before = sim->requestCount();
        QTest::keyClick(w.get(), Qt::Key_F, Qt::ControlModifier);
        QCOMPARE(sim->requestCount(), before + 1);
        QCOMPARE(w->windowTitle(), QStringLiteral("Serwis testowy 42"));
        QVERIFY(w->Timer1->isActive());

        for (const char k : QByteArray("uveq")) {
            QTest::keyClick(w.get(), k);
        }
        QVERIFY(w->ServiceMode);
        QTest::keyClick(w.get(), Qt::Key_T, Qt::ControlModifier);
        QVERIFY(w->Mirror.LogFrames);
        // In service mode the live values also land in the measurement grids.
        QTRY_VERIFY(!w->Panel1->text().isEmpty());
        grab(QStringLiteral("demo-service"));
        QTRY_VERIFY(w->OpisSygaly->text().startsWith(QStringLiteral("Tx: 55 ")));
        QTRY_VERIFY(w->OpisNastawy->text().startsWith(QStringLiteral("Rx: 55 ")));
        // A fresh read puts the answer's log line into the report too.
        QTest::keyClick(w.get(), Qt::Key_I, Qt::ControlModifier);
        QTRY_VERIFY(w->FormInfo->Edit2->toPlainText().contains(QStringLiteral("Rx: 55 ")));
    }

    void unpluggedLineShowsNoConnectionWithoutHanging() {
        start();
        waitConnected();
        sim->setFault(SimFault{SimFault::HangUp, 0});
        QTRY_VERIFY_WITH_TIMEOUT(w->Image1->isHidden(), 15000);
        QCOMPARE(w->windowTitle(), QStringLiteral("Orvex V1.03"));
        // The window still answers the user: the port menu offers to connect again.
        emit w->MenuPort->aboutToShow();
        QCOMPARE(w->MenuPortZmien->text(), QStringLiteral("POŁĄCZ"));
        QVERIFY(w->close());
    }

    void controllerInItsLoaderOpensTheUpdateTab() {
        SimConfig config;
        config.startInLoader = true;
        config.loaderMarker = 2; // the last programming ended with a checksum error
        start(config);
        QTRY_VERIFY_WITH_TIMEOUT(!boxes.isEmpty(), 5000);
        QCOMPARE(boxes.first(), w->LangText(920) + w->LangText(923));
        QCOMPARE(w->windowTitle(), QStringLiteral("Orvex V1.03"));
        QVERIFY(w->ZakladkaProg->isChecked());
        QCOMPARE(w->Button1->property("Tag").toInt(), 2);
        QVERIFY(w->PanelLeft->isHidden());
        QVERIFY(w->RGKomKor->isHidden());
        QVERIFY(w->FormInfo->Edit2->toPlainText().contains(QStringLiteral("BootLoader :")));
        // Nothing but identity requests while the loader answers: no settings are asked for.
        QCOMPARE(w->Mirror.SettingIndex, -1);
    }

    void closeAskedForWhileAnAnswerIsShownWaitsForTheExchange() {
        SimConfig config;
        config.minWerPc = 3; // the controller wants a newer program: a message on its identity
        start(config);
        bool closedInside = false;
        w->ErrorBox = [this, &closedInside](const QString& text) {
            boxes << text;
            if (boxes.size() == 1) {
                // The user closes the window while the message is up, mid-tick.
                closedInside = w->close();
            }
        };
        QTRY_VERIFY_WITH_TIMEOUT(!boxes.isEmpty(), 5000);
        QVERIFY(!closedInside);
        QTRY_VERIFY(w->Serial() == nullptr); // closed once the tick was over
        QVERIFY(!w->isVisible());
    }

    void aMapReadLetsTheWindowsTimersRunWhileItsAnswerComes() {
        start({}, true); // the 247-byte map answer takes about a quarter second on the line
        waitConnected();
        // The map read of the connection is done once the table holds the controller's cells.
        const auto holds = [this](const QByteArray& cells) {
            return std::int8_t(w->Mirror.MapTable[18]) == std::int8_t(cells[0]) &&
                   std::int8_t(w->Mirror.MapTable[271]) == std::int8_t(cells[239]);
        };
        QTRY_VERIFY_WITH_TIMEOUT(holds(sim->mapCells()), 5000);

        QByteArray cells = sim->mapCells();
        cells[0] = char(~cells[0]);
        cells[239] = char(~cells[239]);
        sim->setMapCells(cells);
        // A timer of the window's, counting its runs between the request and the stored answer.
        int runsDuringRead = 0;
        QTimer beat(w.get());
        connect(&beat, &QTimer::timeout, [&] {
            if ((w->Mirror.PendingWrites & PW_MAP_READ) == 0 && !holds(cells)) {
                ++runsDuringRead;
            }
        });
        beat.start(5);
        w->Mirror.PendingWrites |= PW_MAP_READ;
        QTRY_VERIFY_WITH_TIMEOUT(holds(cells), 5000);
        beat.stop();
        // Blocking body waits let it run at most once or twice; a loaded machine still runs it
        // far more often than this.
        QVERIFY2(runsDuringRead >= 8, qPrintable(QString::number(runsDuringRead)));
    }

    void closeAskedForDuringThePortOpenPauseWaitsForTheOpen() {
        start();
        // The opener pauses before opening with the window running: the user closes it then.
        bool asked = false;
        bool closedInside = true;
        QTimer user;
        connect(&user, &QTimer::timeout, [&] {
            if (!asked && w->Serial() != nullptr && w->Serial()->Opening()) {
                asked = true;
                closedInside = w->close();
            }
        });
        user.start(5);
        QTRY_VERIFY_WITH_TIMEOUT(asked, 5000);
        QVERIFY(!closedInside);
        QTRY_VERIFY_WITH_TIMEOUT(w->Serial() == nullptr, 5000); // closed once the open returned
        QVERIFY(!w->isVisible());
        QVERIFY(!w->Timer1->isActive());
    }

    void newerProgramMessageComesBeforeTheReport() {
        SimConfig config;
        config.minWerPc = 3;
        start(config);
        QStringList reportAtMessage;
        w->ErrorBox = [this, &reportAtMessage](const QString& text) {
            boxes << text;
            reportAtMessage << w->FormInfo->Edit2->toPlainText();
        };
        QTRY_VERIFY_WITH_TIMEOUT(!boxes.isEmpty(), 5000);
        QCOMPARE(boxes.first(), w->LangText(741));
        QVERIFY(!reportAtMessage.first().contains(QStringLiteral("Wersja :")));
        QTRY_VERIFY(w->FormInfo->Edit2->toPlainText().contains(QStringLiteral("Wersja :")));
    }

    void theLinkIsPolledWhileAMessageOfAnAnswerIsOpen() {
        SimConfig config;
        config.minWerPc = 3; // the controller wants a newer program: a message on its identity
        start(config);
        quint64 servedWhileOpen = 0;
        w->ErrorBox = [this, &servedWhileOpen](const QString& text) {
            boxes << text;
            // The box's own event loop, as long as a user takes to read it.
            const quint64 before = sim->requestCount();
            (void)QTest::qWaitFor([&] { return sim->requestCount() >= before + 5; }, 3000);
            servedWhileOpen = sim->requestCount() - before;
        };
        QTRY_VERIFY_WITH_TIMEOUT(!boxes.isEmpty(), 5000);
        QVERIFY2(servedWhileOpen >= 5, qPrintable(QString::number(servedWhileOpen)));
    }

    void demoSessionServesItsOwnTerminal() {
        DemoSession demo;
        QVERIFY(demo.start(false));
        QVERIFY(demo.devicePath().startsWith(QStringLiteral("/dev/")));
        w = std::make_unique<TForm1>();
        w->UseSessionDevice(demo.devicePath());
        w->show();
        QTRY_VERIFY_WITH_TIMEOUT(w->windowTitle().contains(QStringLiteral("KOLVA-VX-0")), 5000);
        // Title, status bar and live panel all show the simulated controller.
        QTRY_COMPARE(w->StatusText(), QStringLiteral("Konfiguracja wariatora z komputera PC"));
        QTRY_VERIFY(w->LabelRpm->text().contains(QStringLiteral("obr/min")));
        QCOMPARE(w->Mirror.LiveMode & 0x0F, 0x06);
        w.reset();
    }

    // Where there is no pseudo-terminal (or when asked), the demo's controller is on a wire inside
    // the program: the same window, a Port menu entry and link figures of its own.
    void demoSessionOverTheInMemoryWire() {
        WindowTest::writeSettings(QByteArray("[General]\nComm=4\nLang=0\n"));
        DemoSession demo;
        QVERIFY(demo.start(false, SimLineKind::Memory));
        QVERIFY(demo.devicePath().isEmpty());
        w = std::make_unique<TForm1>();
        w->Serial1->SetOpenErrorPresenter(
            [this](const QString& text, const QString&) { boxes << text; });
        w->UseSessionWire(demo.wire(), DemoSession::wireName());
        w->show();
        QTRY_VERIFY_WITH_TIMEOUT(w->windowTitle().contains(QStringLiteral("KOLVA-VX-0")), 5000);
        QTRY_VERIFY(w->LabelRpm->text().contains(QStringLiteral("obr/min")));
        QTRY_COMPARE(w->Mirror.SettingIndex, -1);
        const quint64 served = demo.simulator()->requestCount();
        QTRY_VERIFY(demo.simulator()->requestCount() > served + 5);

        emit w->MenuPort->aboutToShow();
        QAction* entry = w->MenuPort->actions().last();
        QCOMPARE(entry->text(), DemoSession::wireName());
        QVERIFY(entry->isChecked());
        QCOMPARE(w->MenuPortZmien->text(), w->Serial1->DisconnectCaption());
        QTRY_VERIFY(w->LinkHealthText->text().startsWith(DemoSession::wireName() + " | "));

        // Disconnected and connected again through the menu's toggle.
        w->MenuPortZmien->trigger();
        QVERIFY(!w->Serial1->SerialConnected());
        w->MenuPortZmien->trigger();
        QTRY_VERIFY(w->Serial1->SerialConnected());
        const quint64 again = demo.simulator()->requestCount();
        QTRY_VERIFY(demo.simulator()->requestCount() > again + 5);

        QVERIFY(w->close());
        QVERIFY(boxes.isEmpty());
        QCOMPARE(PersistedSettings::Read().Comm, 4); // the wire was for this run only
        w.reset();
    }
};

QTEST_MAIN(WindowDemoTest)
#include "tst_window_demo.moc"
