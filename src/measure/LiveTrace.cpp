#include "LiveTrace.h"

#include "ControlStates.h"
#include "ControllerMirror.h"
#include "LiveView.h"
#include "ReplayReader.h"

#include <memory>

LiveTracePoint LiveTrace::fromView(const LiveView& view) {
    LiveTracePoint p;
    p.gas = view.gas;
    p.tps = view.tps;
    p.rpm = view.rpm;
    p.angle = view.angle;
    return p;
}

namespace {

class Collector : public ReplaySink {
public:
    explicit Collector(const ControlStates& states) : states_(states) {}
    ControlStates replayStates() override { return states_; }
    void replayOpened(qint64 size) override { points.reserve(static_cast<std::size_t>(size / 16)); }
    void replayRecord(const ResponseResult& result, qint64 offset) override {
        if (offset > 0 && result.live) {
            points.push_back(LiveTrace::fromView(*result.live));
        }
    }
    std::vector<LiveTracePoint> points;

private:
    ControlStates states_;
};

} // namespace

std::vector<LiveTracePoint> LiveTrace::scan(const ControllerMirror& mirror, const QString& fileName,
                                            const LangSource& lang, const ControlStates& states) {
    // The mirror is large (its buffers); a copy on the heap.
    auto scratch = std::make_unique<ControllerMirror>(mirror);
    // Only values are taken: no labels or report texts are made for the chart.
    ControlStates valuesOnly = states;
    valuesOnly.TextsShown = false;
    Collector collector(valuesOnly);
    ReplayRecording(*scratch, fileName, lang, collector, ReplayPace::NoPause);
    return std::move(collector.points);
}
