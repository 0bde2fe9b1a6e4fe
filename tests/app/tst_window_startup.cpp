// Start-up, the stored port and language, the close, and opening a device given for this run.
#include "CommandLine.h"
#include "EventPump.h"
#include "PersistedSettings.h"
#include "TForm1.h"
#include "TMySerial.h"
#include "WindowTestSupport.h"

#include <QAction>
#include <QCoreApplication>
#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QMenu>
#include <QScopeGuard>
#include <QScrollBar>
#include <QSettings>
#include <QStandardPaths>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTextEdit>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>

using WindowTest::PtyPair;

class WindowStartupTest : public QObject {
    Q_OBJECT

private:
    // A shown window whose port-failure boxes are collected instead of shown.
    std::unique_ptr<TForm1> startWindow(const QString& device = QString()) {
        auto w = std::make_unique<TForm1>();
        w->Serial1->SetOpenErrorPresenter(
            [this](const QString& text, const QString&) { failures << text; });
        if (!device.isEmpty()) {
            w->UseSessionDevice(device);
        }
        w->show();
        return w;
    }
    QStringList failures;

private slots:
    void initTestCase() {
        // The fixed pauses (500 ms before an open, 200 ms at close) are not what is tested here.
        EventPump::setSleepHook([](int) {});
    }
    void init() {
        WindowTest::removeSettings();
        failures.clear();
    }

    void firstStartWithoutStoredValuesOpensPortOneInPolish() {
        auto w = startWindow();
        QCOMPARE(w->windowTitle(), QStringLiteral("Orvex V1.03"));
        QCOMPARE(w->Language(), 0);
        QVERIFY(w->MunuJezykPl->isChecked());
        QCOMPARE(w->ZakladkaParam->text(), QStringLiteral("Parametry"));
        QCOMPARE(w->PanelError->text(), QStringLiteral("Brak połączenia"));
        QVERIFY(w->ZakladkaParam->isChecked());
        // The saved port is opened half a second after the window shows, then polling starts.
        QVERIFY(!w->Timer1->isActive());
        QTRY_VERIFY(w->Timer1->isActive());
        QCOMPARE(w->Serial1->PortNumber(), 1);
        QVERIFY(!QFile::exists(WindowTest::settingsFile())); // reading created nothing
    }

    void storedValuesAreReadInOrder_data() {
        QTest::addColumn<QByteArray>("stored");
        QTest::addColumn<int>("port");
        QTest::addColumn<int>("language");
        QTest::newRow("both values") << QByteArray("[General]\nComm=3\nLang=2\n") << 3 << 2;
        QTest::newRow("language without port reads neither")
            << QByteArray("[General]\nLang=2\n") << 1 << 0;
        QTest::newRow("port that is not a number")
            << QByteArray("[General]\nComm=abc\nLang=4\n") << 1 << 0;
        QTest::newRow("unused language number becomes English")
            << QByteArray("[General]\nComm=7\nLang=3\n") << 7 << 2;
        QTest::newRow("garbage file") << QByteArray("\x01\xff[[[ =\n\x00zz\n", 12) << 1 << 0;
    }
    void storedValuesAreReadInOrder() {
        QFETCH(QByteArray, stored);
        QFETCH(int, port);
        QFETCH(int, language);
        WindowTest::writeSettings(stored);
        auto w = startWindow();
        QCOMPARE(w->Language(), language);
        QTRY_VERIFY(w->Timer1->isActive());
        QCOMPARE(w->Serial1->PortNumber(), port);
    }

    void closeWritesPortAndLanguage() {
        auto w = startWindow();
        QTRY_VERIFY(w->Timer1->isActive());
        w->MunuJezykGB->trigger();
        QVERIFY(w->close());
        QVERIFY(!w->Timer1->isActive());
        QVERIFY(w->Serial() == nullptr); // the facade is gone with the close
        const PersistedSettings::Values v = PersistedSettings::Read();
        QCOMPARE(v.Comm, 1);
        QCOMPARE(v.Lang, 2);
    }

    void closeRewritesAnUnreadableStore() {
        WindowTest::writeSettings(QByteArray("[General]\nComm=\nLang=zz\n"));
        auto w = startWindow();
        QTRY_VERIFY(w->Timer1->isActive());
        w->ApplyLanguage(4);
        QVERIFY(w->close());
        const PersistedSettings::Values v = PersistedSettings::Read();
        QCOMPARE(v.Comm, 1);
        QCOMPARE(v.Lang, 4);
    }

    void settingsThatCannotBeSavedStaySaid_data() {
        QTest::addColumn<bool>("home"); // else no home folder at all
        QTest::newRow("no home folder") << false;
        QTest::newRow("settings folder under a file") << true;
    }
    void settingsThatCannotBeSavedStaySaid() {
        QFETCH(bool, home);
        const QByteArray oldHome = qgetenv("HOME");
        const QByteArray oldConfig = qgetenv("XDG_CONFIG_HOME");
        const QString config =
            QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
        QTemporaryDir dir;
        {
            QFile file(dir.filePath(QStringLiteral("file")));
            QVERIFY(file.open(QIODevice::WriteOnly));
        }
        // No folder can be made under a regular file, also by root.
        const QString blocked = dir.filePath(QStringLiteral("file/config"));
        const auto restore = [&] {
            qputenv("HOME", oldHome);
            qputenv("XDG_CONFIG_HOME", oldConfig);
            QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, config);
        };
        const auto restoreAtEnd = qScopeGuard(restore);
        if (home) {
            qputenv("XDG_CONFIG_HOME", QFile::encodeName(blocked));
            // QSettings took its folder from XDG_CONFIG_HOME at its first use in this process.
            QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, blocked);
        } else {
            qunsetenv("HOME");
            qunsetenv("XDG_CONFIG_HOME");
        }
        const auto why = [&](const TForm1& w) {
            return home ? w.LangText(994).arg(blocked + QStringLiteral("/Merka/Durorude.conf"))
                        : w.LangText(864);
        };
        auto w = startWindow();
        QVERIFY(w->SettingsNote->isVisible());
        QCOMPARE(w->SettingsNote->text(), w->LangText(993));
        QCOMPARE(w->SettingsNote->toolTip(), why(*w));
        // The port is opened and other messages come and go: the note stays.
        QTRY_VERIFY(w->Timer1->isActive());
        w->SetStatusText(w->LangText(730));
        QVERIFY(w->SettingsNote->isVisible());
        // A language chosen now cannot be kept either: said in that language.
        const QString polish = why(*w);
        w->MunuJezykGB->trigger();
        QVERIFY(w->SettingsNote->isVisible());
        QCOMPARE(w->SettingsNote->toolTip(), why(*w));
        QVERIFY(w->SettingsNote->toolTip() != polish);
        // Once the settings can be stored, the next choice is kept and the note goes.
        restore();
        w->MunuJezykRU->trigger();
        QVERIFY(w->SettingsNote->isHidden());
        QCOMPARE(PersistedSettings::Read().Lang, 4);
    }

    void deviceGivenForTheRunReceivesThePolls() {
        PtyPair pty;
        QVERIFY(!pty.slavePath.isEmpty());
        auto w = startWindow(pty.slavePath);
        QTRY_VERIFY(w->Serial1->SerialConnected());
        // Nothing answers, so the program keeps asking who is there: 55 00 52 59.
        const QByteArray identityRequest = QByteArray::fromHex("55005259");
        QTRY_VERIFY_WITH_TIMEOUT(pty.readAvailable().contains(identityRequest), 3000);
        QVERIFY(failures.isEmpty());
    }

    void deviceGivenForTheRunDoesNotReplaceTheSavedPort() {
        WindowTest::writeSettings(QByteArray("[General]\nComm=5\nLang=0\n"));
        PtyPair pty;
        auto w = startWindow(pty.slavePath);
        QTRY_VERIFY(w->Serial1->SerialConnected());
        QVERIFY(w->close());
        QCOMPARE(PersistedSettings::Read().Comm, 5);
    }

    void portChosenDuringTheRunIsSavedEvenAfterADevice() {
        PtyPair pty;
        auto w = startWindow(pty.slavePath);
        QTRY_VERIFY(w->Serial1->SerialConnected());
        w->Serial1->SerialOpen(9, 9600); // as a click on "Com &9" does
        QVERIFY(w->close());
        QCOMPARE(PersistedSettings::Read().Comm, 9);
    }

    void portToggleClosesAndReopensAndAsksForIdentityAgain() {
        PtyPair pty;
        auto w = startWindow(pty.slavePath);
        QTRY_VERIFY(w->Serial1->SerialConnected());
        w->Mirror.IdentityState = -1;
        w->Mirror.SettingIndex = -1;
        emit w->MenuPort->aboutToShow();
        QCOMPARE(w->MenuPortZmien->text(), QStringLiteral("Rozłącz"));
        w->MenuPortZmien->trigger();
        QVERIFY(!w->Serial1->SerialConnected());
        QCOMPARE(w->Mirror.IdentityState, 0);
        QCOMPARE(w->Mirror.SettingIndex, 0);
        emit w->MenuPort->aboutToShow();
        QCOMPARE(w->MenuPortZmien->text(), QStringLiteral("POŁĄCZ"));
        w->MenuPortZmien->trigger();
        QVERIFY(w->Serial1->SerialConnected());
    }

    void everyDesignedControlIsFoundByItsName() {
        // Other parts of the program (and the language switch) find controls by these names.
        TForm1 w;
        const char* names[] = {"MainMenu1",
                               "MenuPliki",
                               "MenuPikiOtworz",
                               "MenuPlikiZapisz",
                               "PlikiUstawZapis",
                               "MenuPikiOtworzPom",
                               "PlikiZamknij",
                               "MenuPort",
                               "MenuPortZmien",
                               "N1",
                               "MenuJezyk",
                               "MunuJezykPl",
                               "MunuJezykDU",
                               "MunuJezykGB",
                               "MunuJezykRU",
                               "MenuPomoc",
                               "MenuPomocDok",
                               "MenuPomocOProg",
                               "PopupMenuPort",
                               "PopupMenuPortZmien",
                               "N2",
                               "PanelTop",
                               "ZakladkaParam",
                               "ZakladkaProg",
                               "LabelOpis",
                               "PanelError",
                               "Image1",
                               "Button1",
                               "Button2",
                               "PanelLeft",
                               "PanelNas1",
                               "Splitter1",
                               "PanelCzuj",
                               "Splitter2",
                               "PanelMapy",
                               "PanelMapyTop",
                               "ToolBarMap",
                               "ToolBtnMapKasuj",
                               "ToolBtnOpen",
                               "ToolBtnSave",
                               "GridMapa",
                               "PanelInne",
                               "SplitterLeft",
                               "Panel2",
                               "TreeView1",
                               "RichEdit1",
                               "PaintBox1",
                               "SplitterRight",
                               "PanelRight",
                               "Panel10",
                               "ScrollBar1",
                               "GridB",
                               "Panel9",
                               "GridG",
                               "Panel1",
                               "StatusBar1",
                               "ProgressBar1",
                               "Timer1",
                               "Timer2",
                               "CheckBoxPk",
                               "RGWyjKor",
                               "OpisSygaly"};
        for (const char* name : names) {
            QVERIFY2(w.findChild<QObject*>(QString::fromLatin1(name)) != nullptr, name);
        }
        QCOMPARE(w.Serial1->objectName(), QStringLiteral("Serial1"));
        // The file dialogs come when a file is first asked for (a dialog watches its folder from
        // the moment it exists), then stay and keep the folder the user went to.
        QVERIFY(w.findChildren<QFileDialog*>().isEmpty());
        QFileDialog* open = w.FileDialog(false);
        QCOMPARE(open->objectName(), QStringLiteral("OpenDialog1"));
        QCOMPARE(open->acceptMode(), QFileDialog::AcceptOpen);
        // Each kind of file starts in its own folder: the user's documents the first time.
        QVERIFY(w.FileDialog(FileFolders::Kind::Maps, false, QStringLiteral("orvx")) == open);
        QCOMPARE(open->directory().absolutePath(),
                 QDir(FileFolders::folder(FileFolders::Kind::Maps)).absolutePath());
        QVERIFY(open->directory().absolutePath() !=
                QDir(QCoreApplication::applicationDirPath()).absolutePath());
        QCOMPARE(w.FileDialog(true)->acceptMode(), QFileDialog::AcceptSave);
        QCOMPARE(w.FileDialog(false), open);
        QCOMPARE(w.findChildren<QFileDialog*>().size(), 2);
        // Hidden by design: the map-file items, German, the measurement and update areas.
        for (QAction* a : {w.MenuPikiOtworz, w.MenuPlikiZapisz, w.MunuJezykDU}) {
            QVERIFY(!a->isVisible());
        }
        // Recording and replay are reachable.
        for (QAction* a : {w.PlikiZamknij, w.PlikiUstawZapis, w.MenuPikiOtworzPom}) {
            QVERIFY(a->isVisible());
        }
        for (QWidget* hidden :
             {static_cast<QWidget*>(w.PanelRight), static_cast<QWidget*>(w.Panel2),
              static_cast<QWidget*>(w.TreeView1), static_cast<QWidget*>(w.RichEdit1),
              static_cast<QWidget*>(w.PanelInne), static_cast<QWidget*>(w.PanelMapy),
              static_cast<QWidget*>(w.ScrollBar1)}) {
            QVERIFY(hidden->isHidden());
        }
        QCOMPARE(w.GridB->columnCount(), 16);
        QCOMPARE(w.GridG->rowCount(), 17);
        QCOMPARE(TForm1::Cell(w.GridB, 0, 0), QStringLiteral("Ben"));
        QCOMPARE(TForm1::Cell(w.GridG, 0, 0), QStringLiteral("Gaz"));
    }

    void gridHeadersAreSpeedsAcrossAndLoadsDown() {
        auto w = startWindow();
        for (QTableWidget* g : {w->GridMapa, w->GridB, w->GridG}) {
            QCOMPARE(TForm1::Cell(g, 1, 0), QStringLiteral("800"));
            QCOMPARE(TForm1::Cell(g, 14, 0), QStringLiteral("6000"));
            QCOMPARE(TForm1::Cell(g, 15, 0), QStringLiteral("10000"));
            QCOMPARE(TForm1::Cell(g, 0, 1), QStringLiteral("6%"));
            QCOMPARE(TForm1::Cell(g, 0, 3), QStringLiteral("18%"));
            QCOMPARE(TForm1::Cell(g, 0, 4), QStringLiteral("25%"));
            QCOMPARE(TForm1::Cell(g, 0, 16), QStringLiteral("100%"));
        }
        QCOMPARE(TForm1::Cell(w->GridMapa, 0, 0), QStringLiteral("0"));
        QCOMPARE(TForm1::Cell(w->GridB, 0, 0), QStringLiteral("Ben"));
    }

    void commandLineOptions_data() {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<bool>("demo");
        QTest::addColumn<bool>("inMemory");
        QTest::addColumn<QString>("device");
        QTest::addColumn<bool>("fails");
        QTest::newRow("nothing") << QStringList{"orvex"} << false << false << QString() << false;
        QTest::newRow("demo") << QStringList{"orvex", "--demo"} << true << false << QString()
                              << false;
        QTest::newRow("demo in memory")
            << QStringList{"orvex", "--demo-line", "memory"} << true << true << QString() << false;
        QTest::newRow("demo on a pty") << QStringList{"orvex", "--demo", "--demo-line=pty"} << true
                                       << false << QString() << false;
        QTest::newRow("demo on an unknown line")
            << QStringList{"orvex", "--demo-line", "usb"} << true << false << QString() << true;
        QTest::newRow("device") << QStringList{"orvex", "--device", "/dev/pts/7"} << false << false
                                << QStringLiteral("/dev/pts/7") << false;
        QTest::newRow("device without path")
            << QStringList{"orvex", "--device"} << false << false << QString() << true;
        QTest::newRow("demo and device together")
            << QStringList{"orvex", "--demo", "--device", "/dev/ttyUSB0"} << true << false
            << QStringLiteral("/dev/ttyUSB0") << true;
        QTest::newRow("in-memory demo and device together")
            << QStringList{"orvex", "--demo-line", "memory", "--device", "/dev/ttyUSB0"} << true
            << true << QStringLiteral("/dev/ttyUSB0") << true;
        QTest::newRow("unknown option")
            << QStringList{"orvex", "--fast"} << false << false << QString() << true;
        QTest::newRow("a map file")
            << QStringList{"orvex", "map.orvx"} << false << false << QString() << false;
        QTest::newRow("two files")
            << QStringList{"orvex", "a.orvx", "b.csv"} << false << false << QString() << true;
    }
    void commandLineOptions() {
        QFETCH(QStringList, args);
        QFETCH(bool, demo);
        QFETCH(bool, inMemory);
        QFETCH(QString, device);
        QFETCH(bool, fails);
        const CommandLine cl = CommandLine::parse(args);
        QCOMPARE(!cl.error.isEmpty(), fails);
        if (!fails) {
            QCOMPARE(cl.demo, demo);
            QCOMPARE(cl.demoInMemory, inMemory);
            QCOMPARE(cl.device, device);
        }
    }
};

QTEST_MAIN(WindowStartupTest)
#include "tst_window_startup.moc"
