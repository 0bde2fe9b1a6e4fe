#include "FrameCodec.h"

#include <QString>

quint8 FrameCodec::checksum(const QByteArray& bytes) {
    quint8 sum = 0;
    for (char c : bytes)
        sum = quint8(sum + quint8(c));
    return quint8(~sum + 1);
}

bool FrameCodec::sumIsZero(const QByteArray& frame) {
    return checksum(frame) == 0;
}

QByteArray FrameCodec::answer(quint8 requestCmd, const QByteArray& data, bool odd) {
    const bool useOdd = odd && !data.isEmpty();
    QByteArray f;
    f.reserve(data.size() + 4);
    f.append(char(0x55));
    f.append(char(useOdd ? data.size() - 1 : data.size()));
    f.append(char(useOdd ? (requestCmd | 1) : (requestCmd & 0xFE)));
    f.append(data);
    f.append(char(checksum(f)));
    return f;
}

QByteArray FrameCodec::request(quint8 cmd, const QByteArray& data) {
    QByteArray f;
    f.append(char(0x55));
    f.append(char(data.size()));
    f.append(char(cmd));
    f.append(data);
    f.append(char(checksum(f)));
    return f;
}

QString FrameCodec::hex(const QByteArray& bytes) {
    return QString::fromLatin1(bytes.toHex(' ').toUpper());
}
