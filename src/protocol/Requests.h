#pragma once

#include "SentFrame.h"

#include <cstdint>

struct ControllerMirror;
class SerialLink;

// Building and sending requests. Both operations add one to LinkCounter, build the frame in
// TxBuffer from its first byte, drain whatever input is waiting into RxBuffer (so that a late
// answer is never taken for the answer to this request), write the frame and never report a
// transport failure: a lost request shows only as a missing answer.
//
// The window calls them for its keyboard commands (e.g. the service text: SendRequest(m, link,
// CMD_SERVICE, 2, 0x5E, 0x5E) then ReadResponse); the poll cycle calls them itself.

// A request with `dataLength` (clamped to 0..5) of the data bytes d0..d4.
SentFrame SendRequest(ControllerMirror& mirror, SerialLink& link, std::uint8_t command,
                      int dataLength = 0, std::uint8_t d0 = 0, std::uint8_t d1 = 0,
                      std::uint8_t d2 = 0, std::uint8_t d3 = 0, std::uint8_t d4 = 0);

// The map block write (0x5C) of cells MapWriteFirst..MapWriteLast. An invalid range becomes the
// whole map (0..239) and is kept in the mirror. `length` is the frame length (247 for the
// whole map); the poll cycle holds off length / 32 ticks.
SentFrame SendMapBlock(ControllerMirror& mirror, SerialLink& link);

// Reads every waiting byte into RxBuffer (in buffer-sized pieces) and drops it.
void DrainInput(ControllerMirror& mirror, SerialLink& link);
