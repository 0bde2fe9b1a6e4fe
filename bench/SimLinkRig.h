#pragma once

#include "SimConfig.h"

#include <QString>
#include <memory>

class SimController;
class TMySerial;

// The simulated controller on a pseudo-terminal and the program's own port facade opened on it,
// as the window would have them. Pacing stays on: the line runs at 9600 bit/s.
class SimLinkRig {
public:
    explicit SimLinkRig(SimConfig config = {});
    ~SimLinkRig();

    // Starts the simulator and opens its terminal through the facade. `openMs` receives how long
    // the open held the caller (the facade's close-then-pause included).
    bool open(double* openMs = nullptr);
    QString error() const { return error_; }

    SimController& sim() { return *sim_; }
    TMySerial& serial() { return *serial_; }

private:
    std::unique_ptr<SimController> sim_;
    std::unique_ptr<TMySerial> serial_;
    QString error_;
};
