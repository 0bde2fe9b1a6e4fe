#pragma once

#include <QString>

#include <memory>

class QTemporaryDir;
class SimController;

// The demo: a simulated controller running inside the program on a pseudo-terminal. The window
// opens that terminal like any other serial device, so nothing else in the program knows it is
// a demo.
class DemoSession {
public:
    DemoSession();
    ~DemoSession();
    DemoSession(const DemoSession&) = delete;
    DemoSession& operator=(const DemoSession&) = delete;

    // Starts the simulator at the real line speed and installs stand-in firmware images for it
    // in a folder of its own. False (with errorString) when it cannot.
    bool start(bool pacing = true);
    QString devicePath() const;
    QString errorString() const;
    SimController* simulator() const { return sim_.get(); }

private:
    std::unique_ptr<SimController> sim_;
    // Generated firmware images for the simulated controller, removed when the demo ends.
    std::unique_ptr<QTemporaryDir> firmware_;
};
