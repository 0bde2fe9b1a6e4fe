// The parameters tab in the whole program against the simulated controller: live values on
// the panels in Polish and English, settings answers of every length on the controls, edits
// that reach the controller and come back confirmed, the configuration source switched at the
// controller, and the refresh and defaults buttons.
#include "MapGridEditor.h"
#include "ParametersTab.h"
#include "SimController.h"
#include "SwitchIndicator.h"
#include "TForm1.h"
#include "TMySerial.h"
#include "TPanel.h"
#include "TRadioGroup.h"
#include "TUpDown.h"

#include <QAction>
#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QScrollArea>
#include <QScrollBar>
#include <QSplitter>
#include <QStyleOptionButton>
#include <QTableWidget>
#include <QtTest>

namespace {
constexpr int Wait = 5000;
}

class ParametersTabTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<SimController> sim;
    std::unique_ptr<TForm1> w;

    void start(SimConfig config = {}) {
        config.pacing = false;
        sim = std::make_unique<SimController>(config);
        QVERIFY2(sim->start(), qPrintable(sim->errorString()));
        w = std::make_unique<TForm1>();
        w->Serial1->SetOpenErrorPresenter([](const QString&, const QString&) {});
        w->ErrorBox = [](const QString&) {};
        w->UseSessionDevice(sim->slavePath());
        w->show();
        QVERIFY(w->Parameters != nullptr);
    }
    // Connected, settings read, live values shown.
    void waitSettled() {
        QTRY_COMPARE_WITH_TIMEOUT(w->Mirror.IdentityState, -1, Wait);
        QTRY_VERIFY_WITH_TIMEOUT(!w->LabelRpm->text().isEmpty(), Wait);
        QTRY_COMPARE_WITH_TIMEOUT(w->Mirror.SettingIndex, -1, Wait);
    }
    quint8 controllerSetting(int k) const { return static_cast<quint8>(sim->settings().at(k)); }
    void grab(const QString& name) {
        const QByteArray dir = qgetenv("ORVEX_SCREENSHOT_DIR");
        if (!dir.isEmpty()) {
            w->grab().save(QString::fromLocal8Bit(dir) + '/' + name + ".png");
        }
    }

private slots:
    void cleanup() {
        w.reset();
        sim.reset();
    }

    void liveFramesFillThePanelInPolishAndEnglish();
    void settingsAnswerOfEveryLengthSetsTheControls_data();
    void settingsAnswerOfEveryLengthSetsTheControls();
    void editsReachTheControllerAndComeBackConfirmed();
    void configurationSourceSwitchedAtTheControllerReshapesThePanel();
    void refreshAndDefaultsButtonsReadTheControllerAgain();
    void setAngleArrowsTuneTheLiveMapCellWhenTheMapIsOn();
    void liveMapCellStepStopsAtTheCellLimits();
    void refreshButtonOnTheUpdateTabLeavesTheLinkAlone();
    void optionBoxesShowTheirColoursAfterEverySettingsAnswer();
    void measuredValueOutsideTheMapLeavesTheLoadTitlesAlone();
    void nothingOverlapsAndEveryTextFitsAtSmallWindowSizes();
    void windowWithoutAControllerFitsEverySize();
    void leftPanelBoundariesNeverHideARow();
    void screenshots();
};

namespace {

// What is wrong with the left panel's layout as shown: controls drawn over each other or out
// of their panel, texts wider than their control, panels over each other. Empty when sound.
QStringList layoutProblems(TForm1& w) {
    QStringList problems;
    auto name = [](const QWidget* c) { return c->objectName(); };
    QList<QWidget*> shown;
    for (QWidget* c : w.taggedControls()) {
        if (c->isVisibleTo(&w)) {
            shown << c;
        }
    }
    for (int i = 0; i < shown.size(); ++i) {
        QWidget* a = shown[i];
        const QWidget* panel = a->parentWidget();
        // Rows below a panel's height are not meant to show there (the camshaft row without
        // that channel, the load row of the two-row map); every settings row is.
        const bool startsInside = a->y() < panel->height() - 4 || panel == w.PanelNas1;
        if (!startsInside) {
            continue;
        }
        if (a->geometry().right() >= panel->width() || a->geometry().bottom() >= panel->height()) {
            problems << name(a) + " sticks out of " + name(panel);
        }
        for (int j = i + 1; j < shown.size(); ++j) {
            QWidget* b = shown[j];
            // An edit and its arrows share a cell; the arrows sit over the edit's right half
            // when the edit takes the whole cell.
            const bool editPair = qobject_cast<QLineEdit*>(a) && qobject_cast<TUpDown*>(b) &&
                                  a->geometry().contains(b->geometry());
            if (b->parentWidget() == panel && !editPair &&
                a->geometry().intersects(b->geometry())) {
                problems << name(a) + " overlaps " + name(b);
            }
        }
        const QFontMetrics fm(a->font());
        if (auto* p = qobject_cast<TPanel*>(a)) {
            if (fm.horizontalAdvance(p->text()) > p->contentsRect().width()) {
                problems << name(a) + " cuts its text " + p->text();
            }
        } else if (auto* box = qobject_cast<QCheckBox*>(a)) {
            // The room the style leaves the text beside the check mark.
            QStyleOptionButton opt;
            opt.initFrom(box);
            opt.text = box->text();
            const QRect text = box->style()->subElementRect(QStyle::SE_CheckBoxContents, &opt, box);
            if (fm.horizontalAdvance(box->text()) > text.width()) {
                problems << name(a) + " cuts its text " + box->text();
            }
        } else if (auto* g = qobject_cast<TRadioGroup*>(a)) {
            if (QFontMetrics(g->captionFont()).horizontalAdvance(g->title().trimmed()) + 12 >
                g->width()) {
                problems << name(a) + " cuts its caption";
            }
            for (int k = 0; k < g->Items().size(); ++k) {
                QRadioButton* item = g->button(k);
                const QFontMetrics im(item->font());
                if (im.horizontalAdvance(item->text()) + im.height() / 2 > item->width()) {
                    problems << name(item) + " cuts its text " + item->text();
                }
                if (item->font().pointSize() < 7) {
                    problems << name(item) + " is too small to read";
                }
            }
        }
    }
    // Captions of a kind share one font size, and the live status word is readable (in
    // English "Disconnected" fills the smallest cells at 6 points).
    auto oneSize = [&](const QString& kind, const QList<QWidget*>& members) {
        QSet<int> sizes;
        for (QWidget* m : members) {
            if (m->isVisibleTo(&w)) {
                sizes << m->font().pointSize();
            }
        }
        if (sizes.size() > 1) {
            problems << kind + " in several font sizes";
        }
    };
    oneSize(QStringLiteral("check boxes"),
            {w.CheckBoxPk, w.CheckBoxOn, w.CheckBoxRo, w.CheckBoxBG, w.CheckBoxKP, w.CheckBoxTp});
    oneSize(QStringLiteral("option groups"),
            {w.RGWyjKor, w.RGKomKor, w.RGWyjRoz, w.RGKomRoz, w.RGWejRoz, w.RGMapa, w.RGMapSor});
    oneSize(QStringLiteral("small captions"), {w.LabelSta, w.PanelPrz, w.PanelTxt1, w.PanelTxt2,
                                               w.PanelTxt3, w.PanelPot, w.PanelMAP});
    if (w.Language() == 0 && w.LabelSta->font().pointSize() < 7) {
        problems << QStringLiteral("the status word is too small to read");
    }
    for (QLabel* caption : {w.OpisSygaly, w.OpisNastawy, w.OpisKor, w.OpisRoz, w.Label14}) {
        if (!caption->isVisibleTo(&w) || caption->y() >= caption->parentWidget()->height()) {
            continue;
        }
        if (caption->y() + caption->height() > caption->parentWidget()->height()) {
            problems << name(caption) + " is cut by its panel";
        }
        if (caption->fontMetrics().horizontalAdvance(caption->text()) > caption->width()) {
            problems << name(caption) + " cuts its text " + caption->text();
        }
        const QRect text(caption->pos(), caption->sizeHint());
        for (QWidget* c : shown) {
            if (c->parentWidget() == caption->parentWidget() && c->geometry().intersects(text)) {
                problems << name(caption) + " overlaps " + name(c);
            }
        }
    }
    // Map grid columns follow the grid's width (a stale width left them too wide to see).
    if (w.GridMapa->isVisibleTo(&w) &&
        w.GridMapa->columnWidth(1) > std::max(w.GridMapa->width() / 16 - 2, 40)) {
        problems << QStringLiteral("GridMapa columns of %1 in a grid of %2")
                        .arg(w.GridMapa->columnWidth(1))
                        .arg(w.GridMapa->width());
    }
    // Speeds and loads are read whole: an item view shortens ("100...") a text that leaves
    // less than its focus margins and the grid line free in the column.
    if (w.GridMapa->isVisibleTo(&w)) {
        const QTableWidget* g = w.GridMapa;
        const int margins =
            2 * (g->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, g) + 1) + 1;
        const QFontMetrics gm(g->font());
        for (int c = 0; c < g->columnCount(); ++c) {
            for (int r = 0; r < g->rowCount(); ++r) {
                const QString text = TForm1::Cell(g, c, r);
                if ((r == 0 || c == 0) &&
                    gm.horizontalAdvance(text) + margins > g->columnWidth(c)) {
                    problems << QStringLiteral("GridMapa shortens ") + text;
                }
            }
        }
    }
    // The map grid shows its speed row and a few load rows (the two-row table: both rows).
    if (w.GridMapa->isVisibleTo(&w) && w.GridMapa->rowCount() > 0) {
        const int rows = std::min(w.GridMapa->rowCount(), 4);
        if (w.GridMapa->viewport()->height() < rows * w.GridMapa->rowHeight(0)) {
            problems << QStringLiteral("GridMapa shows fewer than %1 rows").arg(rows);
        }
    }
    if (w.PanelNas1->mapTo(w.PanelLeftContent, QPoint(0, 0)).y() != 0) {
        problems << QStringLiteral("PanelNas1 does not start at the top");
    }
    const QList<QWidget*> panels{w.PanelNas1, w.PanelCzuj, w.PanelMapy};
    for (int i = 0; i < panels.size(); ++i) {
        for (int j = i + 1; j < panels.size(); ++j) {
            if (panels[i]->isVisibleTo(&w) && panels[j]->isVisibleTo(&w) &&
                panels[i]->geometry().intersects(panels[j]->geometry())) {
                problems << name(panels[i]) + " overlaps " + name(panels[j]);
            }
        }
    }
    return problems;
}

} // namespace

void ParametersTabTest::liveFramesFillThePanelInPolishAndEnglish() {
    start();
    waitSettled();
    const QColor green(0, 255, 0), red(255, 0, 0);
    QTRY_VERIFY_WITH_TIMEOUT(!w->LabelSta->text().isEmpty(), Wait);
    // The status word and its colour agree: on is green, off or disconnected red.
    const QString sta = w->LabelSta->text();
    QVERIFY2(QStringList({" Odłączony", " Wyłączony", " Włączony"}).contains(sta), qPrintable(sta));
    QCOMPARE(w->PanelSta->color(), sta == QStringLiteral(" Włączony") ? green : red);
    for (TPanel* p :
         {w->PanelImp, w->PanelPwr, w->PanelGAZ, w->PanelRPM, w->PanelTPS, w->PanelKAT}) {
        QVERIFY2(p->color() == green || p->color() == red, qPrintable(p->objectName()));
    }
    QCOMPARE(w->LabelKat->color(), w->PanelKAT->color());
    const QRegularExpression number(QStringLiteral("^ -?\\d+([.,]\\d+)?"));
    QVERIFY(w->LabelRpm->text().contains(QRegularExpression("^ \\d+ obr/min$")));
    QVERIFY(w->LabelTps->text().contains(number) && w->LabelTps->text().endsWith(" V"));
    QVERIFY(w->LabelPwr->text().endsWith(QStringLiteral(" V")));
    QVERIFY(w->LabelSyg->text().endsWith(QStringLiteral(" Vpp"))); // jumper bit 7: peak-to-peak
    QVERIFY(w->LabelObc->text().contains(QRegularExpression("^ \\d+ %$")));
    QVERIFY(w->LabelKat->text().endsWith(QStringLiteral(" '")));
    QVERIFY(QStringList({" HI", " LO"}).contains(w->LabelRoz->text()));
    QCOMPARE(w->LabelRes->text(), QStringLiteral(" 3"));
    QCOMPARE(w->PanelPrzeb->text(), QStringLiteral("(60-2)"));
    QVERIFY(!w->PanelPrzeb->isHidden());
    QVERIFY(QStringList({" GAZ", " BENZYNA"}).contains(w->LabelGaz->text()));
    QVERIFY(!w->EditKat->text().isEmpty());
    QCOMPARE(int{w->PaintBox2->liveMode()}, int{w->Mirror.LiveMode});

    w->ApplyLanguage(2);
    QTRY_VERIFY_WITH_TIMEOUT(w->LabelRpm->text().contains(QRegularExpression("^ \\d+ rpm$")), Wait);
    QTRY_VERIFY(QStringList({" Disconnected", " Switched off", " Switched on"})
                    .contains(w->LabelSta->text()));
    QTRY_VERIFY(QStringList({" GAS", " PETROL"}).contains(w->LabelGaz->text()));
}

void ParametersTabTest::settingsAnswerOfEveryLengthSetsTheControls_data() {
    QTest::addColumn<int>("count");
    QTest::addColumn<bool>("riseFall");
    QTest::addColumn<bool>("signalRange");
    QTest::newRow("15 settings: no rise/fall times, no signal range") << 15 << false << false;
    QTest::newRow("16 settings: rise time only") << 16 << true << false;
    QTest::newRow("19 settings: everything") << 19 << true << true;
}

void ParametersTabTest::settingsAnswerOfEveryLengthSetsTheControls() {
    QFETCH(int, count);
    QFETCH(bool, riseFall);
    QFETCH(bool, signalRange);
    SimConfig cfg;
    cfg.settingsCount = count;
    start(cfg);
    waitSettled();
    // The simulated controller's defaults: relay, shifting and connection check on.
    QTRY_VERIFY_WITH_TIMEOUT(w->CheckBoxPk->isChecked(), Wait);
    QVERIFY(w->CheckBoxOn->isChecked());
    QVERIFY(w->CheckBoxKP->isChecked());
    QVERIFY(!w->CheckBoxRo->isChecked());
    QVERIFY(!w->CheckBoxBG->isChecked());
    QVERIFY(!w->CheckBoxTp->isChecked());
    QCOMPARE(w->UpDownKat->Position(), 40);
    QCOMPARE(w->UpDownTPS->Position(), 40);
    QCOMPARE(w->EditTPS->text(), QStringLiteral("0.8"));
    QCOMPARE(w->UpDownGMP->Position(), 60);
    QCOMPARE(w->EditGMP->text(), QStringLiteral("60"));
    QCOMPARE(w->RGKomKor->ItemIndex(), 1);
    QCOMPARE(w->RGKomRoz->ItemIndex(), 1);
    QCOMPARE(w->RGWyjRoz->ItemIndex(), 0);
    QCOMPARE(w->RGMapa->ItemIndex(), 2); // map on the MAP sensor
    QCOMPARE(w->RGMapSor->ItemIndex(), 0);
    QVERIFY(!w->RGMapSor->isHidden());
    if (riseFall) {
        QCOMPARE(w->EditNar->text(), QStringLiteral("20"));
        QCOMPARE(w->UpDownNar->Position(), 20);
    } else {
        QCOMPARE(w->EditNar->text(), QString());
    }
    if (signalRange) {
        QCOMPARE(w->EditMIN->text(), QStringLiteral("1"));
        QCOMPARE(w->UpDownMIN->Position(), 50);
        QCOMPARE(w->EditMAP->text(), QStringLiteral("4.5"));
        QCOMPARE(w->UpDownMAP->Position(), 225);
    } else {
        // Settings the controller does not have keep the controls' starting values.
        QCOMPARE(w->EditMIN->text(), QString());
        QCOMPARE(w->UpDownMIN->Position(), 128);
        QCOMPARE(w->UpDownMAP->Position(), 128);
    }
}

void ParametersTabTest::editsReachTheControllerAndComeBackConfirmed() {
    start();
    waitSettled();

    w->UpDownTPS->press(TUpDown::btNext);
    QTRY_COMPARE_WITH_TIMEOUT(controllerSetting(4), quint8(41), Wait);
    QTRY_COMPARE_WITH_TIMEOUT(w->EditTPS->text(), QStringLiteral("0.82"), Wait);

    QTest::mouseClick(w->CheckBoxBG, Qt::LeftButton);
    QTRY_COMPARE_WITH_TIMEOUT(controllerSetting(1), quint8(0x2B), Wait);
    QTRY_COMPARE_WITH_TIMEOUT(w->Mirror.SettingIndex, -1, Wait);
    QVERIFY(w->CheckBoxBG->isChecked());

    w->RGKomKor->button(3)->click();
    QTRY_COMPARE_WITH_TIMEOUT(controllerSetting(7), quint8(3), Wait);

    QTest::mouseClick(w->CheckBoxTp, Qt::LeftButton);
    QTRY_COMPARE_WITH_TIMEOUT(controllerSetting(2), quint8(1), Wait);
    // The inverted throttle threshold reads from the other end: (255 - 41) * 0.02.
    QTRY_COMPARE_WITH_TIMEOUT(w->EditTPS->text(), QStringLiteral("4.28"), Wait);

    w->UpDownMAP->press(TUpDown::btPrev);
    QTRY_COMPARE_WITH_TIMEOUT(controllerSetting(18), quint8(224), Wait);
    QTRY_COMPARE_WITH_TIMEOUT(w->EditMAP->text(), QStringLiteral("4.48"), Wait);

    // The set angle goes negative only while the map is shown.
    QVERIFY(!w->PanelMapy->isHidden());
    w->RGMapa->button(0)->click(); // map off: the arrows edit the setting again
    QTRY_COMPARE_WITH_TIMEOUT(controllerSetting(13), quint8(0), Wait);
    w->UpDownKat->setPosition(-127);
    w->UpDownKat->press(TUpDown::btPrev);
    QTRY_COMPARE_WITH_TIMEOUT(controllerSetting(3), quint8(0x80), Wait);
    QTRY_COMPARE_WITH_TIMEOUT(w->Mirror.SettingIndex, -1, Wait);
    QCOMPARE(w->UpDownKat->Position(), -128);
}

void ParametersTabTest::configurationSourceSwitchedAtTheControllerReshapesThePanel() {
    start();
    waitSettled();
    QTRY_VERIFY_WITH_TIMEOUT(!w->PanelMapy->isHidden(), Wait);
    QVERIFY(!w->CheckBoxPk->isHidden());
    QVERIFY(w->RGKomKor->isEnabled());
    QVERIFY(!w->UpDownNar->isHidden());
    QCOMPARE(w->UpDownKat->Min(), -128);
    const int pcEditWidth = w->EditTPS->width();

    sim->setPcConfig(false);
    QTRY_VERIFY_WITH_TIMEOUT(w->PanelMapy->isHidden(), Wait);
    QCOMPARE(w->StatusText(), QStringLiteral("Konfiguracja wariatora z przełączników"));
    QCOMPARE(w->PanelSw->toolTip(), w->StatusText());
    for (QCheckBox* b :
         {w->CheckBoxPk, w->CheckBoxOn, w->CheckBoxRo, w->CheckBoxBG, w->CheckBoxKP}) {
        QVERIFY2(b->isHidden(), qPrintable(b->objectName()));
    }
    for (TRadioGroup* g : {w->RGWyjKor, w->RGKomKor, w->RGWyjRoz, w->RGKomRoz, w->RGWejRoz}) {
        QVERIFY2(!g->isEnabled(), qPrintable(g->objectName()));
    }
    QVERIFY(w->UpDownNar->isHidden());
    QCOMPARE(w->UpDownKat->Min(), 0);
    QVERIFY(!w->Mirror.PcConfig);
    QCOMPARE(w->PaintBox2->liveMode() & 1, 1);
    QVERIFY(w->EditTPS->width() > pcEditWidth); // the whole cell without PC configuration

    sim->setPcConfig(true);
    QTRY_VERIFY_WITH_TIMEOUT(!w->PanelMapy->isHidden(), Wait);
    QCOMPARE(w->StatusText(), QStringLiteral("Konfiguracja wariatora z komputera PC"));
    QVERIFY(!w->CheckBoxPk->isHidden());
    QVERIFY(w->RGWejRoz->isEnabled());
    QCOMPARE(w->UpDownKat->Min(), -128);
    QCOMPARE(w->EditTPS->width(), pcEditWidth);
}

void ParametersTabTest::refreshAndDefaultsButtonsReadTheControllerAgain() {
    start();
    waitSettled();
    sim->setSetting(4, 99); // changed behind the program's back
    // A few polls later the program still shows what it read: only live values are polled.
    const quint64 seen = sim->requestCount();
    QTRY_VERIFY_WITH_TIMEOUT(sim->requestCount() > seen + 6, Wait);
    QCOMPARE(w->UpDownTPS->Position(), 40);
    QTest::mouseClick(w->Button1, Qt::LeftButton);
    QTRY_COMPARE_WITH_TIMEOUT(w->UpDownTPS->Position(), 99, Wait);

    QStringList asked;
    bool answer = false;
    w->AskMapWrite = [&](const QString& text, bool yesIsDefault) {
        asked << text;
        return answer && !yesIsDefault; // one Enter must not set the defaults
    };
    QTest::mouseClick(w->Button2, Qt::LeftButton);
    QCOMPARE(asked.size(), 1);
    QVERIFY2(asked[0].startsWith(w->LangText(726).trimmed()), qPrintable(asked[0]));
    QCOMPARE(w->Mirror.PendingWrites & 0x4000u, 0u); // "No" queues no defaults request
    answer = true;
    QTest::mouseClick(w->Button2, Qt::LeftButton);
    QTRY_COMPARE_WITH_TIMEOUT(controllerSetting(4), quint8(40), Wait);
    QTRY_COMPARE_WITH_TIMEOUT(w->UpDownTPS->Position(), 40, Wait);
}

void ParametersTabTest::setAngleArrowsTuneTheLiveMapCellWhenTheMapIsOn() {
    start();
    waitSettled();
    QTRY_VERIFY_WITH_TIMEOUT(!w->PanelMapy->isHidden(), Wait);
    QCOMPARE(w->RGMapa->ItemIndex(), 2);
    // Wait until the engine sits in a real map cell (column 1..15).
    QTRY_VERIFY_WITH_TIMEOUT((w->Mirror.LiveCell >> 4) >= 1, Wait);
    const int cell = w->Mirror.LiveCell;
    const int column = cell >> 4;
    const int row = (cell & 15) + 1;
    const int n = (column - 1) * 16 + (row - 1);
    QTRY_COMPARE_WITH_TIMEOUT(w->Mirror.PendingWrites & 0x0800u, 0u, Wait); // map read done
    const auto before = static_cast<qint8>(sim->mapCells().at(n));
    const int angle = w->UpDownKat->Position();
    w->UpDownKat->press(TUpDown::btNext);
    w->UpDownKat->press(TUpDown::btNext);
    QCOMPARE(w->Mirror.SettingIndex, -1); // no setting write
    QCOMPARE(TForm1::Cell(w->GridMapa, column, row),
             QString::number((before + 2) * 0.2, 'g', 15).replace('.', QLocale().decimalPoint()));
    QTRY_COMPARE_WITH_TIMEOUT(static_cast<qint8>(sim->mapCells().at(n)), qint8(before + 2), Wait);
    QCOMPARE(controllerSetting(3), quint8(angle));
}

void ParametersTabTest::liveMapCellStepStopsAtTheCellLimits() {
    TForm1 form; // not shown: nothing talks to a controller
    ParametersTab* tab = form.Parameters;
    const int byte = 3 * 17 + 5; // column 3, row 5
    // Before the controller's map has been read there is no value to step.
    tab->stepLiveMapCell(3, 5, true);
    QCOMPARE(form.Mirror.MapTable[byte], quint8(0));
    QCOMPARE(form.Mirror.PendingWrites, 0u);
    form.Mirror.MapTableRead = true;
    form.Mirror.MapTable[byte] = 127;
    tab->stepLiveMapCell(3, 5, true);
    QCOMPARE(form.Mirror.MapTable[byte], quint8(127));
    QCOMPARE(TForm1::Cell(form.GridMapa, 3, 5), QStringLiteral("25.4"));
    // No controller answers this window: the step is kept as not written, not queued.
    QVERIFY(form.MapEditor->showsUnwrittenFile());
    QCOMPARE(form.Mirror.PendingWrites & 0x2000u, 0u);
    form.Mirror.MapTable[byte] = 0x80;
    tab->stepLiveMapCell(3, 5, false);
    QCOMPARE(form.Mirror.MapTable[byte], quint8(0x80));
    // A live cell outside the map (column 0, as a 20-byte live body reports) steps nothing.
    form.Mirror.PendingWrites = 0;
    tab->stepLiveMapCell(0, 1, true);
    QCOMPARE(form.Mirror.PendingWrites, 0u);
    QCOMPARE(form.Mirror.MapTable[1], quint8(0));
    // The two-row table shows row 1 only: a live cell further down is not stepped unseen.
    form.GridMapa->setRowCount(2);
    tab->stepLiveMapCell(3, 5, true);
    QCOMPARE(form.Mirror.PendingWrites, 0u);
    QCOMPARE(form.Mirror.MapTable[byte], quint8(0x80));
    tab->stepLiveMapCell(3, 1, true);
    QCOMPARE(form.Mirror.MapTable[3 * 17 + 1], quint8(1));
    QCOMPARE(form.Mirror.PendingWrites & 0x2000u, 0u); // held, as the steps above
}

void ParametersTabTest::refreshButtonOnTheUpdateTabLeavesTheLinkAlone() {
    TForm1 form;
    form.Mirror.IdentityState = -1;
    form.Mirror.SettingIndex = -1;
    form.Mirror.RxBuffer[5] = 0x77;
    form.Button1->setProperty("Tag", 2); // the same button writes firmware on the update tab
    form.Parameters->Button1Click();
    QCOMPARE(form.Mirror.IdentityState, -1);
    QCOMPARE(form.Mirror.RxBuffer[5], quint8(0x77));
    form.Button1->setProperty("Tag", 0);
    form.Parameters->Button1Click();
    QCOMPARE(form.Mirror.IdentityState, 0);
    QCOMPARE(form.Mirror.SettingIndex, 0);
    QCOMPARE(form.Mirror.RxBuffer[5], quint8(0));
}

void ParametersTabTest::optionBoxesShowTheirColoursAfterEverySettingsAnswer() {
    // Relay and shifting off, as the boxes already show at start or after a lost connection
    // took their colours: no box changes, yet the warnings must show.
    TForm1 form;
    SettingsView off;
    form.SettingsViewHandler(off);
    auto painted = [](QCheckBox* b) { return b->grab().toImage().pixelColor(b->width() - 2, 1); };
    QCOMPARE(painted(form.CheckBoxPk), QColor(255, 255, 0));
    QCOMPARE(painted(form.CheckBoxOn), QColor(255, 0, 0));
    // The same controller read again after a lost connection.
    form.Parameters->display().showUnknownState();
    form.SettingsViewHandler(off);
    QCOMPARE(painted(form.CheckBoxPk), QColor(255, 255, 0));
    QCOMPARE(painted(form.CheckBoxOn), QColor(255, 0, 0));
}

void ParametersTabTest::measuredValueOutsideTheMapLeavesTheLoadTitlesAlone() {
    start();
    waitSettled();
    w->SetServiceMode(true);
    QTRY_VERIFY(w->PanelRight->isVisible());
    // A controller with a 20-byte live body names no map cell (column 0): column 0 holds the
    // load titles of the measured maps.
    LiveView::Measurement m;
    m.column = 0;
    m.row = 1;
    m.text = QStringLiteral("12.4");
    for (const bool gas : {false, true}) {
        m.gas = gas;
        w->Parameters->showMeasurement(m);
    }
    QCOMPARE(TForm1::Cell(w->GridB, 0, 1), QStringLiteral("6%"));
    QCOMPARE(TForm1::Cell(w->GridG, 0, 1), QStringLiteral("6%"));
    m.column = 1;
    w->Parameters->showMeasurement(m);
    QCOMPARE(TForm1::Cell(w->GridG, 1, 1), QStringLiteral("12.4"));
    QCOMPARE(w->Panel1->text(), QStringLiteral("12.4"));
}

void ParametersTabTest::nothingOverlapsAndEveryTextFitsAtSmallWindowSizes() {
    start();
    waitSettled();
    QTRY_VERIFY_WITH_TIMEOUT(!w->PanelMapy->isHidden(), Wait);
    QTRY_VERIFY_WITH_TIMEOUT(!w->PanelPrzeb->isHidden(), Wait);
    // The map as the controller has it (3-D), then the two-row table, then off.
    for (const int mode : {2, 1, 0}) {
        if (w->RGMapa->ItemIndex() != mode) {
            w->RGMapa->button(mode)->click();
            QTRY_COMPARE_WITH_TIMEOUT(w->Mirror.SettingIndex, -1, Wait);
            QCOMPARE(w->RGMapa->ItemIndex(), mode);
        }
        for (QAction* language : {w->MunuJezykPl, w->MunuJezykGB, w->MunuJezykRU}) {
            language->trigger();
            // Large to small: what the panel had before must not linger.
            w->resize(1920, 1080);
            QTRY_VERIFY(w->PanelNas1->width() > 1000);
            for (const QSize size : {QSize(1024, 768), QSize(800, 600), QSize(620, 460)}) {
                for (const bool service : {false, true}) {
                    w->showNormal();
                    w->resize(size);
                    if (w->ServiceMode != service) {
                        w->SetServiceMode(service);
                    }
                    const QString what = QStringLiteral("%1, map %2, at %3x%4%5")
                                             .arg(language->text())
                                             .arg(mode)
                                             .arg(size.width())
                                             .arg(size.height())
                                             .arg(service ? " in service mode" : "");
                    QTRY_COMPARE_WITH_TIMEOUT(layoutProblems(*w).join(", ") + " / " + what,
                                              " / " + what, 2000);
                    // The stack scrolls to what does not fit, so nothing is beyond reach...
                    QVERIFY2(w->PanelLeftContent->width() >= w->PanelLeftContent->minimumWidth() &&
                                 w->PanelLeftContent->height() >=
                                     w->PanelLeftContent->minimumHeight(),
                             qPrintable(what));
                    const QRect group(w->RGWejRoz->mapTo(w->PanelLeftContent, QPoint(0, 0)),
                                      w->RGWejRoz->size());
                    QVERIFY2(w->PanelLeftContent->rect().contains(group), qPrintable(what));
                    // ...but never sideways: the chart folds away and service mode's
                    // measurement grids give way to the rows (only in service mode at 620 px
                    // is there no room left for both).
                    if (size.width() >= 800 || !service) {
                        QTRY_VERIFY2(!w->PanelLeftScroll->horizontalScrollBar()->isVisible(),
                                     qPrintable(what));
                        QTRY_VERIFY2(w->PanelLeft->width() >= w->PanelLeftNarrowest,
                                     qPrintable(what + QStringLiteral(": %1 < %2")
                                                           .arg(w->PanelLeft->width())
                                                           .arg(w->PanelLeftNarrowest)));
                    }
                    // Where the window has room for it, the 3-D chart stands beside the rows.
                    QCOMPARE(w->Panel2->isVisible(), mode == 2 && !service && size.width() >= 800);
                    // From 800x600 up every row is in sight without scrolling, unless service
                    // mode or the 3-D chart leaves the panel narrower than its smallest cells.
                    if (size.width() >= 800 && !service && w->PanelLeft->width() >= 600) {
                        QTRY_VERIFY2(!w->PanelLeftScroll->verticalScrollBar()->isVisible(),
                                     qPrintable(what));
                    }
                }
            }
        }
    }
    // Configured by its switches the controller offers no map: the stack keeps its order.
    w->MunuJezykPl->trigger();
    w->SetServiceMode(false);
    w->RGMapa->button(2)->click();
    QTRY_COMPARE_WITH_TIMEOUT(w->Mirror.SettingIndex, -1, Wait);
    QCOMPARE(w->RGMapa->ItemIndex(), 2);
    sim->setPcConfig(false);
    QTRY_VERIFY_WITH_TIMEOUT(w->PanelMapy->isHidden(), Wait);
    QTRY_COMPARE(layoutProblems(*w).join(", "), QString());
    sim->setPcConfig(true);
    QTRY_VERIFY_WITH_TIMEOUT(!w->PanelMapy->isHidden(), Wait);
    // A window of 1024 x 768 holds the whole stack with the 3-D map: no scroll bars.
    w->resize(1024, 768);
    // (Beside the 3-D chart the panel takes its share of the width.)
    QTRY_COMPARE(w->PanelLeft->width() +
                     (w->Panel2->isVisible() ? w->SplitterLeft->width() + w->Panel2->width() : 0),
                 1024);
    QTRY_VERIFY(w->PanelLeftContent->height() <= w->PanelLeftScroll->viewport()->height());
    QTRY_VERIFY(!w->PanelLeftScroll->verticalScrollBar()->isVisible());
    QTRY_VERIFY(!w->PanelLeftScroll->horizontalScrollBar()->isVisible());
    // The speeds of the map grid's first row are readable whole, "10000" included.
    const QFontMetrics fm(w->GridMapa->font());
    for (int c = 1; c < 16; ++c) {
        const QString speed = TForm1::Cell(w->GridMapa, c, 0);
        QVERIFY2(fm.horizontalAdvance(speed) < w->GridMapa->columnWidth(c), qPrintable(speed));
    }
}

void ParametersTabTest::windowWithoutAControllerFitsEverySize() {
    // No controller answers (the first seconds of every start, or nothing connected): the
    // panel shows its unconnected layout, which must not scroll either.
    TForm1 form;
    form.Serial1->SetOpenErrorPresenter([](const QString&, const QString&) {});
    form.show();
    for (const int language : {0, 2, 4}) {
        form.ApplyLanguage(language);
        for (const QSize size : {QSize(1920, 1080), QSize(1024, 768), QSize(800, 600)}) {
            form.resize(size);
            const QString what = QStringLiteral("language %1 at %2x%3")
                                     .arg(language)
                                     .arg(size.width())
                                     .arg(size.height());
            QTRY_COMPARE_WITH_TIMEOUT(layoutProblems(form).join(", ") + " / " + what, " / " + what,
                                      2000);
            QTRY_VERIFY2(!form.PanelLeftScroll->horizontalScrollBar()->isVisible(),
                         qPrintable(what));
            QTRY_VERIFY2(!form.PanelLeftScroll->verticalScrollBar()->isVisible(), qPrintable(what));
        }
    }
}

void ParametersTabTest::leftPanelBoundariesNeverHideARow() {
    start();
    waitSettled();
    QTRY_VERIFY_WITH_TIMEOUT(!w->PanelMapy->isHidden(), Wait);
    w->resize(800, 600);
    QTRY_COMPARE(layoutProblems(*w).join(", "), QString());
    const int nas = w->PanelNas1->height();
    const int czuj = w->PanelCzuj->height();
    // Up and down, each boundary: the settings and sensor panels keep every row and the
    // camshaft caption.
    for (QSplitterHandle* handle : {w->Splitter1, w->Splitter2}) {
        for (const int dy : {-80, 80}) {
            const QPoint grip(handle->width() / 2, handle->height() / 2);
            QTest::mousePress(handle, Qt::LeftButton, {}, grip);
            QTest::mouseMove(handle, grip + QPoint(0, dy));
            QTest::mouseRelease(handle, Qt::LeftButton, {}, grip + QPoint(0, dy));
            const QString what = handle->objectName() + QStringLiteral(" by %1").arg(dy);
            QTRY_COMPARE(layoutProblems(*w).join(", ") + " / " + what, " / " + what);
            QCOMPARE(w->PanelNas1->height(), nas);
            QCOMPARE(w->PanelCzuj->height(), czuj);
            QVERIFY(w->OpisRoz->geometry().bottom() < w->RGWejRoz->y());
            if (w->PanelLeft->width() >= 600) {
                QTRY_VERIFY2(!w->PanelLeftScroll->horizontalScrollBar()->isVisible(),
                             qPrintable(what));
            }
        }
    }

    // The right panel of service mode gets narrower when its bar is dragged to the right.
    w->resize(1024, 768);
    w->SetServiceMode(true);
    QTRY_VERIFY(w->PanelRight->isVisible());
    const int right = w->PanelRight->width();
    QTest::mousePress(w->SplitterRight, Qt::LeftButton, {}, QPoint(2, 10));
    QTest::mouseMove(w->SplitterRight, QPoint(42, 10));
    QTest::mouseRelease(w->SplitterRight, Qt::LeftButton, {}, QPoint(42, 10));
    QTRY_COMPARE(w->PanelRight->width(), right - 40);
}

void ParametersTabTest::screenshots() {
    if (qEnvironmentVariableIsEmpty("ORVEX_SCREENSHOT_DIR")) {
        QSKIP("set ORVEX_SCREENSHOT_DIR to save the window pictures");
    }
    start();
    waitSettled();
    QTRY_VERIFY_WITH_TIMEOUT(!w->PanelMapy->isHidden(), Wait);
    auto typeAccessCode = [this] {
        for (const Qt::Key k : {Qt::Key_U, Qt::Key_V, Qt::Key_E, Qt::Key_Q}) {
            QTest::keyClick(w.get(), k);
        }
    };
    for (QAction* language : {w->MunuJezykPl, w->MunuJezykGB}) {
        language->trigger();
        const QString lang =
            language == w->MunuJezykPl ? QStringLiteral("pl") : QStringLiteral("en");
        for (const QSize size :
             {QSize(620, 460), QSize(800, 600), QSize(1024, 768), QSize(1920, 1080)}) {
            w->showNormal();
            w->resize(size);
            QTest::qWait(400);
            const QString tag =
                QStringLiteral("%1-%2x%3").arg(lang).arg(size.width()).arg(size.height());
            grab(QStringLiteral("params-") + tag);
            typeAccessCode();
            QTRY_VERIFY(w->ServiceMode);
            QTest::qWait(400);
            grab(QStringLiteral("params-service-") + tag);
            QTest::keyClick(w.get(), Qt::Key_X);
            typeAccessCode();
            QTRY_VERIFY(!w->ServiceMode);
        }
    }
    w->MunuJezykPl->trigger();
    w->resize(800, 600);
    sim->setPcConfig(false);
    QTRY_VERIFY_WITH_TIMEOUT(w->PanelMapy->isHidden(), Wait);
    QTest::qWait(300);
    grab(QStringLiteral("params-switches-800x600"));
    // A board without the camshaft switch and with plain crank inputs.
    cleanup();
    SimConfig vx02;
    vx02.model = SimModel::Vx02;
    start(vx02);
    waitSettled();
    QTRY_VERIFY_WITH_TIMEOUT(!w->RGKomKor->isHidden(), Wait);
    w->showNormal();
    w->resize(800, 600);
    QTest::qWait(400);
    grab(QStringLiteral("params-vx02-800x600"));
}

QTEST_MAIN(ParametersTabTest)
#include "tst_parameterstab.moc"
