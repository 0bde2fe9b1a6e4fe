#pragma once

#include "SerialLink.h"

#include <QByteArray>
#include <deque>
#include <vector>

// An in-memory serial link for the benchmarks. Bytes are either waiting at once (load) or
// become waiting at a wall-clock time after arm() (deliverAfter), so that the real waits of the
// response reader can be timed against an answer placed exactly where the benchmark wants it.
// Written requests are counted and dropped.
class MemoryLink : public SerialLink {
public:
    bool SerialConnected() override { return true; }
    int SerialInQueCount() override;
    int SerialRead(std::uint8_t* buffer, int count) override;
    int SerialWrite(const std::uint8_t* buffer, int count) override;

    void load(const std::uint8_t* bytes, int count);
    void load(const QByteArray& bytes);
    void clear();

    // Starts the wall clock that deliverAfter() counts from.
    void arm();
    void deliverAfter(double ms, const QByteArray& bytes);

    long long writes = 0;

private:
    void release();

    struct Scheduled {
        double atMs;
        QByteArray bytes;
    };
    std::deque<std::uint8_t> input_;
    std::vector<Scheduled> scheduled_;
    double armedAtMs_ = 0.0;
};
