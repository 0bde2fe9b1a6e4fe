#pragma once

#include "BenchClock.h"
#include "FrameRate.h"

#include <QObject>
#include <QString>
#include <QTemporaryDir>
#include <functional>
#include <memory>

class DemoSession;
class TForm1;

// The program as `orvex --demo` runs it: the simulated controller inside the process, the main
// window opening its terminal as a session device, shown (offscreen). The rig notes when the
// milestones of the start happen, counted from just before the window is constructed.
class DemoWindowRig : public QObject {
    Q_OBJECT
public:
    // Before the QApplication exists: offscreen platform unless one is chosen, and a settings
    // folder of the run's own so that the user's stored port and language stay untouched.
    static void prepareEnvironment();

    DemoWindowRig();
    ~DemoWindowRig() override;

    // Starts the simulator, constructs the window and shows it. False with error() set.
    bool start();
    QString error() const { return error_; }
    // Runs the event loop until the first live frame has been shown (or the timeout).
    bool waitForFirstLive(int timeoutMs);
    // Runs the event loop until `done` holds or `timeoutMs` after construction have passed.
    bool waitUntil(const std::function<bool()>& done, int timeoutMs);
    // Closes the window the way the user would (close query included) and destroys it.
    void close();

    TForm1& window() { return *window_; }
    DemoSession& demoSession() { return *demo_; }
    int liveFrames() const { return liveFrames_; }
    // The live frames' rate from its last restart() on.
    FrameRate liveRate;
    double sinceConstructionMs() const { return clock_.elapsedMs(); }

    // Milestones in ms from just before construction; negative until reached.
    double simStartMs = -1.0; // how long the simulator took to start (before construction)
    double constructedMs = -1.0;
    double shownMs = -1.0;
    double openPauseStartMs = -1.0; // the port opener's close-then-pause begins
    double openPauseEndMs = -1.0;
    double firstSettingsMs = -1.0;
    double firstLiveMs = -1.0;
    QString firstLiveRpm; // LabelRpm as the first live frame left it

private:
    static void waitEnded(int boundMs, int waitedMs);
    static DemoWindowRig* current_;

    std::unique_ptr<DemoSession> demo_;
    std::unique_ptr<TForm1> window_;
    BenchClock clock_;
    int liveFrames_ = 0;
    QString error_;
};
