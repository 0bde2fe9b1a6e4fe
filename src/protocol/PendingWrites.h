#pragma once

#include <cstdint>

// Bits of ControllerMirror::PendingWrites: queued writes, served by the poll cycle in this
// order (defaults, clear map, map write, map read). A writer ORs its bit in; the poll cycle
// clears the one bit it serves just before sending.
enum PendingWrite : std::uint32_t {
    PW_DEFAULTS = 0x4000,  // restore the controller's default settings (service CC CC)
    PW_CLEAR_MAP = 0x0200, // clear the controller's ignition map (service C1 C1)
    PW_MAP_WRITE = 0x2000, // write MapWriteFirst..MapWriteLast of MapTable
    PW_MAP_READ = 0x0800,  // read the whole map (F0 10 03)
};
