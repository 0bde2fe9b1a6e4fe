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
    void send(const QByteArray& bytes);
    // One answer by the receiver's length rule: header, then LEN + (CMD & 1) + 1 body bytes.
    // Empty when nothing (or not enough) arrives within timeoutMs.
    QByteArray readFrame(int timeoutMs = 1000);
    QByteArray exchange(const QByteArray& request, int timeoutMs = 1000);
    // Everything that arrives until the line has been quiet for quietMs.
    QByteArray readUntilQuiet(int quietMs);
    // Waits for the far end to close the line.
    bool waitForHangUp(int timeoutMs);

    // A request frame with its checksum, built here independently of the simulator.
    static QByteArray request(int cmd, const QByteArray& data = {});
    static bool sumIsZero(const QByteArray& frame);

private:
    bool readExactly(QByteArray& into, int count, int timeoutMs);
    QByteArray pending_;
    int fd_ = -1;
};
