#pragma once

#include <QByteArray>
#include <QtGlobal>

// The controller's side of the frame rules, written independently of the program's protocol
// code. A frame is 0x55, LEN, CMD, data, CHK; the 8-bit sum of all its bytes is 0. A request
// carries LEN data bytes; an answer with an odd CMD carries LEN + 1.
class FrameCodec {
public:
    static quint8 checksum(const QByteArray& bytes); // makes the sum of bytes + result 0
    static bool sumIsZero(const QByteArray& frame);

    // Builds an answer to the request code `requestCmd` (even). With `odd` the code is
    // requestCmd + 1 and LEN is one less than the data length; an answer without data always
    // uses the even code, since LEN cannot go below 0.
    static QByteArray answer(quint8 requestCmd, const QByteArray& data, bool odd);
    static QByteArray request(quint8 cmd, const QByteArray& data);

    // "55 00 50 5B"
    static QString hex(const QByteArray& bytes);
};
