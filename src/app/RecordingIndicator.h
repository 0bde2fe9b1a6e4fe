#pragma once

#include <QElapsedTimer>
#include <QLabel>

class QTimer;

// The status bar's mark of what the window's values come from when it is not a controller
// talking now: a recording running (its file and how long it has run) or a recording file
// being shown. Hidden otherwise.
class RecordingIndicator : public QLabel {
    Q_OBJECT

public:
    enum class Mode { None, Recording, Replay };

    explicit RecordingIndicator(QWidget* parent = nullptr);

    // "%1 name %2 time" while recording, "%1 name" for a replay, and their tooltips (%1 the path).
    void setTexts(const QString& recording, const QString& recordingTip, const QString& replay,
                  const QString& replayTip);
    // A recording into `path` runs from now on.
    void showRecording(const QString& path);
    // The window shows the recording `path`, not a controller.
    void showReplay(const QString& path);
    void showNothing();
    // The most the mark may take of the status bar; beyond it the recording shows its time
    // alone, a replay its file name shortened (the tooltip has them whole).
    void setRoom(int pixels);
    Mode mode() const { return mode_; }
    QString path() const { return path_; }

    // "m:ss" below an hour, "h:mm:ss" from then on.
    static QString elapsedText(qint64 ms);

private:
    void refresh();

    QTimer* clock_ = nullptr;
    QElapsedTimer since_;
    Mode mode_ = Mode::None;
    int room_ = 0; // 0: no limit
    QString path_;
    QString recording_ = QStringLiteral("%1  %2");
    QString recordingTip_ = QStringLiteral("%1");
    QString replay_ = QStringLiteral("%1");
    QString replayTip_ = QStringLiteral("%1");
};
