// The map tools: each tool's arithmetic on a small block with the cell limits, tab-separated
// text to and from a spreadsheet, and undo/redo over a mixed run of edits in the grid.
#include "FakeMapHost.h"
#include "MapCellValue.h"
#include "MapFileCommands.h"
#include "MapGridEditor.h"
#include "MapToolBar.h"
#include "MapTools.h"

#include <QAction>
#include <QClipboard>
#include <QDoubleSpinBox>
#include <QFile>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QSpinBox>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QToolBar>
#include <QVBoxLayout>
#include <QtTest>

#include <memory>

using MapTools::Block;
Q_DECLARE_METATYPE(MapTools::Block)

namespace {

Block block(int columns, std::initializer_list<int> values) {
    Block b(columns, int(values.size()) / columns);
    b.values = QVector<int>(values);
    return b;
}

} // namespace

class MapToolsTest : public QObject {
    Q_OBJECT

    FakeMapHost host;
    std::unique_ptr<QWidget> window;
    QTableWidget* grid = nullptr;
    MapGridEditor* editor = nullptr;
    MapToolBar* tools = nullptr;

    void select(int left, int top, int right, int bottom) {
        grid->setCurrentCell(top, left);
        grid->selectionModel()->select(
            QItemSelection(grid->model()->index(top, left), grid->model()->index(bottom, right)),
            QItemSelectionModel::ClearAndSelect);
    }
    int cell(int column, int row) const {
        return qint8(host.m.MapTable[static_cast<std::size_t>(column * 17 + row)]);
    }

private slots:
    void init();
    void cleanup();
    void eachToolsArithmeticHoldsTheCellLimits_data();
    void eachToolsArithmeticHoldsTheCellLimits();
    void copiedBlockPastesBackAndPasteSaysWhatItClamped();
    void everyWayInStoresWhatTypingStores_data();
    void everyWayInStoresWhatTypingStores();
    void selectionStaysFramedWhileTheToolsAreUsed();
    void undoAndRedoRestoreTheMapByteForByteAcrossMixedEdits();
    void toolsWriteOnlyTheCellsTheyChanged();
    void freshReadOfAChangedMapClearsTheHistory();
};

void MapToolsTest::init() {
    QLocale::setDefault(QLocale::c());
    host = FakeMapHost{};
    for (int i = 0; i < 272; ++i) {
        host.m.MapTable[static_cast<std::size_t>(i)] = static_cast<quint8>((i * 29) % 61 - 30);
    }
    window = std::make_unique<QWidget>();
    // Toolbar over grid in one column, as in the window's map panel.
    auto* column = new QVBoxLayout(window.get());
    auto* bar = new QToolBar(window.get());
    grid = new QTableWidget(17, 16, window.get());
    column->addWidget(bar);
    column->addWidget(grid);
    editor = new MapGridEditor(host, grid, window.get());
    tools = new MapToolBar(host, *editor, bar, window.get());
    editor->showMapTable();
    window->resize(900, 600);
    window->show();
    window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(window.get()));
}

void MapToolsTest::cleanup() {
    window.reset();
}

void MapToolsTest::eachToolsArithmeticHoldsTheCellLimits_data() {
    QTest::addColumn<QString>("tool");
    QTest::addColumn<double>("parameter");
    QTest::addColumn<Block>("input");
    QTest::addColumn<Block>("expected");
    QTest::newRow("set 2.4 degrees")
        << "set" << 12.0 << block(2, {1, -128, 127, 0}) << block(2, {12, 12, 12, 12});
    QTest::newRow("set beyond the top") << "set" << 300.0 << block(1, {0}) << block(1, {127});
    QTest::newRow("add 5, held at 127")
        << "add" << 5.0 << block(3, {125, -128, 0}) << block(3, {127, -123, 5});
    QTest::newRow("subtract 5, held at -128")
        << "add" << -5.0 << block(3, {-125, 127, 0}) << block(3, {-128, 122, -5});
    QTest::newRow("scale 150 %") << "scale" << 150.0 << block(2, {100, -100, 3, -1})
                                 << block(2, {127, -128, 5, -2});
    QTest::newRow("scale 0 %") << "scale" << 0.0 << block(2, {9, -9}) << block(2, {0, 0});
    QTest::newRow("rows") << "rows" << 0.0 << block(3, {0, 99, 10, 20, 99, -20})
                          << block(3, {0, 5, 10, 20, 0, -20});
    QTest::newRow("rows of one column change nothing")
        << "rows" << 0.0 << block(1, {7, 8}) << block(1, {7, 8});
    QTest::newRow("columns") << "columns" << 0.0 << block(2, {0, 6, 99, 99, 11, -6})
                             << block(2, {0, 6, 6, 0, 11, -6});
    QTest::newRow("corners") << "corners" << 0.0 << block(3, {0, 99, 10, 99, 99, 99, 20, 99, 30})
                             << block(3, {0, 5, 10, 10, 15, 20, 20, 25, 30});
    QTest::newRow("corners at the limits")
        << "corners" << 0.0 << block(3, {127, 0, 127, 0, 0, 0, -128, 0, -128})
        << block(3, {127, 127, 127, -1, -1, -1, -128, -128, -128});
    QTest::newRow("smooth keeps the corners")
        << "smooth" << 0.0 << block(3, {90, 0, -90, 0, 90, 0, 9, 0, 127})
        << block(3, {90, 15, -90, 32, 25, 21, 9, 38, 127});
}

void MapToolsTest::eachToolsArithmeticHoldsTheCellLimits() {
    QFETCH(QString, tool);
    QFETCH(double, parameter);
    QFETCH(Block, input);
    QFETCH(Block, expected);
    Block out;
    if (tool == "set") {
        out = MapTools::setTo(input, int(parameter));
    } else if (tool == "add") {
        out = MapTools::add(input, int(parameter));
    } else if (tool == "scale") {
        out = MapTools::scale(input, parameter);
    } else if (tool == "rows") {
        out = MapTools::interpolate(input, MapTools::Direction::Rows);
    } else if (tool == "columns") {
        out = MapTools::interpolate(input, MapTools::Direction::Columns);
    } else if (tool == "corners") {
        out = MapTools::interpolate(input, MapTools::Direction::Both);
    } else {
        out = MapTools::smooth(input);
    }
    QCOMPARE(out.values, expected.values);
}

void MapToolsTest::copiedBlockPastesBackAndPasteSaysWhatItClamped() {
    select(2, 3, 4, 5);
    const Block copied = editor->selectedBlock();
    grid->setFocus();
    QTest::keyClick(grid, Qt::Key_C, Qt::ControlModifier);
    const QString text = QGuiApplication::clipboard()->text();
    QCOMPARE(text.count(QLatin1Char('\n')), 3);
    QCOMPARE(text.count(QLatin1Char('\t')), 6);
    const MapTools::Pasted back = MapTools::fromText(text);
    QCOMPARE(back.block, copied);
    QCOMPARE(back.clamped, 0);
    // The menu key offers the same tools.
    QContextMenuEvent menuKey(QContextMenuEvent::Keyboard, QPoint(), grid->mapToGlobal(QPoint()));
    QApplication::sendEvent(grid, &menuKey);
    auto* menu = grid->findChild<QMenu*>(QStringLiteral("MapToolsMenu"));
    QVERIFY(menu != nullptr);
    QTRY_VERIFY(menu->isVisible());
    QVERIFY(menu->actions().contains(tools->CopyAction));
    QVERIFY(menu->actions().contains(tools->PasteAction));
    menu->hide();

    // Into another place: the block lands at the selection's top left.
    select(10, 10, 10, 10);
    QTest::keyClick(grid, Qt::Key_V, Qt::ControlModifier);
    for (int c = 0; c < 3; ++c) {
        for (int r = 0; r < 3; ++r) {
            QCOMPARE(cell(10 + c, 10 + r), copied.at(c, r));
        }
    }

    // A spreadsheet's block: decimal commas, an empty field left alone, values beyond the
    // range held at the limits, and a row that runs past the map's right edge.
    const int untouched = cell(15, 2);
    select(14, 1, 14, 1);
    tools->pasteText(QStringLiteral("1,4\t30\t5\r\n-99\t\t0.2\r\n"));
    QCOMPARE(cell(14, 1), 7);
    QCOMPARE(cell(15, 1), 127);
    QCOMPARE(cell(14, 2), -128);
    QCOMPARE(cell(15, 2), untouched);
    // 30 and -99 degrees were held; 5 and 0.2 lay beyond column 15.
    QCOMPARE(host.status, QStringLiteral("text 822 [3] text 815 [2 -25.6 25.4] text 816 [2]"));
    // The limits are written as the grid writes numbers, with its decimal sign.
    QLocale::setDefault(QLocale(QLocale::Polish));
    select(14, 2, 14, 2); // holds -128 already
    tools->pasteText(QStringLiteral("-40"));
    QCOMPARE(host.status, QStringLiteral("text 821 text 815 [1 -25,6 25,4]"));
    QLocale::setDefault(QLocale::c());

    // A field that is not a number: nothing pasted, the line named.
    const auto map = host.m.MapTable;
    tools->pasteText(QStringLiteral("1\t2\n3\tabc\n"));
    QCOMPARE(host.m.MapTable, map);
    QCOMPARE(host.status, QStringLiteral("text 817 [2 abc]"));
}

void MapToolsTest::everyWayInStoresWhatTypingStores_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("v");
    QTest::newRow("5.5 truncated") << "5.5" << 27;
    QTest::newRow("1,5 truncated, not rounded up") << "1,5" << 7;
    QTest::newRow("-1,5 truncated toward zero") << "-1,5" << -7;
    QTest::newRow("-0.1 is no step") << "-0.1" << 0;
    QTest::newRow("a step lands on itself") << "7.8" << 39;
    QTest::newRow("above the range") << "25.5" << 127;
    QTest::newRow("below the range") << "-25.7" << -128;
}

void MapToolsTest::everyWayInStoresWhatTypingStores() {
    QFETCH(QString, text);
    QFETCH(int, v);
    window->show();
    // Typed into a cell.
    select(3, 3, 3, 3);
    grid->setFocus();
    // The first key opens the cell's editor, as in the window.
    QTest::keyClicks(grid, text.left(1));
    auto* typing = grid->findChild<QLineEdit*>();
    QVERIFY(typing != nullptr);
    QTest::keyClicks(typing, text.mid(1));
    QTest::keyClick(typing, Qt::Key_Return);
    QTRY_VERIFY(grid->findChild<QLineEdit*>() == nullptr);
    QCOMPARE(cell(3, 3), v);
    // Pasted.
    select(5, 5, 5, 5);
    tools->pasteText(text);
    QCOMPARE(cell(5, 5), v);
    // Set and added with the tools.
    const double degrees = QString(text).replace(',', '.').toDouble();
    select(7, 7, 7, 7);
    tools->setSelection(degrees);
    QCOMPARE(cell(7, 7), v);
    tools->setSelection(0.0);
    tools->addToSelection(degrees);
    QCOMPARE(cell(7, 7), v);
}

void MapToolsTest::selectionStaysFramedWhileTheToolsAreUsed() {
    window->show();
    QVERIFY(QTest::qWaitForWindowActive(window.get()));
    select(4, 4, 6, 6);
    grid->setFocus();
    QVERIFY(editor->selectionShown());
    // The value is typed into the tool's box and Set is clicked: the box has the focus now.
    auto* box = tools->ValueBox;
    QTest::mouseClick(box, Qt::LeftButton);
    QTRY_VERIFY(box->hasFocus());
    box->setValue(3.0);
    const int before55 = cell(5, 5);
    tools->SetAction->trigger();
    QCOMPARE(cell(5, 5), 15);
    QVERIFY(editor->selectionShown());
    // The frame is drawn: white at the left edge of a selected cell, not of one beside it.
    const auto frameAt = [this](int column, int row) {
        const QRect r = grid->visualRect(grid->model()->index(row, column));
        const QImage shot = grid->viewport()->grab().toImage();
        return shot.pixelColor(r.left() + 1, r.center().y()) == QColor(Qt::white);
    };
    QTRY_VERIFY(frameAt(5, 5));
    QVERIFY(!frameAt(8, 5));
    // Undone from the menu while the focus is on a control away from the map panel: the
    // selection the next tool changes stays framed.
    window->setFocusPolicy(Qt::StrongFocus);
    window->setFocus(); // the window itself, outside the grid's panel
    QTRY_VERIFY(window->hasFocus());
    tools->UndoAction->trigger();
    QCOMPARE(cell(5, 5), before55);
    QVERIFY(editor->selectionShown());
    QTRY_VERIFY(frameAt(5, 5));
    // Elsewhere (another window) the frame goes.
    QLineEdit elsewhere;
    elsewhere.show();
    elsewhere.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&elsewhere));
    elsewhere.setFocus();
    QTRY_VERIFY(!editor->selectionShown());
    QTRY_VERIFY(!frameAt(5, 5));
}

void MapToolsTest::undoAndRedoRestoreTheMapByteForByteAcrossMixedEdits() {
    QTemporaryDir dir;
    QByteArray file(320, '\0');
    file[40] = 1;
    for (int i = 0; i < 272; ++i) {
        file[48 + i] = char(i % 50);
    }
    QFile f(dir.filePath("m.orvx"));
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(file);
    f.close();
    QTableWidget gridB(17, 16);
    QTableWidget gridG(17, 16);
    MapFileCommands files(host, *editor, &gridB, &gridG);

    std::vector<std::array<quint8, 272>> states{host.m.MapTable};
    auto step = [&] { states.push_back(host.m.MapTable); };
    select(1, 1, 3, 3);
    editor->StepSelectedCells(true);
    step();
    editor->StepSelectedCells(true);
    step();
    // Typing "-3.4" into one cell is one edit, however many keys it takes.
    select(5, 5, 5, 5);
    grid->setFocus();
    QTest::keyClick(grid, Qt::Key_Minus);
    auto* typing = grid->findChild<QLineEdit*>();
    QVERIFY(typing != nullptr);
    QTest::keyClicks(typing, QStringLiteral("3.4"));
    QTest::keyClick(typing, Qt::Key_Return);
    QTRY_VERIFY(grid->findChild<QLineEdit*>() == nullptr); // the editor has closed
    QCOMPARE(cell(5, 5), -17);
    step();
    select(2, 2, 6, 8);
    tools->scaleSelection(250);
    step();
    tools->smoothSelection();
    step();
    QVERIFY(files.OpenMapFile(dir.filePath("m.orvx")));
    step();
    select(1, 1, 15, 16);
    tools->interpolateSelection(int(MapTools::Direction::Both));
    step();
    tools->ValueBox->setValue(-2.0);
    tools->SubtractAction->trigger();
    step();

    for (int k = int(states.size()) - 2; k >= 0; --k) {
        tools->UndoAction->trigger();
        QCOMPARE(host.m.MapTable, states[static_cast<std::size_t>(k)]);
    }
    QVERIFY(!tools->UndoAction->isEnabled());
    QCOMPARE(host.m.PendingWrites & 0x2000u, 0x2000u); // undone cells are written too
    for (std::size_t k = 1; k < states.size(); ++k) {
        editor->redo();
        QCOMPARE(host.m.MapTable, states[k]);
    }
    // The grid shows what MapTable holds.
    QCOMPARE(grid->item(5, 5)->text(), MapCellValue::text(cell(5, 5)));

    // At least 100 edits deep.
    for (int i = 0; i < 120; ++i) {
        select(1 + i % 15, 1, 1 + i % 15, 1);
        editor->StepSelectedCells(i % 2 == 0);
    }
    int undone = 0;
    while (editor->canUndo()) {
        editor->undo();
        ++undone;
    }
    QVERIFY2(undone >= 100, qPrintable(QString::number(undone)));
}

void MapToolsTest::toolsWriteOnlyTheCellsTheyChanged() {
    // Column 3 rows 2..4 and column 4 rows 2..4; only the last two cells move.
    for (int r = 2; r <= 4; ++r) {
        host.m.MapTable[static_cast<std::size_t>(3 * 17 + r)] = 10;
        host.m.MapTable[static_cast<std::size_t>(4 * 17 + r)] = static_cast<quint8>(r < 3 ? 10 : 0);
    }
    select(3, 2, 4, 4);
    tools->ValueBox->setValue(2.0);
    tools->SetAction->trigger();
    QCOMPARE(host.status, QStringLiteral("text 822 [2]"));
    QCOMPARE(host.m.MapWriteFirst, (4 - 1) * 16 + (3 - 1));
    QCOMPARE(host.m.MapWriteLast, (4 - 1) * 16 + (4 - 1));
    // A second change before the first was sent keeps both in the write.
    select(1, 1, 1, 1);
    tools->AddAction->trigger();
    QCOMPARE(host.m.MapWriteFirst, 0);
    QCOMPARE(host.m.MapWriteLast, (4 - 1) * 16 + (4 - 1));
    // Nothing changed, nothing written.
    host.m.PendingWrites = 0;
    select(3, 2, 4, 4);
    tools->SetAction->trigger();
    QCOMPARE(host.m.PendingWrites, 0u);
    QCOMPARE(host.status, QStringLiteral("text 821"));
    // Before the controller's map was read: a beep and nothing changes.
    host.editable = false;
    const auto map = host.m.MapTable;
    tools->AddAction->trigger();
    tools->UndoAction->trigger();
    QCOMPARE(host.m.MapTable, map);
    QCOMPARE(host.beeps, 2);
}

void MapToolsTest::freshReadOfAChangedMapClearsTheHistory() {
    select(1, 1, 2, 2);
    editor->StepSelectedCells(true);
    // The same controller read again: its map is what the grid showed, the history stays.
    editor->controllerMapRead();
    QVERIFY(editor->canUndo());
    // Another map arrives (another controller, or one changed elsewhere).
    host.m.MapTable[5 * 17 + 5] ^= 0x10;
    editor->controllerMapRead();
    QVERIFY(!editor->canUndo());
    QVERIFY(!tools->UndoAction->isEnabled());

    // A file shown but not written says so until the controller's map is read again.
    QTemporaryDir dir;
    QByteArray file(320, '\0');
    file[40] = 1;
    file[48 + 17 + 1] = 33;
    QFile f(dir.filePath("shown.orvx"));
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(file);
    f.close();
    QTableWidget gridB(17, 16);
    QTableWidget gridG(17, 16);
    MapFileCommands files(host, *editor, &gridB, &gridG);
    host.answer = false;
    QVERIFY(files.OpenMapFile(dir.filePath("shown.orvx")));
    QVERIFY(tools->FileNotice->isVisible());
    QVERIFY(tools->FileNotice->text().contains(QStringLiteral("shown.orvx")));
    QVERIFY(tools->WriteAction->isEnabled());
    QVERIFY(tools->WriteAction->isVisible());
    // In a line of its own between the toolbar and the grid.
    const QToolBar* bar = window->findChild<QToolBar*>();
    QTRY_VERIFY(tools->FileNotice->geometry().top() > bar->geometry().bottom());
    QVERIFY(tools->FileNotice->geometry().bottom() < grid->geometry().top());
    editor->controllerMapRead();
    QVERIFY(!tools->FileNotice->isVisible());
    QVERIFY(!tools->WriteAction->isEnabled());
    QVERIFY(!tools->WriteAction->isVisible());
}

QTEST_MAIN(MapToolsTest)
#include "tst_maptools.moc"
