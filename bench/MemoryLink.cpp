#include "MemoryLink.h"

#include <algorithm>
#include <chrono>

namespace {
double wallMs() {
    return std::chrono::duration<double, std::milli>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}
} // namespace

void MemoryLink::release() {
    if (scheduled_.empty()) {
        return;
    }
    const double now = wallMs() - armedAtMs_;
    auto due = std::stable_partition(scheduled_.begin(), scheduled_.end(),
                                     [now](const Scheduled& s) { return s.atMs <= now; });
    for (auto it = scheduled_.begin(); it != due; ++it) {
        input_.insert(input_.end(), it->bytes.begin(), it->bytes.end());
    }
    scheduled_.erase(scheduled_.begin(), due);
}

int MemoryLink::SerialInQueCount() {
    release();
    return static_cast<int>(input_.size());
}

int MemoryLink::SerialRead(std::uint8_t* buffer, int count) {
    release();
    const int n = std::min(count, static_cast<int>(input_.size()));
    std::copy_n(input_.begin(), n, buffer);
    input_.erase(input_.begin(), input_.begin() + n);
    return n;
}

int MemoryLink::SerialWrite(const std::uint8_t* /*buffer*/, int count) {
    ++writes;
    return count;
}

void MemoryLink::load(const std::uint8_t* bytes, int count) {
    input_.insert(input_.end(), bytes, bytes + count);
}

void MemoryLink::load(const QByteArray& bytes) {
    input_.insert(input_.end(), bytes.begin(), bytes.end());
}

void MemoryLink::clear() {
    input_.clear();
    scheduled_.clear();
}

void MemoryLink::arm() {
    armedAtMs_ = wallMs();
}

void MemoryLink::deliverAfter(double ms, const QByteArray& bytes) {
    scheduled_.push_back({ms, bytes});
}
