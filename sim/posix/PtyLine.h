#pragma once

#include "SimLine.h"

// The controller's end of the line: the master side of a pseudo-terminal. The slave side is put
// into raw mode (no echo, no line editing, no CR/LF translation) before anyone opens it, and we
// keep one slave descriptor of our own open so that the master never sees a hang-up while a
// client closes and reopens the port. An eventfd beside the master ends the simulator's waits.
class PtyLine : public SimLine {
public:
    PtyLine() = default;
    ~PtyLine() override;
    PtyLine(const PtyLine&) = delete;
    PtyLine& operator=(const PtyLine&) = delete;

    bool open() override;
    void close() override;
    bool isOpen() const { return master_ >= 0; }
    int masterFd() const { return master_; }
    QString clientPath() const override { return slavePath_; }
    QString errorString() const override { return error_; }

    QByteArray readAvailable() override;
    int write(const char* data, int count) override;
    Wake wait(Clock::time_point until, bool forInput) override;
    void stop() override;

private:
    int master_ = -1;
    int slave_ = -1;
    int stop_ = -1;
    QString slavePath_;
    QString error_;
};
