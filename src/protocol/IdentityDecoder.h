#pragma once

#include "IdentityResult.h"

#include <QString>

struct ControllerMirror;
class LangSource;
struct ControlStates;

// Decodes the identity response (body in RxBuffer). A 10-byte body comes from the boot loader
// (the firmware is missing or damaged); any other length from the working firmware.
// `rxLogLine` is the frame's "Rx:" line, copied into the report when LogFrames is on.
class IdentityDecoder {
public:
    // The level of this PC program; a controller needing more gets the newer-program message.
    static constexpr int PcLevel = 2;
    static constexpr const char* ProgramName = "Orvex";
    static constexpr const char* ProgramVersion = " V1.03";

    static IdentityResult Decode(ControllerMirror& mirror, int bodyLength, const QString& rxLogLine,
                                 const LangSource& lang, const ControlStates& states);

private:
    static IdentityResult decodeLoader(ControllerMirror& mirror, const QString& rxLogLine,
                                       const LangSource& lang, const ControlStates& states);
    static IdentityResult decodeApplication(ControllerMirror& mirror, const QString& rxLogLine,
                                            const LangSource& lang, const ControlStates& states);
};
