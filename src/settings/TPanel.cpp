#include "TPanel.h"

#include "BgrColor.h"

TPanel::TPanel(QWidget* parent) : QLabel(parent) {
    setFrameStyle(QFrame::Panel | QFrame::Raised);
    setLineWidth(1);
    setAutoFillBackground(true);
    setAlignment(Qt::AlignCenter);
    // Layout decides the size; a long caption must not push the panel wider.
    setMinimumSize(0, 0);
    setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Ignored);
    resetColor();
}

void TPanel::setColor(const QColor& color) {
    setBackgroundColor(this, color);
}

QColor TPanel::color() const {
    return palette().color(QPalette::Window);
}

void TPanel::resetColor() {
    setColor(buttonFaceColor());
}
