#pragma once

#include <vector>

// Watches every wait of the protocol: installed as the event pump's sleep hook, it notes the
// requested length and then really sleeps, so timing stays real and each wait is accounted for.
class WaitRecorder {
public:
    static void install();
    static void uninstall();
    static void reset();
    static const std::vector<int>& waits(); // requested milliseconds, in order
    static int totalMs();

private:
    static void hook(int ms);
    static std::vector<int> waits_;
};
