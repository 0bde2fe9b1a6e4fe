// Keyboard commands, service mode, the tabs and the Help menu.
#include "EventPump.h"
#include "TForm1.h"
#include "TFormAboud.h"
#include "TFormHelp.h"
#include "TFormInfo.h"
#include "TMySerial.h"
#include "TPanel.h"
#include "TRadioGroup.h"
#include "WindowPlacement.h"
#include "WindowTestSupport.h"

#include <QAbstractTextDocumentLayout>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QFileDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QScreen>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextDocument>
#include <QTextLayout>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QTreeWidget>

class WindowKeysTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<TForm1> w;
    QList<QUrl> opened;
    bool opens = true; // whether something on this machine opens what is asked
    QStringList notices;

    void type(const char* keys, Qt::KeyboardModifiers mods = Qt::NoModifier,
              QWidget* target = nullptr) {
        for (const char* k = keys; *k != '\0'; ++k) {
            QTest::keyClick(target != nullptr ? target : w.get(), *k, mods);
        }
    }

private slots:
    void initTestCase() {
        EventPump::setSleepHook([](int) {});
    }
    void init() {
        w = WindowTest::freshWindow();
        opened.clear();
        notices.clear();
        opens = true;
        w->UrlOpener = [this](const QUrl& url) {
            opened << url;
            return opens;
        };
        w->NoticeBox = [this](const QString& text) { notices << text; };
        w->show();
        QVERIFY(QTest::qWaitForWindowExposed(w.get()));
    }
    void cleanup() { w.reset(); }

    void accessCodeTypedBackwardsTogglesServiceMode_data() {
        QTest::addColumn<int>("modifiers");
        QTest::newRow("plain") << int(Qt::NoModifier);
        QTest::newRow("with Shift") << int(Qt::ShiftModifier);
    }
    void accessCodeTypedBackwardsTogglesServiceMode() {
        QFETCH(int, modifiers);
        const auto mods = Qt::KeyboardModifiers(modifiers);
        type("uveq", mods);
        QVERIFY(w->ServiceMode);
        QVERIFY(!w->PanelRight->isHidden());
        QVERIFY(!w->PanelRes->isHidden());
        QVERIFY(!w->CheckBoxZbo->isHidden());
        // The history is not cleared: one more key is needed before the code can match again.
        type("x", mods);
        type("uveq", mods);
        QVERIFY(!w->ServiceMode);
        QVERIFY(w->PanelRight->isHidden());
        QVERIFY(w->PanelRes->isHidden());
    }

    void accessCodeInItsStoredOrderDoesNothing() {
        type("qevu");
        QVERIFY(!w->ServiceMode);
        type("qevuqevu");
        QVERIFY(!w->ServiceMode);
        QVERIFY(w->PanelRight->isHidden());
    }

    void keysTypedIntoAControlCountOnce() {
        // A key the focused control ignores travels up to the window; it must enter the
        // history once, or the code could never match.
        w->EditTPS->setFocus();
        type("uveq", Qt::NoModifier, w->EditTPS);
        QVERIFY(w->ServiceMode);
    }

    void keysBeyondLatin1NeitherCommandNorSpell_data() {
        QTest::addColumn<int>("key");
        QTest::newRow("volume down") << int(Qt::Key_VolumeDown);
        QTest::newRow("volume mute") << int(Qt::Key_VolumeMute);
        QTest::newRow("volume up") << int(Qt::Key_VolumeUp);
        QTest::newRow("bass boost") << int(Qt::Key_BassBoost);
        QTest::newRow("U+0170 (Hungarian keyboard)") << 0x170;
        QTest::newRow("U+0172 (Lithuanian keyboard)") << 0x172;
        QTest::newRow("menu key") << int(Qt::Key_Menu);
    }
    void keysBeyondLatin1NeitherCommandNorSpell() {
        QFETCH(int, key);
        w->PanelMapy->show();
        w->Mirror.SettingIndex = -1;
        const bool on = w->CheckBoxOn->isChecked();
        const bool ro = w->CheckBoxRo->isChecked();
        const int mapMode = w->RGMapa->ItemIndex();
        w->resize(700, 520); // F4 would make it 800 x 600
        QTRY_COMPARE(w->size(), QSize(700, 520));
        const QSize size = w->size();
        // As the first letter typed of the access code (the code's "u"), then the other three.
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
        QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier);
        QApplication::sendEvent(w.get(), &press);
        QApplication::sendEvent(w.get(), &release);
        type("veq");
        QCOMPARE(w->CheckBoxOn->isChecked(), on);
        QCOMPARE(w->CheckBoxRo->isChecked(), ro);
        QCOMPARE(w->RGMapa->ItemIndex(), mapMode);
        QCOMPARE(w->size(), size);
        QCOMPARE(w->Mirror.SettingIndex, -1); // nothing was sent to the controller
        QVERIFY(!w->ServiceMode);
    }

    void accessCodeTypedWithARussianLayoutCountsByKey_data() {
        // The keys U, V, E and Q type Г, М, У and Й with a Russian layout.
        QTest::addColumn<QList<int>>("nativeKeys");
        QTest::addColumn<QList<int>>("scanCodes");
        QTest::newRow("virtual-key codes")
            << QList<int>{'U', 'V', 'E', 'Q'} << QList<int>{0, 0, 0, 0};
        QTest::newRow("Cyrillic key symbols, key codes")
            << QList<int>{0x6c7, 0x6cd, 0x6d5, 0x6ca} << QList<int>{30, 55, 26, 24};
    }
    void accessCodeTypedWithARussianLayoutCountsByKey() {
        QFETCH(QList<int>, nativeKeys);
        QFETCH(QList<int>, scanCodes);
        const QList<int> keys{0x413, 0x41C, 0x423, 0x419};
        const QString texts = QStringLiteral("гмуй");
        auto typeRussian = [&](int i, quint32 scanCode) {
            for (const auto type : {QEvent::KeyPress, QEvent::KeyRelease}) {
                QKeyEvent e(type, keys[i], Qt::NoModifier, scanCode, quint32(nativeKeys[i]), 0,
                            texts.mid(i, 1));
                QApplication::sendEvent(w.get(), &e);
            }
        };
        for (int i = 0; i < 4; ++i) {
            typeRussian(i, quint32(scanCodes[i]));
        }
        QVERIFY(w->ServiceMode);
        // A Cyrillic letter on a key with no Latin letter (the "[" key types Х) spells nothing.
        for (int i = 0; i < 4; ++i) {
            typeRussian(i, quint32(scanCodes[i]));
        }
        QVERIFY(!w->ServiceMode);
        QKeyEvent ha(QEvent::KeyPress, 0x425, Qt::NoModifier, 34, 0x6e8, 0, QStringLiteral("х"));
        QApplication::sendEvent(w.get(), &ha);
        for (int i = 1; i < 4; ++i) {
            typeRussian(i, quint32(scanCodes[i]));
        }
        QVERIFY(!w->ServiceMode);
    }

    void frameLogSwitchesOnlyInServiceMode() {
        QTest::keyClick(w.get(), Qt::Key_T, Qt::ControlModifier);
        QVERIFY(!w->Mirror.LogFrames);
        type("uveq");
        QTest::keyClick(w.get(), Qt::Key_T, Qt::ControlModifier);
        QVERIFY(w->Mirror.LogFrames);
        w->ShowTxLog(QStringLiteral("Tx: 55 00 50 - - 5B"));
        QTest::keyClick(w.get(), Qt::Key_T, Qt::ControlModifier);
        QVERIFY(!w->Mirror.LogFrames);
        // The captions come back with the language.
        QCOMPARE(w->OpisSygaly->text(), QStringLiteral("Sygnały :"));
    }

    void ctrlIShowsTheInformationWindowAndReadsAgain() {
        w->Mirror.IdentityState = -1;
        w->Mirror.SettingIndex = -1;
        w->Mirror.RxBuffer[5] = 0x77;
        w->Mirror.RxBuffer[300] = 0x66; // beyond the first 256 bytes: left alone
        QVERIFY(w->FormInfo->windowTitle().isEmpty());
        QTest::keyClick(w.get(), Qt::Key_I, Qt::ControlModifier);
        QVERIFY(w->FormInfo->isVisible());
        QCOMPARE(w->FormInfo->windowTitle(), QStringLiteral("Orvex"));
        QCOMPARE(w->Mirror.IdentityState, 0);
        QCOMPARE(w->Mirror.SettingIndex, 0);
        QCOMPARE(w->Mirror.RxBuffer[5], std::uint8_t{0});
        QCOMPARE(w->Mirror.RxBuffer[300], std::uint8_t{0x66});
        // Whole on the window's screen, and Esc closes it.
        const QRect screen = w->screen()->availableGeometry();
        QVERIFY2(screen.contains(w->FormInfo->frameGeometry()),
                 qPrintable(QStringLiteral("%1,%2 %3x%4")
                                .arg(w->FormInfo->x())
                                .arg(w->FormInfo->y())
                                .arg(w->FormInfo->width())
                                .arg(w->FormInfo->height())));
        QTest::keyClick(w->FormInfo, Qt::Key_Escape);
        QVERIFY(!w->FormInfo->isVisible());
    }

    void tabLeavesTheMapGridAndAnOpenDialogStartsWithoutAName() {
        w->show();
        QVERIFY(QTest::qWaitForWindowActive(w.get()));
        w->PanelMapy->show();
        w->GridMapa->show();
        w->GridMapa->setCurrentCell(3, 3);
        w->GridMapa->setFocus();
        QTRY_VERIFY(w->GridMapa->hasFocus());
        QTest::keyClick(w->GridMapa, Qt::Key_Right);
        QCOMPARE(w->GridMapa->currentColumn(), 4); // the arrows move inside
        QTest::keyClick(w->GridMapa, Qt::Key_Tab);
        QVERIFY(!w->GridMapa->hasFocus()); // Tab goes on to the next control
        // A recording's name typed into the open dialog is gone when a map is opened next.
        QFileDialog* open = w->FileDialog(FileFolders::Kind::Recordings, false, "bin");
        const auto names = open->findChildren<QLineEdit*>(QStringLiteral("fileNameEdit"));
        QVERIFY(!names.isEmpty());
        names.first()->setText(QStringLiteral("drive.bin"));
        QCOMPARE(w->FileDialog(FileFolders::Kind::Maps, false, "orvx"), open);
        QCOMPARE(names.first()->text(), QString());
    }

    void windowsAreMovedAndShrunkOntoTheScreen_data() {
        QTest::addColumn<QRect>("wanted");
        QTest::addColumn<QRect>("screen");
        QTest::addColumn<QRect>("placed");
        const QRect small(0, 0, 800, 600);
        QTest::newRow("fits: stays")
            << QRect(100, 50, 391, 400) << small << QRect(100, 50, 391, 400);
        QTest::newRow("runs off right and bottom")
            << QRect(745, 301, 391, 640) << QRect(0, 0, 1366, 768) << QRect(745, 128, 391, 640);
        QTest::newRow("taller than the screen")
            << QRect(745, 301, 391, 640) << small << QRect(409, 0, 391, 600);
        QTest::newRow("above and left of a second screen")
            << QRect(1800, -40, 300, 200) << QRect(1920, 0, 1280, 1024) << QRect(1920, 0, 300, 200);
    }

    void windowsAreMovedAndShrunkOntoTheScreen() {
        QFETCH(QRect, wanted);
        QFETCH(QRect, screen);
        QFETCH(QRect, placed);
        QCOMPARE(WindowPlacement::within(wanted, screen), placed);
    }

    void informationWindowShowsReportLinesAsTheyCame() {
        // A vehicle name is whatever the controller holds: markup in it is text.
        const QStringList report{QString(), QString(), QStringLiteral("Wersja :\t\t1.3.1.0"),
                                 QStringLiteral("Marka/Model :\t  [<b>Fiat</b> &lt;126p&gt;] "),
                                 QString()};
        w->FormInfo->AppendLine(QStringLiteral("old report"));
        w->FormInfo->Clear();
        for (const QString& line : report) {
            w->FormInfo->AppendLine(line);
        }
        QCOMPARE(w->FormInfo->Lines(), report);
    }

    void informationWindowLinesUpValuesAndNotes() {
        // Names of one length in characters but not in pixels, with one or two tabs as the
        // report has them: every value starts in one column, every note in the next.
        const QStringList report{
            QStringLiteral("Montaż :\t\t0x21\t[Tr,...,...,... ; ...,...,...,...]"),
            QStringLiteral("BootLoader :\t1.2"),
            QStringLiteral("MinWerPc\t0x05"),
            QStringLiteral("Przebieg\t\t7"),
            QStringLiteral("OpcjeL\t\t0x0F\t[...,...,...,... ; strB/G,strRoz,strOn,strPk]"),
            QStringLiteral("PrógRPM :\t120\t3000 [obr/min]"),
            QStringLiteral("Rx: 55 00")};
        w->FormInfo->show();
        for (const QString& line : report) {
            w->FormInfo->AppendLine(line);
        }
        QCOMPARE(w->FormInfo->Lines(), report);
        QTextDocument* doc = w->FormInfo->Edit2->document();
        doc->documentLayout()->documentSize(); // lays the text out
        // The x of the character after the i-th run of tabs in a line.
        auto columnX = [doc](int line, int field) {
            const QTextBlock block = doc->findBlockByNumber(line);
            const QString text = block.text();
            int at = 0;
            for (int f = 0; f <= field; ++f) {
                at = text.indexOf(QLatin1Char('\t'), at);
                while (at < text.size() && text[at] == QLatin1Char('\t')) {
                    ++at;
                }
            }
            return block.layout()->lineAt(0).cursorToX(at);
        };
        const qreal value = columnX(0, 0);
        QVERIFY(value > QFontMetricsF(doc->defaultFont()).horizontalAdvance("BootLoader :"));
        for (int line = 1; line < 6; ++line) {
            QCOMPARE(columnX(line, 0), value);
        }
        QCOMPARE(columnX(4, 1), columnX(0, 1));
        QCOMPARE(columnX(5, 1), columnX(0, 1));
        QVERIFY(columnX(0, 1) >
                value + QFontMetricsF(doc->defaultFont()).horizontalAdvance("0x21"));
    }

    void f3StepsTheMapModeOnlyWhenItShows() {
        w->PanelMapy->hide();
        w->RGMapa->setItemIndex(1);
        QTest::keyClick(w.get(), Qt::Key_F3);
        QCOMPARE(w->RGMapa->ItemIndex(), 1);
        w->PanelMapy->show();
        QTest::keyClick(w.get(), Qt::Key_F3);
        QCOMPARE(w->RGMapa->ItemIndex(), 2);
        QTest::keyClick(w.get(), Qt::Key_F3);
        QCOMPARE(w->RGMapa->ItemIndex(), 0);
    }

    void f1TogglesImpulseShiftingAsAClickWhenItShows() {
        w->CheckBoxOn->hide();
        w->Mirror.SettingIndex = -1;
        QTest::keyClick(w.get(), Qt::Key_F1);
        QVERIFY(!w->CheckBoxOn->isChecked());
        QCOMPARE(w->Mirror.SettingIndex, -1);
        w->CheckBoxOn->show();
        QTest::keyClick(w.get(), Qt::Key_F1);
        QVERIFY(w->CheckBoxOn->isChecked());
        // The bit options are setting 1; with no controller answering the edit is held, not
        // sent to whichever controller answers next.
        QCOMPARE(w->Mirror.SettingIndex, -1);
        QVERIFY(w->Mirror.Held.setting(1) != nullptr);
        QCOMPARE(w->Mirror.Held.setting(1)->state, HeldWrites::SettingState::Held);
    }

    void f4RestoresTheWindowToTheTopLeftCorner() {
        w->SetPanelLeftFills(false); // the chart panel stands beside it
        w->showMaximized();
        QTest::keyClick(w.get(), Qt::Key_F4);
        QTRY_COMPARE(w->size(), QSize(800, 600));
        QCOMPARE(w->pos(), QPoint(0, 0));
        QVERIFY(!w->isMaximized());
        // Two thirds of the width, or what its rows need; the chart keeps at least the rest.
        QTRY_VERIFY(w->PanelLeft->width() >= 533 && w->PanelLeft->width() <= 800 - 220);
    }

    void updateTabAndBack() {
        QTest::mouseClick(w->ZakladkaProg, Qt::LeftButton);
        QVERIFY(w->ZakladkaProg->isChecked());
        QCOMPARE(w->Button1->property("Tag").toInt(), 2);
        QVERIFY(w->PanelLeft->isHidden());
        QVERIFY(!w->TreeView1->isHidden());
        QVERIFY(!w->Button1->isEnabled());
        QCOMPARE(w->Button1->text(), QStringLiteral("Wgraj"));
        QVERIFY(w->Button2->isHidden());
        QCOMPARE(w->StatusText(), w->LangText(730));
        QVERIFY(!w->StatusText().isEmpty());
        // Pointing at a menu item (its status tip is empty) leaves the text in place.
        QStatusTipEvent tip{QString()};
        QApplication::sendEvent(w.get(), &tip);
        QCOMPARE(w->StatusText(), w->LangText(730));
        QVERIFY(w->findChild<QLabel*>(QStringLiteral("StatusText"))->isVisible());

        QTest::mouseClick(w->ZakladkaParam, Qt::LeftButton);
        QCOMPARE(w->Button1->property("Tag").toInt(), 0);
        QVERIFY(!w->PanelLeft->isHidden());
        QVERIFY(w->TreeView1->isHidden());
        QVERIFY(w->Button1->isEnabled());
        QCOMPARE(w->Button1->text(), QStringLiteral("Odśwież"));
        QVERIFY(!w->Button2->isHidden());
        QCOMPARE(w->StatusText(), QString());
    }

    void fileMenuReachesTheMapFileButtonsAndTheirKeys() {
        // The map toolbar's buttons are the File menu's first items, in the window's language.
        const QList<QAction*> items = w->MenuPliki->actions();
        QCOMPARE(items.mid(0, 3),
                 (QList<QAction*>{w->ToolBtnOpen, w->ToolBtnSave, w->ToolBtnMapKasuj}));
        QCOMPARE(w->ToolBtnOpen->text(), w->LangText(886));
        QVERIFY(!w->ToolBtnMapKasuj->text().isEmpty());
        w->show();
        QVERIFY(QTest::qWaitForWindowActive(w.get()));
        // Every file dialog that opens is noted and cancelled.
        QStringList dialogs;
        QTimer closer;
        connect(&closer, &QTimer::timeout, this, [&] {
            for (QFileDialog* d : w->findChildren<QFileDialog*>()) {
                if (d->isVisible()) {
                    dialogs << d->windowTitle();
                    d->reject();
                }
            }
        });
        closer.start(5);
        QTest::keyClick(w.get(), Qt::Key_O, Qt::ControlModifier);
        QTRY_COMPARE(dialogs, QStringList{w->LangText(700)});
        // The closed dialog may stay the active window here: the keys must reach the window.
        QApplication::setActiveWindow(w.get());
        QTRY_COMPARE(QApplication::activeWindow(), w.get());
        // Without the controller's map on the window there is nothing to save or erase.
        QVERIFY(w->PanelMapy->isHidden());
        // (A dialog would run its own loop within the key click, and be closed there.)
        QTest::keyClick(w.get(), Qt::Key_S, Qt::ControlModifier);
        QCOMPARE(dialogs.size(), 1);
        w->PanelMapy->show();
        w->ToolBarMap->show();
        QVERIFY(w->MapPanelShown());
        QTest::keyClick(w.get(), Qt::Key_S, Qt::ControlModifier);
        QTRY_COMPARE(dialogs, (QStringList{w->LangText(700), w->LangText(701)}));
        // The save dialog offers the csv map beside the map file.
        auto* save = w->findChild<QFileDialog*>(QStringLiteral("SaveDialog1"));
        QVERIFY(save != nullptr);
        QCOMPARE(save->nameFilters().size(), 3);
        QVERIFY(save->nameFilters().at(1).contains(QStringLiteral("*.csv")));
    }

    void longMessagesAreCutAndTheLinkFiguresKeepTheirPlace_data() {
        QTest::addColumn<int>("width");
        QTest::newRow("800") << 800;
        QTest::newRow("1920") << 1920;
    }
    void longMessagesAreCutAndTheLinkFiguresKeepTheirPlace() {
        QFETCH(int, width);
        w->resize(width, 600);
        w->show();
        QVERIFY(QTest::qWaitForWindowExposed(w.get()));
        QString message = QStringLiteral("Zapisano kopię zapasową: ");
        while (message.size() < 400) {
            message += QStringLiteral("/home/warsztat/Dokumenty/Orvex/kopie ");
        }
        w->SetStatusText(message);
        QCOMPARE(w->StatusText(), message);
        auto* line = w->findChild<QLabel*>(QStringLiteral("StatusText"));
        QTRY_VERIFY(line->text().endsWith(QChar(0x2026)));
        QCOMPARE(line->toolTip(), message);
        // The figures stand whole in their own section, right of the message.
        const QLabel* figures = w->LinkHealthText;
        QTRY_VERIFY(figures->geometry().right() <= w->StatusBar1->width());
        QVERIFY2(figures->fontMetrics().horizontalAdvance(figures->text()) <= figures->width(),
                 qPrintable(figures->text()));
        QVERIFY(line->geometry().right() < figures->geometry().left());
        // A short one is shown as it is, without a tooltip.
        w->SetStatusText(QStringLiteral("OK"));
        QCOMPARE(line->text(), QStringLiteral("OK"));
        QVERIFY(line->toolTip().isEmpty());
    }

    void leavingTheParametersTabHidesTheMeasurementGrids() {
        type("uveq");
        QVERIFY(!w->PanelRight->isHidden());
        w->ShowTab(2);
        QVERIFY(w->PanelRight->isHidden());
        QVERIFY(w->ServiceMode);
    }

    void documentationIsLookedForInDocThenBesideTheProgram_data() {
        QTest::addColumn<int>("language");
        QTest::addColumn<QStringList>("files"); // relative to the program's folder
        QTest::addColumn<QString>("expected");
        const QString pl =
            QStringLiteral("KOLVA-VX-01_02 instrukcja podłączenia i programowania.pdf");
        const QString en = QStringLiteral("KOLVA-VX-01_02 installation & programming manual.pdf");
        QTest::newRow("Polish in Doc") << 0 << QStringList{"Doc/" + pl, pl} << "Doc/" + pl;
        QTest::newRow("Polish beside") << 0 << QStringList{pl} << pl;
        QTest::newRow("English, none anywhere") << 2 << QStringList{pl} << QString();
        QTest::newRow("English, only a Doc folder")
            << 2 << QStringList{"Doc/readme.txt"} << QStringLiteral("Doc");
        QTest::newRow("Russian has no manual") << 4 << QStringList{"Doc/" + en} << "Doc";
        QTest::newRow("German has no manual") << 1 << QStringList{en} << QString();
    }
    void documentationIsLookedForInDocThenBesideTheProgram() {
        QFETCH(int, language);
        QFETCH(QStringList, files);
        QFETCH(QString, expected);
        QTemporaryDir dir;
        for (const QString& f : files) {
            const QString path = dir.path() + '/' + f;
            QDir().mkpath(QFileInfo(path).path());
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
        }
        const QString want = expected.isEmpty() ? dir.path() : dir.path() + '/' + expected;
        QCOMPARE(TForm1::DocumentationTarget(dir.path(), language), want);
    }

    // Without a PDF (or without a program for it) the user is told why and gets the manual
    // built into the program, in Polish or English.
    void documentationMenuShowsTheBuiltInManualWhenThereIsNoPdf_data() {
        QTest::addColumn<int>("language");
        QTest::addColumn<bool>("pdf");
        QTest::addColumn<bool>("opens");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("heading");
        QTest::newRow("Polish, no PDF") << 0 << false << true << "Instrukcja"
                                        << "krótka instrukcja";
        QTest::newRow("English, PDF but nothing opens it") << 2 << true << false << "Manual"
                                                           << "short manual";
        QTest::newRow("Russian has no PDF: English manual, nothing to report")
            << 4 << false << true << QString() << "short manual";
    }
    void documentationMenuShowsTheBuiltInManualWhenThereIsNoPdf() {
        QFETCH(int, language);
        QFETCH(bool, pdf);
        QFETCH(bool, opens);
        QFETCH(QString, title);
        QFETCH(QString, heading);
        QTemporaryDir dir;
        w->DocumentationFolder = dir.path();
        const QString manual = dir.path() + "/Doc/" + TForm1::DocumentationFileName(language);
        if (pdf) {
            QDir().mkpath(dir.path() + "/Doc");
            QFile file(manual);
            QVERIFY(file.open(QIODevice::WriteOnly));
        }
        this->opens = opens;
        w->ApplyLanguage(language);
        w->MenuPomocDok->trigger();
        QCOMPARE(opened.size(), pdf ? 1 : 0);
        if (language == 4) {
            QVERIFY(notices.isEmpty());
        } else {
            QCOMPARE(notices.size(), 1);
            // Where it looked (or what would not open), in the window's language.
            QVERIFY2(notices[0].contains(manual), qPrintable(notices[0]));
            QVERIFY(notices[0].startsWith(w->LangText(pdf ? 186 : 187).left(10)));
            if (!pdf) {
                QVERIFY(notices[0].contains(dir.path() + '/' +
                                            TForm1::DocumentationFileName(language)));
            }
        }
        QVERIFY(w->FormHelp->isVisible());
        QCOMPARE(w->FormHelp->windowTitle(), w->LangText(190));
        if (!title.isEmpty()) {
            QCOMPARE(w->FormHelp->windowTitle(), title);
        }
        QVERIFY(w->FormHelp->HelpText->toPlainText().contains(heading));
        QVERIFY(w->FormHelp->HelpText->toPlainText().contains("Ctrl+I"));
        w->FormHelp->hide();
    }

    void documentationMenuOpensAnInstalledPdf() {
        QTemporaryDir dir;
        w->DocumentationFolder = dir.path();
        QFile file(dir.path() + '/' + TForm1::DocumentationFileName(0));
        QVERIFY(file.open(QIODevice::WriteOnly));
        w->ApplyLanguage(0);
        w->MenuPomocDok->trigger();
        QCOMPARE(opened, QList<QUrl>{QUrl::fromLocalFile(file.fileName())});
        QVERIFY(notices.isEmpty());
        QVERIFY(!w->FormHelp->isVisible());
    }

    void aboutShowsTheVersionInTheUsersLanguage_data() {
        QTest::addColumn<int>("language");
        QTest::addColumn<QString>("version");
        QTest::addColumn<int>("charset");
        QTest::newRow("Polish") << 0 << "Wersja programu : V1.03" << 1;
        QTest::newRow("Russian") << 4 << "Версия программы : V1.03" << 204;
    }
    void aboutShowsTheVersionInTheUsersLanguage() {
        QFETCH(int, language);
        QFETCH(QString, version);
        QFETCH(int, charset);
        w->ApplyLanguage(language);
        QString shown;
        bool visible = false;
        QTimer::singleShot(0, this, [&] {
            visible = w->FormAboud->isVisible();
            shown = w->FormAboud->Label4->text();
            QTest::mouseClick(w->FormAboud->Button1, Qt::LeftButton);
        });
        w->MenuPomocOProg->trigger(); // modal until OK
        QVERIFY(visible);
        QVERIFY(!w->FormAboud->isVisible());
        QCOMPARE(shown, version);
        QCOMPARE(w->FormAboud->windowTitle(), QStringLiteral("Orvex"));
        QCOMPARE(w->FormAboud->Label4->property("Charset").toInt(), charset);
        QVERIFY(!w->FormAboud->Image1->pixmap().isNull());
    }

    void aboutLinksOpenTheWebAndAMail() {
        w->FormAboud->LabelLogWwwClick();
        w->FormAboud->LabelLogEmaClick();
        QCOMPARE(opened.size(), 2);
        QCOMPARE(opened[0].host(), QStringLiteral("www.example.com"));
        QCOMPARE(opened[1].scheme(), QStringLiteral("mailto"));
        QCOMPARE(opened[1].query(), QStringLiteral("subject=temat"));
        QVERIFY(notices.isEmpty());
        // Nothing on this machine opens web pages: the user is told so.
        opens = false;
        w->ApplyLanguage(2);
        w->FormAboud->LabelLogWwwClick();
        QCOMPARE(notices.size(), 1);
        QVERIFY2(notices[0].startsWith("Cannot open http") &&
                     notices[0].contains("www.example.com"),
                 qPrintable(notices[0]));
    }
};

QTEST_MAIN(WindowKeysTest)
#include "tst_window_keys.moc"
