#pragma once

#include "IdentityResult.h"
#include "LiveView.h"
#include "MapUpdate.h"
#include "SettingsView.h"

#include <QString>
#include <cstdint>
#include <optional>

// Everything one ReadResponse produced. At most one of the views is set (the one of the
// accepted frame); `logLine` is the "Rx:" line for the label OpisNastawy when LogFrames is on
// and a frame was read (even one that failed its checksum).
//
// How the window applies it: logLine to OpisNastawy; serviceCaption as the window caption;
// identity (IdentityResult.h); settings (SettingsView.h, then its report section); live
// (LiveView.h); map (MapUpdate.h). The mirror is already up to date when this returns.
struct ResponseResult {
    enum class Outcome {
        NoAnswer,    // fewer than 4 bytes within the three waits
        BadHeader,   // first byte not 0x55: waiting input dropped
        ShortBody,   // body incomplete after the two waits; the bytes stay queued
        BadChecksum, // read but invalid: no effect
        Ignored,     // unknown code or a map frame failing its extra condition
        Accepted,    // a handler took it (LinkCounter is 0)
    };
    Outcome outcome = Outcome::NoAnswer;
    std::uint8_t command = 0; // CMD of the frame read (bit 0 included)
    int bodyLength = 0;
    QString logLine;

    std::optional<LiveView> live;
    std::optional<IdentityResult> identity;
    std::optional<SettingsView> settings;
    std::optional<MapUpdate> map;
    std::optional<QString> serviceCaption; // the service text, as the window caption
};
