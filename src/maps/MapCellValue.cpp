#include "MapCellValue.h"

#include "GeneralText.h"

#include <algorithm>
#include <cmath>

namespace MapCellValue {

QString text(int v) {
    return GeneralText(v * 0.2);
}

double chartValue(int v) {
    return (v + 128) * 0.2;
}

int stepped(int v, bool up) {
    if (up) {
        return v < 127 ? v + 1 : v;
    }
    return v > -128 ? v - 1 : v;
}

double leadingNumber(const QString& text) {
    const QByteArray s = text.toLatin1();
    qsizetype i = 0;
    while (i < s.size() && (s[i] == ' ' || s[i] == '\t')) {
        ++i;
    }
    const qsizetype start = i;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) {
        ++i;
    }
    qsizetype digits = 0;
    while (i < s.size() && std::isdigit(static_cast<unsigned char>(s[i]))) {
        ++i;
        ++digits;
    }
    if (i < s.size() && s[i] == '.') {
        ++i;
        while (i < s.size() && std::isdigit(static_cast<unsigned char>(s[i]))) {
            ++i;
            ++digits;
        }
    }
    if (digits == 0) {
        return 0.0;
    }
    qsizetype end = i;
    // An exponent counts only when digits follow it.
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
        qsizetype j = i + 1;
        if (j < s.size() && (s[j] == '+' || s[j] == '-')) {
            ++j;
        }
        if (j < s.size() && std::isdigit(static_cast<unsigned char>(s[j]))) {
            while (j < s.size() && std::isdigit(static_cast<unsigned char>(s[j]))) {
                ++j;
            }
            end = j;
        }
    }
    bool ok = false;
    const double value = QByteArray(s.constData() + start, end - start).toDouble(&ok);
    return ok && std::isfinite(value) ? value : 0.0;
}

double angleOf(const QString& cellText) {
    QString t = cellText;
    const qsizetype comma = t.indexOf(QLatin1Char(','));
    if (comma >= 0) {
        t[comma] = QLatin1Char('.');
    }
    return leadingNumber(t);
}

std::optional<Typed> typed(const QString& text) {
    const QString t = text.trimmed();
    if (t.isEmpty() || t.endsWith(QLatin1Char('.')) || t.endsWith(QLatin1Char(',')) ||
        t == QLatin1String("-") || t == QLatin1String("+")) {
        return std::nullopt;
    }
    Typed r;
    r.angle = std::clamp(angleOf(t), -25.6, 25.4);
    // Values on the 0.2 grid must land on their own step: 25.4 * 5 is a hair below 127 in
    // binary, so truncate with a margin far below one step.
    const double steps = r.angle * 5.0;
    r.v = static_cast<int>(std::trunc(steps + (steps < 0 ? -1e-9 : 1e-9)));
    return r;
}

WriteRange writeRange(const QRect& selection) {
    return {(selection.left() - 1) * 16 + (selection.top() - 1),
            (selection.right() - 1) * 16 + (selection.bottom() - 1)};
}

} // namespace MapCellValue
