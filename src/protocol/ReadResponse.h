#pragma once

#include "ResponseResult.h"

#include <cstdint>

struct ControllerMirror;
class SerialLink;
class LangSource;
struct ControlStates;

// Reads one answer of the controller and decodes it into the mirror and a result for the
// window. With replayCommand 0 it waits through EventPump (16 ms, then up to twice more 16 ms
// while fewer than 4 bytes wait; then at most two waits of B ms for a body of B bytes) and never
// longer. With 0x50 or 0x56 the 16-byte record already in RxBuffer is decoded as a live or
// settings frame without a checksum test (replay).
//
// The window's own exchanges use it the same way as the poll cycle, e.g. the service text:
//     SendRequest(mirror, *Serial1, CMD_SERVICE, 2, SERVICE_TEXT, SERVICE_TEXT);
//     apply(ReadResponse(mirror, *Serial1, lang, currentControlStates()));
// and replay: copy the 16-byte record into RxBuffer, then ReadResponse(..., 0x50 or 0x56).
ResponseResult ReadResponse(ControllerMirror& mirror, SerialLink& link, const LangSource& lang,
                            const ControlStates& states, std::uint8_t replayCommand = 0);
