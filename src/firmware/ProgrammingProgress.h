#pragma once

#include <QString>

#include <cstdint>

// What the boot loader said about itself in its identity reply.
struct LoaderIdentity {
    std::uint32_t deviceId = 0; // identity bytes d0..d3, as the application reports them
    int version = 0;            // hundredths: 103 is 1.03
    int base = 0;               // LoaderBase
    int marker = 0;             // result of the last programming (0..3)
};

// How a programming run reports while it goes: the window's progress window and log, or the
// command-line tool's progress bar. Called on the thread that runs the programming.
class ProgrammingProgress {
public:
    virtual ~ProgrammingProgress() = default;
    // The loader answered its identity; the transfer of `blockCount` blocks follows.
    virtual void loaderIdentified(const LoaderIdentity& loader, int blockCount) = 0;
    // The loader asks for block `blockIndex`; about `remainingSeconds` are left.
    virtual void blockRequested(int blockIndex, int blockCount, int remainingSeconds) = 0;
    // One "Rx:" line per loader reply.
    virtual void replyLogged(const QString& line) = 0;
    // The transfer was interrupted (`silent`: the loader fell silent, else a reply came damaged)
    // and starts again from the listen request as attempt `attempt` of `attempts`.
    virtual void transferResumed(int attempt, int attempts, bool silent) = 0;
};
