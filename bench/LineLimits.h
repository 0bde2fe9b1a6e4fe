#pragma once

// What the 9600 bit/s line allows at best, the yardstick of the rate figures: ten bits a byte
// (start, eight data bits, stop), so 960 bytes a second.
namespace LineLimits {

constexpr double BytesPerSecond = 9600.0 / 10.0;

inline double lineMs(int bytes) {
    return bytes * 1000.0 / BytesPerSecond;
}

// Live frames a second: the live request is 4 bytes and its answer 24 (29.17 ms on the line),
// and the poll timer waits its 100 ms interval after each exchange: 7.742 frames a second.
inline double liveFramesPerSecond() {
    return 1000.0 / (100.0 + lineMs(4 + 24));
}

// Firmware blocks a second: per block the PC sends 23 bytes and the loader answers with 10,
// plus the loader's flash write and its reply latency.
inline double firmwareBlocksPerSecond(int flashWriteMs, int replyLatencyMs) {
    return 1000.0 / (lineMs(23 + 10) + flashWriteMs + replyLatencyMs);
}

} // namespace LineLimits
