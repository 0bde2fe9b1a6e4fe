#include "MapColorRamp.h"

#include <algorithm>

QColor mapColorRamp(int k) {
    k = std::clamp(k, 0, 255);
    if (k < 64) {
        return QColor(0x80, 0x80 + 2 * k, 0xFF);
    }
    if (k < 128) {
        return QColor(0x80, 0xFF, 0xFF - 2 * (k - 64));
    }
    if (k < 192) {
        return QColor(0x80 + 2 * (k - 128), 0xFF, 0x80);
    }
    return QColor(0xFF, 0xFF - 2 * (k - 192), 0x80);
}
