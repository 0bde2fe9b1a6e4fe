// The left-panel grid: row height and column width from the panel size, each control's cell
// from its tag, and the whole layout run on the real controls.
#include "ControlTag.h"
#include "LeftPanelControls.h"
#include "LeftPanelLayout.h"
#include "TPanel.h"
#include "TRadioGroup.h"
#include "TUpDown.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QTableWidget>
#include <QVBoxLayout>
#include <QtTest>

using LeftPanelLayout::Cell;
using LeftPanelLayout::Inputs;
using LeftPanelLayout::Kind;

Q_DECLARE_METATYPE(LeftPanelLayout::Kind)

class LeftPanelLayoutTest : public QObject {
    Q_OBJECT
private slots:
    void cellSizeFollowsThePanel_data();
    void cellSizeFollowsThePanel();
    void controlsLandInTheirCells_data();
    void controlsLandInTheirCells();
    void wholeLayoutPlacesTheRealControls();
    void relayRowBoxTakesThePlaceOfAHiddenShiftBox();
    void mapGridCellsFollowTheGridSize();
    void lastCamshaftGroupIsKeptInsideItsPanel();
    void smallCellsGetReadableTextsWhereTheTextFits();
    void captionOfAPanelNotYetSizedHasRoomForALongerLanguage();
    void settingsPanelUsesFreeHeightOnlyWithoutTheMap();
};

void LeftPanelLayoutTest::cellSizeFollowsThePanel_data() {
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");
    QTest::addColumn<bool>("camshaft");
    QTest::addColumn<bool>("mapShown");
    QTest::addColumn<int>("mapMode");
    QTest::addColumn<int>("b");
    QTest::addColumn<int>("w");
    QTest::newRow("300 px high and wide enough") << 1000 << 300 << false << false << 0 << 23 << 82;
    QTest::newRow("3-D map shown: b falls to 10, raised to 20")
        << 1000 << 300 << false << true << 2 << 20 << 72;
    QTest::newRow("3-D mode but map panel hidden keeps the normal rows")
        << 1000 << 300 << false << false << 2 << 23 << 82;
    QTest::newRow("2-D map shown keeps the normal rows")
        << 1000 << 300 << false << true << 1 << 23 << 82;
    QTest::newRow("narrow panel without camshaft: 400/21 = 19, raised to 20")
        << 400 << 300 << false << false << 0 << 20 << 72;
    QTest::newRow("narrow panel limits b below the height rule")
        << 525 << 390 << false << false << 0 << 25 << 90;
    QTest::newRow("camshaft channel needs 28 columns of b")
        << 700 << 390 << true << false << 0 << 25 << 90;
    QTest::newRow("camshaft channel, width just enough")
        << 840 << 390 << true << false << 0 << 30 << 108;
    QTest::newRow("tall 3-D map panel") << 1900 << 1000 << true << true << 2 << 33 << 118;
    QTest::newRow("empty panel still gets the smallest cell")
        << 0 << 0 << false << false << -1 << 20 << 72;
}

void LeftPanelLayoutTest::cellSizeFollowsThePanel() {
    QFETCH(int, width);
    QFETCH(int, height);
    QFETCH(bool, camshaft);
    QFETCH(bool, mapShown);
    QFETCH(int, mapMode);
    Inputs in;
    in.panelWidth = width;
    in.panelHeight = height;
    in.camshaft = camshaft;
    in.mapPanelVisible = mapShown;
    in.mapMode = mapMode;
    const Cell c = LeftPanelLayout::cellSize(in);
    QTEST(c.b, "b");
    QTEST(c.w, "w");
}

void LeftPanelLayoutTest::controlsLandInTheirCells_data() {
    QTest::addColumn<Kind>("kind");
    QTest::addColumn<uint>("tag");
    QTest::addColumn<bool>("pc");
    QTest::addColumn<QRect>("rect");
    QTest::addColumn<int>("font");
    // b = 23, w = 82 throughout; x offset 1 (4 px), y offset 5 (20 px) or 7 (28 px).
    QTest::newRow("state panel, row 0 col 0")
        << Kind::Panel << 0x00150000u << true << QRect(4, 20, 82, 23) << 10;
    QTest::newRow("value label, small font")
        << Kind::Panel << 0x10151000u << true << QRect(86, 20, 82, 23) << 7;
    QTest::newRow("speed label is twice as wide")
        << Kind::Panel << 0x15154000u << true << QRect(86, 135, 164, 23) << 10;
    QTest::newRow("smaller font style")
        << Kind::Panel << 0x34152000u << true << QRect(250, 112, 82, 23) << 5;
    QTest::newRow("check box spans two columns")
        << Kind::CheckBox << 0x40150001u << true << QRect(332, 20, 164, 23) << 7;
    QTest::newRow("edit takes half a cell under PC configuration")
        << Kind::Edit << 0x24150000u << true << QRect(168, 112, 41, 23) << 10;
    QTest::newRow("edit takes the whole cell when the switches configure")
        << Kind::Edit << 0x24150000u << false << QRect(168, 112, 82, 23) << 10;
    QTest::newRow("arrows take the right half, full height under PC configuration")
        << Kind::UpDown << 0x24150004u << true << QRect(209, 112, 41, 23) << 0;
    QTest::newRow("arrows are 4 px shorter when the switches configure")
        << Kind::UpDown << 0x24150004u << false << QRect(209, 112, 41, 19) << 0;
    QTest::newRow("radio group sits 2 px higher, 1.9 columns wide")
        << Kind::RadioGroup << 0x20150009u << true << QRect(168, 18, 155, 30) << 7;
    QTest::newRow("radio group with the half-row drop")
        << Kind::RadioGroup << 0x40151007u << true << QRect(332, 29, 155, 30) << 7;
    QTest::newRow("map panel second row, y offset 7")
        << Kind::Edit << 0x21170000u << true << QRect(168, 51, 41, 23) << 10;
}

void LeftPanelLayoutTest::controlsLandInTheirCells() {
    QFETCH(Kind, kind);
    QFETCH(uint, tag);
    QFETCH(bool, pc);
    const auto p = LeftPanelLayout::place(kind, tag, Cell{23, 82}, pc);
    QTEST(p.rect, "rect");
    QTEST(p.fontPointSize, "font");
}

namespace {

struct Window {
    QWidget root;
    QWidget* PanelLeft = new QWidget(&root);
    QWidget* PanelNas1 = new QWidget(PanelLeft);
    QWidget* PanelCzuj = new QWidget(PanelLeft);
    QWidget* PanelMapy = new QWidget(PanelLeft);
    QWidget* PanelMapyTop = new QWidget(PanelMapy);
    QWidget* PanelInne = new QWidget(PanelLeft);
    QTableWidget* GridMapa = new QTableWidget(17, 16, PanelMapy);
    LeftPanelControls c;

    Window() {
        c.createLeftPanelControls({PanelNas1, PanelCzuj, PanelMapyTop, PanelInne});
        PanelLeft->resize(1000, 300);
        for (QWidget* w : {PanelNas1, PanelCzuj, PanelMapy, PanelMapyTop, PanelInne}) {
            w->resize(1000, 100);
        }
        PanelMapy->hide();
    }
    LeftPanelLayout::Frame frame() {
        return {PanelLeft, PanelNas1, PanelCzuj, PanelMapy, PanelMapyTop, GridMapa};
    }
};

} // namespace

void LeftPanelLayoutTest::wholeLayoutPlacesTheRealControls() {
    Window win;
    const Cell cell = LeftPanelLayout::apply(win.c, win.frame(), true, true);
    QCOMPARE(cell.b, 23);
    QCOMPARE(cell.w, 82);
    QCOMPARE(win.c.LabelRpm->geometry(), QRect(86, 135, 164, 23));
    QCOMPARE(win.c.LabelRpm->font().pointSize(), 10);
    QCOMPARE(win.c.CheckBoxKP->geometry(), QRect(168, 66, 164, 23));
    QCOMPARE(win.c.UpDownKat->geometry(), QRect(209, 158, 41, 23));
    QCOMPARE(win.c.EditKat->geometry(), QRect(168, 158, 41, 23));
    QCOMPARE(win.c.RGWejRoz->geometry(), QRect(496, 64, 155, 30));
    QCOMPARE(win.c.LabelObc->geometry(), QRect(86, 51, 82, 23));
    QCOMPARE(win.c.PanelTxt5->geometry(), QRect(250, 74, 82, 23));
    // Captions outside the grid follow the columns and rows, and have room for a longer text
    // (another language) up to the panel's edge, the frame-log caption up to its neighbour.
    QCOMPARE(win.c.OpisNastawy->x(), 2 * 82 + 4);
    QCOMPARE(win.c.OpisRoz->y(), 2 * 23);
    QCOMPARE(win.c.Label14->width(), 1000 - 4 - 4);
    QCOMPARE(win.c.OpisSygaly->geometry().right(), 2 * 82 - 1);
    // Settings panel: seven rows shown, ten at most.
    QCOMPARE(win.PanelNas1->height(), 7 * 23 + 24);
    QCOMPARE(win.PanelNas1->maximumHeight(), 10 * 23 + 24);
    QCOMPARE(win.PanelCzuj->height(), 3 * 23 + 26);

    // Without the camshaft channel the sensor panel keeps one row and its caption moves off.
    LeftPanelLayout::apply(win.c, win.frame(), false, false);
    QCOMPARE(win.PanelCzuj->height(), 23 + 24);
    QCOMPARE(win.c.OpisRoz->y(), 3 * 23);
    QCOMPARE(win.c.EditKat->geometry(), QRect(168, 158, 82, 23));
    QCOMPARE(win.c.UpDownKat->geometry(), QRect(209, 158, 41, 19));
}

void LeftPanelLayoutTest::relayRowBoxTakesThePlaceOfAHiddenShiftBox() {
    Window win;
    LeftPanelLayout::apply(win.c, win.frame(), true, true);
    QCOMPARE(win.c.CheckBoxRo->x(), 4 * 82 + 4);
    win.c.CheckBoxOn->hide();
    LeftPanelLayout::apply(win.c, win.frame(), true, true);
    QCOMPARE(win.c.CheckBoxRo->x(), 2 * 82 + 4);
    win.c.CheckBoxRo->hide();
    LeftPanelLayout::apply(win.c, win.frame(), true, true);
    QCOMPARE(win.c.CheckBoxRo->x(), 4 * 82 + 4);
}

void LeftPanelLayoutTest::mapGridCellsFollowTheGridSize() {
    Window win;
    win.PanelMapy->show();
    win.GridMapa->resize(500, 400);
    win.c.RGMapa->setItemIndex(1);
    LeftPanelLayout::apply(win.c, win.frame(), false, true);
    QCOMPARE(win.GridMapa->columnWidth(3), 500 / 16 - 2);
    QCOMPARE(win.GridMapa->rowHeight(5), 400 / 17 - 2);
    QCOMPARE(win.PanelMapyTop->height(), 23 + 26);

    // A narrow and low grid: 22-pixel columns cannot hold "10000" even in a smaller font, so
    // the columns widen to the text (the grid scrolls) instead of cutting it.
    win.GridMapa->resize(300, 200);
    win.GridMapa->setItem(0, 15, new QTableWidgetItem(QStringLiteral("10000")));
    win.c.RGMapa->setItemIndex(2);
    LeftPanelLayout::apply(win.c, win.frame(), false, true);
    const QFontMetrics fm(win.GridMapa->font());
    QVERIFY(win.GridMapa->columnWidth(3) > 22);
    // Whole, not shortened to "100...": the item view keeps its focus margins and the grid line.
    const int margins =
        2 * (win.GridMapa->style()->pixelMetric(QStyle::PM_FocusFrameHMargin) + 1) + 1;
    QVERIFY(fm.horizontalAdvance(QStringLiteral("10000")) + margins <=
            win.GridMapa->columnWidth(15));
    QVERIFY(win.GridMapa->font().pointSize() >= 7);
    QCOMPARE(win.GridMapa->rowHeight(5), std::max(15, fm.height() + 2));
    QCOMPARE(win.PanelMapyTop->height(), 2 * 20 + 30); // 3-D map: b = 300/30 -> 20

    win.GridMapa->resize(800, 400);
    win.GridMapa->setRowCount(2); // the two-row speed/angle table
    LeftPanelLayout::apply(win.c, win.frame(), false, true);
    QCOMPARE(win.GridMapa->columnWidth(3), 40);
    QCOMPARE(win.GridMapa->rowHeight(1), 3 * win.GridMapa->font().pointSize());
}

void LeftPanelLayoutTest::lastCamshaftGroupIsKeptInsideItsPanel() {
    Window win;
    win.PanelLeft->resize(560,
                          300); // b = 560/28 = 20, w = 72: the group would end at 4 + 6w + 1.9w
    win.PanelCzuj->resize(560, 100);
    LeftPanelLayout::apply(win.c, win.frame(), true, true);
    QCOMPARE(win.c.RGWejRoz->x(), 4 + 6 * 72);
    QCOMPARE(win.c.RGWejRoz->geometry().right(), 558);
    QCOMPARE(win.c.RGKomRoz->width(), 136); // the others keep 1.9 columns

    // A panel far too narrow for the row (b is raised to 20 anyway): no group is squeezed to
    // a column; the stack scrolls to them instead.
    win.PanelLeft->resize(360, 300);
    win.PanelCzuj->resize(360, 100);
    LeftPanelLayout::apply(win.c, win.frame(), true, true);
    QCOMPARE(win.c.RGKomRoz->width(), 136);
    QCOMPARE(win.c.RGWejRoz->width(), 136);
}

void LeftPanelLayoutTest::smallCellsGetReadableTextsWhereTheTextFits() {
    Window win;
    win.PanelLeft->resize(560, 260); // b = 20: the rule gives 6-point option texts
    win.c.LabelSta->setText(QStringLiteral(" Włączony"));
    LeftPanelLayout::apply(win.c, win.frame(), true, true);
    QCOMPARE(win.c.CheckBoxTp->font().pointSize(), 8);
    QCOMPARE(win.c.PanelTxt1->font().pointSize(), 8);
    QVERIFY(win.c.RGMapa->font().pointSize() >= 7);
    QVERIFY(win.c.RGKomRoz->font().pointSize() >= 7);
    // A value of the controller may grow longer than the text now shown: the rule's size.
    QCOMPARE(win.c.LabelSta->font().pointSize(), 20 / 3);
    // Large cells keep the rule's sizes, which are larger.
    win.PanelLeft->resize(2000, 900);
    LeftPanelLayout::apply(win.c, win.frame(), true, true);
    QCOMPARE(win.c.CheckBoxTp->font().pointSize(), 69 / 3);
}

void LeftPanelLayoutTest::captionOfAPanelNotYetSizedHasRoomForALongerLanguage() {
    Window win;
    // The map panel was hidden until now: its strip still has its first, small size.
    win.PanelMapy->show();
    win.PanelMapyTop->resize(100, 30);
    LeftPanelLayout::apply(win.c, win.frame(), true, true);
    win.c.Label14->setText(QStringLiteral("Ignition map adjustment")); // the language changes
    QVERIFY(win.c.Label14->width() >= win.c.Label14->sizeHint().width());
}

void LeftPanelLayoutTest::settingsPanelUsesFreeHeightOnlyWithoutTheMap() {
    // The window stacks the panels in a plain layout; nothing can drag the settings panel
    // taller, so it takes free room itself, never more than ten rows.
    QWidget left;
    auto* stack = new QVBoxLayout(&left);
    auto* nas = new QWidget;
    auto* czuj = new QWidget;
    auto* mapy = new QWidget;
    auto* mapyTop = new QWidget(mapy);
    auto* inne = new QWidget;
    stack->addWidget(nas);
    stack->addWidget(czuj);
    stack->addWidget(mapy, 1);
    stack->addWidget(inne);
    LeftPanelControls c;
    c.createLeftPanelControls({nas, czuj, mapyTop, inne});
    left.resize(1000, 300); // b = 23
    LeftPanelLayout::Frame frame{&left, nas, czuj, mapy, mapyTop, nullptr};

    mapy->hide();
    LeftPanelLayout::apply(c, frame, false, true);
    QCOMPARE(nas->minimumHeight(), 300 - (23 + 24) - 8);
    left.resize(1000, 600); // b = 46: 10 rows fit
    LeftPanelLayout::apply(c, frame, false, true);
    QCOMPARE(nas->minimumHeight(), 10 * 46 + 24);

    mapy->show(); // the map takes the room: seven rows
    LeftPanelLayout::apply(c, frame, false, true);
    QCOMPARE(nas->minimumHeight(), 7 * 46 + 24);
    QCOMPARE(nas->maximumHeight(), 7 * 46 + 24);
}

QTEST_MAIN(LeftPanelLayoutTest)
#include "tst_leftpanellayout.moc"
