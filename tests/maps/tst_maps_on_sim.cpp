// The ignition map in the whole program against the simulated controller: edits of the grid
// reach the controller and read back, a map file is written to it whole, the 3-D chart opens
// beside the panel once and follows the map, the language and service mode; and the command
// line names a map file.
#include "CommandLine.h"
#include "MapBackup.h"
#include "MapCellValue.h"
#include "MapColorRamp.h"
#include "MapFileCommands.h"
#include "MapGridEditor.h"
#include "MapToolBar.h"
#include "SimController.h"
#include "TChart3D.h"
#include "TForm1.h"
#include "TMySerial.h"
#include "TRadioGroup.h"

#include <QAction>
#include <QDir>
#include <QDoubleSpinBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QScreen>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QtTest>

namespace {
constexpr int Wait = 8000;
}

class MapsOnSimTest : public QObject {
    Q_OBJECT

    std::unique_ptr<SimController> sim;
    std::unique_ptr<TForm1> w;
    QStringList questions;

    QList<bool> yesDefaults;
    QStringList errors;
    bool answer = true;
    QByteArray mapWhenAsked; // the controller's map when each question was asked

    // The simulator (with `map` when given) and the window, not connected yet.
    void prepare(const QByteArray& map = {}) {
        SimConfig config;
        config.pacing = false;
        sim = std::make_unique<SimController>(config);
        QVERIFY2(sim->start(), qPrintable(sim->errorString()));
        if (!map.isEmpty()) {
            sim->setMapCells(map);
        }
        w = std::make_unique<TForm1>();
        w->Serial1->SetOpenErrorPresenter([](const QString&, const QString&) {});
        w->ErrorBox = [this](const QString& text) { errors << text; };
        w->AskMapWrite = [this](const QString& text, bool yesIsDefault) {
            questions << text;
            yesDefaults << yesIsDefault;
            mapWhenAsked = sim->mapCells();
            return answer;
        };
    }
    void connectWindow() {
        w->UseSessionDevice(sim->slavePath());
        w->resize(1000, 700);
        w->show();
    }
    static QByteArray distinctMap() {
        QByteArray cells(240, '\0');
        for (int n = 0; n < 240; ++n) {
            cells[n] = char(n % 50 - 20);
        }
        return cells;
    }
    static QStringList backups() { return QDir(MapBackup::folder()).entryList(QDir::Files); }
    void start(const QByteArray& map = {}) {
        prepare(map);
        connectWindow();
        QTRY_COMPARE_WITH_TIMEOUT(w->Mirror.IdentityState, -1, Wait);
        QTRY_VERIFY_WITH_TIMEOUT(!w->PanelMapy->isHidden(), Wait);
        // The map has been read: the grid shows the controller's cells.
        QTRY_COMPARE_WITH_TIMEOUT(w->Mirror.PendingWrites & 0x0800u, 0u, Wait);
        QTRY_COMPARE_WITH_TIMEOUT(cellOf(sim->mapCells(), 3, 4), cellInProgram(3, 4), Wait);
    }
    static int cellOf(const QByteArray& cells, int column, int row) {
        return static_cast<qint8>(cells.at((column - 1) * 16 + (row - 1)));
    }
    int cellInProgram(int column, int row) const {
        return static_cast<qint8>(w->Mirror.MapTable[static_cast<std::size_t>(column * 17 + row)]);
    }
    void select(int left, int top, int right, int bottom) {
        QTableWidget* g = w->GridMapa;
        g->setCurrentCell(top, left);
        g->selectionModel()->select(
            QItemSelection(g->model()->index(top, left), g->model()->index(bottom, right)),
            QItemSelectionModel::ClearAndSelect);
    }

private slots:
    void cleanup() {
        questions.clear();
        yesDefaults.clear();
        errors.clear();
        answer = true;
        QDir(MapBackup::folder()).removeRecursively();
        w.reset();
        sim.reset();
    }
    void steppedSelectionAndTypedValueReachTheControllerAndReadBack();
    void openedMapFileIsWrittenWholeToTheController();
    void chartOpensBesideTheMapOnceAndFollowsIt();
    void commandLineNamesOneMapFile();
    void toolChangeAndItsUndoReachTheController();
    void shortFileFromTheCommandLineIsOfferedOnlyAfterTheMapIsRead();
    void eraseAsksBacksUpAndUndoWritesTheMapBack();
    void lostMapWriteIsWrittenAgainThenReportedAndKeptInTheGrid();
    void editsWithoutConnectionAreOfferedWhenTheControllerAnswersAgain();
    void gridIsColouredAgainWhenTheMapIsReadAgain();
};

void MapsOnSimTest::steppedSelectionAndTypedValueReachTheControllerAndReadBack() {
    start();
    QByteArray cells = sim->mapCells();
    cells[(2 - 1) * 16 + (3 - 1)] = 127; // column 2, row 3 is at the top already
    sim->setMapCells(cells);
    w->Mirror.PendingWrites |= 0x0800u; // read it as the program would after a reconnect
    QTRY_COMPARE_WITH_TIMEOUT(cellInProgram(2, 3), 127, Wait);
    const QByteArray before = sim->mapCells();

    select(2, 2, 3, 4);
    w->GridMapa->setFocus();
    QTest::keyClick(w->GridMapa, Qt::Key_Up, Qt::ControlModifier);
    for (int c = 2; c <= 3; ++c) {
        for (int r = 2; r <= 4; ++r) {
            const int expected = std::min(cellOf(before, c, r) + 1, 127);
            QTRY_COMPARE_WITH_TIMEOUT(cellOf(sim->mapCells(), c, r), expected, Wait);
        }
    }
    QCOMPARE(cellOf(sim->mapCells(), 4, 4), cellOf(before, 4, 4));

    // A typed value: "3.4" is 17 steps.
    select(5, 6, 5, 6);
    QTest::keyClick(w->GridMapa, Qt::Key_3);
    auto* typing = w->GridMapa->findChild<QLineEdit*>();
    QVERIFY(typing != nullptr);
    QTest::keyClicks(typing, QStringLiteral(".4"));
    QTest::keyClick(typing, Qt::Key_Return);
    QTRY_COMPARE_WITH_TIMEOUT(cellOf(sim->mapCells(), 5, 6), 17, Wait);

    // Read back from the controller: the program holds what the controller holds.
    w->Mirror.MapTable.fill(0);
    w->Mirror.PendingWrites |= 0x0800u;
    QTRY_COMPARE_WITH_TIMEOUT(cellInProgram(5, 6), 17, Wait);
    QCOMPARE(TForm1::Cell(w->GridMapa, 5, 6), QLocale().toString(3.4));
    const QByteArray now = sim->mapCells();
    for (int n = 0; n < 240; ++n) {
        QCOMPARE(cellInProgram(n / 16 + 1, n % 16 + 1), int(qint8(now.at(n))));
    }
}

void MapsOnSimTest::openedMapFileIsWrittenWholeToTheController() {
    start();
    QTemporaryDir dir;
    QByteArray file(320, '\0');
    file[40] = 1;
    QByteArray expected(240, '\0');
    for (int n = 0; n < 240; ++n) {
        const auto v = static_cast<char>((n * 5) % 200 - 100);
        file[48 + (n / 16 + 1) * 17 + n % 16 + 1] = v;
        expected[n] = v;
    }
    const QString path = dir.filePath("reference.orvx");
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(file);
    f.close();
    QVERIFY(w->MapFiles->OpenAnyFile(path));
    QCOMPARE(questions.size(), 1); // what the file changes, asked before anything is written
    QTRY_COMPARE_WITH_TIMEOUT(sim->mapCells(), expected, Wait);
    QCOMPARE(TForm1::Cell(w->GridMapa, 1, 1), QStringLiteral("-20"));
    // Identity and settings were read afresh.
    QTRY_COMPARE_WITH_TIMEOUT(w->Mirror.IdentityState, -1, Wait);
}

void MapsOnSimTest::chartOpensBesideTheMapOnceAndFollowsIt() {
    start();
    QCOMPARE(w->RGMapa->ItemIndex(), 2); // 3-D map: the chart stands beside the left panel
    QTRY_VERIFY_WITH_TIMEOUT(w->MapChart != nullptr && w->Panel2->isVisible(), Wait);
    TChart3D* chart = w->MapChart;
    QVERIFY(!w->SplitterLeft->isHidden());
    QVERIFY(w->PanelLeft->geometry().right() < w->Panel2->geometry().left());
    QCOMPARE(chart->Value(0, 3, 4), (cellInProgram(3, 4) + 128) * 0.2);
    QCOMPARE(chart->Title(1), w->LangText(300));
    QCOMPARE(chart->AxisUnit(0), QStringLiteral("[obr/min]"));

    // An edit shows on the chart at once.
    select(3, 4, 3, 4);
    QTest::keyClick(w->GridMapa, Qt::Key_Down, Qt::ControlModifier);
    QCOMPARE(chart->Value(0, 3, 4), (cellInProgram(3, 4) + 128) * 0.2);
    QCOMPARE(chart->CursorMarker[0], 1600.0);

    // 2-D hides the panel and keeps the chart; 3-D brings the same chart back.
    w->RGMapa->button(1)->click();
    QVERIFY(w->Panel2->isHidden());
    QVERIFY(w->SplitterLeft->isHidden());
    w->RGMapa->button(2)->click();
    QVERIFY(!w->Panel2->isHidden());
    QCOMPARE(w->MapChart, chart);
    QCOMPARE(w->Panel2->findChildren<TChart3D*>().size(), 1);

    // Language and service mode.
    w->MunuJezykGB->trigger();
    QCOMPARE(chart->Title(1), QStringLiteral("Gas ignition map adjustment"));
    QCOMPARE(chart->AxisName(1), QStringLiteral("Load"));
    w->SetServiceMode(true);
    QCOMPARE(chart->ViewMode, 2);
    w->SetServiceMode(false);
    QCOMPARE(chart->ViewMode, 0);
    // The chart turns with the mouse.
    QTRY_VERIFY(chart->RenderCount() > 0);
    const auto angle = chart->AxisAngle[0];
    const QPoint from = chart->HandleX();
    const QPoint to = chart->HandleOrigin() + QPoint(-60, 60);
    QTest::mousePress(chart, Qt::LeftButton, Qt::NoModifier, from);
    QMouseEvent move(QEvent::MouseMove, to, chart->mapToGlobal(to), Qt::NoButton, Qt::LeftButton,
                     Qt::NoModifier);
    QApplication::sendEvent(chart, &move);
    QTest::mouseRelease(chart, Qt::LeftButton, Qt::NoModifier, to);
    QVERIFY(chart->AxisAngle[0] != angle);
}

void MapsOnSimTest::commandLineNamesOneMapFile() {
    const CommandLine cl = CommandLine::parse({"orvex", "--device", "/dev/ttyUSB0", "m.orvx"});
    QVERIFY(cl.error.isEmpty());
    QCOMPARE(cl.file, QStringLiteral("m.orvx"));
    QCOMPARE(cl.device, QStringLiteral("/dev/ttyUSB0"));
    // A file that cannot be read: the same message as from the dialog, the program goes on.
    TForm1 form;
    QStringList shown;
    form.ErrorBox = [&shown](const QString& text) { shown << text; };
    QVERIFY(!form.MapFiles->OpenAnyFile(QStringLiteral("/nonexistent/m.orvx")));
    QCOMPARE(shown.size(), 1);
    QVERIFY(shown[0].startsWith(form.LangText(702)));
}

void MapsOnSimTest::toolChangeAndItsUndoReachTheController() {
    start();
    const QByteArray before = sim->mapCells();
    select(6, 3, 8, 5);
    w->MapTools->ValueBox->setValue(-4.2);
    w->MapTools->SetAction->trigger();
    for (int c = 6; c <= 8; ++c) {
        for (int r = 3; r <= 5; ++r) {
            QTRY_COMPARE_WITH_TIMEOUT(cellOf(sim->mapCells(), c, r), -21, Wait);
        }
    }
    QCOMPARE(cellOf(sim->mapCells(), 9, 3), cellOf(before, 9, 3));
    // Ctrl+Z in the window takes it back on the controller too.
    w->activateWindow();
    w->GridMapa->setFocus();
    QTest::keyClick(w->GridMapa, Qt::Key_Z, Qt::ControlModifier);
    QTRY_COMPARE_WITH_TIMEOUT(sim->mapCells(), before, Wait);
    QCOMPARE(TForm1::Cell(w->GridMapa, 7, 4), MapCellValue::text(cellOf(before, 7, 4)));
}

void MapsOnSimTest::shortFileFromTheCommandLineIsOfferedOnlyAfterTheMapIsRead() {
    const QByteArray original = distinctMap();
    prepare(original);
    // 83 bytes: the head and the map bytes up to column 1's last cell.
    QByteArray file(83, '\0');
    file[40] = 1;
    for (int r = 1; r <= 16; ++r) {
        file[48 + 17 + r] = 10;
    }
    QTemporaryDir dir;
    const QString path = dir.filePath("short.orvx");
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(file);
    f.close();
    // As main() does with a file named on the command line, before any answer.
    QVERIFY(w->MapFiles->OpenAnyFile(path));
    QVERIFY(w->MapEditor->showsUnwrittenFile());
    connectWindow();
    QTRY_COMPARE_WITH_TIMEOUT(questions.size(), 1, Wait);
    QCOMPARE(mapWhenAsked, original); // nothing was written before the user's answer
    QCOMPARE(yesDefaults, QList<bool>{false});
    QVERIFY2(questions[0].contains(w->LangText(883).arg(83).arg(320).arg(16)),
             qPrintable(questions[0]));
    QVERIFY2(questions[0].contains(w->LangText(818).arg(16).arg(QLocale().toString(6.0))),
             qPrintable(questions[0]));
    QByteArray expected = original;
    for (int r = 0; r < 16; ++r) {
        expected[r] = 10;
    }
    QTRY_COMPARE_WITH_TIMEOUT(sim->mapCells(), expected, Wait);
    // The controller's map as it was is in the backup.
    QCOMPARE(backups().size(), 1);
    QFile backup(QDir(MapBackup::folder()).filePath(backups().first()));
    QVERIFY(backup.open(QIODevice::ReadOnly));
    const QByteArray saved = backup.readAll();
    QCOMPARE(saved.size(), 320);
    QCOMPARE(saved[48 + 17 + 1], original[0]);
    QCOMPARE(saved[48 + 2 * 17 + 1], original[16]);
    QTRY_VERIFY_WITH_TIMEOUT(!w->MapEditor->showsUnwrittenFile(), Wait);
}

void MapsOnSimTest::eraseAsksBacksUpAndUndoWritesTheMapBack() {
    const QByteArray original = distinctMap();
    start(original);
    answer = false;
    w->ToolBtnMapKasuj->trigger();
    QCOMPARE(questions.size(), 1);
    QCOMPARE(questions[0], w->LangText(884));
    QCOMPARE(yesDefaults, QList<bool>{false});
    const quint64 seen = sim->requestCount();
    QTRY_VERIFY_WITH_TIMEOUT(sim->requestCount() >= seen + 5, Wait);
    QCOMPARE(sim->mapCells(), original);
    QVERIFY(backups().isEmpty());

    answer = true;
    w->ToolBtnMapKasuj->trigger();
    QTRY_COMPARE_WITH_TIMEOUT(sim->mapCells(), QByteArray(240, '\0'), Wait);
    QCOMPARE(backups().size(), 1);
    // Read again after the erase; undo writes the erased cells back.
    QTRY_VERIFY_WITH_TIMEOUT(w->Mirror.MapTableRead && w->Mirror.IdentityState < 0, Wait * 2);
    QVERIFY(w->MapTools->UndoAction->isEnabled());
    w->MapTools->UndoAction->trigger();
    QTRY_COMPARE_WITH_TIMEOUT(sim->mapCells(), original, Wait);
    QCOMPARE(TForm1::Cell(w->GridMapa, 3, 4), MapCellValue::text(cellOf(original, 3, 4)));
}

void MapsOnSimTest::lostMapWriteIsWrittenAgainThenReportedAndKeptInTheGrid() {
    start(distinctMap());
    const int before = cellInProgram(3, 4);
    sim->setFault(*SimFault::parse(QStringLiteral("silence@0x5C")));
    select(3, 4, 3, 4);
    w->GridMapa->setFocus();
    QTest::keyClick(w->GridMapa, Qt::Key_Up, Qt::ControlModifier);
    QTRY_COMPARE_WITH_TIMEOUT(errors.size(), 1, Wait * 2);
    QCOMPARE(errors[0], w->LangText(880).arg(1).arg(3));
    // The user's value stays in the grid, framed as not written, with the write button.
    QVERIFY(w->MapEditor->showsUnwrittenFile());
    QCOMPARE(cellInProgram(3, 4), before + 1);
    QCOMPARE(TForm1::Cell(w->GridMapa, 3, 4), MapCellValue::text(before + 1));
    QCOMPARE(cellOf(sim->mapCells(), 3, 4), before);
    QVERIFY(w->MapTools->WriteAction->isEnabled());
    // The line is fine again: the write button sends it.
    sim->clearFaults();
    w->MapTools->WriteAction->trigger();
    QTRY_COMPARE_WITH_TIMEOUT(cellOf(sim->mapCells(), 3, 4), before + 1, Wait);
    QVERIFY(!w->MapEditor->showsUnwrittenFile());
    QCOMPARE(errors.size(), 1);
}

void MapsOnSimTest::editsWithoutConnectionAreOfferedWhenTheControllerAnswersAgain() {
    start(distinctMap());
    const int before = cellInProgram(5, 5);
    sim->setFault(*SimFault::parse(QStringLiteral("silence")));
    w->Mirror.LinkCounter = 16; // the next request unanswered is the loss
    QTRY_VERIFY_WITH_TIMEOUT(w->Image1->isHidden(), Wait);
    select(5, 5, 5, 5);
    w->GridMapa->setFocus();
    QTest::keyClick(w->GridMapa, Qt::Key_Up, Qt::ControlModifier);
    QVERIFY(w->MapEditor->showsUnwrittenFile());
    QCOMPARE(w->Mirror.PendingWrites & 0x2000u, 0u);
    QCOMPARE(w->MapTools->FileNotice->text(), w->LangText(881));
    // The controller answers again: its map is read, then the change is offered.
    sim->clearFaults();
    QTRY_COMPARE_WITH_TIMEOUT(questions.size(), 1, Wait * 2);
    QVERIFY2(questions[0].endsWith(w->LangText(882)), qPrintable(questions[0]));
    QCOMPARE(cellOf(mapWhenAsked, 5, 5), before);
    QCOMPARE(yesDefaults, QList<bool>{true});
    QTRY_COMPARE_WITH_TIMEOUT(cellOf(sim->mapCells(), 5, 5), before + 1, Wait);
    QTRY_VERIFY_WITH_TIMEOUT(!w->MapEditor->showsUnwrittenFile(), Wait);
    QCOMPARE(backups().size(), 1);
}

void MapsOnSimTest::gridIsColouredAgainWhenTheMapIsReadAgain() {
    start(distinctMap());
    QTableWidget* g = w->GridMapa;
    const QRect cell = g->visualRect(g->model()->index(4, 3));
    const QPoint at = g->viewport()->mapTo(w.get(), cell.bottomRight() - QPoint(3, 3));
    auto shown = [&] {
        QCoreApplication::processEvents();
        return w->screen()->grabWindow(w->winId()).toImage().pixelColor(at);
    };
    const QColor coloured = mapColorRamp(cellInProgram(3, 4) + 128);
    QTRY_COMPARE_WITH_TIMEOUT(shown(), coloured, Wait);
    // Identity read again (as after a file write or an erase): plain cells until the map is in.
    w->Mirror.IdentityState = 0;
    QTRY_VERIFY_WITH_TIMEOUT(!w->Mirror.MapTableRead, Wait);
    g->viewport()->repaint();
    QVERIFY(shown() != coloured);
    QTRY_VERIFY_WITH_TIMEOUT(w->Mirror.MapTableRead, Wait);
    QTRY_COMPARE_WITH_TIMEOUT(shown(), coloured, Wait);
}

QTEST_MAIN(MapsOnSimTest)
#include "tst_maps_on_sim.moc"
