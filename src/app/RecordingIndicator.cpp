#include "RecordingIndicator.h"

#include <QDir>
#include <QFileInfo>
#include <QTimer>

#include <algorithm>

RecordingIndicator::RecordingIndicator(QWidget* parent) : QLabel(parent) {
    setObjectName(QStringLiteral("RecordingIndicator"));
    // Red on the bar's own background: seen at a glance, readable in every style.
    setStyleSheet(QStringLiteral("QLabel { color: #c00000; font-weight: bold; padding: 0 6px; }"));
    clock_ = new QTimer(this);
    clock_->setInterval(1000);
    connect(clock_, &QTimer::timeout, this, &RecordingIndicator::refresh);
    hide();
}

void RecordingIndicator::setTexts(const QString& recording, const QString& recordingTip,
                                  const QString& replay, const QString& replayTip) {
    recording_ = recording;
    recordingTip_ = recordingTip;
    replay_ = replay;
    replayTip_ = replayTip;
    refresh();
}

void RecordingIndicator::showRecording(const QString& path) {
    if (mode_ == Mode::Recording && path_ == path) {
        return; // the same recording goes on: its time keeps running
    }
    mode_ = Mode::Recording;
    path_ = path;
    since_.start();
    clock_->start();
    refresh();
}

void RecordingIndicator::showReplay(const QString& path) {
    mode_ = Mode::Replay;
    path_ = path;
    clock_->stop();
    refresh();
}

void RecordingIndicator::setRoom(int pixels) {
    if (room_ != pixels) {
        room_ = pixels;
        refresh();
    }
}

void RecordingIndicator::showNothing() {
    mode_ = Mode::None;
    path_.clear();
    clock_->stop();
    refresh();
}

QString RecordingIndicator::elapsedText(qint64 ms) {
    const qint64 s = std::max<qint64>(ms, 0) / 1000;
    const QString mmss = QStringLiteral("%1:%2")
                             .arg(s / 60 % 60, s >= 3600 ? 2 : 1, 10, QLatin1Char('0'))
                             .arg(s % 60, 2, 10, QLatin1Char('0'));
    return s >= 3600 ? QStringLiteral("%1:").arg(s / 3600) + mmss : mmss;
}

void RecordingIndicator::refresh() {
    const QString name = QFileInfo(path_).fileName();
    const QString native = QDir::toNativeSeparators(path_);
    switch (mode_) {
    case Mode::None:
        clear();
        setToolTip(QString());
        hide();
        return;
    case Mode::Recording: {
        const QString time = elapsedText(since_.elapsed());
        QString text = recording_.arg(name, time);
        if (room_ > 0 && fontMetrics().horizontalAdvance(text) > room_) {
            // The mark's sign and the time: that a recording runs is what must stay seen.
            text = recording_.left(1) + QLatin1Char(' ') + time;
        }
        setText(text);
        setToolTip(recordingTip_.arg(native));
        break;
    }
    case Mode::Replay: {
        QString text = replay_.arg(name);
        if (room_ > 0 && fontMetrics().horizontalAdvance(text) > room_) {
            text = replay_.left(1) + QLatin1Char(' ') +
                   fontMetrics().elidedText(name, Qt::ElideMiddle, room_ / 2);
        }
        setText(text);
        setToolTip(replayTip_.arg(native));
        break;
    }
    }
    show();
}
