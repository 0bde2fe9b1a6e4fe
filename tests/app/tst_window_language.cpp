// Switching the window's language: menus, captions, the tab button's rule, the polarity items,
// the two-row map titles and the port menu's toggle entry.
#include "EventPump.h"
#include "TForm1.h"
#include "TMySerial.h"
#include "TPanel.h"
#include "TRadioGroup.h"
#include "WindowTestSupport.h"

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QToolButton>

class WindowLanguageTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<TForm1> w;

private slots:
    void initTestCase() {
        EventPump::setSleepHook([](int) {});
    }
    void init() { w = WindowTest::freshWindow(); }
    void cleanup() { w.reset(); }

    void controlTextsFollowTheLanguage_data() {
        QTest::addColumn<int>("language");
        QTest::addColumn<QString>("tab");
        QTest::addColumn<QString>("defaults");
        QTest::addColumn<QString>("noConnection");
        QTest::addColumn<QString>("connect");
        QTest::newRow("Polish") << 0 << "Parametry"
                                << "Domyślne"
                                << "Brak połączenia"
                                << "POŁĄCZ";
        QTest::newRow("English") << 2 << "Parameters"
                                 << "Default"
                                 << "No connection"
                                 << "CONNECT";
        QTest::newRow("Russian") << 4 << QString() << QString() << QString() << "СОЕДИНИТЬ";
    }
    void controlTextsFollowTheLanguage() {
        QFETCH(int, language);
        QFETCH(QString, tab);
        QFETCH(QString, defaults);
        QFETCH(QString, noConnection);
        QFETCH(QString, connect);
        w->ApplyLanguage(language);
        QCOMPARE(w->Language(), language);
        if (!tab.isEmpty()) {
            QCOMPARE(w->ZakladkaParam->text(), tab);
            QCOMPARE(w->Button2->text(), defaults);
            QCOMPARE(w->PanelError->text(), noConnection);
        } else {
            // Russian: the window shows the built-in Russian texts, not the Polish ones.
            QVERIFY(!w->ZakladkaParam->text().isEmpty());
            QVERIFY(w->ZakladkaParam->text() != QStringLiteral("Parametry"));
            // ...and the English text for the ids the Russian table lacks.
            QCOMPARE(w->Button1->toolTip(), QStringLiteral("Read current parameters"));
        }
        QCOMPARE(w->Serial1->ConnectCaption(), connect);
        QCOMPARE(w->MunuJezykRU->text(), QStringLiteral("russian"));
    }

    void languageMenuItemsSwitchAndCheckThemselves() {
        w->MunuJezykGB->trigger();
        QCOMPARE(w->Language(), 2);
        QVERIFY(w->MunuJezykGB->isChecked());
        QVERIFY(!w->MunuJezykPl->isChecked());
        QCOMPARE(w->MenuPomoc->title(), QStringLiteral("Help"));
        w->MunuJezykRU->trigger();
        QCOMPARE(w->Language(), 4);
        QVERIFY(w->MunuJezykRU->isChecked());
        QVERIFY(!w->MunuJezykGB->isChecked());
        QVERIFY(!w->MunuJezykDU->isVisible());
        QCOMPARE(w->MunuJezykPl->text(), QStringLiteral("polski")); // never translated
    }

    void unusedLanguageNumberSettlesOnEnglish_data() {
        QTest::addColumn<int>("asked");
        QTest::newRow("3") << 3;
        QTest::newRow("7") << 7;
        QTest::newRow("-5") << -5;
    }
    void unusedLanguageNumberSettlesOnEnglish() {
        QFETCH(int, asked);
        w->ApplyLanguage(asked);
        QCOMPARE(w->Language(), 2);
        QVERIFY(w->MunuJezykGB->isChecked());
        QCOMPARE(w->Button1->text(), QStringLiteral("Refresh"));
    }

    void minusOneReappliesTheCurrentLanguage() {
        w->ApplyLanguage(2);
        w->ZakladkaParam->setText(QStringLiteral("changed"));
        w->ApplyLanguage(-1);
        QCOMPARE(w->Language(), 2);
        QCOMPARE(w->ZakladkaParam->text(), QStringLiteral("Parameters"));
    }

    void germanLeavesTextsItLacksEmpty() {
        w->ApplyLanguage(1);
        QCOMPARE(w->Language(), 1);
        QVERIFY(w->MunuJezykDU->isChecked());
        QCOMPARE(w->OpisKor->text(), QString()); // id 203 has no German text
        QCOMPARE(w->Serial1->ConnectCaption(), QStringLiteral("VERBINDEN"));
    }

    void tabButtonCaptionFollowsItsTagButHintAlwaysChanges() {
        w->Button1->setProperty("Tag", 1);
        w->Button1->setText(QStringLiteral("kept"));
        w->ApplyLanguage(2);
        QCOMPARE(w->Button1->text(), QStringLiteral("kept"));
        QCOMPARE(w->Button1->toolTip(), QStringLiteral("Read current parameters"));
        w->Button1->setProperty("Tag", 2);
        w->ApplyLanguage(2);
        QCOMPARE(w->Button1->text(), QStringLiteral("Write"));
        w->Button1->setProperty("Tag", 0);
        w->ApplyLanguage(0);
        QCOMPARE(w->Button1->text(), QStringLiteral("Odśwież"));
    }

    void outputPolarityKeepsItsChoiceAndSendsNothing() {
        w->RGWyjKor->setItemIndex(1);
        w->Mirror.SettingIndex = -1; // settings in step with the controller
        w->ApplyLanguage(2);
        QCOMPARE(w->RGWyjKor->ItemIndex(), 1);
        QCOMPARE(w->RGWyjKor->Items(), (QStringList{QStringLiteral("No"), QStringLiteral("5V")}));
        QCOMPARE(w->Mirror.SettingIndex, -1);
        w->ApplyLanguage(0);
        QCOMPARE(w->RGWyjKor->Items().first(), QStringLiteral("Nie"));
        QCOMPARE(w->RGWyjKor->ItemIndex(), 1);
    }

    void mapModeTextsAndTwoRowTitles() {
        w->RGMapa->setItemIndex(1);
        w->ApplyLanguage(2);
        QCOMPARE(w->RGMapa->Items().first(), QStringLiteral("OFF"));
        QCOMPARE(TForm1::Cell(w->GridMapa, 0, 0), QStringLiteral("Rpm"));
        QCOMPARE(TForm1::Cell(w->GridMapa, 0, 1), QStringLiteral("Angle"));
        // With the map off the grid's titles are not the language's business.
        w->RGMapa->setItemIndex(0);
        TForm1::SetCell(w->GridMapa, 0, 0, QStringLiteral("0"));
        w->ApplyLanguage(0);
        QCOMPARE(TForm1::Cell(w->GridMapa, 0, 0), QStringLiteral("0"));
        QCOMPARE(w->RGMapa->Items().first(), QStringLiteral("wył."));
    }

    void portMenuToggleUsesTheNewLanguageNextTimeItOpens() {
        w->ApplyLanguage(0);
        emit w->MenuPort->aboutToShow();
        QCOMPARE(w->MenuPortZmien->text(), QStringLiteral("POŁĄCZ"));
        w->ApplyLanguage(2);
        emit w->MenuPort->aboutToShow();
        QCOMPARE(w->MenuPortZmien->text(), QStringLiteral("CONNECT"));
        QVERIFY(w->MenuPort->actions().at(1)->isSeparator());
        emit w->PopupMenuPort->aboutToShow();
        QCOMPARE(w->PopupMenuPortZmien->text(), QStringLiteral("CONNECT"));
    }

    // The Yes/No question and the file dialogs are Qt's own: their buttons follow the window.
    void standardDialogButtonsSpeakTheWindowsLanguage_data() {
        QTest::addColumn<int>("language");
        QTest::addColumn<QString>("yes");
        QTest::addColumn<QString>("no");
        QTest::newRow("Polish") << 0 << "&Tak"
                                << "&Nie";
        QTest::newRow("Russian") << 4 << "&Да"
                                 << "&Нет";
        QTest::newRow("English after Russian") << 2 << "&Yes"
                                               << "&No";
    }
    void standardDialogButtonsSpeakTheWindowsLanguage() {
        QFETCH(int, language);
        QFETCH(QString, yes);
        QFETCH(QString, no);
        w->ApplyLanguage(4);
        w->ApplyLanguage(language);
        QMessageBox box(QMessageBox::Question, QString(), QString(),
                        QMessageBox::Yes | QMessageBox::No);
        QCOMPARE(box.button(QMessageBox::Yes)->text(), yes);
        QCOMPARE(box.button(QMessageBox::No)->text(), no);
    }

    void statusTextAndSwitchHintFollowTheLanguage() {
        w->ApplyLanguage(0);
        w->SetStatusText(w->LangText(733));
        w->PanelSw->setToolTip(w->LangText(732));
        w->ApplyLanguage(2);
        QCOMPARE(w->StatusText(), QStringLiteral("Variator configuration from PC"));
        QCOMPARE(w->PanelSw->toolTip(), w->LangText(732));
        QVERIFY(w->PanelSw->toolTip() != QStringLiteral("Konfiguracja wariatora z przełączników"));
        w->ApplyLanguage(4);
        QCOMPARE(w->StatusText(), w->LangText(733));
        w->ApplyLanguage(0);
        QCOMPARE(w->StatusText(), QStringLiteral("Konfiguracja wariatora z komputera PC"));
        // A text that is none of the window's texts stays as it is.
        w->SetStatusText(QStringLiteral("/dev/ttyUSB0"));
        w->ApplyLanguage(2);
        QCOMPARE(w->StatusText(), QStringLiteral("/dev/ttyUSB0"));
        // A device being reopened: the text follows, the device's name stays.
        w->SetStatusText(w->LangText(160).arg(QStringLiteral("/dev/ttyUSB0")));
        w->ApplyLanguage(0);
        QCOMPARE(w->StatusText(), QStringLiteral("Urządzenie /dev/ttyUSB0 zniknęło: zostanie "
                                                 "otwarte ponownie, gdy tylko wróci"));
        w->ApplyLanguage(4);
        QCOMPARE(w->StatusText(), w->LangText(160).arg(QStringLiteral("/dev/ttyUSB0")));
    }
};

QTEST_MAIN(WindowLanguageTest)
#include "tst_window_language.moc"
