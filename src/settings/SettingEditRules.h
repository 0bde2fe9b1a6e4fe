#pragma once

#include <optional>

// The arithmetic of the settings edits, free of widgets.
namespace SettingEditRules {

// Setting 1 is one byte of option bits; every box writes the whole byte.
int bitByte(bool pk, bool on, bool ro, bool bg, bool zbo, bool kp);

// The map sensor's minimum signal stays at least 64 steps (1.28 V) below its maximum.
struct Adjusted {
    int position = 0;
    bool beep = false;
};
Adjusted minSignalAfterStep(int minPosition, int maxPosition);
Adjusted maxSignalAfterStep(int minPosition, int maxPosition);

// The map source value of the two map groups: 0 off, 3 two-row table, 1 MAP or 2 TPS for the
// 3-D map. Nothing when the groups do not name a source (no item selected).
std::optional<int> mapSourceValue(int mapModeIndex, int sourceIndex);

} // namespace SettingEditRules
