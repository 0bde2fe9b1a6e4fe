#include "TChart3D.h"

#include "BgrColor.h"
#include "GeneralText.h"
#include "MapColorRamp.h"

#include <QApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QPalette>
#include <QPolygon>

#include <algorithm>
#include <cmath>

namespace {

constexpr int MarginY = 25;
constexpr int MarginZ = 30;
constexpr int MarginX = 25;
constexpr int HandleReach = 8; // pixels around an axis end that pick it up

constexpr std::size_t points(int layers) {
    return static_cast<std::size_t>(layers) * TChart3D::Size * TChart3D::Size;
}

// Text with its top-left corner at (x, y), as the labels are placed.
void textOut(QPainter& p, int x, int y, const QString& text) {
    p.drawText(x, y + p.fontMetrics().ascent(), text);
}

int textWidth(const QPainter& p, const QString& text) {
    return p.fontMetrics().horizontalAdvance(text);
}

// A caption kept inside the picture: on a narrow chart it would start left of the edge, and
// one wider than the chart ends in an ellipsis instead of being cut at the edge.
void captionOut(QPainter& p, int x, int y, const QString& full) {
    const QSize area(p.device()->width(), p.device()->height());
    const QString text = p.fontMetrics().elidedText(full, Qt::ElideRight, area.width() - 4);
    const int w = textWidth(p, text);
    x = std::max(2, std::min(x, area.width() - w - 2));
    y = std::max(0, std::min(y, area.height() - p.fontMetrics().height()));
    textOut(p, x, y, text);
}

// Tick labels: one that would run into the previous one is left out (its tick stays), so
// that a small chart shows fewer numbers instead of a smudge.
class TickLabels {
public:
    explicit TickLabels(QPainter& p) : p_(p) {}
    void put(int x, int y, const QString& text) {
        const QRect r(x, y, textWidth(p_, text), p_.fontMetrics().height());
        if (last_.isValid() && r.adjusted(-2, 0, 2, 0).intersects(last_)) {
            return;
        }
        textOut(p_, x, y, text);
        last_ = r;
    }

private:
    QPainter& p_;
    QRect last_;
};

} // namespace

TChart3D::TChart3D(QWidget* parent)
    : QWidget(parent), values_(new double[points(Layers)]),
      // The rings are read only where they were written, so their memory is left as it comes.
      rings_(new double[points(Layers) * Ring]), ringPos_(new quint8[points(Layers)]),
      ringFill_(new quint8[points(Layers)]) {
    setObjectName(QStringLiteral("MapChart"));
    // The labels keep the program's default font whatever the panel around uses.
    setFont(QApplication::font());
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(false);
    for (int i = 0; i < 256; ++i) {
        greyPalette_[static_cast<std::size_t>(i)] = QColor(i, i, i);
    }
    ClearLayers(-1);
}

TChart3D::~TChart3D() = default;

double& TChart3D::at(int layer, int ix, int iy) {
    return values_[(static_cast<std::size_t>(layer) * Size + static_cast<std::size_t>(ix)) * Size +
                   static_cast<std::size_t>(iy)];
}

double TChart3D::Value(int layer, int ix, int iy) const {
    if (layer < 0 || layer >= Layers || ix < 0 || ix >= Size || iy < 0 || iy >= Size) {
        return -1.0;
    }
    return const_cast<TChart3D*>(this)->at(layer, ix, iy);
}

int TChart3D::SetPoint(int layer, int ix, int iy, double value) {
    if (layer < 0 || layer >= Layers) {
        QApplication::beep();
        return 1;
    }
    if (ix < 0 || ix >= Size || iy < 0 || iy >= Size) {
        QApplication::beep();
        return 2;
    }
    at(layer, ix, iy) = value;
    stale_ = true;
    return 0;
}

int TChart3D::AddSample(int layer, int ix, int iy, double value) {
    SampleMarker = {ix * IndexStep[0], iy * IndexStep[1], value};
    if (layer < 0 || layer >= Layers) {
        QApplication::beep();
        return 1;
    }
    LastLayer = layer;
    if (ix < 0 || ix >= Size - 1 || iy < 0 || iy >= Size - 1) {
        QApplication::beep();
        return 2;
    }
    const std::size_t point =
        (static_cast<std::size_t>(layer) * Size + static_cast<std::size_t>(ix)) * Size +
        static_cast<std::size_t>(iy);
    double* ring = &rings_[point * Ring];
    const int depth = std::clamp(AverageDepth, 1, Ring);
    int pos = ringPos_[point];
    ring[pos] = value;
    ++pos;
    if (pos >= depth || pos > Ring - 1) {
        pos = 0;
    }
    ringPos_[point] = static_cast<quint8>(pos);
    const int fill = std::min(ringFill_[point] + 1, depth);
    ringFill_[point] = static_cast<quint8>(fill);
    double sum = 0.0;
    for (int k = 0; k < fill; ++k) {
        sum += ring[k];
    }
    at(layer, ix + 1, iy + 1) = sum / fill;
    Render();
    Blit();
    return 0;
}

int TChart3D::SetCursor(double x, double y, double z) {
    CursorMarker = {x, y, z};
    Render();
    Blit();
    return 0;
}

void TChart3D::RefreshChart() {
    Render();
    Blit();
}

int TChart3D::ClearLayers(int layer) {
    if (layer < -1 || layer >= Layers) {
        QApplication::beep();
        return 1;
    }
    for (int l = 0; l < Layers; ++l) {
        if (layer == -1 || layer == l) {
            std::fill_n(&values_[static_cast<std::size_t>(l) * Size * Size],
                        static_cast<std::size_t>(Size) * Size, -1.0);
        }
    }
    std::fill_n(ringPos_.get(), points(Layers), quint8{0});
    std::fill_n(ringFill_.get(), points(Layers), quint8{0});
    Render();
    return 0;
}

void TChart3D::SetChartText(int kind, const QString& text) {
    if (kind >= 20 && kind <= 22) {
        const auto axis = static_cast<std::size_t>(kind - 20);
        const qsizetype bar = text.indexOf(QLatin1Char('|'));
        axisName_[axis] = bar < 0 ? text : text.left(bar);
        axisUnit_[axis] = bar < 0 ? QString() : text.mid(bar + 1);
    } else if (kind == 23) {
        title1_ = text;
    } else if (kind == 24) {
        title2_ = text;
    }
}

QPoint TChart3D::Project(double x, double y, double z) const {
    const double sx = std::cos(AxisAngle[0]) * x * AxisScale[0] + Origin[0] +
                      std::cos(AxisAngle[1]) * y * AxisScale[1] +
                      std::cos(AxisAngle[2]) * z * AxisScale[2];
    const double sy = std::sin(AxisAngle[0]) * x * AxisScale[0] + Origin[1] +
                      std::sin(AxisAngle[1]) * y * AxisScale[1] +
                      std::sin(AxisAngle[2]) * z * AxisScale[2];
    return {static_cast<int>(std::trunc(sx)), static_cast<int>(std::trunc(sy))};
}

void TChart3D::scaleTo(int s, int marginFactor) {
    const int half = s / 2;
    AxisScale[0] = (half - MarginX * marginFactor) / (AxisMax[0] - AxisMin[0]);
    AxisScale[1] = (half - MarginY * marginFactor) / (AxisMax[1] - AxisMin[1]);
    AxisScale[2] = (half - MarginZ * marginFactor) / (AxisMax[2] - AxisMin[2]);
}

void TChart3D::recordHandles() {
    handleOrigin_ =
        QPoint(static_cast<int>(std::trunc(Origin[0])), static_cast<int>(std::trunc(Origin[1])));
    handleX_ = Project(AxisMax[0], 0, 0);
    handleY_ = Project(0, AxisMax[1], 0);
    handleXY_ = Project(AxisMax[0], AxisMax[1], 0);
}

void TChart3D::Render() {
    if (busy_ || width() <= 0 || height() <= 0) {
        return;
    }
    if (AxisMax[0] == AxisMin[0] || AxisMax[1] == AxisMin[1] || AxisMax[2] == AxisMin[2]) {
        QApplication::beep();
        return;
    }
    busy_ = true;
    AverageDepth = std::clamp(AverageDepth, 1, Ring);
    AxisAngle[0] = std::clamp(AxisAngle[0], 1.6, 3.14);
    if (AxisAngle[1] < 0) {
        AxisAngle[1] = 0;
    } else if (AxisAngle[1] > 3.14) {
        AxisAngle[1] = 0;
    } else if (AxisAngle[1] > 1.54) {
        AxisAngle[1] = 1.54;
    }

    const int W = width();
    const int H = height();
    if (image_.size() != QSize(W, H)) {
        image_ = QImage(W, H, QImage::Format_RGB32);
    }
    image_.fill(Qt::white);
    QPainter p(&image_);
    p.setFont(font());
    p.setPen(Qt::white);
    p.setBrush(Qt::white);

    auto titlePos = [this](int s) {
        return QPoint(static_cast<int>(std::trunc(Origin[0] - s / 2 + MarginX)),
                      static_cast<int>(std::trunc(Origin[1] - s / 2 + MarginZ - 16)));
    };
    if (ViewMode != 2) {
        const int s = std::min(W, H);
        scaleTo(s, 1);
        Origin = {static_cast<double>(W / 2), static_cast<double>(H / 2)};
        const QPoint t = titlePos(s);
        p.setPen(palette().color(QPalette::Highlight));
        if (ViewMode == 0 || ViewMode == 1) {
            captionOut(p, t.x(), t.y(), title1_);
        }
        if (ViewMode == 3) {
            captionOut(p, t.x(), t.y(), title2_);
        } else if (ViewMode == 1) {
            captionOut(p, t.x(), t.y() + 15, title2_);
        }
        DrawFrame(p, ViewMode);
        recordHandles();
    } else if (W > H) {
        const int s = std::min(W / 2, H);
        scaleTo(s, 2);
        Origin = {static_cast<double>(W / 4), static_cast<double>(H / 2)};
        const QPoint t = titlePos(s);
        p.setPen(colorFromBgr(0x0000FF));
        captionOut(p, t.x(), t.y(), title1_);
        p.setPen(colorFromBgr(0x009000));
        captionOut(p, t.x() + W / 2, t.y(), title2_);
        DrawFrame(p, 0);
        recordHandles();
        Origin[0] = 3 * W / 4;
        DrawFrame(p, 3);
    } else {
        const int s = std::min(W, H / 2);
        scaleTo(s, 2);
        Origin = {static_cast<double>(W / 2), static_cast<double>(H / 4)};
        const QPoint t = titlePos(s);
        p.setPen(colorFromBgr(0x0000FF));
        captionOut(p, t.x(), t.y(), title1_);
        p.setPen(colorFromBgr(0x009000));
        captionOut(p, t.x(), t.y() + H / 2, title2_);
        DrawFrame(p, 0);
        Origin[1] = 3 * H / 4;
        DrawFrame(p, 3);
    }
    ++renders_;
    stale_ = false;
    busy_ = false;
}

void TChart3D::DrawFrame(QPainter& p, int view) {
    const double xmax = AxisMax[0];
    const double ymax = AxisMax[1];
    const double zmax = AxisMax[2];
    const double rx = std::abs(AxisMax[0] - AxisMin[0]);
    const double ry = std::abs(AxisMax[1] - AxisMin[1]);
    const double rz = std::abs(AxisMax[2] - AxisMin[2]);
    const QColor grey = colorFromBgr(0x808080);

    PointsX = std::max(PointsX, 2);
    PointsY = std::max(PointsY, 2);
    IndexStep = {rx / (PointsX - 1), ry / (PointsY - 1)};

    auto quad = [this](std::initializer_list<std::array<double, 3>> corners) {
        QPolygon poly;
        for (const auto& c : corners) {
            poly << Project(c[0], c[1], c[2]);
        }
        return poly;
    };
    p.setPen(QPen(grey, 0, Qt::SolidLine));
    p.setBrush(colorFromBgr(0xE0FFFF));
    p.drawPolygon(quad({{0, 0, 0}, {rx, 0, 0}, {rx, 0, rz}, {0, 0, rz}}));
    p.drawPolygon(quad({{0, 0, 0}, {0, ry, 0}, {0, ry, rz}, {0, 0, rz}}));
    p.setBrush(Qt::white);
    p.drawPolygon(quad({{0, 0, 0}, {0, ry, 0}, {rx, ry, 0}, {rx, 0, 0}}));

    const QPen dotted(grey, 0, Qt::DotLine);
    const QPen solid(grey, 0, Qt::SolidLine);
    p.setPen(dotted);

    // z grid and labels on the back walls.
    TickLabels zLabels(p);
    double t = 0;
    for (int n = 0; n < 99; ++n) {
        t += TickStep[2];
        if (t > zmax || TickStep[2] <= 0) {
            break;
        }
        const QPoint at = Project(0, ry, t);
        zLabels.put(at.x() + 5, at.y() - 4, GeneralText(t - 25));
        if (t == zmax) {
            break;
        }
        p.drawLine(Project(0, 0, t), Project(rx, 0, t));
        p.drawLine(Project(0, 0, t), Project(0, ry, t));
    }
    QPoint c = Project(0, ry, rz + 12);
    captionOut(p, c.x(), c.y() - 12, axisName_[2]);
    captionOut(p, c.x() + (textWidth(p, axisName_[2]) - textWidth(p, axisUnit_[2])) / 2, c.y(),
               axisUnit_[2]);

    // x ticks along the front of the floor.
    p.setPen(solid);
    TickLabels xLabels(p);
    t = 0;
    for (int n = 0; n < 100; ++n) {
        t += TickStep[0];
        if (t > xmax || TickStep[0] <= 0) {
            break;
        }
        const QPoint at = Project(xmax - t, ry, 0);
        const QString label = GeneralText(t);
        xLabels.put(at.x() - textWidth(p, label) / 2, at.y() + 5, label);
        if (t == xmax) {
            break;
        }
        p.drawLine(at, at + QPoint(0, 6));
    }
    c = Project(rx / 2, 1.25 * ry, 0);
    captionOut(p, c.x() + 10, c.y() - 6, axisName_[0]);
    captionOut(p, c.x() + 10 + (textWidth(p, axisName_[0]) - textWidth(p, axisUnit_[0])) / 2,
               c.y() + 6, axisUnit_[0]);

    // y ticks along the side of the floor.
    TickLabels yLabels(p);
    t = 0;
    for (int n = 0; n < 100; ++n) {
        t += TickStep[1];
        if (t > ymax || TickStep[1] <= 0) {
            break;
        }
        const QPoint at = Project(rx, ymax - t, 0);
        const QString label = GeneralText(t);
        yLabels.put(at.x() - textWidth(p, label), at.y() + 5, label);
        if (t == ymax) {
            break;
        }
        p.drawLine(at, at + QPoint(0, 6));
    }
    c = Project(1.25 * rx, ry / 2, 0);
    const int nameWidth = textWidth(p, axisName_[1]);
    captionOut(p, c.x() - 6 - nameWidth, c.y() - 6, axisName_[1]);
    captionOut(p, c.x() - 6 - nameWidth + (nameWidth - textWidth(p, axisUnit_[1])) / 2, c.y() + 6,
               axisUnit_[1]);

    // The surface, far faces first so that nearer ones cover them.
    if (view == 0 || view == 3) {
        const int layer = view == 0 ? 0 : 1;
        p.setPen(QPen(colorFromBgr(view == 0 ? 0x0000FF : 0x009000), 0));
        for (int ix = PointsX - 2; ix >= 1; --ix) {
            for (int iy = PointsY - 2; iy >= 1; --iy) {
                DrawFace(p, ix, iy, layer);
            }
        }
    } else if (view == 1) {
        for (int layer = 0; layer < Layers; ++layer) {
            p.setPen(QPen(colorFromBgr(layer == 0 ? 0x0000FF : 0x009000), 0));
            const int nx = std::min(PointsX, Size);
            const int ny = std::min(PointsY, Size);
            for (int ix = 0; ix < nx; ++ix) {
                for (int iy = 0; iy < ny; ++iy) {
                    const double v = at(layer, ix, iy);
                    if (v < 0) {
                        continue;
                    }
                    const QPoint a = Project(xmax - ix * IndexStep[0], ymax - iy * IndexStep[1], v);
                    if (ix + 1 < nx && at(layer, ix + 1, iy) >= 0) {
                        p.drawLine(a, Project(xmax - (ix + 1) * IndexStep[0],
                                              ymax - iy * IndexStep[1], at(layer, ix + 1, iy)));
                    }
                    if (iy + 1 < ny && at(layer, ix, iy + 1) >= 0) {
                        p.drawLine(a,
                                   Project(xmax - ix * IndexStep[0], ymax - (iy + 1) * IndexStep[1],
                                           at(layer, ix, iy + 1)));
                    }
                }
            }
        }
    }

    drawMarker(p, SampleMarker, colorFromBgr(0x808000));
    drawMarker(p, CursorMarker, colorFromBgr(0xFF00FF));
    p.setBrush(Qt::white);
}

void TChart3D::drawMarker(QPainter& p, const std::array<double, 3>& m, const QColor& colour) {
    if (m[0] < 0 || m[1] < 0) {
        return;
    }
    const double rx = std::abs(AxisMax[0] - AxisMin[0]);
    const double ry = std::abs(AxisMax[1] - AxisMin[1]);
    const double mx = AxisMax[0] - m[0];
    const double my = AxisMax[1] - m[1];
    const QPoint floor = Project(mx, my, 0);
    p.setPen(QPen(colour, 0, Qt::DotLine));
    p.drawLine(floor, Project(rx, my, 0));
    p.drawLine(floor, Project(mx, ry, 0));
    p.setPen(QPen(colour, 0, Qt::SolidLine));
    const QPoint top = Project(mx, my, m[2]);
    p.drawLine(floor, top);
    p.fillRect(QRect(top - QPoint(2, 2), top + QPoint(2, 2)), colour);
}

void TChart3D::DrawFace(QPainter& p, int ix, int iy, int layer) {
    if (ix + 1 >= Size || iy + 1 >= Size) {
        return;
    }
    const double rx = std::abs(AxisMax[0] - AxisMin[0]);
    const double ry = std::abs(AxisMax[1] - AxisMin[1]);
    const double x0 = rx - ix * IndexStep[0];
    const double x1 = x0 - IndexStep[0];
    const double y0 = ry - iy * IndexStep[1];
    const double y1 = y0 - IndexStep[1];
    const double v0 = at(layer, ix, iy);
    const double v1 = at(layer, ix + 1, iy);
    const double v2 = at(layer, ix + 1, iy + 1);
    const double v3 = at(layer, ix, iy + 1);
    const QPoint p0 = Project(x0, y0, v0);
    const QPoint p2 = Project(x1, y1, v2);
    const QPoint corners[4] = {p0, Project(x1, y0, v1), p2, Project(x0, y1, v3)};
    const double zmax = AxisMax[2];
    const double raw = zmax != 0 ? std::trunc((v0 + v1 + v2 + v3) * 64 / zmax) : 0.0;
    const int shade = static_cast<int>(std::clamp(raw, 0.0, 255.0));
    // Seen from above in the map's colours, from below in grey.
    p.setBrush(p0.y() > p2.y() ? mapColorRamp(shade)
                               : greyPalette_[static_cast<std::size_t>(shade)]);
    p.drawPolygon(corners, 4);
}

void TChart3D::Blit() {
    // The image is copied to the screen in the next paint, in one go.
    update();
}

void TChart3D::paintEvent(QPaintEvent*) {
    // A paint after a render only copies; values stored since, or a new size, render first.
    if (stale_ || image_.size() != size()) {
        Render();
    }
    QPainter p(this);
    p.drawImage(0, 0, image_);
}

double TChart3D::angleFrom(const QPoint& anchor, const QPoint& at, bool* valid) {
    const double dx = at.x() - anchor.x();
    const double dy = anchor.y() - at.y();
    const double length = std::sqrt(dx * dx + dy * dy);
    *valid = length != 0;
    if (!*valid) {
        return 0;
    }
    double angle = std::acos(dx / length);
    if (dy > 0) {
        angle = 6.283185307 - angle; // above the anchor: screen y points down
    }
    return angle;
}

void TChart3D::mousePressEvent(QMouseEvent* event) {
    const QPoint at = event->position().toPoint();
    auto near = [&at](const QPoint& handle) {
        return std::abs(at.x() - handle.x()) < HandleReach &&
               std::abs(at.y() - handle.y()) < HandleReach;
    };
    DragMode = near(handleX_) ? 1 : near(handleY_) ? 2 : near(handleXY_) ? 3 : 0;
}

void TChart3D::mouseMoveEvent(QMouseEvent* event) {
    const QPoint at = event->position().toPoint();
    bool valid = false;
    switch (DragMode) {
    case 1:
    case 2: {
        const double angle = angleFrom(handleOrigin_, at, &valid);
        if (valid) {
            AxisAngle[DragMode == 1 ? 0 : 1] = angle;
            Render();
            Blit();
        }
        break;
    }
    case 3: {
        double angle = angleFrom(handleY_, at, &valid);
        if (valid) {
            AxisAngle[0] = angle;
            Render();
            Blit();
        }
        angle = angleFrom(handleX_, at, &valid);
        if (valid) {
            AxisAngle[1] = angle;
            Render();
            Blit();
        }
        break;
    }
    default:
        break;
    }
}

void TChart3D::mouseReleaseEvent(QMouseEvent*) {
    DragMode = 0;
}
