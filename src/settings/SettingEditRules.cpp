#include "SettingEditRules.h"

namespace SettingEditRules {

int bitByte(bool pk, bool on, bool ro, bool bg, bool zbo, bool kp) {
    return (kp ? 32 : 0) + (zbo ? 16 : 0) + (bg ? 8 : 0) + (ro ? 4 : 0) + (on ? 2 : 0) +
           (pk ? 1 : 0);
}

Adjusted minSignalAfterStep(int minPosition, int maxPosition) {
    if (minPosition >= maxPosition - 64) {
        return {maxPosition - 64, true};
    }
    return {minPosition, false};
}

Adjusted maxSignalAfterStep(int minPosition, int maxPosition) {
    if (maxPosition <= minPosition + 64) {
        return {minPosition + 64, true};
    }
    return {maxPosition, false};
}

std::optional<int> mapSourceValue(int mapModeIndex, int sourceIndex) {
    switch (mapModeIndex) {
    case 0:
        return 0;
    case 1:
        return 3;
    case 2:
        if (sourceIndex < 0) {
            return std::nullopt;
        }
        return sourceIndex + 1;
    default:
        return std::nullopt;
    }
}

} // namespace SettingEditRules
