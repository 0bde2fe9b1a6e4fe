#include "StatusLine.h"

#include <QEvent>
#include <QFontMetrics>

StatusLine::StatusLine(QWidget* parent) : QLabel(parent) {
    // The width is what the bar has left: the message never pushes the permanent sections.
    setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    setTextFormat(Qt::PlainText);
}

void StatusLine::setFullText(const QString& text) {
    if (text == full_) {
        return;
    }
    full_ = text;
    elide();
}

QSize StatusLine::minimumSizeHint() const {
    return {fontMetrics().averageCharWidth() * 12, QLabel::minimumSizeHint().height()};
}

void StatusLine::resizeEvent(QResizeEvent* event) {
    QLabel::resizeEvent(event);
    elide();
}

void StatusLine::changeEvent(QEvent* event) {
    QLabel::changeEvent(event);
    if (event->type() == QEvent::FontChange) {
        elide();
    }
}

void StatusLine::elide() {
    // A message of several lines reads as one here; the tooltip keeps its lines.
    QString line = full_;
    line.replace(QLatin1Char('\n'), QLatin1Char(' '));
    const QString shown =
        fontMetrics().elidedText(line, Qt::ElideRight, std::max(0, contentsRect().width()));
    setText(shown);
    setToolTip(shown == line ? QString() : full_);
}
