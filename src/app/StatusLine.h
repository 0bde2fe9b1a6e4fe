#pragma once

#include <QLabel>
#include <QString>

// The status bar's message: one line that takes the room the link figures leave and never
// more. A message longer than that is cut with "…" and shown whole in the tooltip.
class StatusLine : public QLabel {
    Q_OBJECT
public:
    explicit StatusLine(QWidget* parent = nullptr);

    void setFullText(const QString& text);
    QString fullText() const { return full_; }

    // A few words' room at least; beyond that it gives way.
    QSize minimumSizeHint() const override;

protected:
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void elide();

    QString full_;
};
