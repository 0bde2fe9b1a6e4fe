#include "RequestParser.h"

#include "FrameCodec.h"

std::optional<ReceivedFrame> RequestParser::feed(quint8 byte, Clock::time_point arrival) {
    if (!buffer_.isEmpty() && arrival - lastAt_ > gapLimit) {
        dropped_ += quint64(buffer_.size());
        buffer_.clear();
    }
    lastAt_ = arrival;
    if (buffer_.isEmpty() && byte != 0x55) {
        ++dropped_;
        return std::nullopt;
    }
    buffer_.append(char(byte));
    if (buffer_.size() < 3)
        return std::nullopt;
    const int len = quint8(buffer_[1]);
    if (buffer_.size() < len + 4)
        return std::nullopt;

    ReceivedFrame f;
    f.cmd = quint8(buffer_[2]);
    f.data = buffer_.mid(3, len);
    f.raw = buffer_;
    f.checksumOk = FrameCodec::sumIsZero(buffer_);
    f.completeAt = arrival;
    buffer_.clear();
    return f;
}

void RequestParser::reset() {
    buffer_.clear();
}
