#include "MapTools.h"

#include "MapCellValue.h"

#include <QStringList>

#include <algorithm>
#include <cmath>

namespace MapTools {

int clampCell(double value) {
    const double rounded = std::round(value); // half away from zero
    return static_cast<int>(std::clamp(rounded, double(CellMin), double(CellMax)));
}

Block setTo(Block block, int value) {
    std::fill(block.values.begin(), block.values.end(), std::clamp(value, CellMin, CellMax));
    return block;
}

Block add(Block block, int delta) {
    for (int& v : block.values) {
        v = std::clamp(v + delta, CellMin, CellMax);
    }
    return block;
}

Block scale(Block block, double percent) {
    for (int& v : block.values) {
        v = clampCell(v * percent / 100.0);
    }
    return block;
}

namespace {

double between(double from, double to, int i, int n) {
    return n <= 1 ? from : from + (to - from) * i / (n - 1);
}

} // namespace

Block interpolate(Block block, Direction direction) {
    const Block before = block;
    const int w = block.columns;
    const int h = block.rows;
    for (int r = 0; r < h; ++r) {
        for (int c = 0; c < w; ++c) {
            double v = before.at(c, r);
            switch (direction) {
            case Direction::Rows:
                v = between(before.at(0, r), before.at(w - 1, r), c, w);
                break;
            case Direction::Columns:
                v = between(before.at(c, 0), before.at(c, h - 1), r, h);
                break;
            case Direction::Both: {
                const double top = between(before.at(0, 0), before.at(w - 1, 0), c, w);
                const double bottom = between(before.at(0, h - 1), before.at(w - 1, h - 1), c, w);
                v = between(top, bottom, r, h);
                break;
            }
            }
            block.at(c, r) = clampCell(v);
        }
    }
    return block;
}

Block smooth(const Block& block) {
    Block out = block;
    const int w = block.columns;
    const int h = block.rows;
    for (int r = 0; r < h; ++r) {
        for (int c = 0; c < w; ++c) {
            const bool corner = (c == 0 || c == w - 1) && (r == 0 || r == h - 1);
            if (corner) {
                continue;
            }
            int sum = 0;
            int n = 0;
            for (int rr = std::max(0, r - 1); rr <= std::min(h - 1, r + 1); ++rr) {
                for (int cc = std::max(0, c - 1); cc <= std::min(w - 1, c + 1); ++cc) {
                    sum += block.at(cc, rr);
                    ++n;
                }
            }
            out.at(c, r) = clampCell(double(sum) / n);
        }
    }
    return out;
}

QString toText(const Block& block) {
    QString text;
    for (int r = 0; r < block.rows; ++r) {
        QStringList fields;
        for (int c = 0; c < block.columns; ++c) {
            fields << MapCellValue::text(block.at(c, r));
        }
        text += fields.join(QLatin1Char('\t')) + QLatin1Char('\n');
    }
    return text;
}

Pasted fromText(const QString& text) {
    Pasted p;
    QStringList lines = text.split(QLatin1Char('\n'));
    for (QString& line : lines) {
        if (line.endsWith(QLatin1Char('\r'))) {
            line.chop(1);
        }
    }
    // Spreadsheets end the last row with a line break.
    while (!lines.isEmpty() && lines.last().trimmed().isEmpty()) {
        lines.removeLast();
    }
    int columns = 0;
    for (const QString& line : lines) {
        columns = std::max<int>(columns, int(line.split(QLatin1Char('\t')).size()));
    }
    p.block = Block(columns, int(lines.size()));
    p.keep = QVector<bool>(columns * int(lines.size()), true);
    for (int r = 0; r < lines.size(); ++r) {
        const QStringList fields = lines[r].split(QLatin1Char('\t'));
        for (int c = 0; c < fields.size(); ++c) {
            QString field = fields[c].trimmed();
            if (field.isEmpty()) {
                continue;
            }
            field.replace(QLatin1Char(','), QLatin1Char('.'));
            bool ok = false;
            const double degrees = field.toDouble(&ok);
            if (!ok || !std::isfinite(degrees)) {
                p.badLine = r + 1;
                p.badField = fields[c].trimmed();
                return p;
            }
            if (degrees < -25.6 || degrees > 25.4) {
                ++p.clamped;
            }
            p.block.at(c, r) = MapCellValue::stepsOf(degrees);
            p.keep[r * columns + c] = false;
        }
    }
    return p;
}

} // namespace MapTools
