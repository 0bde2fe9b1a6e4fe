#pragma once

#include <QRect>

class QWidget;

// Windows of this program open on the screen of the window they belong to and stay whole on
// it: a designed place and size that would run off a small screen is moved in, and shrunk
// where the screen is smaller than the window.
namespace WindowPlacement {

// `wanted` (the frame's rectangle) moved and shrunk to lie within `available`.
QRect within(const QRect& wanted, const QRect& available);

// Puts `window` whole on the screen of `owner` (its available area), at its place when that
// fits, and makes Esc close it.
void keepOnScreen(QWidget* window, const QWidget* owner);
void closeWithEscape(QWidget* window);

} // namespace WindowPlacement
