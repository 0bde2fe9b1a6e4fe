#include "BootLoader.h"

#include "FrameCodec.h"

#include <algorithm>
#include <utility>

BootLoader::BootLoader(const SimConfig& config, const ModelInfo& info)
    : config_(config), info_(info), rng_(config.seed ^ 0x6C6F6164u), failUpdate_(config.failUpdate),
      marker_(config.loaderMarker) {}

void BootLoader::enter() {
    transferring_ = false;
    lastTransferComplete_ = false;
}

QByteArray BootLoader::descramble(const QByteArray& block16, quint8 key) {
    QByteArray b = block16;
    std::swap(b[2], b[9]);
    std::swap(b[0], b[3]);
    quint8 c = key;
    for (int i = 0; i < b.size(); ++i) {
        const quint8 plain = quint8(b[i]) ^ c;
        b[i] = char(plain);
        c = plain;
    }
    return b;
}

QByteArray BootLoader::blockRequest(quint8 status, int block) {
    keyWord_ = quint16(rng_());
    QByteArray d;
    d.append(char(0x01));
    d.append(char(status));
    d.append(char(keyWord_ >> 8));
    d.append(char(keyWord_ & 0xFF));
    d.append(char(block >> 8));
    d.append(char(block & 0xFF));
    return FrameCodec::answer(0x54, d, false);
}

bool BootLoader::keyAccepted(quint8 key) const {
    const int sum = int(key) - next_ + int(keyWord_) * baseBlocks();
    return ((sum % 8) + 8) % 8 == 0;
}

BootLoader::Reply BootLoader::handle(const ReceivedFrame& frame) {
    Reply r;
    const QByteArray& d = frame.data;
    const bool isStart = d.size() == 5 && d.startsWith(QByteArray(3, 0));
    const bool isClose = d == QByteArray("\x02\x02");
    // During a transfer every other service frame is taken for a block: if it is damaged
    // (checksum, marker, length, key) the block is simply asked for again.
    const bool isBlock = frame.cmd == 0x54 && transferring_ && !isStart && !isClose;
    if (!frame.checksumOk && !isBlock)
        return r;

    if (frame.cmd == 0x50 && d.isEmpty()) {
        r.answer = FrameCodec::answer(0x50, {}, false);
    } else if (frame.cmd == 0x52 && d.isEmpty()) {
        QByteArray id(9, 0);
        id[0] = char(info_.plytka);
        id[1] = char(info_.model);
        id[2] = char(info_.montaz);
        id[3] = char(info_.zworki);
        id[4] = char(config_.loaderVersion);
        id[5] = char(config_.loaderBase >> 8);
        id[6] = char(config_.loaderBase & 0xFF);
        id[8] = char(marker_);
        r.answer = FrameCodec::answer(0x52, id, false);
    } else if (frame.cmd == 0x54 && isStart) {
        const int count = quint8(d[3]) << 8 | quint8(d[4]);
        if (count < 1 || count > kMaxBlocks) {
            transferring_ = false;
            r.answer = blockRequest(0x01, 0); // refused: neither 3 nor 7
            return r;
        }
        transferring_ = true;
        lastTransferComplete_ = false;
        marker_ = 0; // programming started, not finished
        count_ = count;
        next_ = 0;
        image_ = QByteArray(count * 16, 0);
        r.answer = blockRequest(0x03, next_);
    } else if (isBlock) {
        const bool good =
            frame.checksumOk && d.size() == 19 && quint8(d[0]) == 0x01 && keyAccepted(quint8(d[1]));
        if (good) {
            image_.replace(next_ * 16, 16, descramble(d.mid(2, 16), quint8(d[1])));
            r.extraDelayMs = config_.flashWriteMs;
            ++next_;
        }
        if (next_ < count_) {
            r.answer = blockRequest(0x03, next_); // the same block again after a bad frame
        } else {
            transferring_ = false;
            lastTransferComplete_ = true;
            marker_ = 3;
            ++completed_;
            r.imageComplete = true;
            // The PC takes any block number from 1024 on as a failure, even with status 7:
            // a transfer of the largest image (1024 blocks) must end on block 1023.
            r.answer = blockRequest(0x07, std::min(next_, kMaxBlocks - 1));
        }
    } else if (frame.cmd == 0x54 && isClose) {
        transferring_ = false;
        if (lastTransferComplete_ && failUpdate_)
            marker_ = 1; // finished with an error
        r.restartApplication = lastTransferComplete_ && !failUpdate_;
    }
    return r;
}
