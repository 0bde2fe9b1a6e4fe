#include "ParametersTab.h"

#include "GeneralText.h"
#include "LeftPanelLayout.h"
#include "MapCells.h"
#include "MapGridEditor.h"
#include "PendingWrites.h"
#include "TChart3D.h"
#include "TForm1.h"
#include "TRadioGroup.h"

#include <QActionGroup>
#include <QApplication>
#include <QEvent>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTableWidget>
#include <QToolBar>

ParametersTab::ParametersTab(TForm1& form)
    : QObject(&form), f_(form), editor_(form, *this, this), display_(form, *this) {
    setObjectName(QStringLiteral("ParametersTab"));
    f_.PanelLeftResizeHandler = [this] { PanelLeftResize(); };
    f_.LiveViewHandler = [this](const LiveView& v) { display_.applyLive(v); };
    f_.SettingsViewHandler = [this](const SettingsView& v) {
        display_.applySettings(v);
        // The warning colours follow the confirmed options, also when no box changed (as at
        // start, or after a lost connection took the colours off).
        editor_.colourBitCheckBoxes();
    };
    f_.PanelLeft->installEventFilter(this);
    // The map grid gets its final size after the left panel's; its columns follow it.
    f_.GridMapa->installEventFilter(this);
    // Captions of another language need other font sizes; the language is applied first.
    connect(f_.JezykGroup, &QActionGroup::triggered, this, &ParametersTab::PanelLeftResize,
            Qt::QueuedConnection);
    connect(f_.Button1, &QPushButton::clicked, this, &ParametersTab::Button1Click);
    connect(f_.Button2, &QPushButton::clicked, this, &ParametersTab::Button2Click);
}

ParametersTab::~ParametersTab() {
    // The window's controls outlive this tab only by moments; nothing may reach back into it
    // while they go (filters, the handlers the window calls).
    f_.PanelLeft->removeEventFilter(this);
    f_.GridMapa->removeEventFilter(this);
    f_.PanelLeftResizeHandler = nullptr;
    f_.LiveViewHandler = nullptr;
    f_.SettingsViewHandler = nullptr;
}

bool ParametersTab::eventFilter(QObject* watched, QEvent* event) {
    if ((watched == f_.PanelLeft || watched == f_.GridMapa) && event->type() == QEvent::Resize) {
        PanelLeftResize();
    }
    return QObject::eventFilter(watched, event);
}

void ParametersTab::PanelLeftResize() {
    // Moving the controls can resize the panels again; one pass at a time.
    if (inLayout_ || f_.Closing()) {
        return;
    }
    inLayout_ = true;
    LeftPanelLayout::Frame frame;
    frame.PanelLeft = f_.PanelLeft;
    frame.PanelNas1 = f_.PanelNas1;
    frame.PanelCzuj = f_.PanelCzuj;
    frame.PanelMapy = f_.PanelMapy;
    frame.PanelMapyTop = f_.PanelMapyTop;
    frame.GridMapa = f_.GridMapa;
    frame.Content = f_.PanelLeftContent;
    frame.narrowestWidth = &f_.PanelLeftNarrowest;
    LeftPanelLayout::apply(f_, frame, (f_.Mirror.OpcjeL & 0x04) != 0, f_.Mirror.PcConfig);
    inLayout_ = false;
    f_.FitPanelLeftBesideChart(); // the rows may need another width beside the chart
}

void ParametersTab::Button1Click() {
    // On the update tab the same button writes firmware; that is not this tab's business.
    if (f_.Button1->property("Tag").toInt() != 0) {
        return;
    }
    f_.ReadControllerAgain();
}

void ParametersTab::Button2Click() {
    f_.SetDefaultSettings();
}

void ParametersTab::queueSettingWrite(int index, int value) {
    f_.SettingEdited(index, value);
}

std::uint8_t ParametersTab::optionsLow() const {
    return f_.Mirror.OpcjeL;
}
std::uint8_t ParametersTab::optionsHigh() const {
    return f_.Mirror.OpcjeH;
}
std::uint8_t ParametersTab::liveCell() const {
    return f_.Mirror.LiveCell;
}
std::uint8_t ParametersTab::liveMode() const {
    return f_.Mirror.LiveMode;
}
bool ParametersTab::pcConfig() const {
    return f_.Mirror.PcConfig;
}

void ParametersTab::beep() {
    QApplication::beep();
}

void ParametersTab::setStatusText(const QString& text) {
    f_.SetStatusText(text);
}

void ParametersTab::freezeDrawing(bool frozen) {
    f_.setUpdatesEnabled(!frozen);
}

bool ParametersTab::mapPanelVisible() const {
    return !f_.PanelMapy->isHidden();
}

void ParametersTab::setMapPanelVisible(bool visible) {
    f_.PanelMapy->setVisible(visible);
}

void ParametersTab::showChartPanel(bool show) {
    f_.ShowChartPanel(show);
}

void ParametersTab::repaintMapGrid() {
    f_.GridMapa->viewport()->update();
}

void ParametersTab::relayoutLeftPanel() {
    PanelLeftResize();
}

void ParametersTab::stepLiveMapCell(int column, int row, bool up) {
    // The live cell becomes the selection and is stepped by 0.2 degrees, as Ctrl+Up/Down does
    // in the map grid; a live cell outside the map (column 0), or below the rows the grid shows
    // (the two-row table), has nothing to step: the user would change a cell they cannot see.
    if (column < 1 || column > 15 || row < 1 || row > 16 || row >= f_.GridMapa->rowCount()) {
        return;
    }
    f_.GridMapa->setCurrentCell(row, column);
    f_.MapEditor->StepSelectedCells(up);
}

void ParametersTab::moveMapCursor(std::uint8_t oldCell, std::uint8_t newCell) {
    QTableWidget* g = f_.GridMapa;
    for (const int cell : {int{oldCell}, int{newCell}}) {
        const QModelIndex index =
            g->model()->index(MapCells::liveRow(cell), MapCells::liveColumn(cell));
        if (index.isValid()) {
            g->viewport()->update(g->visualRect(index));
        }
    }
}

void ParametersTab::showMeasurement(const LiveView::Measurement& m) {
    if (f_.PanelRight->isHidden()) {
        return;
    }
    if (m.chartSample && f_.MapChart != nullptr) {
        f_.MapChart->AddSample(1, m.column, m.row, m.chartValue);
    }
    QTableWidget* grid = m.gas ? f_.GridG : f_.GridB;
    // Column 0 is no map cell (a 20-byte live body always names it) but the load titles.
    if (m.column < 1 || m.column >= grid->columnCount() || m.row >= grid->rowCount()) {
        return;
    }
    TForm1::SetCell(grid, m.column, m.row, m.text);
    const QModelIndex index = grid->model()->index(m.row, m.column);
    QRect cell = grid->visualRect(index);
    if (!cell.intersects(grid->viewport()->rect())) {
        // Scrolled out of view: bring the cell to the top-left and look again.
        grid->scrollTo(index, QAbstractItemView::PositionAtTop);
        cell = grid->visualRect(index);
    }
    const QPoint at = grid->viewport()->mapTo(f_.PanelRight, cell.topLeft());
    f_.Panel1->move(at.x() + (m.gas ? 4 : 2), at.y() + 2);
    f_.Panel1->setText(m.text);
    f_.Panel1->raise();
}

void ParametersTab::applyMapGrid(const SettingsView& v) {
    QTableWidget* g = f_.GridMapa;
    switch (v.gridLayout) {
    case SettingsView::GridLayout::Keep:
        break;
    case SettingsView::GridLayout::SeventeenRows:
        if (g->rowCount() != 17) {
            g->setRowCount(17);
            restoreMapRows();
        }
        TForm1::SetCell(g, 0, 0, v.gridTitle0);
        TForm1::SetCell(g, 0, 1, v.gridTitle1);
        break;
    case SettingsView::GridLayout::TwoRows:
        g->setRowCount(2);
        TForm1::SetCell(g, 0, 0, v.gridTitle0);
        TForm1::SetCell(g, 0, 1, v.gridTitle1);
        break;
    }
    g->setVisible(v.GridMapaVisible);
    f_.ToolBarMap->setVisible(v.GridMapaVisible);
}

void ParametersTab::restoreMapRows() {
    // Back from the two-row table: the rows that were dropped get their load titles and the
    // cell values the program holds, so that nothing shows empty until the next map read.
    QTableWidget* g = f_.GridMapa;
    for (int r = 1; r < 17; ++r) {
        TForm1::SetCell(g, 0, r, QString::number(r * 625 / 100) + QStringLiteral("%"));
        for (int c = 1; c < 16; ++c) {
            const auto v = static_cast<std::int8_t>(
                f_.Mirror.MapTable[static_cast<std::size_t>(MapCells::byteAt(c, r))]);
            TForm1::SetCell(g, c, r, GeneralText(v * 0.2));
        }
    }
    for (int c = 1; c < 16; ++c) {
        TForm1::SetCell(g, c, 0,
                        c == 15 ? QStringLiteral("10000") : QString::number((c + 1) * 400));
    }
}
