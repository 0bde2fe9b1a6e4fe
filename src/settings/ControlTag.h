#pragma once

#include <QObject>
#include <cstdint>

// The packed Tag of a left-panel control: its setting number in bits 4..0 and its cell in the
// left-panel grid in the higher bits. Stored as the dynamic property "Tag" so that any widget
// can carry one; these helpers are the one way to read and write it.
namespace ControlTag {

void set(QObject* control, std::uint32_t tag);
std::uint32_t of(const QObject* control); // 0 when the control has none

inline int setting(std::uint32_t tag) {
    return static_cast<int>(tag & 31);
}
inline int column(std::uint32_t tag) {
    return static_cast<int>((tag >> 28) & 15);
}
inline int row(std::uint32_t tag) {
    return static_cast<int>((tag >> 24) & 15);
}
inline int offsetX(std::uint32_t tag) {
    return static_cast<int>((tag >> 20) & 15);
}
inline int offsetY(std::uint32_t tag) {
    return static_cast<int>((tag >> 16) & 15);
}
inline std::uint32_t style(std::uint32_t tag) {
    return tag & 0xF000;
}
// Only controls with a tag above 0xFFFF take part in the grid layout.
inline bool isLaidOut(std::uint32_t tag) {
    return tag > 0xFFFF;
}

inline constexpr std::uint32_t SmallFont = 0x1000;   // panels; half-row drop for radio groups
inline constexpr std::uint32_t SmallerFont = 0x2000; // panels
inline constexpr std::uint32_t DoubleWidth = 0x4000; // panels

} // namespace ControlTag
