#pragma once

#include "PollTickResult.h"

struct ControllerMirror;
class SerialLink;
class LangSource;
struct ControlStates;

// The poll cycle: every tick of Timer1 sends at most one request, in this priority: hold-off,
// identity (while unknown), settings read/write (on ticks with PollToggle set), defaults, clear
// map, map write, map read, live values. It also runs the connection watchdog on LinkCounter.
//
// How the window uses it (TForm1::Timer1Timer):
//     Timer1->stop();
//     ControlStates s = currentControlStates();
//     PollTickResult r = PollCycle::Tick(mirror, *Serial1, lang, s);
//     apply(r);                      // loss reset look, Image1, logs, the response's views
//     Timer1->setInterval(r.interval);
//     Timer1->start();
class PollCycle {
public:
    static constexpr int FastInterval = 100;
    static constexpr int SlowInterval = 500;
    static constexpr int SlowThreshold = 6;
    static constexpr int LossThreshold = 16;
    static constexpr int ClosedPortValue = 17;
    static constexpr int ServiceHoldOff = 20;
    static constexpr int MapReadHoldOff = 2;

    static PollTickResult Tick(ControllerMirror& mirror, SerialLink& link, const LangSource& lang,
                               const ControlStates& states);
};
