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
    // Live frames set the same colour again and again: only a change is worth a repaint.
    if (testAttribute(Qt::WA_SetPalette) && this->color() == color) {
        return;
    }
    setBackgroundColor(this, color);
}

QColor TPanel::color() const {
    return palette().color(QPalette::Window);
}

void TPanel::resetColor() {
    setColor(buttonFaceColor());
}
