#pragma once

#include "ResponseResult.h"

#include <cstdint>

struct ControllerMirror;
class SerialLink;
class LangSource;
struct ControlStates;

// Reads one answer of the controller and decodes it into the mirror and a result for the
// window. With replayCommand 0 it waits through EventPump, as long as the controller's answer
// may take and no longer: up to three 16 ms waits for the header (4 bytes waiting), then up to
// two waits of B ms for a body of B bytes, counted from the 16 ms look that would have found the
// header. Each part is taken as soon as its bytes are there, and the window's events are
// processed throughout. With 0x50 or 0x56 the 16-byte record already in RxBuffer is decoded as a
// live or settings frame without a checksum test (replay).
//
// The window's own exchanges use it the same way as the poll cycle, e.g. the service text:
//     SendRequest(mirror, *Serial1, CMD_SERVICE, 2, SERVICE_TEXT, SERVICE_TEXT);
//     apply(ReadResponse(mirror, *Serial1, lang, currentControlStates()));
// and replay: copy the 16-byte record into RxBuffer, then ReadResponse(..., 0x50 or 0x56).
ResponseResult ReadResponse(ControllerMirror& mirror, SerialLink& link, const LangSource& lang,
                            const ControlStates& states, std::uint8_t replayCommand = 0);
