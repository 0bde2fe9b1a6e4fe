#pragma once

#include "SimLine.h"

#include <memory>

class MemoryWire;

// The controller's end of an in-memory wire. The wire lives as long as its last user, and is the
// same after a reopen, so a facade attached to it sees a hang-up and then the controller back.
class MemoryLine : public SimLine {
public:
    MemoryLine();
    ~MemoryLine() override;

    bool open() override;
    void close() override;
    QString errorString() const override { return {}; }
    std::shared_ptr<MemoryWire> wire() const override { return wire_; }

    QByteArray readAvailable() override;
    int write(const char* data, int count) override;
    Wake wait(Clock::time_point until, bool forInput) override;
    void stop() override;

private:
    std::shared_ptr<MemoryWire> wire_;
};
