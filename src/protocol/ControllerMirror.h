#pragma once

#include "HeldWrites.h"
#include "LinkHealth.h"
#include "MapWriteCheck.h"

#include <array>
#include <cstdint>

// The program's picture of the connected controller: link buffers, the last settings the
// controller reported, the ignition map, its identity, the live values that matter beyond one
// frame and the small state words through which user edits reach the controller.
//
// How the window uses it: TForm1 owns exactly one instance (a member, zero-filled at
// construction like every other field of the window). Edits never talk to the controller
// directly; they only set fields that the next poll ticks serve:
//   - a setting edit:  SettingValue = value; SettingIndex = k;            (k = setting number)
//   - a fresh read:    IdentityState = 0; SettingIndex = 0;              (optionally RxBuffer
//                      first 256 bytes to 0, see clearRxHead())
//   - a map edit:      write MapTable bytes, set MapWriteFirst/MapWriteLast (or leave an
//                      invalid range for the whole map), PendingWrites |= PW_MAP_WRITE
//   - defaults / clear map: PendingWrites |= PW_DEFAULTS / PW_CLEAR_MAP
// Everything runs on the window's thread; no field needs a lock.
struct ControllerMirror {
    static constexpr int RxBufferSize = 8192;
    static constexpr int TxBufferSize = 1024;
    static constexpr int SettingsImageSize = 32;
    static constexpr int MapTableSize = 272; // 16 columns of 17 bytes, see MapCells.h

    // Link buffers. RxBuffer holds the body of the last response read (data from index 0, then
    // the checksum), a replayed 16-byte record, or input drained before a request.
    std::array<std::uint8_t, RxBufferSize> RxBuffer{};
    std::array<std::uint8_t, TxBufferSize> TxBuffer{};

    // Bytes 0..15 of the last settings response data (count N, then settings 0..14), the rest
    // 0xFF. Map files and recordings store it.
    std::array<std::uint8_t, SettingsImageSize> SettingsImage{};

    // Ignition map: byte of column c, row r at c*17 + r; cells are columns 1..15, rows 1..16.
    std::array<std::uint8_t, MapTableSize> MapTable{};

    // Identity (from the identity response).
    std::uint32_t DeviceId = 0;      // board << 24 | model << 16 | fitting << 8 | jumpers
    std::uint32_t DeviceVersion = 0; // a << 24 | b << 16 | c << 8 | d; 0 in the boot loader
    std::uint8_t Zworki = 0;         // jumpers; bit7: input measured peak-to-peak (x3)
    std::uint8_t OpcjeL = 0;         // bit0..3: relay, shift, camshaft, fuel switch present
    std::uint8_t OpcjeH = 0;         // bit0 PC configuration possible, bit2 map, bit3 pulse check,
                                     // bit7 rise/fall times

    // Link and poll state.
    int LinkCounter = 0; // +1 per request built, 0 per valid response, 17 while port closed
    bool PollToggle = false;
    int HoldOff = 0;                 // poll ticks still to skip
    int IdentityState = 0;           // 0 = identity must be requested, -1 = known
    int SettingIndex = 0;            // 0 = read all, k > 0 = write setting k, -1 = settings in step
    int SettingValue = 0;            // value for the pending setting write; its low byte is sent
    std::uint32_t PendingWrites = 0; // PW_* bits, see PendingWrites.h
    int MapWriteFirst = 0;
    int MapWriteLast = 0;
    bool LogFrames = false; // show frames as "Tx:"/"Rx:" hexadecimal lines
    LinkHealth Health;      // counted by the poll cycle, shown in the status bar

    // Live values that matter beyond one frame.
    std::uint8_t LiveStatus = 0; // live byte 0; bit2 = engine running (programming refuses)
    std::uint8_t LiveMode = 0;   // live byte 1; 255 after a loss forces the layout refresh
    // Set by every identity (and a loss): the next live frame rebuilds the configuration-
    // dependent layout even when its mode byte equals LiveMode (0 after an identity).
    bool LayoutRefreshDue = false;
    std::uint8_t LiveCell = 0;  // map cell of the last live frame (column << 4 | row - 1)
    bool PcConfig = false;      // configured from the PC (shapes the left panel)
    float RevsPerSecond = 0.0F; // engine speed of the last live frame; 0 when not valid
    int ImpulseErrorCount = 0;  // grows while pulses are present but not confirmed

    // The user's setting edits and the map as the controller confirmed them.
    // SettingEdits counts the writes the user queued; the poll cycle notes it in
    // SettingEditsSent with every settings request, so that an answer can tell an edit made
    // while it was on its way (still to be sent) from the one it answers.
    std::uint32_t SettingEdits = 0;
    std::uint32_t SettingEditsSent = 0;
    // True once a map answer of the controller filled MapTable after its identity; until then
    // the map grid neither edits nor writes cells (they would be values never read).
    bool MapTableRead = false;
    // The map cells written and not yet seen in the controller's answers.
    MapWriteCheck MapCheck;
    // The user's edits (settings and map cells) that the controller does not hold yet.
    HeldWrites Held;

    // A user's setting edit (replaces one not sent yet).
    void queueSettingWrite(int index, int value) {
        SettingValue = value;
        SettingIndex = index;
        ++SettingEdits;
    }
    // Asks for all settings again, unless a user's write still waits: that write goes first,
    // and its answer carries all settings as well.
    void requestSettingsRead() {
        if (SettingIndex <= 0) {
            SettingIndex = 0;
        }
    }

    // Drops stale values: the first 256 bytes of RxBuffer to 0.
    void clearRxHead() {
        for (int i = 0; i < 256; ++i) {
            RxBuffer[static_cast<std::size_t>(i)] = 0;
        }
    }
};
