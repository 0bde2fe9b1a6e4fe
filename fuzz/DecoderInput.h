#pragma once

#include "ControlStates.h"
#include "ControllerMirror.h"
#include "FuzzInput.h"

#include <array>
#include <cstring>

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
        // Copied, not taken byte by byte: a loop here would be instrumented like the decoder.
        const std::uint8_t* body = nullptr;
        const std::size_t n = in.take(BodyBytes, &body);
        if (n > 0) {
            std::memcpy(mirror.RxBuffer.data(), body, n);
        }
        std::memcpy(mirror.RxBuffer.data() + n, filler().data() + n, BodyBytes - n);
        mirror.TxBuffer[ControllerMirror::TxBufferSize - 1] = 0x5A;
        mirror.MapTable[0] = 0xC3;
    }

    void checkUntouched() const {
        FUZZ_CHECK(mirror.TxBuffer[ControllerMirror::TxBufferSize - 1] == 0x5A);
        FUZZ_CHECK(mirror.MapTable[0] == 0xC3);
        // Decoders read the body, never write past it.
        static const std::array<std::uint8_t, 100> zeros{};
        FUZZ_CHECK(std::memcmp(mirror.RxBuffer.data() + BodyBytes, zeros.data(), 100) == 0);
    }

    // The most the decoders can read: the longest body and its stale tail.
    static constexpr std::size_t BodyBytes = 300;
    // The control bytes taken before the body.
    static constexpr std::size_t ControlBytes = 9;

private:
    static const std::array<std::uint8_t, BodyBytes>& filler() {
        static const std::array<std::uint8_t, BodyBytes> bytes = [] {
            std::array<std::uint8_t, BodyBytes> b{};
            for (std::size_t i = 0; i < BodyBytes; ++i) {
                b[i] = std::uint8_t(0xA5 ^ i);
            }
            return b;
        }();
        return bytes;
    }
};
