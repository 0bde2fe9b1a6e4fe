// The map grid's cells: ramp colour by value, the hatched live cell, plain cells while the map
// is off and for the header row and column.
#include "MapColorRamp.h"
#include "MapGridDelegate.h"

#include <QHeaderView>
#include <QTableWidget>
#include <QtTest>

class MapGridDelegateTest : public QObject {
    Q_OBJECT
private slots:
    void rampRunsFromLightBlueToLightRed_data();
    void rampRunsFromLightBlueToLightRed();
    void cellsShowTheirValueColourAndTheLiveCellIsHatched();
};

void MapGridDelegateTest::rampRunsFromLightBlueToLightRed_data() {
    QTest::addColumn<int>("index");
    QTest::addColumn<QColor>("colour");
    QTest::newRow("-128: light blue") << 0 << QColor(0x80, 0x80, 0xFF);
    QTest::newRow("end of the blue run") << 63 << QColor(0x80, 0xFE, 0xFF);
    QTest::newRow("cyan") << 64 << QColor(0x80, 0xFF, 0xFF);
    QTest::newRow("value 0: light green") << 128 << QColor(0x80, 0xFF, 0x80);
    QTest::newRow("yellow") << 192 << QColor(0xFF, 0xFF, 0x80);
    QTest::newRow("127: light red") << 255 << QColor(0xFF, 0x81, 0x80);
}

void MapGridDelegateTest::rampRunsFromLightBlueToLightRed() {
    QFETCH(int, index);
    QTEST(mapColorRamp(index), "colour");
}

void MapGridDelegateTest::cellsShowTheirValueColourAndTheLiveCellIsHatched() {
    QTableWidget grid(17, 16);
    grid.horizontalHeader()->hide();
    grid.verticalHeader()->hide();
    grid.horizontalHeader()->setDefaultSectionSize(40);
    grid.verticalHeader()->setDefaultSectionSize(20);
    grid.resize(700, 400);
    bool mapOn = true;
    MapGridDelegate::Source src;
    src.value = [](int column, int row) { return column == 2 && row == 3 ? -128 : 0; };
    src.liveCell = [] { return std::uint8_t{0x14}; }; // column 1, row 5
    src.mapOn = [&mapOn] { return mapOn; };
    grid.setItemDelegate(new MapGridDelegate(src, &grid));
    auto centre = [&grid](int column, int row) {
        return grid.visualRect(grid.model()->index(row, column)).center();
    };
    QImage img = grid.viewport()->grab().toImage();
    QCOMPARE(img.pixelColor(centre(2, 3) + QPoint(10, 4)), QColor(0x80, 0x80, 0xFF));
    QCOMPARE(img.pixelColor(centre(4, 4) + QPoint(10, 4)), QColor(0x80, 0xFF, 0x80));
    // The header cells are not map cells.
    QVERIFY(img.pixelColor(centre(0, 4)) != QColor(0x80, 0xFF, 0x80));
    // Live cell: white lines on every second pixel row over the cell's colour.
    const QRect live = grid.visualRect(grid.model()->index(5, 1));
    const QPoint x(live.left() + 30, 0);
    const QColor a = img.pixelColor(x.x(), live.top() + 1);
    const QColor b = img.pixelColor(x.x(), live.top() + 2);
    QCOMPARE(a, QColor(Qt::white));
    QCOMPARE(b, QColor(0x80, 0xFF, 0x80));
    QCOMPARE(img.pixelColor(x.x(), live.top() + 3), QColor(Qt::white));

    mapOn = false; // map switched off: plain cells
    img = grid.viewport()->grab().toImage();
    QVERIFY(img.pixelColor(centre(4, 4) + QPoint(10, 4)) != QColor(0x80, 0xFF, 0x80));
    QVERIFY(img.pixelColor(x.x(), live.top() + 1) != QColor(Qt::white) ||
            img.pixelColor(x.x(), live.top() + 2) == QColor(Qt::white));
}

QTEST_MAIN(MapGridDelegateTest)
#include "tst_mapgriddelegate.moc"
