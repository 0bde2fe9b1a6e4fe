// Edits of the settings controls: which setting and value each one queues, the map sensor's
// 64-step rule, the map source values, the map-editing detour of the set-angle arrows, and the
// radio group and arrow control behaviour the handlers rely on.
#include "PanelFixture.h"
#include "TRadioGroup.h"
#include "TUpDown.h"

#include <QCheckBox>
#include <QRadioButton>
#include <QSignalSpy>
#include <QtTest>

namespace {

struct Panel : PanelFixture {
    TUpDown* arrows(const QString& name) { return root.findChild<TUpDown*>(name); }
};

} // namespace

class SettingsEditorTest : public QObject {
    Q_OBJECT
private slots:
    void arrowsQueueTheirSettingWithTheMovedPosition_data();
    void arrowsQueueTheirSettingWithTheMovedPosition();
    void arrowsStopAtTheirLimitsAndStillQueue();
    void minimumSignalStaysSixtyFourStepsBelowMaximum();
    void maximumSignalStaysSixtyFourStepsAboveMinimum();
    void setAngleArrowsStepTheLiveMapCellWhenTheMapIsOn_data();
    void setAngleArrowsStepTheLiveMapCellWhenTheMapIsOn();
    void anyBitBoxSendsTheWholeBitByte();
    void bitBoxesColourTheirBackground();
    void throttleInversionQueuesSettingTwo();
    void inputOutputGroupsQueueTheirItemIndex_data();
    void inputOutputGroupsQueueTheirItemIndex();
    void mapGroupsQueueTheMapSource_data();
    void mapGroupsQueueTheMapSource();
    void mapSourceWithoutASelectedSourceQueuesNothing();
    void radioGroupReportsChangesOnly();
    void radioGroupClampsAnIndexItDoesNotHave();
};

void SettingsEditorTest::arrowsQueueTheirSettingWithTheMovedPosition_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("setting");
    QTest::newRow("throttle threshold") << "UpDownTPS" << 4;
    QTest::newRow("speed threshold") << "UpDownRPM" << 5;
    QTest::newRow("pulse/TDC angle") << "UpDownGMP" << 6;
    QTest::newRow("rise time") << "UpDownNar" << 15;
    QTest::newRow("fall time") << "UpDownOpa" << 16;
}

void SettingsEditorTest::arrowsQueueTheirSettingWithTheMovedPosition() {
    QFETCH(QString, name);
    Panel p;
    TUpDown* u = p.arrows(name);
    u->setPosition(40);
    u->press(TUpDown::btNext);
    QTEST(p.host.SettingIndex, "setting");
    QCOMPARE(p.host.SettingValue, 41);
    u->press(TUpDown::btPrev);
    u->press(TUpDown::btPrev);
    QCOMPARE(p.host.SettingValue, 39);
    QCOMPARE(p.host.writes, 3);
}

void SettingsEditorTest::arrowsStopAtTheirLimitsAndStillQueue() {
    Panel p;
    p.c.UpDownKat->setMin(-128);
    p.host.OpcjeH = 0x01; // no map: the arrows edit the setting
    p.c.UpDownKat->setPosition(-128);
    p.c.UpDownKat->press(TUpDown::btPrev);
    QCOMPARE(p.host.SettingIndex, 3);
    QCOMPARE(p.host.SettingValue, -128); // its low byte 0x80 goes out
    p.c.UpDownNar->setPosition(1);
    p.c.UpDownNar->press(TUpDown::btPrev);
    QCOMPARE(p.host.SettingIndex, 15);
    QCOMPARE(p.host.SettingValue, 1);
}

void SettingsEditorTest::minimumSignalStaysSixtyFourStepsBelowMaximum() {
    Panel p;
    p.c.UpDownMAP->setPosition(200);
    p.c.UpDownMIN->setPosition(134);
    p.c.UpDownMIN->press(TUpDown::btNext); // 135: still 65 below
    QCOMPARE(p.host.beeps, 0);
    QCOMPARE(p.host.SettingIndex, 17);
    QCOMPARE(p.host.SettingValue, 135);
    p.c.UpDownMIN->press(TUpDown::btNext); // 136 = 200 - 64: beeps, stays
    QCOMPARE(p.host.beeps, 1);
    QCOMPARE(p.c.UpDownMIN->Position(), 136);
    QCOMPARE(p.host.SettingValue, 136);
    p.c.UpDownMIN->press(TUpDown::btNext); // would be 137: held at 136 with a beep
    QCOMPARE(p.host.beeps, 2);
    QCOMPARE(p.c.UpDownMIN->Position(), 136);
    QCOMPARE(p.host.SettingValue, 136);
    p.c.UpDownMIN->press(TUpDown::btPrev);
    QCOMPARE(p.host.beeps, 2);
    QCOMPARE(p.host.SettingValue, 135);
}

void SettingsEditorTest::maximumSignalStaysSixtyFourStepsAboveMinimum() {
    Panel p;
    p.c.UpDownMIN->setPosition(100);
    p.c.UpDownMAP->setPosition(166);
    p.c.UpDownMAP->press(TUpDown::btPrev); // 165: 65 above
    QCOMPARE(p.host.beeps, 0);
    QCOMPARE(p.host.SettingIndex, 18);
    p.c.UpDownMAP->press(TUpDown::btPrev); // 164 = 100 + 64: beeps, stays
    p.c.UpDownMAP->press(TUpDown::btPrev);
    QCOMPARE(p.host.beeps, 2);
    QCOMPARE(p.c.UpDownMAP->Position(), 164);
    QCOMPARE(p.host.SettingValue, 164);
}

void SettingsEditorTest::setAngleArrowsStepTheLiveMapCellWhenTheMapIsOn_data() {
    QTest::addColumn<int>("opcjeH");
    QTest::addColumn<int>("mapMode");
    QTest::addColumn<bool>("mapEdit");
    QTest::newRow("3-D map offered and on") << 0x05 << 2 << true;
    QTest::newRow("two-row table on") << 0x05 << 1 << true;
    QTest::newRow("map switched off") << 0x05 << 0 << false;
    QTest::newRow("controller without a map") << 0x01 << 2 << false;
}

void SettingsEditorTest::setAngleArrowsStepTheLiveMapCellWhenTheMapIsOn() {
    QFETCH(int, opcjeH);
    QFETCH(int, mapMode);
    QFETCH(bool, mapEdit);
    Panel p;
    p.host.OpcjeH = static_cast<std::uint8_t>(opcjeH);
    p.host.LiveCell = 0x3A; // column 3, row 11
    p.c.RGMapa->setItemIndex(mapMode);
    p.host.writes = 0;
    p.host.SettingIndex = -1;
    p.c.UpDownKat->setPosition(10);
    p.c.UpDownKat->press(TUpDown::btNext);
    p.c.UpDownKat->press(TUpDown::btPrev);
    if (mapEdit) {
        QCOMPARE(p.host.steps, (QStringList{"3,11,up", "3,11,down"}));
        QCOMPARE(p.host.writes, 0);
        QCOMPARE(p.host.SettingIndex, -1);
    } else {
        QVERIFY(p.host.steps.isEmpty());
        QCOMPARE(p.host.SettingIndex, 3);
        QCOMPARE(p.host.SettingValue, 10);
    }
}

void SettingsEditorTest::anyBitBoxSendsTheWholeBitByte() {
    Panel p;
    p.c.CheckBoxOn->setChecked(true); // 0x02
    QCOMPARE(p.host.SettingIndex, 1);
    QCOMPARE(p.host.SettingValue, 0x02);
    p.c.CheckBoxKP->click(); // + 0x20
    QCOMPARE(p.host.SettingValue, 0x22);
    p.c.CheckBoxZbo->click(); // + 0x10, hidden outside service mode but still part of the byte
    QCOMPARE(p.host.SettingValue, 0x32);
    p.c.CheckBoxPk->click();
    p.c.CheckBoxRo->click();
    p.c.CheckBoxBG->click();
    QCOMPARE(p.host.SettingValue, 0x3F);
    p.c.CheckBoxOn->click();
    QCOMPARE(p.host.SettingValue, 0x3D);
    QCOMPARE(p.host.SettingIndex, 1);
}

void SettingsEditorTest::bitBoxesColourTheirBackground() {
    Panel p;
    // The colour the box shows beside its mark and text, not merely what its palette holds.
    auto bg = [](QCheckBox* b) { return b->grab().toImage().pixelColor(b->width() - 2, 1); };
    // After a lost connection the window may have reset a box to its plain look.
    p.c.CheckBoxOn->setAutoFillBackground(false);
    p.c.CheckBoxOn->setPalette(QPalette());
    p.c.CheckBoxBG->setChecked(true);
    QVERIFY(p.c.CheckBoxOn->autoFillBackground());
    QCOMPARE(bg(p.c.CheckBoxPk), QColor(255, 255, 0)); // relay off: yellow
    QCOMPARE(bg(p.c.CheckBoxOn), QColor(255, 0, 0));   // shifting off: red
    QCOMPARE(bg(p.c.CheckBoxBG), QColor(255, 255, 0)); // fuel change on: yellow
    p.c.CheckBoxPk->setChecked(true);
    p.c.CheckBoxOn->setChecked(true);
    p.c.CheckBoxBG->setChecked(false);
    const QColor face = QGuiApplication::palette().color(QPalette::Button);
    QVERIFY(p.c.CheckBoxOn->autoFillBackground());
    QCOMPARE(bg(p.c.CheckBoxPk), face);
    QCOMPARE(bg(p.c.CheckBoxOn), face);
    QCOMPARE(bg(p.c.CheckBoxBG), face);
}

void SettingsEditorTest::throttleInversionQueuesSettingTwo() {
    Panel p;
    p.c.CheckBoxTp->click();
    QCOMPARE(p.host.SettingIndex, 2);
    QCOMPARE(p.host.SettingValue, 1);
    p.c.CheckBoxTp->click();
    QCOMPARE(p.host.SettingValue, 0);
}

void SettingsEditorTest::inputOutputGroupsQueueTheirItemIndex_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("item");
    QTest::addColumn<int>("setting");
    QTest::newRow("crank input threshold 3.4 V") << "RGKomKor" << 3 << 7;
    QTest::newRow("cam input threshold 2.5 V") << "RGKomRoz" << 1 << 8;
    QTest::newRow("crank output polarity 5V") << "RGWyjKor" << 1 << 9;
    QTest::newRow("cam output 12 V") << "RGWyjRoz" << 1 << 10;
    QTest::newRow("cam input polarity 5 V") << "RGWejRoz" << 1 << 12;
}

void SettingsEditorTest::inputOutputGroupsQueueTheirItemIndex() {
    QFETCH(QString, name);
    QFETCH(int, item);
    Panel p;
    auto* g = p.root.findChild<TRadioGroup*>(name);
    QVERIFY(g);
    g->button(item)->click(); // as the user picks it
    QTEST(p.host.SettingIndex, "setting");
    QCOMPARE(p.host.SettingValue, item);
    QCOMPARE(p.host.gridRepaints, 1);
}

void SettingsEditorTest::mapGroupsQueueTheMapSource_data() {
    QTest::addColumn<int>("source");
    QTest::addColumn<int>("mode");
    QTest::addColumn<int>("value");
    QTest::addColumn<bool>("chart");
    QTest::newRow("off") << 0 << 0 << 0 << false;
    QTest::newRow("two-row table") << 0 << 1 << 3 << false;
    QTest::newRow("3-D on the MAP sensor") << 0 << 2 << 1 << true;
    QTest::newRow("3-D on the throttle sensor") << 1 << 2 << 2 << true;
}

void SettingsEditorTest::mapGroupsQueueTheMapSource() {
    QFETCH(int, source);
    QFETCH(int, mode);
    Panel p;
    p.host.OpcjeH = 0x05;
    p.c.RGMapa->setItemIndex(mode == 0 ? 1 : 0); // start elsewhere so that the pick changes it
    p.c.RGMapSor->setItemIndex(source);
    p.host.chartCalls.clear();
    p.host.layouts = 0;
    p.c.RGMapa->button(mode)->click();
    QCOMPARE(p.host.SettingIndex, 13);
    QTEST(p.host.SettingValue, "value");
    QCOMPARE(p.host.status, QString());
    QCOMPARE(p.host.chartCalls.size(), 1);
    QTEST(p.host.chartCalls.last(), "chart");
    QCOMPARE(p.host.layouts, 1);
}

void SettingsEditorTest::mapSourceWithoutASelectedSourceQueuesNothing() {
    // "3D" picked before any source is known: an earlier edit's value must not be sent as the
    // map source.
    Panel p;
    p.c.UpDownTPS->setPosition(200);
    p.c.UpDownTPS->press(TUpDown::btNext);
    QCOMPARE(p.host.SettingIndex, 4);
    p.c.RGMapa->button(2)->click();
    QCOMPARE(p.host.SettingIndex, 4);
    QCOMPARE(p.host.SettingValue, 201);
    QCOMPARE(p.host.status, QString()); // the status text is cleared all the same
    p.c.RGMapSor->button(1)->click();   // now the source is named
    QCOMPARE(p.host.SettingIndex, 13);
    QCOMPARE(p.host.SettingValue, 2);
}

void SettingsEditorTest::radioGroupReportsChangesOnly() {
    TRadioGroup g;
    g.setItems({"a", "b", "c"});
    QSignalSpy spy(&g, &TRadioGroup::OnClick);
    g.setItemIndex(1); // from code: reported, as a handler must see it
    QCOMPARE(spy.count(), 1);
    g.button(1)->click(); // the user picks the selected item again: nothing changes
    QCOMPARE(spy.count(), 1);
    g.button(2)->click();
    QCOMPARE(spy.count(), 2);
    QCOMPARE(g.ItemIndex(), 2);
    QVERIFY(g.button(2)->isChecked());
    QVERIFY(!g.button(1)->isChecked());
    g.setItemIndex(-1);
    QCOMPARE(spy.count(), 3);
    for (int i = 0; i < 3; ++i) {
        QVERIFY(!g.button(i)->isChecked());
    }
}

void SettingsEditorTest::radioGroupClampsAnIndexItDoesNotHave() {
    TRadioGroup g;
    g.setItems({"0", "5"});
    g.setItemIndex(7);
    QCOMPARE(g.ItemIndex(), 1);
    g.setItemIndex(-5);
    QCOMPARE(g.ItemIndex(), -1);
    // Replacing the items keeps a selection that still exists.
    g.setItemIndex(1);
    g.setItems({"Nie", "5V"});
    QCOMPARE(g.ItemIndex(), 1);
    QVERIFY(g.button(1)->isChecked());
}

QTEST_MAIN(SettingsEditorTest)
#include "tst_settingseditor.moc"
