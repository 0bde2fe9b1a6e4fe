#include "ScriptedLoader.h"

#include <algorithm>

QByteArray ScriptedLoader::frame(int cmd, const QByteArray& data) {
    QByteArray f;
    f.append(char(0x55));
    f.append(char(data.size()));
    f.append(char(cmd));
    f.append(data);
    quint8 sum = 0;
    for (char c : f)
        sum = quint8(sum + quint8(c));
    f.append(char(quint8(0x100 - sum)));
    return f;
}

QByteArray ScriptedLoader::blockRequest(quint8 status, int block) {
    key_ = quint16(key_ * 31 + 7);
    QByteArray d;
    d.append(char(0x01));
    d.append(char(status));
    d.append(char(key_ >> 8));
    d.append(char(key_ & 0xFF));
    d.append(char(block >> 8));
    d.append(char(block & 0xFF));
    QByteArray f = frame(0x54, d);
    if (block == badChecksumAtBlock && faultsLeft != 0) {
        f[f.size() - 1] = char(f[f.size() - 1] + 1);
        faultsLeft = std::max(-1, faultsLeft - 1);
    }
    if (block == lateAtBlock) {
        replyDelayMs = lateMs;
        lateAtBlock = -1;
    }
    return f;
}

QByteArray ScriptedLoader::answer(const QByteArray& r) {
    replyDelayMs = 2;
    const QByteArray data = r.mid(3, r.size() - 4);
    if (r.size() >= 3 && quint8(r[2]) == 0x50)
        return listenAnswer;
    if (r.size() >= 3 && quint8(r[2]) == 0x52) {
        if (!identityAnswered)
            return {};
        QByteArray id = identityBytes;
        id.append(char(version));
        id.append(char(base >> 8));
        id.append(char(base & 0xFF));
        id.append(char(0));
        id.append(char(1));
        return frame(0x52, id);
    }
    if (r.size() == 9 && data.startsWith(QByteArray(3, '\0'))) {
        announced = quint8(data[3]) << 8 | quint8(data[4]);
        next_ = 0;
        return silentFromBlock == 0 ? QByteArray() : blockRequest(serveStatus, 0);
    }
    if (data == QByteArray::fromHex("0202")) {
        closed = true;
        return {};
    }
    if (r.size() == 23) {
        blockFrames.append(r);
        keyWords.append(key_);
        ++next_;
        if (next_ >= announced)
            return blockRequest(endStatus, endBlock >= 0 ? endBlock : next_);
        if (silentFromBlock >= 0 && next_ >= silentFromBlock && faultsLeft != 0) {
            faultsLeft = std::max(-1, faultsLeft - 1);
            return {};
        }
        return blockRequest(serveStatus, next_);
    }
    return {};
}
