#pragma once

#include <cstdint>

// Colours of the state panels as the controller's tools always wrote them: 0x00BBGGRR values.
// The window converts them through its one colour helper. Neutral means the button face.
struct StateColour {
    static constexpr std::uint32_t Good = 0x00FF00; // green (lime)
    static constexpr std::uint32_t Bad = 0x0000FF;  // red, in blue-green-red order

    static constexpr std::uint32_t of(bool good) { return good ? Good : Bad; }
};
