#include "ModelInfo.h"

ModelInfo ModelInfo::of(SimModel model) {
    switch (model) {
    case SimModel::Vx01c:
        return {0x08, 0x01, 0xC0, 0xC0, 0x0F, 0x8D, {1, 3, 1, 8}};
    case SimModel::Vx02:
        // No camshaft switch on this board.
        return {0x08, 0x02, 0x60, 0x60, 0x0B, 0x8D, {1, 3, 1, 10}};
    case SimModel::Vx01:
        break;
    }
    return {0x08, 0x01, 0xE0, 0xE0, 0x0F, 0x8D, {1, 3, 1, 0}};
}
