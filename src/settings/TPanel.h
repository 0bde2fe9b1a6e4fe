#pragma once

#include <QColor>
#include <QLabel>

// A captioned, bevelled panel whose background colour can be set: the state panels and the
// value labels of the left panel. The caption is the label text.
class TPanel : public QLabel {
    Q_OBJECT
public:
    explicit TPanel(QWidget* parent = nullptr);

    void setColor(const QColor& color);
    QColor color() const;
    // Back to the neutral button-face colour.
    void resetColor();

    void setCaption(const QString& caption) { setText(caption); }
    QString caption() const { return text(); }
};
