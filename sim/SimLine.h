#pragma once

#include "SimConfig.h"

#include <QByteArray>
#include <QString>

#include <chrono>
#include <memory>

class MemoryWire;

// The controller's end of the line, as the simulator's thread uses it.
class SimLine {
public:
    using Clock = std::chrono::steady_clock;
    enum class Wake { Input, Time, Stop };

    virtual ~SimLine() = default;

    // A line of `kind`, or nullptr (with `error`) where the system has none of that kind.
    static std::unique_ptr<SimLine> create(SimLineKind kind, QString* error = nullptr);
    static bool available(SimLineKind kind);

    virtual bool open() = 0;
    virtual void close() = 0;
    virtual QString errorString() const = 0;
    // What a client opens: the pseudo-terminal's path; empty for the in-memory line.
    virtual QString clientPath() const { return {}; }
    // The wire the program's facade attaches to; null for a pseudo-terminal.
    virtual std::shared_ptr<MemoryWire> wire() const { return {}; }

    // Non-blocking: the bytes waiting, empty when none.
    virtual QByteArray readAvailable() = 0;
    // Bytes nobody reads are dropped once the line's buffer is full, as on a cable with no one
    // at the other end.
    virtual int write(const char* data, int count) = 0;

    // Sleeps until `until` (Clock::time_point::max(): no bound) or stop(), and with `forInput`
    // also until bytes can be read.
    virtual Wake wait(Clock::time_point until, bool forInput) = 0;
    // Ends the current and every later wait with Stop until the line is opened again; callable
    // from any thread.
    virtual void stop() = 0;
};
