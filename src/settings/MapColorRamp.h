#pragma once

#include <QColor>

// The 256 colours of the ignition map, from light blue through cyan, light green and yellow to
// light red. The grid indexes it by a cell value + 128, the chart by a face shade 0..255.
QColor mapColorRamp(int index);
