#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

// The PC end of the line for the simulator tests: a raw pty client with bounded waits.
class SimTestClient {
public:
    explicit SimTestClient(const QString& path);
    ~SimTestClient();
    SimTestClient(const SimTestClient&) = delete;
    SimTestClient& operator=(const SimTestClient&) = delete;

    bool isOpen() const { return fd_ >= 0; }
    int fd() const { return fd_; }
    void send(const QByteArray& bytes);
    // One answer by the receiver's length rule: header, then LEN + (CMD & 1) + 1 body bytes.
    // Empty when nothing (or not enough) arrives within timeoutMs.
    QByteArray readFrame(int timeoutMs = 1000);
    QByteArray exchange(const QByteArray& request, int timeoutMs = 1000);
    // `count` bytes (fewer if they do not come within timeoutMs), then whatever else follows
    // before the line has been quiet for quietMs.
    QByteArray readBytes(int count, int timeoutMs = 2000, int quietMs = 20);
    // Everything that arrives until the line has been quiet for quietMs.
    QByteArray readUntilQuiet(int quietMs);
    // Waits for the far end to close the line.
    bool waitForHangUp(int timeoutMs);

    // A request frame with its checksum, built here independently of the simulator.
    static QByteArray request(int cmd, const QByteArray& data = {});
    static bool sumIsZero(const QByteArray& frame);
    // The 8-bit two's complement that makes the sum of `bytes` and itself 0.
    static char checksumOf(const QByteArray& bytes);
    // The PC's firmware block frame: key byte, the block XOR-chained from the key, two swaps,
    // a filler byte. Key and filler are drawn afresh on every call.
    static QByteArray blockFrame(const QByteArray& image, int block, int keyWord, int baseBlocks);

private:
    bool readExactly(QByteArray& into, int count, int timeoutMs);
    QByteArray pending_;
    int fd_ = -1;
};
