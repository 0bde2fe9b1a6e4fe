#pragma once

#include "MapUpdate.h"

#include <cstdint>

struct ControllerMirror;

// Decodes the map frames (body in RxBuffer) into MapTable and a list of cell updates.
// Only cells that exist (0..239) and whose byte lies inside the received body are taken: a
// count or first cell that reaches past either is cut short instead of writing outside the
// map or taking stale bytes for cells.
class MapDecoder {
public:
    // Map contents: count n, 0x10, 0x03, then n cell bytes from cell 0.
    static MapUpdate DecodeContents(ControllerMirror& mirror, int bodyLength);
    // Map-write acknowledgement: count n, 0x01, first cell f, then the cell values at their
    // position counted from cell 0 (cell a at data byte 3 + a).
    static MapUpdate DecodeAcknowledgement(ControllerMirror& mirror, int bodyLength);

    static MapCellUpdate storeCell(ControllerMirror& mirror, int cell, std::uint8_t value);
};
