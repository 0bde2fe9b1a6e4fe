#pragma once

#include "SimConfig.h"

#include <QString>

#include <memory>

class MemoryWire;
class QTemporaryDir;
class SimController;

// The demo: a simulated controller running inside the program on a pseudo-terminal, or where
// the system has none (or when asked) on an in-memory wire. The window opens that terminal like
// any other serial device, or attaches the wire to its port facade as one more kind of port, so
// nothing else in the program knows it is a demo.
class DemoSession {
public:
    DemoSession();
    ~DemoSession();
    DemoSession(const DemoSession&) = delete;
    DemoSession& operator=(const DemoSession&) = delete;

    // The line a demo gets unless told otherwise: a pseudo-terminal where the system has them.
    static SimLineKind defaultLine();

    // Starts the simulator at the real line speed and installs stand-in firmware images for it
    // in a folder of its own. False (with errorString) when it cannot.
    bool start(bool pacing = true, SimLineKind line = defaultLine());
    // What the window opens: the pseudo-terminal's path, or else the wire and its Port menu name.
    QString devicePath() const;
    std::shared_ptr<MemoryWire> wire() const;
    static QString wireName() { return QStringLiteral("Demo"); }
    QString errorString() const;
    SimController* simulator() const { return sim_.get(); }

private:
    std::unique_ptr<SimController> sim_;
    // Generated firmware images for the simulated controller, removed when the demo ends.
    std::unique_ptr<QTemporaryDir> firmware_;
};
