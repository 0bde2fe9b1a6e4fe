#pragma once

#include <array>
#include <cstdint>

// The picture of the controller's four configuration switches, computed from the paint box size
// and the live mode byte. Rectangles are left, top to right, bottom (right and bottom excluded).
struct SwitchPicture {
    struct Box {
        int left = 0, top = 0, right = 0, bottom = 0;
        bool operator==(const Box&) const = default;
    };
    struct Knob {
        Box box;
        std::uint32_t bgr = 0; // 0x00BBGGRR
        bool up = false;
    };

    bool showOnText = false; // the "ON" mark needs more than 16 pixels of height
    int onFontSize = 0;
    int onTextX = 0, onTextY = 0;
    std::array<Box, 4> slotBoxes{}; // left to right
    std::array<Knob, 4> knobs{};    // left to right: bits 3, 2, 1, 0

    static SwitchPicture compute(int width, int height, std::uint8_t liveMode);
};
