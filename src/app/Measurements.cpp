// Recording to file, replay, and the live chart: the window's side of the recordings (menu
// items, dialogs, replay controls) and the chart panel under the client area.
#include "TForm1.h"

#include "ControlStates.h"
#include "FileFilters.h"
#include "LiveTrace.h"
#include "LiveView.h"
#include "RecordingIndicator.h"
#include "ResponseResult.h"
#include "ScopeChart.h"
#include "TMySerial.h"
#include "TNvScope.h"

#include <QAction>
#include <QFileDialog>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QProgressBar>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QStatusBar>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>
#include <climits>

namespace {

QString askFile(QFileDialog* dialog, const QString& title, const QString& filter) {
    dialog->setWindowTitle(title);
    dialog->setNameFilters(FileFilters::nameFilters(filter));
    dialog->selectNameFilter(dialog->nameFilters().value(0));
    dialog->setDefaultSuffix(QStringLiteral("bin"));
    if (dialog->exec() != QDialog::Accepted) {
        return QString();
    }
    const QString path = dialog->selectedFiles().value(0);
    TForm1::FileChosen(FileFolders::Kind::Recordings, path);
    return path;
}

ScopeChart::Values chartValues(const LiveTracePoint& p) {
    ScopeChart::Values v;
    v.gas = p.gas;
    v.tps = p.tps;
    v.rpm = p.rpm;
    v.angle = p.angle;
    return v;
}

} // namespace

void TForm1::CreateMeasurements() {
    // Both File-menu commands are reachable.
    PlikiUstawZapis->setVisible(true);
    MenuPikiOtworzPom->setVisible(true);
    connect(PlikiUstawZapis, &QAction::triggered, this, &TForm1::PlikiUstawZapisClick);
    connect(MenuPikiOtworzPom, &QAction::triggered, this, &TForm1::MenuPikiOtworzPomClick);

    MenuWidok = new QMenu(QStringLiteral("&Widok"), MainMenu1);
    MenuWidok->setObjectName(QStringLiteral("MenuWidok"));
    MainMenu1->insertMenu(MenuPort->menuAction(), MenuWidok);
    WidokWykres = MenuWidok->addAction(QStringLiteral("Wykres"));
    WidokWykres->setObjectName(QStringLiteral("WidokWykres"));
    WidokWykres->setCheckable(true);
    connect(WidokWykres, &QAction::toggled, this, &TForm1::ShowScopePanel);

    // The chart panel runs under the whole client area; the replay scroll bar under the chart,
    // where it can be reached whether or not the service panel is shown.
    PanelScope = new QFrame(ClientArea);
    PanelScope->setObjectName(QStringLiteral("PanelScope"));
    auto* column = new QVBoxLayout(PanelScope);
    column->setContentsMargins(2, 2, 2, 2);
    column->setSpacing(2);
    ChartScope = new ScopeChart(PanelScope);
    column->addWidget(ChartScope, 1);
    ScrollBar1->setParent(PanelScope);
    column->addWidget(ScrollBar1);
    ScrollBar1->hide();
    if (auto* outer = qobject_cast<QVBoxLayout*>(ClientArea->layout())) {
        outer->addWidget(PanelScope, 1);
        outer->setStretch(1, 2); // the window's body keeps two thirds of the height
    }
    PanelScope->hide();

    // Left of the link figures, so that a long status text never hides it.
    RecordingMark = new RecordingIndicator(StatusBar1);
    StatusBar1->addPermanentWidget(RecordingMark);

    connect(ScrollBar1, &QScrollBar::valueChanged, this, &TForm1::ScrollBar1Change);
    connect(ChartScope, &ScopeChart::recordClicked, this, [this](int record) {
        if (Measurements.Replaying() || ScrollBar1->value() == record) {
            ScrollBar1Change(record);
        } else {
            ScrollBar1->setValue(record); // shows it through ScrollBar1Change
        }
    });
}

void TForm1::ApplyMeasurementTexts() {
    PlikiUstawZapis->setText(LangText(600));
    MenuPikiOtworzPom->setText(LangText(601));
    MenuWidok->setTitle(LangText(604));
    WidokWykres->setText(LangText(605));
    // A language without one of these texts keeps the component's own label for it.
    QStringList labels = TNvScope::DefaultAnalogLabels();
    const int ids[] = {209, 211, 212, 213};
    for (int c = 0; c < 4; ++c) {
        if (!LangText(ids[c]).isEmpty()) {
            labels[c] = LangText(ids[c]);
        }
    }
    ChartScope->setTexts(labels, LangText(144), LangText(142), LangText(150));
    ChartScope->setToolTip(LangText(869));
    RecordingMark->setTexts(LangText(865), LangText(866), LangText(867), LangText(868));
}

void TForm1::ShowRecordingMark() {
    if (Measurements.Recording()) {
        RecordingMark->showRecording(Measurements.RecordingFile.fileName());
    } else if (RecordingMark->mode() == RecordingIndicator::Mode::Recording) {
        RecordingMark->showNothing();
    }
}

void TForm1::FitScopePanel() {
    if (PanelScope == nullptr) {
        return;
    }
    // In a short window the chart takes a quarter of the height, not a third: the left stack
    // above it (with the map grid at its foot) keeps as much as it can.
    const int h = ClientArea->height();
    PanelScope->setMaximumHeight(h < 700 ? std::max(ChartScope->minimumHeight() + 8, h / 4)
                                         : QWIDGETSIZE_MAX);
}

void TForm1::ShowScopePanel(bool show) {
    FitScopePanel();
    PanelScope->setVisible(show);
    if (WidokWykres->isChecked() != show) {
        WidokWykres->setChecked(show);
    }
}

void TForm1::PlikiUstawZapisClick() {
    Measurements.PlikiUstawZapisClick();
    ShowRecordingMark();
}

void TForm1::MenuPikiOtworzPomClick() {
    Measurements.MenuPikiOtworzPomClick();
}

void TForm1::ScrollBar1Change(int position) {
    if (!Measurements.Replaying() && !Measurements.ReplayFileName.isEmpty() &&
        !ChartScope->showsRecording()) {
        // The chart went back to live values meanwhile: the recording again.
        showRecordingTrace(
            LiveTrace::scan(Mirror, Measurements.ReplayFileName, Lang, CurrentControlStates()));
    }
    Measurements.ScrollBar1Change(position);
    if (!Measurements.ReplayFileName.isEmpty()) {
        RecordingMark->showReplay(Measurements.ReplayFileName); // the port is closed now
    }
}

void TForm1::LiveAnswerShown(const LiveView& view) {
    Measurements.AppendLiveRecord();
    if (Measurements.Replaying()) {
        return; // the chart shows the recording and marks the record
    }
    if (ChartScope->showsRecording()) {
        ChartScope->showRecording({}); // live values again
        ScrollBar1->hide();            // it has no recording to move through now
    }
    ChartScope->appendLive(chartValues(LiveTrace::fromView(view)));
}

ControlStates TForm1::controlStates() const {
    return CurrentControlStates();
}

QString TForm1::askRecordingToSave() {
    if (AskRecordingToSave) {
        return AskRecordingToSave();
    }
    return askFile(FileDialog(FileFolders::Kind::Recordings, true, QStringLiteral("bin")),
                   LangText(705), LangText(711));
}

QString TForm1::askRecordingToOpen() {
    if (AskRecordingToOpen) {
        return AskRecordingToOpen();
    }
    return askFile(FileDialog(FileFolders::Kind::Recordings, false, QStringLiteral("bin")),
                   LangText(704), LangText(711));
}

void TForm1::warningBox(const QString& text) {
    if (WarningBox) {
        WarningBox(text);
        return;
    }
    QMessageBox box(QMessageBox::Warning, QStringLiteral("Orvex"), text, QMessageBox::Ok, this);
    box.exec();
}

bool TForm1::recordingChecked() const {
    return PlikiUstawZapis->isChecked();
}

void TForm1::setRecordingChecked(bool checked) {
    PlikiUstawZapis->setChecked(checked);
    ShowRecordingMark();
}

void TForm1::closePort() {
    if (Serial1 != nullptr) {
        Serial1->SerialClose();
    }
}

void TForm1::stopPolling() {
    pollingStopped_ = true;
    Timer1->stop();
}

void TForm1::startPolling() {
    pollingStopped_ = false;
    if (!Closing()) {
        Timer1->start();
    }
}

void TForm1::showReplayControls(const QString& caption, const QString& title) {
    // The scroll bar stands under the chart, not in Panel10: that panel keeps its height.
    ScrollBar1->show();
    RecordingMark->showReplay(Measurements.ReplayFileName);
    // The recording's settings record ends before the rise and fall times and the map signal
    // limits: what the last controller had there is not what the recording was made with.
    for (QLineEdit* edit : {EditNar, EditOpa, EditMIN, EditMAP}) {
        edit->clear();
    }
    setWindowTitle(caption);
    SetApplicationTitle(title);
    ShowScopePanel(true);
}

void TForm1::setReplayRange(int maximum) {
    const QSignalBlocker quiet(ScrollBar1);
    ScrollBar1->setMaximum(maximum);
}

void TForm1::showProgress(qint64 maximum) {
    ProgressBar1->setParent(StatusBar1);
    ProgressBar1->setGeometry(152, 2, StatusBar1->width() - 154, StatusBar1->height() - 2);
    ProgressBar1->setMaximum(static_cast<int>(qMin<qint64>(maximum, INT_MAX)));
    ProgressBar1->setValue(0);
    ProgressBar1->show();
}

void TForm1::setProgress(qint64 position) {
    ProgressBar1->setValue(static_cast<int>(qMin<qint64>(position, INT_MAX)));
}

void TForm1::hideProgress() {
    ProgressBar1->hide();
}

void TForm1::showRecord(const ResponseResult& result) {
    ApplyResponse(result);
}

void TForm1::showRecordingTrace(std::vector<LiveTracePoint> points) {
    std::vector<ScopeChart::Values> values;
    values.reserve(points.size());
    for (const LiveTracePoint& p : points) {
        values.push_back(chartValues(p));
    }
    ChartScope->showRecording(values);
}

void TForm1::showReplayPosition(int record) {
    ChartScope->setReplayPosition(record);
}
