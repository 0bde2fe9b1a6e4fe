#include "SignalPicture.h"

#include <QPainter>
#include <QPen>

#include <cmath>

namespace {

constexpr int Low = 60;  // square traces: low level
constexpr int High = 20; // square traces: high level

class Trace {
public:
    Trace(QPainter& p, int zoom, int width) : p_(p), zoom_(zoom), width_(width) {}

    void moveTo(int x, int y) { at_ = QPoint(x, y); }
    void lineTo(int x, int y) {
        p_.drawLine(at_, QPoint(x, y));
        at_ = QPoint(x, y);
    }

    void sineTooth(int x, int gap, int amplitude, int w, int base) {
        moveTo(x, base);
        if (gap > 0) {
            amplitude = static_cast<int>(amplitude * 1.2);
            w *= gap + 1;
        }
        for (int k = 0; k <= w; ++k) {
            double phi = 6.28 / w * k;
            if (gap > 0) {
                phi = std::sin(phi) + phi;
            }
            lineTo(x + k, static_cast<int>(std::sin(phi) * amplitude + base));
        }
    }

    // A square pulse: low for the first half of the pitch, high for the second.
    void pulse(int x, int pitch) {
        moveTo(x, Low);
        lineTo(x + pitch / 2, Low);
        lineTo(x + pitch / 2, High);
        lineTo(x + pitch, High);
        lineTo(x + pitch, Low);
    }

    void sineRevolution(int start, int count, int missing, int base, int amplitude) {
        dotted(base);
        const int pitch = (360 / count) * zoom_;
        for (int i = 0; i < count; ++i) {
            const int x = start + i * pitch;
            if (i < count - missing - 1) {
                sineTooth(x, 0, amplitude, pitch, base);
            } else {
                sineTooth(x, missing, amplitude, pitch, base);
                break;
            }
        }
    }

    void hallRevolution(int start, int count, int missing) {
        const int pitch = (360 / count) * zoom_;
        for (int i = 0; i < count; ++i) {
            const int x = start + i * pitch;
            if (i < count - missing - 1) {
                pulse(x, pitch);
            } else {
                moveTo(x, Low);
                lineTo(x + pitch * (missing + 1), Low);
                break;
            }
        }
    }

    void pattern17Plus3(int start) {
        const int pitch = 9 * zoom_;
        for (int i = 0; i < 17; ++i) {
            pulse(start + i * pitch, pitch);
        }
        const int x = start + 17 * pitch;
        moveTo(x, Low);
        lineTo(x + 27 * zoom_, Low);
    }

    void pattern12Plus1(int start) {
        const double pitch = 30.0 * zoom_;
        auto at = [&](int i, double part) {
            return static_cast<int>(start + i * pitch + part * pitch);
        };
        for (int i = 0; i < 11; ++i) {
            moveTo(at(i, 0), High);
            lineTo(at(i, 0.8), High);
            lineTo(at(i, 0.8), Low);
            lineTo(at(i, 1.0), Low);
        }
        moveTo(at(11, 0), High);
        lineTo(at(11, 0.2), High);
        lineTo(at(11, 0.2), Low);
        lineTo(at(11, 0.4), Low);
        lineTo(at(11, 0.4), High);
        lineTo(at(11, 0.8), High);
        lineTo(at(11, 0.8), Low);
        lineTo(at(11, 1.0), Low);
    }

private:
    void dotted(int y) {
        const QPen trace = p_.pen();
        p_.setPen(QPen(QColor(128, 128, 128), 0, Qt::DotLine));
        p_.drawLine(0, y, width_, y);
        p_.setPen(trace);
    }

    QPainter& p_;
    int zoom_;
    int width_;
    QPoint at_;
};

} // namespace

QImage SignalPictureImage(int code, int width, int height, int zoom) {
    QImage image(std::max(1, width), std::max(1, height), QImage::Format_RGB32);
    image.fill(QColor(255, 255, 202));
    zoom = zoom < 2 ? 1 : 2;
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setPen(QPen(QColor(0, 0, 255), 0, Qt::SolidLine));
    Trace t(p, zoom, width);

    const bool known = code == 0 || code == 8 || code == 1 || code == 2 || code == 3 ||
                       code == 10 || code == 11 || code == 12;
    if (!known) {
        return image;
    }
    // One revolution (half a revolution for 17+3) after another until the picture is full.
    const int span = (code == 11 ? 180 : 360) * zoom;
    for (int start = -180 * zoom; start < width; start += span) {
        switch (code) {
        case 0:
        case 8:
            t.sineRevolution(start, 60, 2, 20, 18);
            t.sineRevolution(start, 36, 1, 60, 18);
            break;
        case 1:
            t.sineRevolution(start, 60, 2, 40, 30);
            break;
        case 2:
            t.sineRevolution(start, 36, 1, 40, 30);
            break;
        case 3:
            t.sineRevolution(start, 36, 2, 40, 30);
            break;
        case 10:
            t.hallRevolution(start, 60, 2);
            break;
        case 11:
            t.pattern17Plus3(start);
            break;
        case 12:
            t.pattern12Plus1(start);
            break;
        default:
            break;
        }
        if (start + span >= width) {
            break;
        }
    }
    return image;
}
