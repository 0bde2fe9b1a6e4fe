#pragma once

#include "LiveView.h"

struct ControllerMirror;
class LangSource;
struct ControlStates;

// Decodes a live frame (body in RxBuffer) into the mirror and a view for the window.
// `bodyLength` selects the compatibility forms: 20 bytes carry the reset counter in byte 12,
// 19 bytes carry the variator flag in byte 1 bit 4. Replayed records pass 0 (no variants).
class LiveDecoder {
public:
    static LiveView Decode(ControllerMirror& mirror, int bodyLength, const LangSource& lang,
                           const ControlStates& states);
};
