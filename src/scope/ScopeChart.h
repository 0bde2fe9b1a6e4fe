#pragma once

#include "TNvScope.h"

#include <QTimer>

#include <vector>

// The window's live chart, drawn by the scope component: fuel in use, throttle voltage, engine
// speed and shift angle as four channels. While polling it follows the live values (newest at
// the right edge); with a recording it shows the whole recording with the replayed record
// marked. The mouse wheel (also with Ctrl) zooms the time around the pointer, dragging
// scrolls, and a double click shows everything; on live values a view moved back in time stays
// on its values while new ones come, until it is scrolled to the newest again. On a recording
// a click asks for the record under the pointer (recordClicked).
class ScopeChart : public TNvScope {
    Q_OBJECT

public:
    struct Values {
        bool gas = false;
        double tps = 0.0;   // V
        double rpm = 0.0;   // 1/min
        double angle = 0.0; // degrees
    };
    // Full scale of the drawn channels: a value this large stands a full row amplitude high.
    static constexpr double RpmFullScale = 8000.0;
    static constexpr double TpsFullScale = 5.12;
    static constexpr double AngleFullScale = 25.6; // the angle's zero is at half amplitude

    explicit ScopeChart(QWidget* parent = nullptr);

    // Channel values for the drawing (0..3) and the exact figures (4..7) of one point.
    static Sample sampleOf(const Values& v);

    void appendLive(const Values& v);
    // A recording: point k is record k + 1. An empty list goes back to following live values.
    void showRecording(const std::vector<Values>& points);
    bool showsRecording() const { return recordCount_ > 0; }
    int recordCount() const { return recordCount_; }
    void setReplayPosition(int record);
    int replayPosition() const { return position_; }
    // The record a click at x asks for (1..records).
    int recordAt(int x) const;
    void setView(int first, int last);
    // Live values: how many samples the plot shows across (0: one a pixel) and how far its
    // right edge stands behind the newest value (0: it follows the newest).
    int liveSpan() const { return liveSpan_; }
    int liveBack() const { return liveBack_; }
    // Everything there is: the whole recording, or every live value kept.
    void showAll();

    // Captions in the window's language: channel labels, the two fuel words, speed unit.
    void setTexts(const QStringList& labels, const QString& gas, const QString& petrol,
                  const QString& rpmUnit);

    // Draws now (the image) and repaints; scheduleRedraw coalesces frequent changes.
    void redraw();
    void scheduleRedraw();

signals:
    void recordClicked(int record);

protected:
    void DrawExtras(QPainter& painter) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    QString valueText(int channel, const Sample& s) const;
    // Live values kept in the ring (the oldest may have been written over).
    int liveAvailable() const;
    // Puts the live view at `span` samples across, its right edge `back` behind the newest.
    void setLiveView(int span, int back);
    void placeLiveView();

    QTimer redrawTimer_;
    int recordCount_ = 0;
    int position_ = -1;
    QString gasText_ = QStringLiteral("GAZ");
    QString petrolText_ = QStringLiteral("BENZYNA");
    QString rpmUnit_ = QStringLiteral(" obr/min");
    bool pressed_ = false;
    bool dragged_ = false;
    int pressX_ = 0;
    int pressStart_ = 0;
    int pressEnd_ = 0;
    int pressBack_ = 0;
    int liveSpan_ = 0;
    int liveBack_ = 0;
};
