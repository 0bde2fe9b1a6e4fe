#include "ControllerFrame.h"

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

QString ControllerFrame::hex2(std::uint8_t value) {
    return QStringLiteral("%1").arg(value, 2, 16, QLatin1Char('0')).toUpper();
}

QString ControllerFrame::logLine(const char* prefix, const std::uint8_t header[3],
                                 const std::uint8_t* data, int dataCount, std::uint8_t checksum) {
    QString line = QString::fromLatin1(prefix);
    for (int i = 0; i < 3; ++i) {
        line += QLatin1Char(' ') + hex2(header[i]);
    }
    line += QStringLiteral(" -");
    for (int i = 0; i < dataCount; ++i) {
        line += QLatin1Char(' ') + hex2(data[i]);
    }
    line += QStringLiteral(" - ") + hex2(checksum);
    return line;
}
