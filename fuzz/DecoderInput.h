#pragma once

#include "ControlStates.h"
#include "ControllerMirror.h"
#include "FuzzInput.h"

// Sets a mirror and window states up from the front of a decoder harness's input and puts the
// rest into RxBuffer as a body of the chosen length. Bytes of RxBuffer past the input keep a
// fixed filler, as stale bytes of an earlier frame would.
struct DecoderInput {
    ControllerMirror mirror;
    ControlStates states;
    int bodyLength = 0;

    explicit DecoderInput(FuzzInput& in) {
        const std::uint8_t a = in.byte();
        const std::uint8_t b = in.byte();
        states.CheckBoxOn = (a & 0x01) != 0;
        states.CheckBoxBG = (a & 0x02) != 0;
        states.CheckBoxTp = (a & 0x04) != 0;
        states.PanelMapyVisible = (a & 0x08) != 0;
        states.PanelRightVisible = (a & 0x10) != 0;
        states.MapChartExists = (a & 0x20) != 0;
        states.InfoWindowExists = (a & 0x40) != 0;
        states.ParametersPageCurrent = (a & 0x80) != 0;
        states.UpDownGMP = b;
        states.RGMapa = int(b % 4) - 1;
        states.InfoReportTag = (b >> 2) & 1;
        states.Image1Visible = (b & 0x08) != 0;
        mirror.LogFrames = (b & 0x10) != 0;
        mirror.OpcjeL = in.byte();
        mirror.OpcjeH = in.byte();
        mirror.Zworki = in.byte();
        mirror.LiveMode = in.byte();
        mirror.IdentityState = in.flag() ? -1 : 0;
        mirror.LayoutRefreshDue = in.flag();
        // A body as the reader delivers it: LEN plus one for an odd code, checksum included.
        bodyLength = in.below(258);
        for (std::size_t i = 0; i < 300; ++i) {
            mirror.RxBuffer[i] = in.left() > 0 ? in.byte() : std::uint8_t(0xA5 ^ i);
        }
        mirror.TxBuffer[ControllerMirror::TxBufferSize - 1] = 0x5A;
        mirror.MapTable[0] = 0xC3;
    }

    void checkUntouched() const {
        FUZZ_CHECK(mirror.TxBuffer[ControllerMirror::TxBufferSize - 1] == 0x5A);
        FUZZ_CHECK(mirror.MapTable[0] == 0xC3);
        for (std::size_t i = 300; i < 400; ++i) {
            FUZZ_CHECK(mirror.RxBuffer[i] == 0); // decoders read the body, never write past it
        }
    }
};
