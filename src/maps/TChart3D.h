#pragma once

#include <QColor>
#include <QImage>
#include <QPoint>
#include <QRect>
#include <QString>
#include <QLine>
#include <QWidget>

#include <array>
#include <memory>
#include <vector>

// Up to two surfaces of values over a regular grid of points, drawn as shaded quadrilaterals in
// a fixed oblique projection with walls, grid lines, tick labels, axis captions, two titles and
// two position markers. The user turns the view by dragging anywhere on it (sideways turns,
// up and down tilts) or by dragging the ends of the axes. The labels grow with the chart and
// never overlap. Everything is drawn into an off-screen image that reaches the screen in one
// copy.
//
// Layer 0 holds the ignition correction map (or the petrol map of a text map file), layer 1
// the gas map or the angles measured while the engine runs. A point without a value holds -1.
class QPainter;

class TChart3D : public QWidget {
    Q_OBJECT
public:
    static constexpr int Layers = 2;
    static constexpr int Size = 256; // points per axis a layer can hold
    static constexpr int Ring = 64;  // samples an averaging ring holds

    explicit TChart3D(QWidget* parent = nullptr);
    ~TChart3D() override;

    // Stores a value (no redraw). 0, or 1 for a bad layer, 2 for an index outside 0..255; both
    // with a beep.
    int SetPoint(int layer, int ix, int iy, double value);
    // Averages the value into point (ix + 1, iy + 1) over the last AverageDepth samples and
    // redraws; the sample marker shows where. Indexes 0..254.
    int AddSample(int layer, int ix, int iy, double value);
    // The cursor marker in axis values (engine speed, load in percent, angle + 25.6); redraws.
    int SetCursor(double x, double y, double z);
    void RefreshChart();
    // Every value of a layer (-1: both) to -1 and all averaging emptied; 1 for a bad layer.
    int ClearLayers(int layer);
    // 20, 21, 22: caption of the x, y, z axis as "name|unit"; 23, 24: title 1 and 2.
    void SetChartText(int kind, const QString& text);

    double Value(int layer, int ix, int iy) const;
    // Screen position of a world point with the scales of the last render.
    QPoint Project(double x, double y, double z) const;
    const QImage& Image() const { return image_; }
    QPoint HandleOrigin() const { return handleOrigin_; }
    QPoint HandleX() const { return handleX_; }
    QPoint HandleY() const { return handleY_; }
    QPoint HandleXY() const { return handleXY_; }
    QString AxisName(int axis) const { return axisName_[static_cast<std::size_t>(axis)]; }
    QString AxisUnit(int axis) const { return axisUnit_[static_cast<std::size_t>(axis)]; }
    QString Title(int n) const { return n == 1 ? title1_ : title2_; }
    // How many renders ran to the end (benchmarks and tests watch it).
    quint64 RenderCount() const { return renders_; }

    // Set by the window directly, as the chart's owner configures it.
    int PointsX = 17;
    int PointsY = 17;
    std::array<double, 3> AxisMin{0, 0, 0};
    std::array<double, 3> AxisMax{255, 255, 255};
    std::array<double, 3> TickStep{16, 16, 16};
    std::array<double, 3> AxisAngle{2.6179938779166667, 0.5235987755833333, 4.71238898025};
    std::array<double, 3> AxisScale{1, 1, 1};
    std::array<double, 2> Origin{0, 0};
    std::array<double, 2> IndexStep{1, 1};
    int ViewMode = 0; // 0 layer 0, 1 wire frames of both, 2 both side by side, 3 layer 1
    int AverageDepth = Ring;
    std::array<double, 3> SampleMarker{-1, -1, 0};
    int LastLayer = -1;
    std::array<double, 3> CursorMarker{-1, -1, 0};
    int DragMode = 0; // 0 none, 1 x-axis end, 2 y-axis end, 3 far corner, 4 the whole chart
    // Where the labels of the last render stand (titles, numbers, captions).
    const std::vector<QRect>& LabelRects() const { return labelRects_; }
    // The tick marks along the floor's edges of the last render.
    const std::vector<QLine>& TickMarks() const { return tickMarks_; }
    static constexpr int TickLength = 6;

    void Render();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void Blit();
    void DrawFrame(QPainter& p, int view);
    void DrawFace(QPainter& p, int ix, int iy, int layer);
    void drawMarker(QPainter& p, const std::array<double, 3>& m, const QColor& colour);
    void recordHandles();
    void scaleTo(int s, int marginFactor);
    void useLabelSize(QPainter& p, int s);
    void titleOut(QPainter& p, int x, int y, int width, const QString& text);
    int handleAt(const QPoint& at) const;
    void turnBy(int dx, int dy);
    static double angleFrom(const QPoint& anchor, const QPoint& at, bool* valid);
    double& at(int layer, int ix, int iy);

    QImage image_;
    std::unique_ptr<double[]> values_;   // [layer][ix][iy]
    std::unique_ptr<double[]> rings_;    // [layer][ix][iy][Ring]
    std::unique_ptr<quint8[]> ringPos_;  // [layer][ix][iy]
    std::unique_ptr<quint8[]> ringFill_; // [layer][ix][iy]
    std::array<QString, 3> axisName_{QStringLiteral("X"), QStringLiteral("Y"), QStringLiteral("Z")};
    std::array<QString, 3> axisUnit_;
    QString title1_;
    QString title2_;
    std::array<QColor, 256> greyPalette_;
    QPoint handleOrigin_;
    QPoint handleX_;
    QPoint handleY_;
    QPoint handleXY_;
    std::vector<QRect> labelRects_;
    std::vector<QLine> tickMarks_;
    double marginScale_ = 1.0;
    QPoint dragFrom_;
    std::array<double, 2> dragAngles_{};
    bool busy_ = false;
    bool stale_ = true; // values changed since the last render
    quint64 renders_ = 0;
};
