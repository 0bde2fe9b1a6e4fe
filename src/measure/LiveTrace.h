#pragma once

#include <QString>

#include <vector>

struct ControllerMirror;
struct ControlStates;
struct LiveView;
class LangSource;

// The four values the live chart follows, taken from a decoded live answer.
struct LiveTracePoint {
    bool gas = false;   // fuel in use: gas
    double tps = 0.0;   // throttle voltage
    double rpm = 0.0;   // engine speed
    double angle = 0.0; // current shift angle in degrees
};

namespace LiveTrace {

LiveTracePoint fromView(const LiveView& view);

// Every live record of a recording as chart points (index k is live record k + 1), decoded by
// the same live decoding as a replay but on a copy of `mirror`, so nothing the window shows
// changes. Empty when the file cannot be read or holds no live record.
std::vector<LiveTracePoint> scan(const ControllerMirror& mirror, const QString& fileName,
                                 const LangSource& lang, const ControlStates& states);

} // namespace LiveTrace
