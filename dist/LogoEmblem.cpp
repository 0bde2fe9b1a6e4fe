#include "LogoEmblem.h"

#include <QDir>

#include <algorithm>
#include <vector>

namespace {

// The logo is drawn on white; antialiased edges are a little darker.
bool isBackground(QRgb c) {
    return qAlpha(c) < 16 || (qRed(c) >= 235 && qGreen(c) >= 235 && qBlue(c) >= 235);
}

bool columnEmpty(const QImage& img, int x) {
    for (int y = 0; y < img.height(); ++y) {
        if (!isBackground(img.pixel(x, y))) {
            return false;
        }
    }
    return true;
}

// Background reachable from the border becomes transparent; white inside the emblem stays.
void clearOutside(QImage& img) {
    const int w = img.width();
    const int h = img.height();
    std::vector<char> seen(static_cast<std::size_t>(w) * static_cast<std::size_t>(h), 0);
    std::vector<QPoint> todo;
    auto push = [&](int x, int y) {
        if (x < 0 || y < 0 || x >= w || y >= h) {
            return;
        }
        char& s = seen[static_cast<std::size_t>(y) * static_cast<std::size_t>(w) +
                       static_cast<std::size_t>(x)];
        if (s || !isBackground(img.pixel(x, y))) {
            return;
        }
        s = 1;
        todo.emplace_back(x, y);
    };
    for (int x = 0; x < w; ++x) {
        push(x, 0);
        push(x, h - 1);
    }
    for (int y = 0; y < h; ++y) {
        push(0, y);
        push(w - 1, y);
    }
    while (!todo.empty()) {
        const QPoint p = todo.back();
        todo.pop_back();
        img.setPixel(p, qRgba(0, 0, 0, 0));
        push(p.x() + 1, p.y());
        push(p.x() - 1, p.y());
        push(p.x(), p.y() + 1);
        push(p.x(), p.y() - 1);
    }
}

} // namespace

QImage LogoEmblem::extract(const QImage& logo) {
    if (logo.isNull()) {
        return QImage();
    }
    const QImage img = logo.convertToFormat(QImage::Format_ARGB32);
    int left = 0;
    while (left < img.width() && columnEmpty(img, left)) {
        ++left;
    }
    if (left == img.width()) {
        return QImage();
    }
    int right = left;
    while (right + 1 < img.width() && !columnEmpty(img, right + 1)) {
        ++right;
    }
    int top = img.height();
    int bottom = -1;
    for (int y = 0; y < img.height(); ++y) {
        for (int x = left; x <= right; ++x) {
            if (!isBackground(img.pixel(x, y))) {
                top = std::min(top, y);
                bottom = std::max(bottom, y);
                break;
            }
        }
    }
    const int w = right - left + 1;
    const int h = bottom - top + 1;
    const int side = std::max(w, h);
    // Square and centred, the padding transparent.
    QImage square(side, side, QImage::Format_ARGB32);
    square.fill(qRgba(255, 255, 255, 255));
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            square.setPixel((side - w) / 2 + x, (side - h) / 2 + y, img.pixel(left + x, top + y));
        }
    }
    clearOutside(square);
    return square;
}

bool LogoEmblem::writeThemeIcons(const QImage& emblem, const QString& dir, const QString& name,
                                 const QList<int>& sizes, QString* error) {
    for (int n : sizes) {
        const QString folder = QStringLiteral("%1/%2x%2/apps").arg(dir).arg(n);
        if (!QDir().mkpath(folder)) {
            *error = QStringLiteral("cannot create %1").arg(folder);
            return false;
        }
        const QString file = QStringLiteral("%1/%2.png").arg(folder, name);
        const QImage icon = emblem.scaled(n, n, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        if (!icon.save(file, "PNG")) {
            *error = QStringLiteral("cannot write %1").arg(file);
            return false;
        }
    }
    return true;
}
