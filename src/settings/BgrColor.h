#pragma once

#include <QColor>
#include <cstdint>

// Colours of the controller tool are written as 0x00BBGGRR values (blue in the high byte);
// every such value reaches Qt through this one helper.
QColor colorFromBgr(std::uint32_t bgr);

class QWidget;

// Fills a control's background with a colour (state panels, option boxes).
void setBackgroundColor(QWidget* widget, const QColor& color);

// The neutral "button face" colour of the current style (state unknown, or the panel colour).
QColor buttonFaceColor();

namespace BgrColors {
inline constexpr std::uint32_t Green = 0x00FF00;  // good state
inline constexpr std::uint32_t Red = 0x0000FF;    // bad state
inline constexpr std::uint32_t Yellow = 0x00FFFF; // option that draws attention
} // namespace BgrColors
