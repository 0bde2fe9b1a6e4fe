// Keyboard commands, service mode, the tabs and the Help menu.
#include "EventPump.h"
#include "TForm1.h"
#include "TFormAboud.h"
#include "TFormInfo.h"
#include "TMySerial.h"
#include "TPanel.h"
#include "TRadioGroup.h"
#include "WindowTestSupport.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStatusTipEvent>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>

class WindowKeysTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<TForm1> w;
    QList<QUrl> opened;

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
        w->UrlOpener = [this](const QUrl& url) { opened << url; };
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
        QCOMPARE(w->Mirror.SettingIndex, 1); // the bit options are setting 1
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

    void documentationMenuOpensTheProgramFolderWhenThereIsNoManual() {
        w->ApplyLanguage(2);
        w->MenuPomocDok->trigger();
        QCOMPARE(opened.size(), 1);
        QVERIFY(opened.first().isLocalFile());
        QVERIFY(QFileInfo(opened.first().toLocalFile()).isDir());
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
    }
};

QTEST_MAIN(WindowKeysTest)
#include "tst_window_keys.moc"
