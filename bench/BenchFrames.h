#pragma once

#include <QByteArray>
#include <vector>

// Controller answers built by hand for the in-memory benchmarks: 0x55, LEN, CMD, data, and the
// checksum that makes the 8-bit sum of the frame 0. Odd codes carry one data byte more than LEN.
class BenchFrames {
public:
    static QByteArray response(int cmd, const QByteArray& data);
    // `count` live answers (code 0x51, 20 data bytes) of a running engine on gas, varying engine
    // speed, throttle, load and map cell from frame to frame; the mode byte stays the same.
    static std::vector<QByteArray> liveFrames(int count);
    // The settings answer (0x57) with 19 settings.
    static QByteArray settingsFrame();
    // The whole-map answer (0x5B, F0 10 03 read): 240 cells.
    static QByteArray mapFrame();
};
