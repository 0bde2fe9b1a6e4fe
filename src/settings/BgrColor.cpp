#include "BgrColor.h"

#include <QGuiApplication>
#include <QPalette>

QColor colorFromBgr(std::uint32_t bgr) {
    return QColor(static_cast<int>(bgr & 0xFF), static_cast<int>((bgr >> 8) & 0xFF),
                  static_cast<int>((bgr >> 16) & 0xFF));
}

QColor buttonFaceColor() {
    return QGuiApplication::palette().color(QPalette::Button);
}
