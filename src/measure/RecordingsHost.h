#pragma once

#include <QString>

#include <vector>

struct ControllerMirror;
struct ControlStates;
struct ResponseResult;
struct LiveTracePoint;
class LangSource;

// What recording and replay need from the main window: its mirror and texts, the file dialogs,
// the recording menu item, the status bar, the port and the poll timer, and the replay
// controls. The window implements it over its widgets; tests implement it with plain fields.
class RecordingsHost {
public:
    virtual ~RecordingsHost() = default;

    virtual ControllerMirror& mirror() = 0;
    virtual const LangSource& lang() const = 0;
    virtual ControlStates controlStates() const = 0;

    // The file dialogs (title 705 or 704, filter 711, default extension "bin"): the chosen
    // file, empty when the user cancelled.
    virtual QString askRecordingToSave() = 0;
    virtual QString askRecordingToOpen() = 0;
    // A warning box with the caption "Orvex".
    virtual void warningBox(const QString& text) = 0;
    virtual void setStatusText(const QString& text) = 0;

    // The check mark of "Zapis do pliku" (PlikiUstawZapis).
    virtual bool recordingChecked() const = 0;
    virtual void setRecordingChecked(bool checked) = 0;

    virtual void closePort() = 0;    // SerialClose
    virtual void stopPolling() = 0;  // Timer1 off
    virtual void startPolling() = 0; // Timer1 on
    // A replay waits on the window's own call stack: a close asked for meanwhile waits for it.
    virtual void exchangeStarted() = 0;
    virtual void exchangeFinished() = 0;
    // The user closed the window while a replay ran: the replay ends early.
    virtual bool closeRequested() const { return false; }

    // Replay controls: the scroll bar shown (Panel10 112 pixels high), the window caption and
    // the application title; the scroll bar's maximum; the progress bar in the status bar.
    virtual void showReplayControls(const QString& caption, const QString& title) = 0;
    virtual void setReplayRange(int maximum) = 0;
    virtual void showProgress(qint64 maximum) = 0;
    virtual void setProgress(qint64 position) = 0;
    virtual void hideProgress() = 0;
    // A decoded record, shown as the answer it stands for.
    virtual void showRecord(const ResponseResult& result) = 0;
    // The whole recording for the chart (live records 1..n as points 0..n-1), and the record
    // being shown (1..n; 0 for the settings record shown as live values).
    virtual void showRecordingTrace(std::vector<LiveTracePoint> points) = 0;
    virtual void showReplayPosition(int record) = 0;
};
