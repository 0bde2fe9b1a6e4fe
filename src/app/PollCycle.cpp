// The poll timer: one tick of the poll cycle, and what its result shows in the window.
#include "TForm1.h"

#include "ControlStates.h"
#include "EventPump.h"
#include "MapGridEditor.h"
#include "ParametersTab.h"
#include "PollCycle.h"
#include "PollTickResult.h"
#include "RecordingIndicator.h"
#include "TChart3D.h"
#include "TFormInfo.h"
#include "TMySerial.h"
#include "TPanel.h"
#include "TRadioGroup.h"
#include "TUpDown.h"

#include <QCheckBox>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTableWidget>
#include <QTextEdit>
#include <QTimer>
#include <QToolButton>

void TForm1::Timer1Timer() {
    Timer1->stop(); // no tick starts while this one runs
    if (Serial1 == nullptr) {
        return;
    }
    ExchangeStarted();
    PollTickResult result;
    {
        // A click during the exchange opens its dialog after it, with the poll running.
        const EventPump::InputHold hold;
        result = PollCycle::Tick(Mirror, *Serial1, Lang, CurrentControlStates());
    }
    // The poll goes on while a box of this answer is open: the exchange is over, so a tick run
    // from the box's event loop cannot meet it half-way.
    Timer1->setInterval(result.interval);
    if (!closing_ && !pollingStopped_) {
        Timer1->start();
    }
    ApplyTickResult(result);
    // A replay begun meanwhile (from a box of this answer) stopped the poll: it stays stopped.
    if (!closing_ && !pollingStopped_) {
        Timer1->start();
    }
    ExchangeFinished();
    WatchForDevice();
}

ControlStates TForm1::CurrentControlStates() const {
    ControlStates s;
    ParametersDisplay::fillControlStates(*this, s);
    s.PanelMapyVisible = !PanelMapy->isHidden();
    s.PanelRightVisible = !PanelRight->isHidden();
    s.MapChartExists = MapChart != nullptr;
    s.InfoWindowExists = FormInfo != nullptr;
    s.InfoReportTag = FormInfo != nullptr ? FormInfo->Edit2->property("Tag").toInt() : 0;
    s.Image1Visible = !Image1->isHidden();
    s.ParametersPageCurrent =
        Button1->property("Tag").toInt() == ZakladkaParam->property("Tag").toInt();
    return s;
}

void TForm1::ApplyTickResult(const PollTickResult& result) {
    if (result.lossReset) {
        ApplyLossReset(result.lossReset->caption, result.lossReset->title,
                       result.lossReset->switchToParameters);
    }
    if (result.showImage1) {
        Image1->show();
    }
    if (!result.txLogLine.isEmpty()) {
        ShowTxLog(result.txLogLine);
    }
    if (result.response) {
        ApplyResponse(*result.response);
    }
    if (MapEditor != nullptr) {
        if (result.lossReset) {
            MapEditor->connectionLost(result.lossReset->unconfirmed);
        }
        // Cells not written wait for a controller whose identity, settings and map are read;
        // the question comes after this tick, so the link goes on meanwhile.
        if (MapEditor->showsUnwrittenFile()) {
            QTimer::singleShot(0, MapEditor, &MapGridEditor::offerUnwrittenWhenReady);
        }
        // Written cells waiting for their confirmation are marked until it comes.
        if (Mirror.MapCheck.waiting() || markedCellsShown_) {
            markedCellsShown_ = Mirror.MapCheck.waiting();
            GridMapa->viewport()->update();
        }
    }
    AfterTickHeldEdits(result);
}

void TForm1::ApplyLossReset(const QString& caption, const QString& title, bool switchToParameters) {
    // A replay's title names its file for as long as it is shown.
    if (RecordingMark->mode() != RecordingIndicator::Mode::Replay) {
        setWindowTitle(caption);
        SetApplicationTitle(title);
    }
    Image1->hide(); // the "no connection" caption of PanelError shows through
    // State panels and the two coloured option boxes back to the button face.
    Parameters->display().showUnknownState();
    Panel1->hide();
    if (MapChart != nullptr) {
        MapChart->SetCursor(-1, -1, -1);
        MapChart->RefreshChart();
    }
    if (switchToParameters) {
        ZakladkaParam->setChecked(true);
        ShowTab(0);
    }
}

void TForm1::ApplyResponse(const ResponseResult& result) {
    if (!result.logLine.isEmpty()) {
        ShowRxLog(result.logLine);
    }
    if (result.serviceCaption) {
        setWindowTitle(*result.serviceCaption);
    }
    if (result.identity) {
        ApplyIdentity(*result.identity);
    }
    if (result.settings) {
        if (SettingsViewHandler) {
            SettingsViewHandler(*result.settings);
        }
        // The settings section of the report, once per identity.
        if (result.settings->reportSectionWritten && FormInfo != nullptr) {
            FormInfo->AppendLines(result.settings->reportLines);
            FormInfo->Edit2->setProperty("Tag", 1);
        }
    }
    if (result.live && LiveViewHandler) {
        LiveViewHandler(*result.live);
    }
    if (result.live) {
        LiveAnswerShown(*result.live);
    }
    if (result.map) {
        ApplyMapUpdate(*result.map);
    }
}

void TForm1::ApplyIdentity(const IdentityResult& identity) {
    auto showMessage = [this](const QString& text) {
        if (ErrorBox) {
            ErrorBox(text);
        } else {
            // Over the window, not in the middle of the screen.
            QMessageBox box(QMessageBox::Critical, QStringLiteral("Orvex"), text, QMessageBox::Ok,
                            this);
            box.exec();
        }
    };
    setWindowTitle(identity.caption);
    SetApplicationTitle(identity.title);
    VehicleName = identity.vehicleName;
    if (RecordingMark->mode() == RecordingIndicator::Mode::Replay) {
        RecordingMark->showNothing(); // a controller talks again, not the recording
    }
    RGKomKor->setVisible(identity.komKorVisible);
    RGWyjKor->setVisible(identity.komKorVisible);
    // A working controller that wants a newer program says so before its report is written;
    // the loader's message comes last, once the update tab is open.
    if (identity.message && !identity.loader) {
        showMessage(*identity.message);
    }
    if (identity.reportWritten && FormInfo != nullptr) {
        FormInfo->Clear();
        FormInfo->AppendLines(identity.reportLines);
        FormInfo->Edit2->setProperty("Tag", 0);
    }
    if (identity.showTab) {
        if (*identity.showTab == 2) {
            ZakladkaProg->setChecked(true);
        }
        ShowTab(*identity.showTab);
    }
    if (identity.message && identity.loader) {
        showMessage(*identity.message);
    }
}

void TForm1::ApplyMapUpdate(const MapUpdate& update) {
    if (MapEditor != nullptr && MapEditor->controllerCellsAcknowledged(update)) {
        return; // a late write acknowledgement; the grid shows a file not written
    }
    for (const MapCellUpdate& cell : update.cells) {
        SetCell(GridMapa, cell.column, cell.row, cell.text);
        if (MapChart != nullptr) {
            MapChart->SetPoint(0, cell.column, cell.row, cell.chartValue);
        }
    }
    if (MapChart != nullptr) {
        MapChart->RefreshChart();
    }
    if (update.wholeMapRead && MapEditor != nullptr) {
        MapEditor->controllerMapRead();
        MapEditor->mapNotTaken(update.notTaken, MapWriteCheck::MaxTries);
    }
}

// A frame line is longer than the caption the label was sized for.
void TForm1::ShowTxLog(const QString& line) {
    OpisSygaly->setText(line);
    OpisSygaly->adjustSize();
}

void TForm1::ShowRxLog(const QString& line) {
    OpisNastawy->setText(line);
    OpisNastawy->adjustSize();
}
