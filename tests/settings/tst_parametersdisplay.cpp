// Putting decoded answers on the left panel: the settings answer sets every control (and queues
// no write of its own), the live answer colours and fills the panel,
// and a change of configuration source reshapes it in the right order.
#include "ControlStates.h"
#include "PanelFixture.h"
#include "ParametersDisplay.h"
#include "SwitchIndicator.h"
#include "TPanel.h"
#include "TRadioGroup.h"
#include "TUpDown.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QtTest>

namespace {

struct Panel : PanelFixture {
    std::unique_ptr<ParametersDisplay> display = std::make_unique<ParametersDisplay>(c, host);

    // What the settings answer does first: settings in step.
    void settingsAnswer(const SettingsView& v) {
        host.SettingIndex = -1;
        host.writes = 0;
        display->applySettings(v);
    }
};

SettingsView typicalSettings() {
    SettingsView v;
    v.CheckBoxPk = true;
    v.CheckBoxOn = true;
    v.CheckBoxKP = true;
    v.UpDownKat = -10;
    v.EditTPS = QStringLiteral("2.56");
    v.UpDownTPS = 128;
    v.EditGMP = QStringLiteral("60");
    v.UpDownGMP = 60;
    v.RGKomKor = 2;
    v.RGKomRoz = 1;
    v.RGWyjKor = 1;
    v.RGWyjRoz = 0;
    v.RGWejRoz = 1;
    v.RGMapa = 2;
    v.RGMapSor = 1;
    v.RGMapSorVisible = true;
    v.MIN = SettingsView::Pair{QStringLiteral("0.6"), 30};
    v.MAP = SettingsView::Pair{QStringLiteral("4.5"), 225};
    v.Nar = SettingsView::Pair{QStringLiteral("20"), 20};
    v.Opa = SettingsView::Pair{QStringLiteral("40"), 40};
    return v;
}

LiveView typicalLive() {
    LiveView v;
    v.PanelSta = 0x00FF00;
    v.PanelImp = 0x0000FF;
    v.PanelPwr = 0x00FF00;
    v.PanelGAZ = 0x00FF00;
    v.PanelRPM = 0x00FF00;
    v.PanelTPS = 0x0000FF;
    v.PanelKAT = 0x0000FF;
    v.LabelSta = QStringLiteral(" Włączony");
    v.LabelImp = QStringLiteral(" Brak");
    v.LabelGaz = QStringLiteral(" GAZ");
    v.EditKat = QStringLiteral("-2");
    v.LabelTps = QStringLiteral(" 0.62 V");
    v.LabelRpm = QStringLiteral(" 2000 obr/min");
    v.LabelObc = QStringLiteral(" 40 %");
    v.LabelRoz = QStringLiteral(" HI");
    v.LabelSyg = QStringLiteral(" 3 Vpp");
    v.LabelMap = QStringLiteral(" 1.8 V");
    v.LabelPot = QStringLiteral(" 2.56 V");
    v.LabelPwr = QStringLiteral(" 13.6 V");
    v.LabelKat = QStringLiteral("4.2 '");
    v.LabelRes = QStringLiteral(" 3");
    v.PanelPrzeb = QStringLiteral("(60-2)");
    v.LabelZap = QStringLiteral(" 10 '");
    return v;
}

} // namespace

class ParametersDisplayTest : public QObject {
    Q_OBJECT
private slots:
    void settingsAnswerQueuesNoWriteAndKeepsTheUsersEdit();
    void settingsOfAnOlderControllerLeaveTheirControlsAlone();
    void mapChoiceFromTheControllerShowsTheChartOnlyWithTheMapOption_data();
    void mapChoiceFromTheControllerShowsTheChartOnlyWithTheMapOption();
    void controlStatesCopyTheBoxesTheDecodersRead_data();
    void controlStatesCopyTheBoxesTheDecodersRead();
    void unknownChoiceIndexLeavesTheGroupAsItIs();
    void negativeSetAngleIsHeldAtZeroWhileTheMapIsOff();
    void liveAnswerColoursThePanelsAndFillsTheLabels();
    void throttleEditFollowsLiveFramesOnlyWhenOffered();
    void crankWheelMarkShowsOnlyWithATextAndAFreeCell();
    void configurationRefreshReshapesThePanelInOrder();
    void switchConfigurationHidesOptionsAndLocksGroups();
    void lostConnectionReturnsStatePanelsToNeutral();
    void aRepeatedLiveFrameRepaintsNothingAChangedOneOnlyWhatChanged();
    void serviceModeShowsItsControls();
};

void ParametersDisplayTest::settingsAnswerQueuesNoWriteAndKeepsTheUsersEdit() {
    Panel p;
    p.host.OpcjeH = 0x85;
    p.settingsAnswer(typicalSettings());
    // Every control took the controller's value, and none of them asked to write it back.
    QVERIFY(p.c.CheckBoxPk->isChecked());
    QCOMPARE(p.c.RGMapa->ItemIndex(), 2);
    QCOMPARE(p.c.RGMapSor->ItemIndex(), 1);
    QCOMPARE(p.c.UpDownTPS->Position(), 128);
    auto groups = [&p] {
        QList<int> items;
        for (TRadioGroup* g : p.c.inputOutputGroups()) {
            items << g->ItemIndex();
        }
        return items;
    };
    // Output polarity, crank comparator, output voltage, cam comparator, input polarity.
    QCOMPARE(groups(), (QList<int>{1, 2, 0, 1, 1}));
    QCOMPARE(p.host.writes, 0);
    QCOMPARE(p.host.SettingIndex, -1);

    // Another answer that differs in every kind of control queues nothing either; item 0 is
    // an item like any other.
    SettingsView v = typicalSettings();
    v.CheckBoxBG = true;
    v.CheckBoxTp = true;
    v.RGKomKor = 0;
    v.RGKomRoz = 0;
    v.RGWyjKor = 0;
    v.RGWyjRoz = 1;
    v.RGWejRoz = 0;
    v.RGMapa = 1;
    p.settingsAnswer(v);
    QVERIFY(p.c.CheckBoxBG->isChecked());
    QVERIFY(p.c.CheckBoxTp->isChecked());
    QCOMPARE(p.c.RGMapa->ItemIndex(), 1);
    QCOMPARE(groups(), (QList<int>{0, 0, 1, 0, 0}));
    QCOMPARE(p.host.writes, 0);
    // The user's own click still does.
    p.c.CheckBoxRo->click();
    QCOMPARE(p.host.writes, 1);
    QCOMPARE(p.host.SettingIndex, 1);

    // An answer that was on its way while the user changed the bit options leaves those boxes
    // as the user set them; the other controls follow the answer.
    v = typicalSettings();
    v.keptEdit = 1;
    v.UpDownTPS = 77;
    p.display->applySettings(v);
    QVERIFY(p.c.CheckBoxRo->isChecked());
    QVERIFY(p.c.CheckBoxBG->isChecked());
    QCOMPARE(p.c.UpDownTPS->Position(), 77);
    QCOMPARE(p.c.RGMapa->ItemIndex(), 2);
    QCOMPARE(p.host.writes, 1);
}

void ParametersDisplayTest::settingsOfAnOlderControllerLeaveTheirControlsAlone() {
    Panel p;
    p.settingsAnswer(typicalSettings());
    SettingsView v = typicalSettings();
    v.MIN.reset();
    v.MAP.reset();
    v.Nar.reset();
    v.Opa.reset();
    v.UpDownTPS = 10;
    p.settingsAnswer(v);
    QCOMPARE(p.c.UpDownTPS->Position(), 10);
    QCOMPARE(p.c.EditMIN->text(), QStringLiteral("0.6"));
    QCOMPARE(p.c.UpDownMAP->Position(), 225);
    QCOMPARE(p.c.EditOpa->text(), QStringLiteral("40"));
}

void ParametersDisplayTest::mapChoiceFromTheControllerShowsTheChartOnlyWithTheMapOption_data() {
    QTest::addColumn<int>("opcjeH");
    QTest::addColumn<bool>("mapPanel");
    QTest::addColumn<int>("mapa");
    QTest::addColumn<QList<bool>>("chart"); // the chart panel calls
    QTest::newRow("3-D with the map option") << 0x05 << true << 2 << QList<bool>{true};
    QTest::newRow("3-D without the map option") << 0x01 << true << 2 << QList<bool>{false};
    QTest::newRow("3-D with the map panel hidden") << 0x05 << false << 2 << QList<bool>{false};
    QTest::newRow("two-row table") << 0x05 << true << 1 << QList<bool>{false};
    QTest::newRow("choice unchanged") << 0x05 << true << 0 << QList<bool>{};
}

void ParametersDisplayTest::mapChoiceFromTheControllerShowsTheChartOnlyWithTheMapOption() {
    QFETCH(int, opcjeH);
    QFETCH(bool, mapPanel);
    QFETCH(int, mapa);
    QFETCH(QList<bool>, chart);
    Panel p;
    SettingsView v = typicalSettings();
    v.RGMapa = 0;
    p.settingsAnswer(v);
    p.host.OpcjeH = std::uint8_t(opcjeH);
    p.host.mapVisible = mapPanel;
    p.host.chartCalls.clear();
    v.RGMapa = mapa;
    p.settingsAnswer(v);
    QCOMPARE(p.host.chartCalls, chart);
    QCOMPARE(p.host.writes, 0);
}

void ParametersDisplayTest::controlStatesCopyTheBoxesTheDecodersRead_data() {
    QTest::addColumn<QString>("box");
    QTest::newRow("pulse shifting") << "CheckBoxOn";
    QTest::newRow("fuel change") << "CheckBoxBG";
    QTest::newRow("throttle inverted") << "CheckBoxTp";
}

void ParametersDisplayTest::controlStatesCopyTheBoxesTheDecodersRead() {
    QFETCH(QString, box);
    Panel p;
    for (QCheckBox* b : {p.c.CheckBoxOn, p.c.CheckBoxBG, p.c.CheckBoxTp}) {
        b->setChecked(b->objectName() == box);
    }
    p.c.UpDownGMP->setPosition(72);
    p.c.RGMapa->setItemIndex(1);
    ControlStates s;
    s.CheckBoxOn = s.CheckBoxBG = s.CheckBoxTp = true;
    ParametersDisplay::fillControlStates(p.c, s);
    QCOMPARE(s.CheckBoxOn, box == QLatin1String("CheckBoxOn"));
    QCOMPARE(s.CheckBoxBG, box == QLatin1String("CheckBoxBG"));
    QCOMPARE(s.CheckBoxTp, box == QLatin1String("CheckBoxTp"));
    QCOMPARE(s.UpDownGMP, 72);
    QCOMPARE(s.RGMapa, 1);
}

void ParametersDisplayTest::unknownChoiceIndexLeavesTheGroupAsItIs() {
    Panel p;
    p.settingsAnswer(typicalSettings());
    SettingsView v = typicalSettings();
    v.RGKomKor = 4;   // the group has four items
    v.RGWejRoz = 255; // a setting the controller never filled
    p.settingsAnswer(v);
    QCOMPARE(p.c.RGKomKor->ItemIndex(), 2);
    QCOMPARE(p.c.RGWejRoz->ItemIndex(), 1);
    QCOMPARE(p.host.writes, 0); // nothing changed, so nothing is written back
}

void ParametersDisplayTest::negativeSetAngleIsHeldAtZeroWhileTheMapIsOff() {
    Panel p;
    p.c.UpDownKat->setMin(0);
    SettingsView v = typicalSettings();
    v.UpDownKat = -10;
    p.settingsAnswer(v);
    QCOMPARE(p.c.UpDownKat->Position(), 0);
    LiveView::Refresh r;
    r.upDownKatMinimum = -128;
    r.mapPanelVisible = true;
    p.display->applyRefresh(r);
    p.settingsAnswer(v);
    QCOMPARE(p.c.UpDownKat->Position(), -10);
}

void ParametersDisplayTest::liveAnswerColoursThePanelsAndFillsTheLabels() {
    Panel p;
    p.host.LiveMode = 0x01;
    p.host.LiveCell = 0x25;
    LiveView v = typicalLive();
    v.cursorMoved = true;
    v.oldLiveCell = 0x13;
    p.display->applyLive(v);
    const QColor green(0, 255, 0), red(255, 0, 0);
    QCOMPARE(p.c.PanelSta->color(), green);
    QCOMPARE(p.c.PanelImp->color(), red);
    QCOMPARE(p.c.PanelPwr->color(), green);
    QCOMPARE(p.c.PanelGAZ->color(), green);
    QCOMPARE(p.c.PanelRPM->color(), green);
    QCOMPARE(p.c.PanelTPS->color(), red);
    QCOMPARE(p.c.PanelKAT->color(), red);
    QCOMPARE(p.c.LabelKat->color(), red);
    // Labels next to each other must not swap their texts.
    QCOMPARE(p.c.LabelTps->text(), QStringLiteral(" 0.62 V"));
    QCOMPARE(p.c.LabelPot->text(), QStringLiteral(" 2.56 V"));
    QCOMPARE(p.c.LabelMap->text(), QStringLiteral(" 1.8 V"));
    QCOMPARE(p.c.LabelPwr->text(), QStringLiteral(" 13.6 V"));
    QCOMPARE(p.c.LabelKat->text(), QStringLiteral("4.2 '"));
    QCOMPARE(p.c.LabelZap->text(), QStringLiteral(" 10 '"));
    QCOMPARE(int{p.c.PaintBox2->liveMode()}, 1);
    QCOMPARE(p.host.cursorMoves, (QList<QPair<int, int>>{{0x13, 0x25}}));
    QCOMPARE(p.host.measurements, 1);
    QVERIFY(p.host.events.isEmpty()); // no refresh asked: no beep, no layout
}

void ParametersDisplayTest::throttleEditFollowsLiveFramesOnlyWhenOffered() {
    Panel p;
    p.c.EditTPS->setText(QStringLiteral("2.56"));
    LiveView v = typicalLive();
    p.display->applyLive(v);
    QCOMPARE(p.c.EditTPS->text(), QStringLiteral("2.56"));
    v.EditTPS = QStringLiteral("4.5");
    p.display->applyLive(v);
    QCOMPARE(p.c.EditTPS->text(), QStringLiteral("4.5"));
}

void ParametersDisplayTest::crankWheelMarkShowsOnlyWithATextAndAFreeCell() {
    Panel p;
    LiveView v = typicalLive();
    p.display->applyLive(v);
    QVERIFY(p.c.PanelPrzeb->isHidden()); // the output polarity group holds the cell
    p.c.RGWyjKor->hide();                // boards with peak-to-peak inputs have no such group
    p.display->applyLive(v);
    QVERIFY(!p.c.PanelPrzeb->isHidden());
    QCOMPARE(p.c.PanelPrzeb->text(), QStringLiteral("(60-2)"));
    v.PanelPrzeb.clear();
    p.display->applyLive(v);
    QVERIFY(p.c.PanelPrzeb->isHidden());
}

void ParametersDisplayTest::configurationRefreshReshapesThePanelInOrder() {
    Panel p;
    LiveView v = typicalLive();
    LiveView::Refresh r;
    r.statusText = QStringLiteral("Konfiguracja wariatora z komputera PC");
    r.pcConfig = true;
    r.mapPanelVisible = true;
    r.upDownKatMinimum = -128;
    r.chartPanel = true;
    r.CheckBoxPkVisible = true;
    r.CheckBoxOnVisible = true;
    r.CheckBoxRoVisible = false;
    r.CheckBoxBGVisible = true;
    r.CheckBoxKPVisible = true;
    r.radioGroupsEnabled = true;
    r.riseFallVisible = true;
    v.refresh = r;
    p.display->applyLive(v);
    QCOMPARE(p.host.events,
             (QStringList{"beep", "status", "freeze", "map panel", "chart", "thaw", "layout"}));
    QCOMPARE(p.host.status, r.statusText);
    QCOMPARE(p.c.PanelSw->toolTip(), r.statusText);
    QCOMPARE(p.c.UpDownKat->Min(), -128);
    QVERIFY(p.host.mapVisible);
    QCOMPARE(p.host.chartCalls, QList<bool>{true});
    QVERIFY(!p.c.CheckBoxPk->isHidden());
    QVERIFY(p.c.CheckBoxRo->isHidden());
    QVERIFY(!p.c.CheckBoxKP->isHidden());
    QVERIFY(p.c.RGWejRoz->isEnabled());
    for (QWidget* w : std::initializer_list<QWidget*>{p.c.EditNar, p.c.EditOpa, p.c.UpDownNar,
                                                      p.c.UpDownOpa, p.c.PanelNar, p.c.PanelOpa}) {
        QVERIFY2(!w->isHidden(), qPrintable(w->objectName()));
    }
}

void ParametersDisplayTest::switchConfigurationHidesOptionsAndLocksGroups() {
    Panel p;
    LiveView::Refresh r; // everything false: the controller's switches configure it
    r.statusText = QStringLiteral("Konfiguracja wariatora z przełączników");
    p.c.UpDownKat->setMin(-128);
    p.c.UpDownKat->setPosition(-20);
    p.display->applyRefresh(r);
    QCOMPARE(p.c.UpDownKat->Min(), 0);
    QCOMPARE(p.c.UpDownKat->Position(), 0);
    QVERIFY(!p.host.mapVisible);
    for (QCheckBox* b : p.c.bitCheckBoxes()) {
        if (b != p.c.CheckBoxZbo) {
            QVERIFY2(b->isHidden(), qPrintable(b->objectName()));
        }
    }
    for (TRadioGroup* g : p.c.inputOutputGroups()) {
        QVERIFY2(!g->isEnabled(), qPrintable(g->objectName()));
    }
    QVERIFY(p.c.UpDownNar->isHidden());
    QVERIFY(p.c.RGMapa->isEnabled()); // the map choice is not one of the locked groups
}

namespace {

// Counts the paint events of every widget under a root, by object name.
class PaintCounter : public QObject {
public:
    explicit PaintCounter(QWidget* root) {
        for (QWidget* w : root->findChildren<QWidget*>()) {
            w->installEventFilter(this);
        }
    }
    QMap<QString, int> painted;
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint) {
            ++painted[watched->objectName()];
        }
        return false;
    }
};

void paintPending() {
    for (int i = 0; i < 3; ++i) {
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents();
    }
}

} // namespace

void ParametersDisplayTest::aRepeatedLiveFrameRepaintsNothingAChangedOneOnlyWhatChanged() {
    Panel p;
    p.root.resize(900, 700);
    // Side by side, so that no control hides another one's painting.
    int y = 0;
    for (QWidget* panel : {p.nas, p.czuj, p.mapy, p.inne}) {
        panel->setGeometry(0, y, 900, 170);
        y += 175;
        int i = 0;
        for (QWidget* w : panel->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
            w->setGeometry((i % 8) * 112, (i / 8) * 24, 110, 22);
            ++i;
        }
    }
    p.root.show();
    QVERIFY(QTest::qWaitForWindowExposed(&p.root));
    p.host.LiveMode = 0x01;
    p.host.LiveCell = 0x25;
    LiveView v = typicalLive();
    v.cursorMoved = true;
    v.oldLiveCell = 0x25;
    v.EditTPS = QStringLiteral("2.56");
    p.display->applyLive(v);
    paintPending();

    PaintCounter counter(&p.root);
    p.display->applyLive(v); // the same frame again, cursor on the same cell
    paintPending();
    QVERIFY2(counter.painted.isEmpty(), qPrintable(counter.painted.keys().join(u' ')));
    QVERIFY(p.host.cursorMoves.isEmpty());

    v.LabelRpm = QStringLiteral(" 2100 obr/min");
    v.PanelSta = 0x0000FF;
    v.EditKat = QStringLiteral("-2.2");
    p.display->applyLive(v);
    paintPending();
    QVERIFY(counter.painted.value(QStringLiteral("LabelRpm")) > 0);
    QVERIFY(counter.painted.value(QStringLiteral("PanelSta")) > 0);
    QVERIFY(counter.painted.value(QStringLiteral("EditKat")) > 0);
    QCOMPARE(counter.painted.value(QStringLiteral("LabelTps")), 0);
    QCOMPARE(counter.painted.value(QStringLiteral("EditTPS")), 0);
    QCOMPARE(counter.painted.value(QStringLiteral("PaintBox2")), 0);
}

void ParametersDisplayTest::lostConnectionReturnsStatePanelsToNeutral() {
    Panel p;
    p.display->applyLive(typicalLive());
    p.c.CheckBoxOn->setChecked(true);
    p.c.CheckBoxOn->setChecked(false); // red background, the relay box's yellow
    const QColor face = QGuiApplication::palette().color(QPalette::Button);
    QVERIFY(p.c.CheckBoxOn->palette().color(QPalette::Window) != face);
    QVERIFY(p.c.CheckBoxPk->palette().color(QPalette::Window) != face);
    p.display->showUnknownState();
    for (TPanel* panel : {p.c.PanelSta, p.c.PanelGAZ, p.c.PanelImp, p.c.PanelTPS, p.c.PanelRPM,
                          p.c.PanelKAT, p.c.LabelKat, p.c.PanelPwr}) {
        QCOMPARE(panel->color(), face);
    }
    QCOMPARE(p.c.CheckBoxOn->palette().color(QPalette::Window), face);
    QCOMPARE(p.c.CheckBoxPk->palette().color(QPalette::Window), face);
}

void ParametersDisplayTest::serviceModeShowsItsControls() {
    Panel p;
    QVERIFY(p.c.LabelRes->isHidden());
    p.display->setServiceControlsVisible(true);
    for (QWidget* w : std::initializer_list<QWidget*>{p.c.PanelRes, p.c.LabelRes, p.c.PanelZap,
                                                      p.c.LabelZap, p.c.EditGMP, p.c.UpDownGMP,
                                                      p.c.PanelTxt5, p.c.CheckBoxZbo}) {
        QVERIFY2(!w->isHidden(), qPrintable(w->objectName()));
    }
    p.display->setServiceControlsVisible(false);
    QVERIFY(p.c.CheckBoxZbo->isHidden());
}

QTEST_MAIN(ParametersDisplayTest)
#include "tst_parametersdisplay.moc"
