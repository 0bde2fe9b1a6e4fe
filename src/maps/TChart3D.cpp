#include "TChart3D.h"

#include "BgrColor.h"
#include "GeneralText.h"
#include "MapColorRamp.h"

#include <QApplication>
#include <QFontInfo>
#include <QMouseEvent>
#include <QPainter>
#include <QPalette>
#include <QPolygon>

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

constexpr int MarginY = 25;
constexpr int MarginZ = 30;
constexpr int MarginX = 25;
constexpr int HandleReach = 8; // pixels around an axis end that pick it up
// The bounds of the floor axes' directions, as a render keeps them.
constexpr double MinAngleX = 1.6;
constexpr double MaxAngleX = 3.14;
constexpr double MaxAngleY = 1.54;
constexpr double DragRadiansPerPixel = 0.01; // a drag across 157 pixels turns by 90 degrees

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

// Moves `r` inside the picture (as far as it fits).
QRect keptInside(QRect r, const QSize& area) {
    r.moveLeft(std::max(2, std::min(r.left(), area.width() - r.width() - 2)));
    r.moveTop(std::max(0, std::min(r.top(), area.height() - r.height())));
    return r;
}

// A caption kept inside the picture: on a narrow chart it would start left of the edge, and
// one wider than the chart ends in an ellipsis instead of being cut at the edge.
QRect captionOut(QPainter& p, int x, int y, const QString& full) {
    const QSize area(p.device()->width(), p.device()->height());
    const QString text = p.fontMetrics().elidedText(full, Qt::ElideRight, area.width() - 4);
    const QRect r = keptInside(QRect(x, y, textWidth(p, text), p.fontMetrics().height()), area);
    textOut(p, r.x(), r.y(), text);
    return r;
}

// Every label of a render: a tick label that would run into one already placed is left out (its
// tick stays), so a small chart shows fewer numbers instead of a smudge; an axis caption moves
// away from the chart until it runs into nothing, and where nothing is clear (a small chart with
// wide letters) the numbers under it are left out instead. The numbers are drawn by drawTicks.
class Labels {
public:
    Labels(QPainter& p, std::vector<QRect>& taken) : p_(p), taken_(taken) {}

    // A tick mark: no number or caption is placed over it ("3000" with a mark through its
    // middle reads as "8000").
    void mark(const QLine& line) {
        marks_.push_back(QRect(line.p1(), line.p2()).normalized().adjusted(-1, -1, 1, 1));
    }

    void tick(int x, int y, const QString& text) {
        const QRect r(x, y, textWidth(p_, text), p_.fontMetrics().height());
        if (hits(r) || !QRect(0, 0, p_.device()->width(), p_.device()->height()).contains(r)) {
            return;
        }
        ticks_.push_back({r, text, p_.pen()});
        taken_.push_back(r);
    }

    void drawTicks() {
        const QPen pen = p_.pen();
        for (const Tick& t : ticks_) {
            p_.setPen(t.pen);
            textOut(p_, t.r.x(), t.r.y(), t.text);
        }
        p_.setPen(pen);
        ticks_.clear();
    }

    // The name with its top-left corner at `name`, the unit centred under it; moved along
    // `away` (then sideways) until both are clear of every other label.
    void caption(QPoint name, QPointF away, const QString& nameText, const QString& unitText) {
        const QSize area(p_.device()->width(), p_.device()->height());
        const QFontMetrics fm = p_.fontMetrics();
        const QString n = fm.elidedText(nameText, Qt::ElideRight, area.width() - 4);
        const QString u = fm.elidedText(unitText, Qt::ElideRight, area.width() - 4);
        const int nw = textWidth(p_, n);
        const int uw = textWidth(p_, u);
        const int h = fm.height();
        const int left = std::min(0, (nw - uw) / 2);
        const QRect block(name.x() + left, name.y(), std::max(nw, uw), u.isEmpty() ? h : 2 * h);
        const double length = std::hypot(away.x(), away.y());
        const QPointF out = length > 0 ? away / length : QPointF(0, -1);
        QRect placed = keptInside(block, area);
        bool clear = !hits(placed);
        for (const QPointF dir : {out, QPointF(1, 0), QPointF(-1, 0)}) {
            for (int step = 1; step <= 40 && !clear; ++step) {
                const QPoint shift = (dir * (3.0 * step)).toPoint();
                const QRect moved = keptInside(block.translated(shift), area);
                clear = !hits(moved);
                if (clear) {
                    placed = moved;
                }
            }
        }
        if (!clear) {
            leaveOutTicksUnder(placed);
        }
        const int x = placed.x() - left;
        textOut(p_, x, placed.y(), n);
        if (!u.isEmpty()) {
            textOut(p_, x + (nw - uw) / 2, placed.y() + h, u);
        }
        taken_.push_back(placed);
    }

private:
    struct Tick {
        QRect r;
        QString text;
        QPen pen;
    };

    QRect padded(const QRect& r) const {
        // A gap of a third of a line: "10" and "1000" must not read as one number.
        const int gap = std::max(3, p_.fontMetrics().height() / 3);
        return r.adjusted(-gap, -1, gap, 1);
    }

    bool hits(const QRect& r) const {
        const QRect around = padded(r);
        const auto over = [&around](const QRect& t) { return around.intersects(t); };
        return std::any_of(taken_.begin(), taken_.end(), over) ||
               std::any_of(marks_.begin(), marks_.end(),
                           [&r](const QRect& m) { return r.adjusted(-1, -1, 1, 1).intersects(m); });
    }

    // The numbers not yet drawn that a caption covers are left out, as if they had run into it.
    void leaveOutTicksUnder(const QRect& caption) {
        const QRect around = padded(caption);
        for (auto it = ticks_.begin(); it != ticks_.end();) {
            if (around.intersects(it->r)) {
                taken_.erase(std::find(taken_.begin(), taken_.end(), it->r));
                it = ticks_.erase(it);
            } else {
                ++it;
            }
        }
    }

    QPainter& p_;
    std::vector<QRect>& taken_;
    std::vector<Tick> ticks_;
    std::vector<QRect> marks_;
};

// The labels' pixel size for a chart `s` pixels across: the chart's own font at 400 pixels,
// smaller down to 80 % on a small chart and up to twice as large on a big one.
int labelPixels(const QFont& font, int s) {
    const double designed = QFontInfo(font).pixelSize();
    const double factor = std::clamp(s / 400.0, 0.8, 2.0);
    return std::max(8, static_cast<int>(std::lround(designed * factor)));
}

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
    // The pointer shows what a drag does: an open hand anywhere, a cross over an axis end.
    setMouseTracking(true);
    setCursor(Qt::OpenHandCursor);
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
    // Larger labels need larger margins; up to the chart's own font size they stay as they are.
    const double m = marginFactor * marginScale_;
    AxisScale[0] = (half - MarginX * m) / (AxisMax[0] - AxisMin[0]);
    AxisScale[1] = (half - MarginY * m) / (AxisMax[1] - AxisMin[1]);
    AxisScale[2] = (half - MarginZ * m) / (AxisMax[2] - AxisMin[2]);
}

void TChart3D::useLabelSize(QPainter& p, int s) {
    QFont f = font();
    const int px = labelPixels(f, s);
    f.setPixelSize(px);
    p.setFont(f);
    marginScale_ = std::max(1.0, px / static_cast<double>(QFontInfo(font()).pixelSize()));
}

// The title over a chart: on two lines where one does not hold it.
void TChart3D::titleOut(QPainter& p, int x, int y, int width, const QString& text) {
    if (text.isEmpty()) {
        return;
    }
    const QFontMetrics fm = p.fontMetrics();
    width = std::max(20, width);
    if (fm.horizontalAdvance(text) <= width) {
        labelRects_.push_back(captionOut(p, x, y, text));
        return;
    }
    const QRect wrapped =
        fm.boundingRect(QRect(0, 0, width, 4 * fm.height()), Qt::TextWordWrap, text);
    if (wrapped.height() > 2 * fm.height()) {
        labelRects_.push_back(captionOut(p, x, y, text));
        return;
    }
    const QRect r = keptInside(QRect(x, y, wrapped.width(), wrapped.height()),
                               QSize(p.device()->width(), p.device()->height()));
    p.drawText(QRect(r.x(), r.y(), width, r.height()), Qt::TextWordWrap, text);
    labelRects_.push_back(r);
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
    labelRects_.clear();
    p.setPen(Qt::white);
    p.setBrush(Qt::white);

    auto titlePos = [this](int s) {
        return QPoint(static_cast<int>(std::trunc(Origin[0] - s / 2 + MarginX)),
                      static_cast<int>(std::trunc(Origin[1] - s / 2 + MarginZ - 16)));
    };
    if (ViewMode != 2) {
        const int s = std::min(W, H);
        useLabelSize(p, s);
        scaleTo(s, 1);
        Origin = {static_cast<double>(W / 2), static_cast<double>(H / 2)};
        const QPoint t = titlePos(s);
        p.setPen(palette().color(QPalette::Highlight));
        if (ViewMode == 0 || ViewMode == 1) {
            titleOut(p, t.x(), t.y(), W - t.x() - 2, title1_);
        }
        if (ViewMode == 3) {
            titleOut(p, t.x(), t.y(), W - t.x() - 2, title2_);
        } else if (ViewMode == 1) {
            titleOut(p, t.x(), labelRects_.empty() ? t.y() : labelRects_.back().bottom() + 1,
                     W - t.x() - 2, title2_);
        }
        DrawFrame(p, ViewMode);
        recordHandles();
    } else if (W > H) {
        const int s = std::min(W / 2, H);
        useLabelSize(p, s);
        scaleTo(s, 2);
        Origin = {static_cast<double>(W / 4), static_cast<double>(H / 2)};
        const QPoint t = titlePos(s);
        p.setPen(colorFromBgr(0x0000FF));
        titleOut(p, t.x(), t.y(), W / 2 - t.x() - 2, title1_);
        p.setPen(colorFromBgr(0x009000));
        titleOut(p, t.x() + W / 2, t.y(), W / 2 - t.x() - 2, title2_);
        DrawFrame(p, 0);
        recordHandles();
        Origin[0] = 3 * W / 4;
        DrawFrame(p, 3);
    } else {
        const int s = std::min(W, H / 2);
        useLabelSize(p, s);
        scaleTo(s, 2);
        Origin = {static_cast<double>(W / 2), static_cast<double>(H / 4)};
        const QPoint t = titlePos(s);
        p.setPen(colorFromBgr(0x0000FF));
        titleOut(p, t.x(), t.y(), W - t.x() - 2, title1_);
        p.setPen(colorFromBgr(0x009000));
        titleOut(p, t.x(), t.y() + H / 2, W - t.x() - 2, title2_);
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
    Labels labels(p, labelRects_);
    const int h = p.fontMetrics().height();
    const QPoint floorMiddle = Project(rx / 2, ry / 2, 0);
    double t = 0;
    for (int n = 0; n < 99; ++n) {
        t += TickStep[2];
        if (t > zmax || TickStep[2] <= 0) {
            break;
        }
        const QPoint at = Project(0, ry, t);
        labels.tick(at.x() + 5, at.y() - h / 3, GeneralText(t - 25));
        if (t == zmax) {
            break;
        }
        p.drawLine(Project(0, 0, t), Project(rx, 0, t));
        p.drawLine(Project(0, 0, t), Project(0, ry, t));
    }

    // The tick marks of both floor edges first: no number may land on any of them.
    tickMarks_.clear();
    for (int axis = 0; axis < 2; ++axis) {
        const double step = TickStep[static_cast<std::size_t>(axis)];
        const double end = axis == 0 ? xmax : ymax;
        for (int n = 1; n < 100 && step > 0 && n * step < end; ++n) {
            const QPoint at = axis == 0 ? Project(xmax - n * step, ry, 0)
                                        : Project(rx, ymax - n * step, 0);
            const QLine line(at, at + QPoint(0, TickLength));
            labels.mark(line);
            tickMarks_.push_back(line);
        }
    }

    // x numbers along the front of the floor.
    p.setPen(solid);
    t = 0;
    for (int n = 0; n < 100; ++n) {
        t += TickStep[0];
        if (t > xmax || TickStep[0] <= 0) {
            break;
        }
        const QPoint at = Project(xmax - t, ry, 0);
        const QString label = GeneralText(t);
        // Under the mark's end, never across it.
        labels.tick(at.x() - textWidth(p, label) / 2, at.y() + TickLength + 3, label);
        if (t == xmax) {
            break;
        }
    }

    // y numbers along the side of the floor.
    t = 0;
    for (int n = 0; n < 100; ++n) {
        t += TickStep[1];
        if (t > ymax || TickStep[1] <= 0) {
            break;
        }
        const QPoint at = Project(rx, ymax - t, 0);
        const QString label = GeneralText(t);
        // Left of the mark and under its end.
        labels.tick(at.x() - 3 - textWidth(p, label), at.y() + TickLength + 3, label);
        if (t == ymax) {
            break;
        }
    }

    // The axis captions after every number, so that they move off the numbers.
    QPoint c = Project(0, ry, rz + 12);
    labels.caption(QPoint(c.x(), c.y() - h), QPointF(0, -1), axisName_[2], axisUnit_[2]);
    c = Project(rx / 2, 1.25 * ry, 0);
    labels.caption(QPoint(c.x() + 10, c.y() - h / 2), QPointF(c - floorMiddle), axisName_[0],
                   axisUnit_[0]);
    c = Project(1.25 * rx, ry / 2, 0);
    labels.caption(QPoint(c.x() - 6 - textWidth(p, axisName_[1]), c.y() - h / 2),
                   QPointF(c - floorMiddle), axisName_[1], axisUnit_[1]);
    labels.drawTicks();
    // A mark that a caption had to cover (a small chart with nowhere else for it) is left out
    // as the numbers under it were.
    p.setPen(solid);
    std::erase_if(tickMarks_, [this](const QLine& mark) {
        const QRect r = QRect(mark.p1(), mark.p2()).normalized();
        return std::any_of(labelRects_.begin(), labelRects_.end(),
                           [&r](const QRect& label) { return label.intersects(r); });
    });
    for (const QLine& mark : tickMarks_) {
        p.drawLine(mark);
    }

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

int TChart3D::handleAt(const QPoint& at) const {
    auto near = [&at](const QPoint& handle) {
        return std::abs(at.x() - handle.x()) < HandleReach &&
               std::abs(at.y() - handle.y()) < HandleReach;
    };
    return near(handleX_) ? 1 : near(handleY_) ? 2 : near(handleXY_) ? 3 : 0;
}

void TChart3D::mousePressEvent(QMouseEvent* event) {
    const QPoint at = event->position().toPoint();
    DragMode = event->button() != Qt::LeftButton ? 0 : handleAt(at);
    if (event->button() == Qt::LeftButton && DragMode == 0) {
        DragMode = 4; // the whole chart
        dragFrom_ = at;
        dragAngles_ = {AxisAngle[0], AxisAngle[1]};
    }
    if (DragMode != 0) {
        setCursor(DragMode == 4 ? Qt::ClosedHandCursor : Qt::SizeAllCursor);
    }
}

void TChart3D::turnBy(int dx, int dy) {
    // Sideways turns both floor axes together; up and down tilts them apart (down: more from
    // above). Each change stops where either axis would leave its bounds.
    auto within = [](double v, double lo, double hi) {
        return lo > hi ? 0.0 : std::clamp(v, lo, hi); // no room at all: no change
    };
    const double ax = dragAngles_[0];
    const double ay = dragAngles_[1];
    const double turn = within(dx * DragRadiansPerPixel, std::max(MinAngleX - ax, -ay),
                               std::min(MaxAngleX - ax, MaxAngleY - ay));
    const double tilt =
        within(dy * DragRadiansPerPixel, std::max(ax + turn - MaxAngleX, -(ay + turn)),
               std::min(ax + turn - MinAngleX, MaxAngleY - (ay + turn)));
    AxisAngle[0] = ax + turn - tilt;
    AxisAngle[1] = ay + turn + tilt;
}

void TChart3D::mouseMoveEvent(QMouseEvent* event) {
    const QPoint at = event->position().toPoint();
    if ((event->buttons() & Qt::LeftButton) == 0) {
        DragMode = 0;
        setCursor(handleAt(at) != 0 ? Qt::SizeAllCursor : Qt::OpenHandCursor);
        return;
    }
    bool valid = false;
    switch (DragMode) {
    case 4:
        turnBy(at.x() - dragFrom_.x(), at.y() - dragFrom_.y());
        Render();
        Blit();
        break;
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

void TChart3D::mouseReleaseEvent(QMouseEvent* event) {
    DragMode = 0;
    setCursor(handleAt(event->position().toPoint()) != 0 ? Qt::SizeAllCursor : Qt::OpenHandCursor);
}
