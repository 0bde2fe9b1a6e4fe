#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

// Takes a fuzzer's input apart from the front: control bytes first, the rest as payload.
// Reading past the end yields zeros, so every input is a complete case.
class FuzzInput {
public:
    FuzzInput(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

    std::uint8_t byte() { return pos_ < size_ ? data_[pos_++] : 0; }
    int below(int n) { return n <= 0 ? 0 : byte() % n; }
    bool flag() { return (byte() & 1) != 0; }
    std::size_t left() const { return size_ - pos_; }
    const std::uint8_t* rest() const { return data_ + pos_; }
    // Up to n bytes of payload (fewer at the end).
    std::size_t take(std::size_t n, const std::uint8_t** out) {
        if (n > left()) {
            n = left();
        }
        *out = data_ + pos_;
        pos_ += n;
        return n;
    }

private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t pos_ = 0;
};

// A broken invariant is a finding: say which and stop, so the fuzzer keeps the input.
#define FUZZ_CHECK(cond)                                                                           \
    do {                                                                                           \
        if (!(cond)) {                                                                             \
            std::fprintf(stderr, "%s:%d: invariant broken: %s\n", __FILE__, __LINE__, #cond);      \
            std::abort();                                                                          \
        }                                                                                          \
    } while (false)
