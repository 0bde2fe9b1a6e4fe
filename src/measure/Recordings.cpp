#include "Recordings.h"

#include "ControlStates.h"
#include "ControllerMirror.h"
#include "LangSource.h"
#include "LiveTrace.h"
#include "MeasurementRecord.h"
#include "RecordingsHost.h"

#include <QFileInfo>

#include <climits>

namespace {

constexpr int CannotOpenText = 702;
constexpr int WriteFailedText = 602;
constexpr int TooShortText = 603;
constexpr int CannotCreateText = 606;
constexpr int NotRegularText = 862;

} // namespace

Recordings::Recordings(RecordingsHost& host) : host_(host) {}

void Recordings::PlikiUstawZapisClick() {
    if (!host_.recordingChecked()) {
        StopRecording();
        return;
    }
    const QString name = host_.askRecordingToSave();
    if (name.isEmpty()) {
        // Cancelled: no file, so the item must not claim that a recording runs.
        host_.setRecordingChecked(false);
        return;
    }
    if (!RecordingFile.open(name)) {
        recordingFailed(CannotCreateText);
        return;
    }
    if (RecordingFile.sizeAtOpen() == 0) {
        // A new recording starts with the settings it was made with; appended recordings
        // share the first one's.
        if (!RecordingFile.append(host_.mirror().SettingsImage.data())) {
            recordingFailed(WriteFailedText);
        }
    }
}

void Recordings::AppendLiveRecord() {
    // Replayed records pass here too; a recording started during a replay must not get them.
    if (replaying_ || !host_.recordingChecked() || !RecordingFile.isOpen()) {
        return;
    }
    if (!RecordingFile.append(host_.mirror().RxBuffer.data())) {
        recordingFailed(WriteFailedText);
    }
}

void Recordings::StopRecording() {
    RecordingFile.close();
    host_.setRecordingChecked(false);
}

void Recordings::recordingFailed(int textId) {
    const QString text = host_.lang().LangText(textId) +
                         QFileInfo(RecordingFile.fileName()).fileName() + QStringLiteral(" (") +
                         RecordingFile.errorString() + QLatin1Char(')');
    StopRecording();
    host_.setStatusText(text);
}

void Recordings::MenuPikiOtworzPomClick() {
    if (replaying_) {
        return;
    }
    const QString name = host_.askRecordingToOpen();
    if (!name.isEmpty()) {
        ReplayRecording(name);
    }
}

void Recordings::ReplayRecording(const QString& fileName) {
    if (replaying_) {
        return; // one replay at a time; the running one continues
    }
    ReplayFileName = fileName;
    const QString title = QStringLiteral("Orvex");
    host_.showReplayControls(title + QStringLiteral(" V1.03") + QStringLiteral(" - ") +
                                 QFileInfo(fileName).fileName(),
                             title);
    host_.closePort();
    StopRecording();
    host_.stopPolling();

    replaying_ = true;
    full_ = true;
    jump_ = -1;
    host_.exchangeStarted();
    host_.showRecordingTrace(
        LiveTrace::scan(host_.mirror(), fileName, host_.lang(), host_.controlStates()));
    const ReplayResult result = ::ReplayRecording(host_.mirror(), fileName, host_.lang(), *this);
    host_.hideProgress();
    replaying_ = false;
    full_ = false;
    host_.exchangeFinished();

    switch (result.outcome) {
    case ReplayResult::Outcome::CannotOpen:
        host_.warningBox(host_.lang().LangText(CannotOpenText) + QFileInfo(fileName).fileName() +
                         QStringLiteral(" (") + result.error + QLatin1Char(')'));
        break;
    case ReplayResult::Outcome::NotRegular:
        host_.warningBox(host_.lang().LangText(CannotOpenText) + QFileInfo(fileName).fileName() +
                         QLatin1Char('\n') + host_.lang().LangText(NotRegularText));
        break;
    case ReplayResult::Outcome::TooShort:
        host_.warningBox(host_.lang().LangText(TooShortText));
        break;
    case ReplayResult::Outcome::TooLarge:
        // Which file, and the sizes: the user sees it is no recording and nothing was changed.
        host_.warningBox(host_.lang().LangText(CannotOpenText) + QFileInfo(fileName).fileName() +
                         QStringLiteral(" (") + result.error + QLatin1Char(')'));
        break;
    default:
        break;
    }
    // Also after a failure: with the port closed the poll cycle shows the lost connection,
    // and connecting from the Port menu polls again.
    host_.startPolling();
}

void Recordings::ScrollBar1Change(int position) {
    if (ReplayFileName.isEmpty()) {
        return;
    }
    if (replaying_ && full_) {
        jump_ = qint64{MeasurementRecord::Size} * position;
        return;
    }
    if (stepping_) {
        pendingStep_ = position; // shown when the step in progress ends
        return;
    }
    stepping_ = true;
    for (;;) {
        host_.closePort();
        StopRecording();
        host_.stopPolling();
        host_.exchangeStarted();
        replaying_ = true;
        ::ReplayRecordAt(host_.mirror(), ReplayFileName, position, host_.lang(), *this);
        replaying_ = false;
        host_.exchangeFinished();
        host_.startPolling();
        if (pendingStep_ < 0) {
            break;
        }
        position = pendingStep_;
        pendingStep_ = -1;
    }
    stepping_ = false;
}

ControlStates Recordings::replayStates() {
    return host_.controlStates();
}

void Recordings::replayOpened(qint64 size) {
    if (full_) {
        host_.setReplayRange(
            static_cast<int>(qMin<qint64>(size / MeasurementRecord::Size, INT_MAX)));
        host_.showProgress(size);
    }
}

void Recordings::replayRecord(const ResponseResult& result, qint64 offset) {
    if (full_) {
        host_.setProgress(offset);
    }
    host_.showRecord(result);
    if (offset > 0 || !full_) {
        host_.showReplayPosition(static_cast<int>(offset / MeasurementRecord::Size));
    }
}

bool Recordings::replayCancelled() {
    return host_.closeRequested();
}

qint64 Recordings::replayJump() {
    const qint64 jump = jump_;
    jump_ = -1;
    return jump;
}
