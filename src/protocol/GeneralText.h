#pragma once

#include <QString>

// The general number text used everywhere a value with a fraction is shown: the shortest form
// with up to 15 significant digits, no trailing zeros, the locale's decimal separator and no
// group separators (0.6, 2, 4.98, -25.6).
QString GeneralText(double value);
