#pragma once

#include <chrono>

// Wall-clock time for the benchmarks: steady, in milliseconds or nanoseconds as doubles.
class BenchClock {
public:
    BenchClock() : start_(std::chrono::steady_clock::now()) {}
    void restart() { start_ = std::chrono::steady_clock::now(); }
    double elapsedMs() const {
        return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start_)
            .count();
    }
    double elapsedNs() const {
        return std::chrono::duration<double, std::nano>(std::chrono::steady_clock::now() - start_)
            .count();
    }

private:
    std::chrono::steady_clock::time_point start_;
};
