#include "BgrColor.h"

#include <QGuiApplication>
#include <QPalette>
#include <QWidget>

QColor colorFromBgr(std::uint32_t bgr) {
    return QColor(static_cast<int>(bgr & 0xFF), static_cast<int>((bgr >> 8) & 0xFF),
                  static_cast<int>((bgr >> 16) & 0xFF));
}

QColor buttonFaceColor() {
    return QGuiApplication::palette().color(QPalette::Button);
}

void setBackgroundColor(QWidget* widget, const QColor& color) {
    QPalette p = widget->palette();
    p.setColor(QPalette::Window, color);
    // Buttons (the option boxes) fill their background from the button role, not the window's.
    p.setColor(widget->backgroundRole(), color);
    widget->setPalette(p);
    widget->setAutoFillBackground(true);
}
