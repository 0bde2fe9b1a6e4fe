#pragma once

// While one lives, the system's sleeps are as fine as it can make them: the simulator paces its
// answers a byte (about 1.04 ms) at a time. Linux sleeps that finely anyway; Windows ticks every
// 15.6 ms unless asked for 1 ms, which the program's own COM port asks for while it is open.
class FineTimer {
public:
    FineTimer();
    ~FineTimer();
    FineTimer(const FineTimer&) = delete;
    FineTimer& operator=(const FineTimer&) = delete;

private:
    [[maybe_unused]] bool raised_ = false;
};
