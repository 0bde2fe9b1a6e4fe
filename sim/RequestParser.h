#pragma once

#include <QByteArray>
#include <QtGlobal>

#include <chrono>
#include <optional>

// A request as the controller's receiver assembled it from the line.
struct ReceivedFrame {
    quint8 cmd = 0;
    QByteArray data; // LEN bytes
    QByteArray raw;  // the whole frame as received
    bool checksumOk = false;
    std::chrono::steady_clock::time_point completeAt; // arrival of the last byte
};

// Byte-stream receiver of the controller: skips anything until a 0x55, then takes LEN, CMD,
// LEN data bytes and the checksum. A pause of more than `gapLimit` inside a frame drops the
// partial frame, the way the controller's receive timeout resynchronises after line noise.
class RequestParser {
public:
    using Clock = std::chrono::steady_clock;
    static constexpr std::chrono::milliseconds gapLimit{30};

    std::optional<ReceivedFrame> feed(quint8 byte, Clock::time_point arrival);
    void reset();
    bool midFrame() const { return !buffer_.isEmpty(); }
    Clock::time_point lastByteAt() const { return lastAt_; }
    quint64 droppedBytes() const { return dropped_; }

private:
    QByteArray buffer_;
    Clock::time_point lastAt_{};
    quint64 dropped_ = 0;
};
