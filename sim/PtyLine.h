#pragma once

#include <QByteArray>
#include <QString>

// The controller's end of the line: the master side of a pseudo-terminal. The slave side is put
// into raw mode (no echo, no line editing, no CR/LF translation) before anyone opens it, and we
// keep one slave descriptor of our own open so that the master never sees a hang-up while a
// client closes and reopens the port.
class PtyLine {
public:
    PtyLine() = default;
    ~PtyLine();
    PtyLine(const PtyLine&) = delete;
    PtyLine& operator=(const PtyLine&) = delete;

    bool open();
    void close();
    bool isOpen() const { return master_ >= 0; }
    int masterFd() const { return master_; }
    QString slavePath() const { return slavePath_; }
    QString errorString() const { return error_; }

    // Non-blocking; returns the bytes read, empty when none are waiting or on error.
    QByteArray readAvailable();
    // Writes what the pty takes; bytes nobody reads are dropped once its buffer is full,
    // as they would be on a cable with no one at the other end.
    int write(const char* data, int count);

private:
    int master_ = -1;
    int slave_ = -1;
    QString slavePath_;
    QString error_;
};
