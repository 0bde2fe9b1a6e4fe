// The ignition map in the window: the grid editor, the chart panel beside the left panel and
// what the map code asks of the window (MapHost).
#include "TForm1.h"

#include "FileFilters.h"
#include "MapCellValue.h"
#include "MapCells.h"
#include "MapFileCommands.h"
#include "MapGridEditor.h"
#include "MapToolBar.h"
#include "PollCycle.h"
#include "RecordingIndicator.h"
#include "TChart3D.h"
#include "TMySerial.h"
#include "TRadioGroup.h"

#include <QAction>
#include <QApplication>
#include <QFileDialog>
#include <QFrame>
#include <QKeySequence>
#include <QMenu>
#include <QMessageBox>
#include <QScopedValueRollback>
#include <QScrollArea>
#include <QScrollBar>
#include <QToolBar>
#include <QVBoxLayout>

#include <algorithm>

void TForm1::CreateMapEditor() {
    MapEditor = new MapGridEditor(*this, GridMapa, this);
    MapFiles = new MapFileCommands(*this, *MapEditor, GridB, GridG, this);
    // The toolbar's map-file buttons are File-menu items too, with the usual keys. Saving and
    // erasing need the controller's map on screen; a map file opens at any time.
    ToolBtnOpen->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
    ToolBtnSave->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    MenuPliki->insertActions(MenuPliki->actions().value(0),
                             {ToolBtnOpen, ToolBtnSave, ToolBtnMapKasuj});
    MenuPliki->insertSeparator(MenuPliki->actions().value(3));
    // Greyed in the open menu only: on the toolbar, shown with the map, they stay usable.
    connect(MenuPliki, &QMenu::aboutToShow, this, [this] {
        ToolBtnSave->setEnabled(MapPanelShown());
        ToolBtnMapKasuj->setEnabled(MapPanelShown());
    });
    connect(MenuPliki, &QMenu::aboutToHide, this, [this] {
        ToolBtnSave->setEnabled(true);
        ToolBtnMapKasuj->setEnabled(true);
    });
    connect(ToolBtnOpen, &QAction::triggered, MapFiles, &MapFileCommands::ToolBtnOpenClick);
    connect(ToolBtnSave, &QAction::triggered, this, [this] {
        if (MapPanelShown()) {
            MapFiles->ToolBtnSaveClick();
        } else {
            QApplication::beep();
        }
    });
    connect(ToolBtnMapKasuj, &QAction::triggered, this, [this] {
        if (MapPanelShown()) {
            MapEditor->ToolBtnMapKasujClick();
        } else {
            QApplication::beep();
        }
    });
    connect(MenuPikiOtworz, &QAction::triggered, MapFiles, &MapFileCommands::MenuPikiOtworzClick);
    connect(MenuPlikiZapisz, &QAction::triggered, MapFiles, &MapFileCommands::MenuPlikiZapiszClick);
    MapTools = new MapToolBar(*this, *MapEditor, ToolBarMap, this);
    auto* column = new QVBoxLayout(Panel2);
    column->setContentsMargins(0, 0, 0, 0);
}

bool TForm1::MapPanelShown() const {
    return !PanelMapy->isHidden() && !ToolBarMap->isHidden();
}

void TForm1::ShowChartPanel(bool show) {
    chartPanelShown_ = show;
    if (!show) {
        chartFolded_ = false;
        Panel2->hide();
        SetPanelLeftFills(true);
        SplitterLeft->hide();
        return;
    }
    SetPanelLeftWidth(width() * 2 / 3);
    SetPanelLeftFills(false);
    FitPanelLeftBesideChart(); // shows the chart, or folds it away in a narrow window
    if (MapChart != nullptr) {
        return;
    }
    Panel2->installEventFilter(this);
    MapChart = new TChart3D(Panel2);
    Panel2->layout()->addWidget(MapChart);
    SetUpMapChart(MapChart);
    MapChart->setToolTip(LangText(870));
    MapChart->show();
}

void TForm1::SetUpMapChart(TChart3D* chart) {
    chart->PointsX = 16;
    chart->PointsY = 17;
    chart->AxisMin = {400, 0, 0};
    chart->AxisMax = {6400, 100, 50};
    chart->TickStep = {1000, 10, 5};
    chart->ViewMode = ServiceMode ? 2 : 0;
    chart->SetChartText(23, LangText(300));
    chart->SetChartText(24, LangText(302));
    chart->SetChartText(20, LangText(304));
    chart->SetChartText(21, LangText(305));
    chart->SetChartText(22, LangText(306));
    for (int i = 1; i <= 15; ++i) {
        for (int j = 1; j <= 16; ++j) {
            const int v = static_cast<std::int8_t>(
                Mirror.MapTable[static_cast<std::size_t>(MapCells::byteAt(i, j))]);
            chart->SetPoint(0, i, j, MapCellValue::chartValue(v));
        }
    }
}

void TForm1::SetMapChartTexts() {
    if (MapChart == nullptr) {
        return;
    }
    MapChart->SetChartText(23, LangText(300));
    MapChart->SetChartText(24, LangText(302));
    MapChart->SetChartText(20, LangText(304));
    MapChart->SetChartText(21, LangText(305));
    MapChart->SetChartText(22, LangText(306));
    MapChart->setToolTip(LangText(870));
    MapChart->RefreshChart();
}

void TForm1::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    FitPanelLeftBesideChart();
    FitScopePanel();
    if (RecordingMark != nullptr) {
        RecordingMark->setRoom(width() / 5);
    }
    ShowLinkHealth();
}

void TForm1::FitPanelLeftBesideChart() {
    // Showing or hiding a panel resizes the left panel, whose layout calls here again.
    if (fitting_) {
        return;
    }
    QScopedValueRollback<bool> once(fitting_, true);
    // The rows of the left panel never scroll sideways: the width they need at their smallest
    // cells comes first.
    const int rowsLeast =
        PanelLeftNarrowest > 0 ? PanelLeftNarrowest : PanelLeftContent->minimumWidth();
    const int rows = rowsLeast + PanelLeftScroll->verticalScrollBar()->sizeHint().width() + 2;
    // Service mode's measured maps stand at the right with a width of their own, but give way
    // to the rows (their grids scroll within themselves).
    int right = 0;
    if (!PanelRight->isHidden()) {
        const int room = width() - rows - SplitterRight->width();
        const int wanted = panelRightWanted_ > 0 ? panelRightWanted_ : PanelRight->width();
        const int w = std::max(MeasuredMapsNarrowest, std::min(wanted, room));
        if (PanelRight->minimumWidth() != w || PanelRight->maximumWidth() != w) {
            PanelRight->setFixedWidth(w);
        }
        right = w + SplitterRight->width();
    }
    if (panelLeftFills_ || PanelLeft->isHidden()) {
        return;
    }
    // The chart and the panel grow and shrink together; the chart keeps at least a usable
    // strip, or folds away while the window is too narrow for it beside the rows.
    const int w = width() - right;
    chartFolded_ = w - rows - SplitterLeft->width() < ChartNarrowest;
    if (chartFolded_) {
        PanelLeft->setMinimumWidth(0);
        PanelLeft->setMaximumWidth(QWIDGETSIZE_MAX);
    } else {
        const int chartLeast = std::max(ChartNarrowest, std::min(220, w / 3));
        panelLeftWidth_ =
            std::max(std::min(static_cast<int>(panelLeftShare_ * w), w - chartLeast), rows);
        PanelLeft->setFixedWidth(panelLeftWidth_);
    }
    bodyLayout_->setStretchFactor(PanelLeft, chartFolded_ ? 1 : 0);
    if (Panel2->isHidden() != chartFolded_) {
        SplitterLeft->setVisible(!chartFolded_);
        Panel2->setVisible(!chartFolded_);
    }
}

bool TForm1::mapOn() const {
    return RGMapa->ItemIndex() != 0;
}

bool TForm1::mapEditable() const {
    return Mirror.MapTableRead;
}

bool TForm1::controllerAnswering() const {
    return Serial1 != nullptr && Serial1->SerialConnected() &&
           Mirror.LinkCounter <= PollCycle::LossThreshold;
}

bool TForm1::controllerReady() const {
    return controllerAnswering() && Mirror.IdentityState < 0 && Mirror.SettingIndex < 0 &&
           Mirror.MapTableRead;
}

void TForm1::beep() {
    QApplication::beep();
}

QString TForm1::askFileName(bool save, const QString& title, const QString& filter,
                            const QString& defaultSuffix, int* chosenFilter) {
    return AskFileName(FileFolders::Kind::Maps, save, title, filter, defaultSuffix, chosenFilter);
}

QString TForm1::AskFileName(FileFolders::Kind kind, bool save, const QString& title,
                            const QString& filter, const QString& defaultSuffix,
                            int* chosenFilter) {
    QFileDialog* dialog = FileDialog(kind, save, defaultSuffix);
    dialog->setWindowTitle(title);
    // The filters are written "name|pattern|name|pattern".
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList filters;
    QStringList suffixes; // what a name without an ending gets under each filter
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        filters << FileFilters::nameFilter(parts[i], parts[i + 1]);
        const QString pattern = parts[i + 1];
        const bool plain = pattern.startsWith(QStringLiteral("*.")) &&
                           pattern.count(QLatin1Char('*')) == 1 &&
                           !pattern.contains(QLatin1Char(';'));
        suffixes << (plain ? pattern.mid(2) : defaultSuffix);
    }
    dialog->setNameFilters(filters);
    if (!filters.isEmpty()) {
        dialog->selectNameFilter(filters.first());
    }
    dialog->setDefaultSuffix(defaultSuffix);
    // Choosing the csv filter saves "m1" as m1.csv, not m1 with the first filter's ending.
    const QMetaObject::Connection follow = connect(dialog, &QFileDialog::filterSelected, dialog,
                                                   [dialog, filters, suffixes](const QString& f) {
                                                       const qsizetype k = filters.indexOf(f);
                                                       if (k >= 0) {
                                                           dialog->setDefaultSuffix(suffixes[k]);
                                                       }
                                                   });
    dialog->setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    const bool accepted = dialog->exec() == QDialog::Accepted;
    disconnect(follow);
    if (!accepted || dialog->selectedFiles().isEmpty()) {
        return {};
    }
    FileChosen(kind, dialog->selectedFiles().first());
    if (chosenFilter != nullptr) {
        *chosenFilter = std::max(0, int(filters.indexOf(dialog->selectedNameFilter())));
    }
    return dialog->selectedFiles().first();
}

void TForm1::showFileError(const QString& text) {
    if (ErrorBox) {
        ErrorBox(text);
        return;
    }
    QMessageBox box(QMessageBox::Critical, QStringLiteral("Orvex"), text, QMessageBox::Ok, this);
    box.exec();
}

bool TForm1::askYesNo(const QString& text, bool yesIsDefault) {
    if (AskMapWrite) {
        return AskMapWrite(text, yesIsDefault);
    }
    QMessageBox box(QMessageBox::Question, QStringLiteral("Orvex"), text,
                    QMessageBox::Yes | QMessageBox::No, this);
    box.setDefaultButton(yesIsDefault ? QMessageBox::Yes : QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}

void TForm1::setFileCaption(const QString& caption, const QString& title) {
    setWindowTitle(caption);
    SetApplicationTitle(title);
}
