// Editing the map grid as the user does it: Ctrl+Up/Down on a selection, typed values, range
// selection and right-button dragging with the mouse, the erase button; with and without the
// 3-D chart, and nothing at all before the controller's map was read.
#include "FakeMapHost.h"
#include "MapGridEditor.h"
#include "TChart3D.h"

#include <QApplication>
#include <QHeaderView>
#include <QLineEdit>
#include <QTableWidget>
#include <QtTest>

#include <memory>

class MapGridEditorTest : public QObject {
    Q_OBJECT

    FakeMapHost host;
    std::unique_ptr<QTableWidget> grid;
    MapGridEditor* editor = nullptr;

    int cell(int column, int row) const {
        return static_cast<qint8>(host.m.MapTable[static_cast<std::size_t>(column * 17 + row)]);
    }
    void setCellValue(int column, int row, int v) {
        host.m.MapTable[static_cast<std::size_t>(column * 17 + row)] = static_cast<quint8>(v);
    }
    QString text(int column, int row) const {
        const QTableWidgetItem* item = grid->item(row, column);
        return item != nullptr ? item->text() : QString();
    }
    void select(int left, int top, int right, int bottom) {
        grid->setCurrentCell(top, left);
        grid->selectionModel()->select(
            QItemSelection(grid->model()->index(top, left), grid->model()->index(bottom, right)),
            QItemSelectionModel::ClearAndSelect);
    }
    QPoint centre(int column, int row) const {
        return grid->visualRect(grid->model()->index(row, column)).center();
    }
    void mouse(QEvent::Type type, QPoint at, Qt::MouseButton button, Qt::MouseButtons held) {
        QMouseEvent e(type, at, grid->viewport()->mapToGlobal(at), button, held, Qt::NoModifier);
        QApplication::sendEvent(grid->viewport(), &e);
    }
    QLineEdit* typing() const { return grid->findChild<QLineEdit*>(); }
    void type(const QString& keys) {
        for (const QChar c : keys) {
            QWidget* target = typing() != nullptr ? static_cast<QWidget*>(typing()) : grid.get();
            QTest::keyClick(target, c.toLatin1());
        }
    }

private slots:
    void init();
    void cleanup();
    void ctrlArrowsStepTheSelectionAndHoldAtTheLimits();
    void typedValueIsStoredAsSoonAsItReadsAsANumber();
    void strayKeysLeaveTheCellAndSayWhy_data();
    void strayKeysLeaveTheCellAndSayWhy();
    void leftDragSelectsAndRightDragSteps();
    void headerCellsAreNeitherSelectedNorTyped();
    void nothingChangesBeforeTheMapWasRead();
    void changesReachTheChartWhenItExists();
    void eraseAsksTheControllerAndReadsTheMapAgain();
};

void MapGridEditorTest::init() {
    QLocale::setDefault(QLocale::c());
    host = FakeMapHost{};
    grid = std::make_unique<QTableWidget>(17, 16);
    grid->horizontalHeader()->hide();
    grid->verticalHeader()->hide();
    grid->horizontalHeader()->setDefaultSectionSize(40);
    grid->verticalHeader()->setDefaultSectionSize(20);
    grid->resize(700, 380);
    for (int c = 0; c < 16; ++c) {
        grid->setItem(0, c, new QTableWidgetItem(QString::number(c * 400 + 400)));
    }
    for (int r = 1; r < 17; ++r) {
        grid->setItem(r, 0, new QTableWidgetItem(QString::number(r * 625 / 100) + "%"));
    }
    editor = new MapGridEditor(host, grid.get(), grid.get());
    editor->showMapTable();
    grid->show();
    grid->setFocus();
    QVERIFY(QTest::qWaitForWindowExposed(grid.get()));
}

void MapGridEditorTest::cleanup() {
    grid.reset();
}

void MapGridEditorTest::ctrlArrowsStepTheSelectionAndHoldAtTheLimits() {
    setCellValue(2, 2, 127);
    setCellValue(3, 3, -128);
    setCellValue(2, 3, 5);
    editor->showMapTable();
    select(2, 2, 3, 3);
    QTest::keyClick(grid.get(), Qt::Key_Up, Qt::ControlModifier);
    QCOMPARE(cell(2, 2), 127); // held at the top, the write is still queued
    QCOMPARE(cell(2, 3), 6);
    QCOMPARE(cell(3, 3), -127);
    QCOMPARE(text(2, 3), QStringLiteral("1.2"));
    QCOMPARE(host.m.PendingWrites & 0x2000u, 0x2000u);
    QCOMPARE(host.m.MapWriteFirst, 17);
    QCOMPARE(host.m.MapWriteLast, 34);
    // The key leaves the selection where it is: the next press steps the same cells.
    QCOMPARE(editor->selection(), QRect(QPoint(2, 2), QPoint(3, 3)));
    QTest::keyClick(grid.get(), Qt::Key_Down, Qt::ControlModifier);
    QTest::keyClick(grid.get(), Qt::Key_Down, Qt::ControlModifier);
    QCOMPARE(cell(3, 3), -128);
    QCOMPARE(cell(2, 2), 125);
    QCOMPARE(text(3, 3), QStringLiteral("-25.6"));
    // A write not sent yet from the first cell grows to cover the new cells too; a pending
    // range that is not valid stands for the whole map and stays so.
    host.m.MapWriteFirst = 0;
    host.m.MapWriteLast = 3;
    QTest::keyClick(grid.get(), Qt::Key_Up, Qt::ControlModifier);
    QCOMPARE(host.m.MapWriteFirst, 0);
    QCOMPARE(host.m.MapWriteLast, 34);
    host.m.MapWriteFirst = -1;
    QTest::keyClick(grid.get(), Qt::Key_Down, Qt::ControlModifier);
    QCOMPARE(host.m.MapWriteFirst, -1);
    // Without Ctrl an arrow only moves.
    host.m.PendingWrites = 0;
    QTest::keyClick(grid.get(), Qt::Key_Up);
    QCOMPARE(cell(2, 2), 125);
    QCOMPARE(host.m.PendingWrites, 0u);
}

void MapGridEditorTest::typedValueIsStoredAsSoonAsItReadsAsANumber() {
    select(3, 5, 3, 5);
    type(QStringLiteral("1"));
    QVERIFY(typing() != nullptr);
    QCOMPARE(cell(3, 5), 5);
    QCOMPARE(host.m.PendingWrites & 0x2000u, 0x2000u);
    QCOMPARE(host.m.MapWriteFirst, 2 * 16 + 4);
    type(QStringLiteral("2."));
    QCOMPARE(cell(3, 5), 60);                          // "12." waits for the next digit
    QCOMPARE(typing()->text(), QStringLiteral("12.")); // and is not rewritten
    type(QStringLiteral("3"));
    QCOMPARE(cell(3, 5), 61);                           // 12.3 truncated to 12.2
    QCOMPARE(typing()->text(), QStringLiteral("12.2")); // rewritten at once
    QTest::keyClick(typing(), Qt::Key_Return);
    QTRY_VERIFY(typing() == nullptr);
    QCOMPARE(text(3, 5), QStringLiteral("12.2"));

    // A negative value typed from its sign; "1.3" is stored as 6 and shown as 1.2.
    select(4, 6, 4, 6);
    type(QStringLiteral("-1.3"));
    QCOMPARE(cell(4, 6), -6);
    QCOMPARE(typing()->text(), QStringLiteral("-1.2"));
    // A half-typed decimal left behind shows the stored value once the cell is left.
    QTest::keyClick(typing(), Qt::Key_Backspace);
    QCOMPARE(typing()->text(), QStringLiteral("-1."));
    QTest::keyClick(typing(), Qt::Key_Return);
    QTRY_VERIFY(typing() == nullptr);
    QCOMPARE(text(4, 6), QStringLiteral("-1.2"));
    QCOMPARE(cell(4, 6), -6);

    // Out of range: held at the limit and the cell rewritten.
    select(6, 7, 6, 7);
    type(QStringLiteral("-30"));
    QCOMPARE(cell(6, 7), -128);
    QCOMPARE(typing()->text(), QStringLiteral("-25.6"));
    QTest::keyClick(typing(), Qt::Key_Return);
    QTRY_VERIFY(typing() == nullptr);

    // The first map row takes typed values as any other.
    select(1, 1, 1, 1);
    type(QStringLiteral("7"));
    QCOMPARE(cell(1, 1), 35);
}

void MapGridEditorTest::strayKeysLeaveTheCellAndSayWhy_data() {
    QTest::addColumn<QString>("keys");
    QTest::addColumn<int>("v");          // the cell after Enter (5 before)
    QTest::addColumn<QString>("status"); // empty: nothing said
    QTest::newRow("a letter") << "a" << 5 << "\"a\" is no number, the cell keeps 1.";
    QTest::newRow("a letter, then digits") << "q7" << 5 << "\"q7\" is no number, the cell keeps 1.";
    QTest::newRow("digits, then a letter")
        << "12x" << 60 << "\"12x\" is no number, the cell keeps 12.";
    QTest::newRow("a sign left alone") << "-" << 5 << "";
}

void MapGridEditorTest::strayKeysLeaveTheCellAndSayWhy() {
    QFETCH(QString, keys);
    QFETCH(int, v);
    QFETCH(QString, status);
    setCellValue(3, 5, 5);
    editor->showMapTable();
    select(3, 5, 3, 5);
    host.status.clear(); // the selection's hint
    type(keys);
    QTest::keyClick(typing(), Qt::Key_Return);
    QTRY_VERIFY(typing() == nullptr);
    QCOMPARE(cell(3, 5), v);
    QCOMPARE(text(3, 5), v == 5 ? QStringLiteral("1") : QStringLiteral("12"));
    QCOMPARE(host.status, status);
    QCOMPARE(host.beeps > 0, !status.isEmpty());
    // Only a number goes to the controller.
    QCOMPARE(host.m.PendingWrites & 0x2000u, v == 5 ? 0u : 0x2000u);
}

void MapGridEditorTest::leftDragSelectsAndRightDragSteps() {
    mouse(QEvent::MouseButtonPress, centre(2, 5), Qt::LeftButton, Qt::LeftButton);
    mouse(QEvent::MouseMove, centre(3, 2), Qt::NoButton, Qt::LeftButton);
    // Over the header row the selection stops at the first data row.
    mouse(QEvent::MouseMove, centre(3, 0), Qt::NoButton, Qt::LeftButton);
    mouse(QEvent::MouseButtonRelease, centre(3, 0), Qt::LeftButton, Qt::NoButton);
    QCOMPARE(editor->selection(), QRect(QPoint(2, 1), QPoint(3, 5)));
    mouse(QEvent::MouseButtonPress, centre(2, 5), Qt::LeftButton, Qt::LeftButton);
    mouse(QEvent::MouseMove, centre(3, 2), Qt::NoButton, Qt::LeftButton);
    mouse(QEvent::MouseButtonRelease, centre(3, 2), Qt::LeftButton, Qt::NoButton);
    QCOMPARE(editor->selection(), QRect(QPoint(2, 2), QPoint(3, 5)));

    // Right button: one step per move, up when the pointer rises, none when it stays.
    const QPoint start = centre(8, 8);
    mouse(QEvent::MouseButtonPress, start, Qt::RightButton, Qt::RightButton);
    QCOMPARE(editor->selection(),
             QRect(QPoint(2, 2), QPoint(3, 5))); // a right click selects nothing
    mouse(QEvent::MouseMove, start - QPoint(0, 30), Qt::NoButton, Qt::RightButton);
    mouse(QEvent::MouseMove, start - QPoint(0, 31), Qt::NoButton, Qt::RightButton);
    mouse(QEvent::MouseMove, start - QPoint(5, 31), Qt::NoButton, Qt::RightButton);
    QCOMPARE(cell(2, 2), 2);
    QCOMPARE(cell(3, 5), 2);
    QCOMPARE(cell(4, 5), 0);
    mouse(QEvent::MouseMove, start, Qt::NoButton, Qt::RightButton);
    mouse(QEvent::MouseButtonRelease, start, Qt::RightButton, Qt::NoButton);
    QCOMPARE(cell(2, 2), 1);
    QCOMPARE(host.m.MapWriteFirst, 17);
    QCOMPARE(host.m.MapWriteLast, 36);
}

void MapGridEditorTest::headerCellsAreNeitherSelectedNorTyped() {
    select(4, 4, 4, 4);
    mouse(QEvent::MouseButtonPress, centre(0, 7), Qt::LeftButton, Qt::LeftButton);
    mouse(QEvent::MouseButtonRelease, centre(0, 7), Qt::LeftButton, Qt::NoButton);
    QCOMPARE(grid->currentIndex(), grid->model()->index(4, 4));
    grid->setCurrentCell(1, 4);
    QTest::keyClick(grid.get(), Qt::Key_Up); // no further than the first map row
    QCOMPARE(grid->currentRow(), 1);
    QCOMPARE(text(4, 0), QStringLiteral("2000"));
    // The first map column is no header: its selected cell is framed as any other.
    for (const int column : {1, 2}) {
        select(column, 3, column, 3);
        const QImage img = grid->viewport()->grab().toImage();
        const QRect r = grid->visualRect(grid->model()->index(3, column));
        QCOMPARE(img.pixelColor(r.topLeft() + QPoint(1, 1)), QColor(Qt::white));
    }
}

void MapGridEditorTest::nothingChangesBeforeTheMapWasRead() {
    host.editable = false;
    select(2, 2, 3, 3);
    QTest::keyClick(grid.get(), Qt::Key_Up, Qt::ControlModifier);
    type(QStringLiteral("5"));
    QVERIFY(typing() == nullptr);
    QCOMPARE(cell(2, 2), 0);
    QCOMPARE(host.m.PendingWrites, 0u);
    QVERIFY(host.beeps >= 2);
}

void MapGridEditorTest::changesReachTheChartWhenItExists() {
    TChart3D chart;
    chart.AxisMin = {400, 0, 0};
    chart.AxisMax = {6400, 100, 50};
    host.chart = &chart;
    // A fresh map fills the chart's 15 columns and 16 rows, nothing beyond them.
    editor->showMapTable();
    QCOMPARE(chart.Value(0, 15, 16), (cell(15, 16) + 128) * 0.2);
    QCOMPARE(chart.Value(0, 16, 1), -1.0);
    QCOMPARE(chart.Value(0, 1, 17), -1.0);
    select(5, 9, 5, 9);
    QTest::keyClick(grid.get(), Qt::Key_Up, Qt::ControlModifier);
    QCOMPARE(chart.Value(0, 5, 9), (1 + 128) * 0.2);
    // Cursor at the current cell: 2400 rpm, 56 % (9 * 100 / 16), the angle + 25.6.
    QCOMPARE(chart.CursorMarker[0], 2400.0);
    QCOMPARE(chart.CursorMarker[1], 56.0);
    QCOMPARE(chart.CursorMarker[2], 0.2 + 25.6);
    type(QStringLiteral("-2"));
    QCOMPARE(chart.Value(0, 5, 9), (-10 + 128) * 0.2);
    QCOMPARE(chart.CursorMarker[2], -2 + 25.6);
    QTest::keyClick(typing(), Qt::Key_Return);
    // Clicking a cell moves the cursor there and shows how to select and change.
    mouse(QEvent::MouseButtonPress, centre(15, 16), Qt::LeftButton, Qt::LeftButton);
    mouse(QEvent::MouseButtonRelease, centre(15, 16), Qt::LeftButton, Qt::NoButton);
    QCOMPARE(chart.CursorMarker[0], 6400.0);
    QCOMPARE(chart.CursorMarker[1], 100.0);
    QCOMPARE(host.status, QStringLiteral("text 734"));
}

void MapGridEditorTest::eraseAsksTheControllerAndReadsTheMapAgain() {
    setCellValue(1, 1, 9);
    host.m.IdentityState = -1;
    host.m.SettingIndex = -1;
    host.m.RxBuffer[10] = 0x55;
    // Asked first, No as the default: No changes nothing.
    host.answer = false;
    editor->ToolBtnMapKasujClick();
    QCOMPARE(host.questions, QStringList{QStringLiteral("text 884")});
    QCOMPARE(host.yesDefaults, QList<bool>{false});
    QCOMPARE(host.m.PendingWrites, 0u);
    QCOMPARE(host.m.IdentityState, -1);
    QCOMPARE(cell(1, 1), 9);
    host.answer = true;
    editor->ToolBtnMapKasujClick();
    QCOMPARE(host.m.PendingWrites, 0x0200u | 0x0800u);
    QCOMPARE(host.m.IdentityState, 0);
    QCOMPARE(host.m.SettingIndex, 0);
    QCOMPARE(host.m.RxBuffer[10], quint8(0));
    QCOMPARE(cell(1, 1), 0); // the erased map, as it will read back
    // Undo writes the cell as it was.
    QVERIFY(editor->canUndo());
    host.m.PendingWrites = 0;
    editor->undo();
    QCOMPARE(cell(1, 1), 9);
    QCOMPARE(host.m.PendingWrites, 0x2000u);
    QCOMPARE(host.m.MapWriteFirst, 0);
    QCOMPARE(host.m.MapWriteLast, 0);
}

QTEST_MAIN(MapGridEditorTest)
#include "tst_mapgrideditor.moc"
