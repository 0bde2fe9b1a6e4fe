#include "SwitchPicture.h"

namespace {
constexpr std::uint32_t KnobRed = 0x0000D0;
constexpr std::uint32_t KnobGreen = 0x008000;
constexpr std::uint32_t KnobWhite = 0xFFFFFF;
constexpr std::uint32_t KnobSilver = 0xC0C0C0;
} // namespace

SwitchPicture SwitchPicture::compute(int width, int height, std::uint8_t liveMode) {
    SwitchPicture p;
    const int w = (width - 5) / 5;
    const int h = height - 2;
    p.showOnText = h > 16;
    p.onFontSize = w / 2;
    p.onTextX = 0;
    p.onTextY = w / 2 + 1;
    for (int i = 0; i < 4; ++i) {
        p.slotBoxes[i] = Box{(i + 1) * w + 1, 1, (i + 2) * w, h};
    }
    const bool bit0 = (liveMode & 1) != 0;
    // Slot 3 (rightmost) shows bit 0 in colour; the other three show bits 1..3 in white/silver.
    for (int i = 0; i < 4; ++i) {
        const int bit = 3 - i;
        const bool up = (liveMode >> bit & 1) != 0;
        Knob& k = p.knobs[i];
        k.up = up;
        k.box.left = (i + 1) * w + 2;
        k.box.right = (i + 2) * w - 1;
        k.box.top = up ? 2 : h / 2;
        k.box.bottom = up ? h / 2 : h - 1;
        if (bit == 0) {
            k.bgr = up ? KnobRed : KnobGreen;
        } else {
            k.bgr = bit0 ? KnobWhite : KnobSilver;
        }
    }
    return p;
}
