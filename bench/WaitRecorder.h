#pragma once

#include <vector>

// Watches every wait of the protocol: installed as the event pump's observer, it notes how long
// each wait lasted (timing stays real, and each wait is accounted for).
class WaitRecorder {
public:
    static void install();
    static void uninstall();
    static void reset();
    static const std::vector<int>& waits(); // milliseconds each wait lasted, in order
    static int totalMs();

private:
    static void waitEnded(int boundMs, int waitedMs);
    static std::vector<int> waits_;
};
