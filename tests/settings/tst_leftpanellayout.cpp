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
#include <QMap>
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
    void shownControlsFitThePanelWidth_data();
    void shownControlsFitThePanelWidth();
    void stackFitsThePanelHeight_data();
    void stackFitsThePanelHeight();
    void captionsOfAKindShareOneReadableFontSize();
    void captionOfAPanelNotYetSizedHasRoomForALongerLanguage();
    void liveValueFontsStayWhateverTheValuesShowAtALayout();
    void valueBoxesDrawTheirTextInTheirCells_data();
    void valueBoxesDrawTheirTextInTheirCells();
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
        // Nine settings rows (the resets row is for service mode) and three sensor rows of
        // 23 px fill 330 px: b = 23, w = 82.
        PanelLeft->resize(1000, 330);
        for (QWidget* w : {PanelNas1, PanelCzuj, PanelMapy, PanelMapyTop, PanelInne}) {
            w->resize(1000, 100);
        }
        PanelMapy->hide();
    }
    LeftPanelLayout::Frame frame() {
        return {PanelLeft, PanelNas1, PanelCzuj, PanelMapy, PanelMapyTop, GridMapa};
    }
    // The controls shown in a panel, with the lowest and rightmost edge they reach.
    QRect shownIn(const QWidget* panel) const {
        QRect all;
        for (QWidget* w : c.taggedControls()) {
            if (w->parentWidget() == panel && w->isVisibleTo(PanelLeft) &&
                w->y() < panel->height()) {
                all |= w->geometry();
            }
        }
        return all;
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
    // Every settings row is shown (potentiometer, MAP sensor): nine rows, ten with the resets.
    QCOMPARE(win.PanelNas1->height(), 9 * 23 + 24);
    win.c.PanelRes->show();
    const int b10 = LeftPanelLayout::apply(win.c, win.frame(), true, true).b;
    QCOMPARE(b10, (330 - 24 - 26) / 13); // smaller cells: the stack fits again
    QCOMPARE(win.PanelNas1->height(), 10 * b10 + 24);
    win.c.PanelRes->hide();
    LeftPanelLayout::apply(win.c, win.frame(), true, true);
    QCOMPARE(win.PanelCzuj->height(), 3 * 23 + 26);

    // Without the camshaft channel the sensor panel keeps its first row, grown to hold the
    // group that sits half a row lower whole; its caption moves off.
    const Cell wide = LeftPanelLayout::apply(win.c, win.frame(), false, false);
    const int b = wide.b;
    QVERIFY(win.PanelCzuj->height() >= win.c.RGKomKor->geometry().bottom() + 1);
    QVERIFY(win.PanelCzuj->height() < win.c.RGWyjRoz->y());
    QCOMPARE(win.c.OpisRoz->y(), 3 * b);
    QCOMPARE(win.c.EditKat->geometry(), QRect(2 * wide.w + 4, 6 * b + 20, wide.w, b));
    QCOMPARE(win.c.UpDownKat->geometry().height(), b - 4);
}

void LeftPanelLayoutTest::relayRowBoxTakesThePlaceOfAHiddenShiftBox() {
    Window win;
    const int w = LeftPanelLayout::apply(win.c, win.frame(), true, true).w;
    QCOMPARE(win.c.CheckBoxRo->x(), 4 * w + 4);
    win.c.CheckBoxOn->hide();
    LeftPanelLayout::apply(win.c, win.frame(), true, true);
    QCOMPARE(win.c.CheckBoxRo->x(), 2 * w + 4);
    win.c.CheckBoxRo->hide();
    LeftPanelLayout::apply(win.c, win.frame(), true, true);
    QCOMPARE(win.c.CheckBoxRo->x(), 4 * w + 4);
}

void LeftPanelLayoutTest::mapGridCellsFollowTheGridSize() {
    Window win;
    win.PanelMapy->show();
    win.GridMapa->resize(500, 400);
    win.c.RGMapa->setItemIndex(1);
    Cell cell = LeftPanelLayout::apply(win.c, win.frame(), false, true);
    QCOMPARE(win.GridMapa->columnWidth(3), 500 / 16 - 2);
    QCOMPARE(win.GridMapa->rowHeight(5), 400 / 17 - 2);
    QCOMPARE(win.PanelMapyTop->height(), cell.b + 26);

    // A narrow and low grid: 22-pixel columns cannot hold "10000" even in a smaller font, so
    // the columns widen to the text (the grid scrolls) instead of cutting it.
    win.GridMapa->resize(300, 200);
    // Even without long speeds an angle of -25.6 keeps 2 px on either side.
    LeftPanelLayout::apply(win.c, win.frame(), false, true);
    QVERIFY(QFontMetrics(win.GridMapa->font()).horizontalAdvance(QStringLiteral("-25.6")) + 4 <=
            win.GridMapa->columnWidth(3));
    win.GridMapa->setItem(0, 15, new QTableWidgetItem(QStringLiteral("10000")));
    win.c.RGMapa->setItemIndex(2);
    cell = LeftPanelLayout::apply(win.c, win.frame(), false, true);
    const QFontMetrics fm(win.GridMapa->font());
    QVERIFY(win.GridMapa->columnWidth(3) > 22);
    // Whole, not shortened to "100...": the item view keeps its focus margins and the grid line.
    const int margins =
        2 * (win.GridMapa->style()->pixelMetric(QStyle::PM_FocusFrameHMargin) + 1) + 1;
    QVERIFY(fm.horizontalAdvance(QStringLiteral("10000")) + margins <=
            win.GridMapa->columnWidth(15));
    QVERIFY(win.GridMapa->font().pointSize() >= 7);
    QCOMPARE(win.GridMapa->rowHeight(5), std::max(15, fm.height() + 2));
    QCOMPARE(cell.b, 20); // 3-D map: b = 330/30 -> 11, raised to 20
    QCOMPARE(win.PanelMapyTop->height(), 2 * 20 + 30);

    win.GridMapa->resize(800, 400);
    win.GridMapa->setRowCount(2); // the two-row speed/angle table
    LeftPanelLayout::apply(win.c, win.frame(), false, true);
    QCOMPARE(win.GridMapa->columnWidth(3), 40);
    QCOMPARE(win.GridMapa->rowHeight(1), 3 * win.GridMapa->font().pointSize());
}

// The cell is made smaller until every shown control fits the panel's width: nothing scrolls
// sideways, and no option group is squeezed below its 1.9 columns.
void LeftPanelLayoutTest::shownControlsFitThePanelWidth_data() {
    QTest::addColumn<int>("width");
    QTest::addColumn<bool>("camshaft");
    QTest::newRow("window of 620, camshaft row") << 603 << true;
    QTest::newRow("window of 800, camshaft row") << 800 << true;
    QTest::newRow("window of 800, no camshaft channel") << 800 << false;
    QTest::newRow("window of 1024, camshaft row") << 1024 << true;
}

void LeftPanelLayoutTest::shownControlsFitThePanelWidth() {
    QFETCH(int, width);
    QFETCH(bool, camshaft);
    Window win;
    win.PanelLeft->resize(width, 2000);
    const Cell cell = LeftPanelLayout::apply(win.c, win.frame(), camshaft, true);
    for (QWidget* panel : {win.PanelNas1, win.PanelCzuj}) {
        QVERIFY2(win.shownIn(panel).right() + 4 < width, qPrintable(panel->objectName()));
    }
    for (TRadioGroup* g : {win.c.RGWyjKor, win.c.RGKomKor, win.c.RGWyjRoz, win.c.RGKomRoz}) {
        QCOMPARE(g->width(), cell.w * 19 / 10);
    }
    // As large as the width allows: one pixel more and the camshaft row (or, without it, the
    // settings rows) would not fit.
    const int reach = camshaft ? 6 * (cell.b + 1) * 36 / 10 + (cell.b + 1) * 36 / 10 * 19 / 10
                               : 6 * ((cell.b + 1) * 36 / 10);
    QVERIFY(reach + 4 + 4 > width || cell.b == 1000 / 13);

    for (TRadioGroup* g : {win.c.RGWyjRoz, win.c.RGKomRoz, win.c.RGMapa}) {
        QVERIFY2(g->font().pointSize() >= 7, qPrintable(g->objectName()));
    }

    // Too narrow even for the narrowest cells: the smallest readable ones are kept, the groups
    // keep their width, and the stack scrolls.
    win.PanelLeft->resize(360, 2000);
    const Cell small = LeftPanelLayout::apply(win.c, win.frame(), true, true);
    QCOMPARE(small.b, LeftPanelLayout::MinimumRowHeight);
    QCOMPARE(win.c.RGWejRoz->width(), small.w * 19 / 10);

    // A group overhanging the panel by less than a cell is pulled inside it; by a whole cell it
    // keeps its place and width. (260 px high: b = 20 at any width.)
    win.PanelLeft->resize(2000, 260);
    QCOMPARE(LeftPanelLayout::apply(win.c, win.frame(), true, true).b, 20);
    const QRect free = win.c.RGWejRoz->geometry();
    win.PanelLeft->resize(free.right() - 19, 260);
    LeftPanelLayout::apply(win.c, win.frame(), true, true);
    QCOMPARE(win.c.RGWejRoz->geometry().right(), free.right() - 21);
    win.PanelLeft->resize(free.right() - 20, 260);
    LeftPanelLayout::apply(win.c, win.frame(), true, true);
    QCOMPARE(win.c.RGWejRoz->geometry(), free);
}

// Every row stays whole in the height: the cell is made smaller (down to 20) until the
// settings rows, the sensor rows and the map's strip, toolbar and a few grid rows fit.
void LeftPanelLayoutTest::stackFitsThePanelHeight_data() {
    QTest::addColumn<int>("height");
    QTest::addColumn<int>("mapMode"); // -1: no map panel
    QTest::newRow("800x600 without the map") << 509 << -1;
    QTest::newRow("800x600, two-row map") << 509 << 1;
    QTest::newRow("800x600, 3-D map") << 509 << 2;
    QTest::newRow("1024x768, two-row map") << 677 << 1;
    QTest::newRow("620x460 without the map: smallest cells") << 369 << -1;
}

void LeftPanelLayoutTest::stackFitsThePanelHeight() {
    QFETCH(int, height);
    QFETCH(int, mapMode);
    QWidget left;
    auto* stack = new QVBoxLayout(&left);
    stack->setContentsMargins(0, 0, 0, 0);
    stack->setSpacing(0);
    auto* nas = new QWidget;
    auto* czuj = new QWidget;
    auto* mapy = new QWidget;
    auto* mapColumn = new QVBoxLayout(mapy);
    mapColumn->setContentsMargins(0, 0, 0, 0);
    auto* mapyTop = new QWidget;
    auto* grid = new QTableWidget(17, 16);
    grid->setMinimumHeight(90);
    mapColumn->addWidget(mapyTop);
    mapColumn->addWidget(grid, 1);
    stack->addWidget(nas);
    stack->addWidget(czuj);
    stack->addWidget(mapy, 1);
    LeftPanelControls c;
    c.createLeftPanelControls({nas, czuj, mapyTop, new QWidget});
    c.PanelRes->hide(); // the resets row is for service mode
    c.LabelRes->hide();
    mapy->setVisible(mapMode >= 0);
    c.RGMapa->setItemIndex(mapMode);
    left.resize(1000, height);
    const LeftPanelLayout::Frame frame{&left, nas, czuj, mapy, mapyTop, grid};
    const Cell cell = LeftPanelLayout::apply(c, frame, true, true);
    const int b = cell.b;
    QCOMPARE(nas->height(), 9 * b + 24); // rows 0..8, the MAP sensor's included
    QVERIFY(czuj->height() >= c.RGWejRoz->geometry().bottom() + 1);
    const int map = mapMode >= 0 ? mapyTop->height() + 90 : 0;
    const int need = nas->height() + czuj->height() + map;
    // Only the smallest cells may leave the stack taller than the panel (it scrolls then).
    QVERIFY2(need <= height || b == LeftPanelLayout::MinimumRowHeight,
             qPrintable(QString::number(need)));
    QVERIFY(b <= LeftPanelLayout::cellSize({1000, height, true, true, mapMode >= 0, mapMode}).b);
}

void LeftPanelLayoutTest::captionsOfAKindShareOneReadableFontSize() {
    Window win;
    win.PanelLeft->resize(580, 2000); // b = 20: the rule gives 6-point option texts
    win.c.LabelSta->setText(QStringLiteral(" Włączony"));
    QCOMPARE(LeftPanelLayout::apply(win.c, win.frame(), true, true).b, 20);
    QVERIFY(win.c.CheckBoxTp->font().pointSize() >= 7);
    QCOMPARE(win.c.CheckBoxOn->font().pointSize(), win.c.CheckBoxTp->font().pointSize());
    QVERIFY(win.c.PanelTxt1->font().pointSize() >= 7);
    QCOMPARE(win.c.PanelTxt2->font().pointSize(), win.c.PanelTxt1->font().pointSize());
    QVERIFY(win.c.RGMapa->font().pointSize() >= 7);
    QCOMPARE(win.c.RGKomRoz->font().pointSize(), win.c.RGMapa->font().pointSize());
    // A value of the controller is as readable as the captions of its kind.
    QCOMPARE(win.c.LabelSta->font().pointSize(), win.c.PanelTxt1->font().pointSize());
    // A group's caption fits with 6 px before it and 6 after, not a pixel less.
    const QFont groupFont = win.c.RGMapa->font();
    const int caption = QFontMetrics(groupFont).horizontalAdvance(win.c.RGMapa->title().trimmed());
    QVERIFY(win.c.RGMapa->captionFits(groupFont, QSize(caption + 12, 40)));
    QVERIFY(!win.c.RGMapa->captionFits(groupFont, QSize(caption + 11, 40)));

    // One long text (another language) shrinks its whole kind together, and fits.
    win.c.CheckBoxRo->setText(QStringLiteral("Смещение импульсов распредвала"));
    LeftPanelLayout::apply(win.c, win.frame(), true, true);
    const int pt = win.c.CheckBoxRo->font().pointSize();
    QVERIFY(pt >= 6);
    for (QCheckBox* box :
         {win.c.CheckBoxPk, win.c.CheckBoxOn, win.c.CheckBoxKP, win.c.CheckBoxTp}) {
        QCOMPARE(box->font().pointSize(), pt);
    }
    const QFontMetrics fm(win.c.CheckBoxRo->font());
    QVERIFY(fm.horizontalAdvance(win.c.CheckBoxRo->text()) + fm.height() <=
            win.c.CheckBoxRo->width());

    // Large cells keep the rule's sizes, which are larger.
    win.PanelLeft->resize(2000, 900);
    const Cell large = LeftPanelLayout::apply(win.c, win.frame(), true, true);
    QCOMPARE(win.c.CheckBoxTp->font().pointSize(), large.b / 3);
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

void LeftPanelLayoutTest::liveValueFontsStayWhateverTheValuesShowAtALayout() {
    Window win;
    LeftPanelLayout::apply(win.c, win.frame(), true, true);
    QList<QWidget*> live;
    for (QWidget* w : win.c.taggedControls()) {
        if (w->property("liveValue").toBool()) {
            live << w;
        }
    }
    QVERIFY(live.contains(win.c.LabelRpm));
    QMap<QWidget*, int> before;
    for (QWidget* w : live) {
        before[w] = w->font().pointSize();
    }
    // The controller's values and messages come, longer ones too; then something lays the
    // panel out again (a dialog closed, the chart panel closed): no live font changes.
    win.c.LabelRpm->setText(QStringLiteral(" 12500 obr/min"));
    win.c.LabelSta->setText(QString::fromUtf8("Praca na gazie, zbyt niskie obroty silnika"));
    win.c.LabelImp->setText(QString::fromUtf8("Brak impulsów zapłonu !"));
    LeftPanelLayout::apply(win.c, win.frame(), true, true);
    for (QWidget* w : live) {
        QVERIFY2(w->font().pointSize() == before[w], qPrintable(w->objectName()));
    }
    // ... and their captioned neighbours keep theirs, as before the values came.
    QCOMPARE(win.c.LabelSta->font().pointSize(), win.c.PanelTxt1->font().pointSize());
    for (QWidget* w : live) {
        static_cast<QLabel*>(w)->clear();
    }
    LeftPanelLayout::apply(win.c, win.frame(), true, true);
    for (QWidget* w : live) {
        QVERIFY2(w->font().pointSize() == before[w], qPrintable(w->objectName()));
    }
}

// The value boxes draw their text, in the font and the cell the layout gives them: a font whose
// line does not fit the box (on Windows, a fallback font of very tall lines) leaves a box that
// holds its value but shows nothing. The value panel beside them is the reference.
void LeftPanelLayoutTest::valueBoxesDrawTheirTextInTheirCells_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("text");
    QTest::newRow("set angle") << "EditKat"
                               << "8";
    QTest::newRow("TPS threshold") << "EditTPS"
                                   << "0.8";
    QTest::newRow("rise time") << "EditNar"
                               << "20";
    QTest::newRow("engine speed panel") << "LabelRpm"
                                        << "850 rpm";
}

void LeftPanelLayoutTest::valueBoxesDrawTheirTextInTheirCells() {
    QFETCH(QString, name);
    QFETCH(QString, text);
    Window win;
    LeftPanelLayout::apply(win.c, win.frame(), true, true);
    auto* box = win.PanelLeft->findChild<QWidget*>(name);
    QVERIFY(box != nullptr);
    if (auto* edit = qobject_cast<QLineEdit*>(box)) {
        edit->setText(text);
    } else {
        static_cast<QLabel*>(box)->setText(text);
    }
    const QImage shot = box->grab().toImage();
    int dark = 0;
    for (int y = 0; y < shot.height(); ++y) {
        for (int x = 0; x < shot.width(); ++x) {
            dark += qGray(shot.pixel(x, y)) < 100 ? 1 : 0;
        }
    }
    QVERIFY2(dark >= 5 * text.size(), qPrintable(QString::number(dark)));
}

QTEST_MAIN(LeftPanelLayoutTest)
#include "tst_leftpanellayout.moc"
