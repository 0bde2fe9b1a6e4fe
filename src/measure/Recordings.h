#pragma once

#include "RecordingWriter.h"
#include "ReplayReader.h"

#include <QString>

class RecordingsHost;

// Recording live answers to a file and playing recordings back, for the main window's File
// menu ("Zapis do pliku", "Otwórz pomiary") and its replay scroll bar. One instance, owned by
// the window for its whole life.
class Recordings : private ReplaySink {
public:
    explicit Recordings(RecordingsHost& host);

    // The menu item has just toggled its check mark: checked starts a recording (save dialog,
    // append to the chosen file, settings record into an empty file), unchecked stops it.
    void PlikiUstawZapisClick();
    // After every valid live answer: append RxBuffer bytes 0..15 while recording. A failing
    // write stops the recording and says why in the status bar; what was written stays.
    void AppendLiveRecord();
    // Stops a recording (closes the file, unchecks the item). Also run by every replay and the
    // window's close.
    void StopRecording();

    void MenuPikiOtworzPomClick();
    // Plays the whole file; the port is closed and the poll timer stopped meanwhile.
    void ReplayRecording(const QString& fileName);
    // Shows the record at the scroll bar's position; during a full replay, continues the
    // replay from there.
    void ScrollBar1Change(int position);

    bool Replaying() const { return replaying_; }
    bool Recording() const { return RecordingFile.isOpen(); }

    RecordingWriter RecordingFile;
    QString ReplayFileName; // the recording last opened; empty until the first replay

private:
    bool startRecording();
    void recordingFailed(int textId);

    // ReplaySink
    ControlStates replayStates() override;
    void replayOpened(qint64 size) override;
    void replayRecord(const ResponseResult& result, qint64 offset) override;
    qint64 replayJump() override;
    bool replayCancelled() override;

    RecordingsHost& host_;
    bool replaying_ = false;
    bool full_ = false;     // the replay running is a full one (progress bar shown)
    qint64 jump_ = -1;      // a jump asked for during a full replay
    bool stepping_ = false; // a scroll-bar step is being shown
    int pendingStep_ = -1;  // the position asked for meanwhile
};
