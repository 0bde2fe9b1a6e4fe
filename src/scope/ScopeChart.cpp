#include "ScopeChart.h"

#include <QMouseEvent>
#include <QPainter>
#include <QResizeEvent>
#include <QWheelEvent>

#include <algorithm>
#include <climits>
#include <cmath>

namespace {

int scaled(double value, double fullScale) {
    return static_cast<int>(std::lround(std::clamp(value / fullScale, -1.0, 1.0) * 256.0));
}

constexpr int MinimumRange = 10; // the most a recording is zoomed in: ten records across

} // namespace

ScopeChart::ScopeChart(QWidget* parent) : TNvScope(parent) {
    setObjectName(QStringLiteral("ScopeChart"));
    MarginRight = 170;
    // Low enough that a small window keeps room for the map grid above it.
    setMinimumSize(320, 110);
    setCursor(Qt::CrossCursor);
    TraceFrom = 1;       // the first live value goes to sample 1
    FollowWrite = false; // the live view is placed before each drawing (placeLiveView)
    redrawTimer_.setSingleShot(true);
    redrawTimer_.setInterval(30);
    connect(&redrawTimer_, &QTimer::timeout, this, &ScopeChart::redraw);
}

TNvScope::Sample ScopeChart::sampleOf(const Values& v) {
    Sample s{};
    s[0] = v.gas ? 200 : 0;
    s[1] = scaled(v.tps, TpsFullScale);
    s[2] = scaled(v.rpm, RpmFullScale);
    s[3] = 128 + scaled(v.angle, AngleFullScale) / 2;
    s[4] = v.gas ? 1 : 0;
    s[5] = static_cast<int>(std::lround(v.tps * 100));
    s[6] = static_cast<int>(std::lround(v.rpm));
    s[7] = static_cast<int>(std::lround(v.angle * 10));
    return s;
}

void ScopeChart::appendLive(const Values& v) {
    if (showsRecording()) {
        return; // a recording is on show until live values are asked for again
    }
    ++WriteIndex;
    if (WriteIndex >= RingSize()) {
        WriteIndex = 0;
        TraceFrom = INT_MIN; // the whole ring holds values now
    }
    sample(WriteIndex) = sampleOf(v);
    if (liveBack_ > 0) {
        // Looking back in time: the view stays on the values it shows.
        liveBack_ = std::min(liveBack_ + 1, std::max(liveAvailable() - liveSpan_, 0));
    }
    scheduleRedraw();
}

void ScopeChart::showRecording(const std::vector<Values>& points) {
    recordCount_ = static_cast<int>(points.size());
    position_ = -1;
    if (points.empty()) {
        SetRingSize(DefaultRingSize);
        FollowWrite = false; // the live view is placed before each drawing
        TraceFrom = 1;
        liveSpan_ = 0;
        liveBack_ = 0;
        redraw();
        return;
    }
    SetRingSize(recordCount_ + 1);
    TraceFrom = 1;
    for (int k = 0; k < recordCount_; ++k) {
        sample(k + 1) = sampleOf(points[static_cast<std::size_t>(k)]);
    }
    sample(0) = sample(1); // the settings record has no live values of its own
    WriteIndex = recordCount_;
    FollowWrite = false;
    SampleCount = recordCount_ + 1;
    setView(1, recordCount_);
}

void ScopeChart::setView(int first, int last) {
    if (showsRecording()) {
        const int range = std::clamp(last - first, std::min(MinimumRange, recordCount_ - 1),
                                     std::max(recordCount_ - 1, 1));
        first = std::clamp(first, 1, std::max(recordCount_ - range, 1));
        last = first + range;
    }
    ViewStart = first;
    ViewEnd = last;
    redraw();
}

int ScopeChart::liveAvailable() const {
    // Sample 0 is never written: values are samples 1..WriteIndex until the ring wraps.
    return TraceFrom == INT_MIN ? RingSize() - 1 : std::max(WriteIndex, 0);
}

void ScopeChart::setLiveView(int span, int back) {
    const int available = liveAvailable();
    const int widest = std::max(available, PlotWidth());
    span = std::clamp(span, MinimumRange, std::max(widest, MinimumRange));
    liveSpan_ = span == PlotWidth() ? 0 : span;
    liveBack_ = std::clamp(back, 0, std::max(available - span, 0));
    redraw();
}

void ScopeChart::placeLiveView() {
    if (showsRecording()) {
        return;
    }
    const int span = liveSpan_ > 0 ? liveSpan_ : PlotWidth();
    ViewEnd = WriteIndex - liveBack_;
    ViewStart = ViewEnd - span;
}

void ScopeChart::showAll() {
    if (showsRecording()) {
        setView(1, recordCount_);
        return;
    }
    setLiveView(std::max(liveAvailable(), MinimumRange), 0);
}

void ScopeChart::setReplayPosition(int record) {
    if (record == position_) {
        return;
    }
    position_ = record;
    scheduleRedraw();
}

int ScopeChart::recordAt(int x) const {
    const int plot = PlotWidth();
    if (plot <= 0 || !showsRecording()) {
        return 0;
    }
    const double at =
        ViewStart + static_cast<double>(x - MarginLeft) * (ViewEnd - ViewStart) / plot;
    // The first record drawn at or right of x: the one the user sees under the pointer.
    int record = std::clamp(static_cast<int>(std::lround(at)), 1, recordCount_);
    while (record < recordCount_ && PosX(record) < x) {
        ++record;
    }
    while (record > 1 && PosX(record - 1) >= x) {
        --record;
    }
    return record;
}

void ScopeChart::setTexts(const QStringList& labels, const QString& gas, const QString& petrol,
                          const QString& rpmUnit) {
    AnalogLabels = labels;
    gasText_ = gas;
    petrolText_ = petrol;
    rpmUnit_ = rpmUnit;
    scheduleRedraw();
}

void ScopeChart::redraw() {
    redrawTimer_.stop();
    if (!isVisible()) {
        return; // drawn when it is shown
    }
    placeLiveView();
    Render();
    update();
}

void ScopeChart::scheduleRedraw() {
    // A hidden chart is drawn when it is shown: no timer runs for it meanwhile.
    if (isVisible() && !redrawTimer_.isActive()) {
        redrawTimer_.start();
    }
}

QString ScopeChart::valueText(int channel, const Sample& s) const {
    switch (channel) {
    case 0:
        return s[4] != 0 ? gasText_ : petrolText_;
    case 1:
        return DouPreToStr(s[5] / 100.0) + QStringLiteral(" V");
    case 2:
        return QString::number(s[6]) + rpmUnit_;
    default:
        return QString::number(s[7] / 10.0, 'f', 1) + QStringLiteral(" '");
    }
}

void ScopeChart::DrawExtras(QPainter& p) {
    // The values of the marked record, or the newest live values, under each channel's label.
    int shown = WriteIndex;
    if (showsRecording()) {
        if (position_ < 0) {
            return;
        }
        shown = std::clamp(position_, 0, recordCount_);
        if (shown >= ViewStart && shown <= ViewEnd) {
            const int x = PosX(shown);
            p.setPen(QPen(QColor(64, 64, 64), 1, Qt::SolidLine));
            p.drawLine(x, MarginTop, x, ScopeHeight() - MarginBottom);
        }
    }
    const Sample& s = sample(shown);
    p.setBackgroundMode(Qt::OpaqueMode);
    p.setBackground(Qt::white);
    const int x = ScopeWidth() - MarginRight + 2;
    const int lineHeight = QFontMetrics(p.font()).height();
    for (int c = 0; c < ChannelCount && c < 4; ++c) {
        p.setPen(ChannelColors[static_cast<std::size_t>(c)]);
        TextOut(p, x, PosY0(c) - 16 + lineHeight, valueText(c, s));
    }
    if (showsRecording()) {
        p.setPen(Qt::black);
        TextOut(p, x, MarginTop, QStringLiteral("# %1 / %2").arg(shown).arg(recordCount_));
    }
    p.setBackgroundMode(Qt::TransparentMode);
}

void ScopeChart::resizeEvent(QResizeEvent* event) {
    TNvScope::resizeEvent(event);
    // The chart is its own canvas; drawn here without processing events in a resize.
    SetScopeBounds(this, 0, 0, width(), height());
    redraw();
}

void ScopeChart::showEvent(QShowEvent* event) {
    TNvScope::showEvent(event);
    redraw();
}

void ScopeChart::wheelEvent(QWheelEvent* event) {
    // The wheel (with Ctrl too) is the chart's: it never scrolls the window behind it.
    event->accept();
    const int steps = event->angleDelta().y() / 120;
    if (steps == 0 || PlotWidth() <= 0) {
        return;
    }
    const int x = static_cast<int>(event->position().x());
    placeLiveView();
    const int range = ViewEnd - ViewStart;
    const int anchor =
        showsRecording()
            ? recordAt(x)
            : ViewStart + static_cast<int>(std::lround(
                              static_cast<double>(std::clamp(x - MarginLeft, 0, PlotWidth())) *
                              range / PlotWidth()));
    const double factor = std::pow(0.8, steps);
    const int newRange = std::max(static_cast<int>(std::lround(range * factor)), 1);
    const double share = range > 0 ? static_cast<double>(anchor - ViewStart) / range : 0.0;
    const int first = anchor - static_cast<int>(std::lround(share * newRange));
    if (showsRecording()) {
        setView(first, first + newRange);
    } else {
        setLiveView(newRange, WriteIndex - (first + newRange));
    }
}

void ScopeChart::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        TNvScope::mousePressEvent(event);
        return;
    }
    placeLiveView();
    pressed_ = true;
    dragged_ = false;
    pressX_ = static_cast<int>(event->position().x());
    pressStart_ = ViewStart;
    pressEnd_ = ViewEnd;
    pressBack_ = liveBack_;
}

void ScopeChart::mouseMoveEvent(QMouseEvent* event) {
    if (!pressed_) {
        return;
    }
    const int dx = static_cast<int>(event->position().x()) - pressX_;
    if (std::abs(dx) > 3) {
        dragged_ = true;
    }
    if (dragged_ && PlotWidth() > 0) {
        const int shift = static_cast<int>(
            std::lround(static_cast<double>(dx) * (pressEnd_ - pressStart_) / PlotWidth()));
        if (showsRecording()) {
            setView(pressStart_ - shift, pressEnd_ - shift);
        } else {
            setLiveView(pressEnd_ - pressStart_, pressBack_ + shift);
        }
    }
}

void ScopeChart::mouseReleaseEvent(QMouseEvent* event) {
    if (!pressed_) {
        TNvScope::mouseReleaseEvent(event);
        return;
    }
    pressed_ = false;
    if (!dragged_ && showsRecording()) {
        emit recordClicked(recordAt(static_cast<int>(event->position().x())));
    }
}

void ScopeChart::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        TNvScope::mouseDoubleClickEvent(event);
        return;
    }
    showAll();
}
