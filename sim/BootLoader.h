#pragma once

#include "ModelInfo.h"
#include "RequestParser.h"
#include "SimConfig.h"

#include <QByteArray>

#include <random>

// The controller's boot loader. It answers the listen request (55 00 50 5B) with an empty
// frame, its identity with a 10-byte body, and runs the block transfer: after the start
// request (00 00 00 hi lo, the block count C) it asks for blocks 0, 1, ..., C-1 in turn, each
// request carrying a fresh key word; a block frame that fails the checksum, the 01 marker, the
// length or the key rule is asked for again. Blocks past the end of the program image are
// stored like any other (the PC sends zeros there). When all C blocks are in it reports
// status 7. The closing request 02 02 restarts the application firmware, unless the transfer
// is incomplete or a failed update is being simulated; then the loader stays.
// Not thread-safe; the owner serialises access.
class BootLoader {
public:
    static constexpr int kMaxBlocks = 1024;

    struct Reply {
        QByteArray answer;    // empty: not answered
        int extraDelayMs = 0; // flash-write time
        bool restartApplication = false;
        bool imageComplete = false;
    };

    BootLoader(const SimConfig& config, const ModelInfo& info);

    void enter(); // from the application (33 33) or at power-up
    Reply handle(const ReceivedFrame& frame);

    QByteArray image() const { return image_; }
    int completedTransfers() const { return completed_; }
    void setFailUpdate(bool fail) { failUpdate_ = fail; }
    quint8 marker() const { return marker_; }
    int baseBlocks() const { return 2 * config_.loaderBase / 16; }

    // Undo the PC's scrambling of one block: the swaps of bytes 0/3 and 2/9, then the XOR
    // chain seeded with the key byte.
    static QByteArray descramble(const QByteArray& block16, quint8 key);

private:
    QByteArray blockRequest(quint8 status, int block);
    bool keyAccepted(quint8 key) const;

    SimConfig config_;
    ModelInfo info_;
    std::mt19937 rng_;
    bool failUpdate_ = false;
    quint8 marker_ = 0;
    bool transferring_ = false;
    bool lastTransferComplete_ = false;
    int count_ = 0;
    int next_ = 0;
    quint16 keyWord_ = 0;
    QByteArray image_;
    int completed_ = 0;
};
