#include "ControllerFrame.h"

#include "NumberText.h"

std::uint8_t ControllerFrame::checksum(const std::uint8_t* bytes, int count) {
    std::uint8_t sum = 0;
    for (int i = 0; i < count; ++i) {
        sum = static_cast<std::uint8_t>(sum + bytes[i]);
    }
    return static_cast<std::uint8_t>(~sum + 1);
}

bool ControllerFrame::bodyValid(std::uint8_t len, std::uint8_t cmd, const std::uint8_t* body,
                                int bodyLength) {
    std::uint8_t sum = static_cast<std::uint8_t>(Header + len + cmd);
    for (int i = 0; i < bodyLength; ++i) {
        sum = static_cast<std::uint8_t>(sum + body[i]);
    }
    return sum == 0;
}

namespace {

// Appends " XX" for a byte; the line is built in place, one allocation for the whole line.
void appendByte(QChar*& out, std::uint8_t value) {
    *out++ = u' ';
    QConcatenable<NumberText>::appendTo(NumberText::hex2(value), out);
}

} // namespace

QString ControllerFrame::hex2(std::uint8_t value) {
    const NumberText digits = NumberText::hex2(value);
    return QString::fromLatin1(digits.data(), digits.size());
}

QString ControllerFrame::logLine(const char* prefix, const std::uint8_t header[3],
                                 const std::uint8_t* data, int dataCount, std::uint8_t checksum) {
    const QLatin1String start(prefix);
    const int count = dataCount > 0 ? dataCount : 0;
    // prefix, three header bytes, " -", the data bytes, " -" and the checksum.
    QString line(start.size() + 3 * 3 + 2 + 3 * count + 2 + 3, Qt::Uninitialized);
    QChar* out = line.data();
    for (const char c : start) {
        *out++ = QLatin1Char(c);
    }
    for (int i = 0; i < 3; ++i) {
        appendByte(out, header[i]);
    }
    *out++ = u' ';
    *out++ = u'-';
    for (int i = 0; i < count; ++i) {
        appendByte(out, data[i]);
    }
    *out++ = u' ';
    *out++ = u'-';
    appendByte(out, checksum);
    return line;
}
