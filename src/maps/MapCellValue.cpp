#include "MapCellValue.h"

#include "GeneralText.h"

#include <QByteArrayView>
#include <QLocale>
#include <QRegularExpression>
#include <QVarLengthArray>

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

namespace {

bool isDigit(char16_t c) {
    return c >= u'0' && c <= u'9';
}

// leadingNumber on a view of the text, the character at `point` (if any) read as ".": the
// chart cursor asks for every cell, so nothing is copied but the number's own characters.
double leadingNumberOf(QStringView text, qsizetype point) {
    const auto at = [text, point](qsizetype i) -> char16_t {
        return i == point ? u'.' : text[i].unicode();
    };
    const qsizetype size = text.size();
    qsizetype i = 0;
    while (i < size && (at(i) == u' ' || at(i) == u'\t')) {
        ++i;
    }
    const qsizetype start = i;
    if (i < size && (at(i) == u'+' || at(i) == u'-')) {
        ++i;
    }
    qsizetype digits = 0;
    while (i < size && isDigit(at(i))) {
        ++i;
        ++digits;
    }
    if (i < size && at(i) == u'.') {
        ++i;
        while (i < size && isDigit(at(i))) {
            ++i;
            ++digits;
        }
    }
    if (digits == 0) {
        return 0.0;
    }
    qsizetype end = i;
    // An exponent counts only when digits follow it.
    if (i < size && (at(i) == u'e' || at(i) == u'E')) {
        qsizetype j = i + 1;
        if (j < size && (at(j) == u'+' || at(j) == u'-')) {
            ++j;
        }
        if (j < size && isDigit(at(j))) {
            while (j < size && isDigit(at(j))) {
                ++j;
            }
            end = j;
        }
    }
    // Signs, digits, "." and "e" only: the same characters as bytes.
    QVarLengthArray<char, 64> number(end - start);
    for (qsizetype k = start; k < end; ++k) {
        number[k - start] = static_cast<char>(at(k));
    }
    bool ok = false;
    const double value = QByteArrayView(number.constData(), number.size()).toDouble(&ok);
    return ok && std::isfinite(value) ? value : 0.0;
}

} // namespace

double leadingNumber(const QString& text) {
    return leadingNumberOf(text, -1);
}

double angleOf(const QString& cellText) {
    return leadingNumberOf(cellText, cellText.indexOf(QLatin1Char(',')));
}

namespace {

// The whole text is one number: a sign, Latin digits with at most one "." (the first "," is
// read as one), an exponent with its digits. Blanks around it are trimmed before.
bool wholeNumber(const QString& t) {
    static const QRegularExpression number(
        QStringLiteral("^[+-]?([0-9]+\\.?[0-9]*|\\.[0-9]+)([eE][+-]?[0-9]+)?$"));
    QString n = t;
    const qsizetype comma = n.indexOf(QLatin1Char(','));
    if (comma >= 0) {
        n[comma] = QLatin1Char('.');
    }
    return number.match(n).hasMatch();
}

bool stillTyping(const QString& t) {
    if (t.isEmpty() || t.endsWith(QLatin1Char('.')) || t.endsWith(QLatin1Char(',')) ||
        t == QLatin1String("-") || t == QLatin1String("+")) {
        return true;
    }
    // One more digit makes it a number: "1e", "1e-", "-.".
    return !wholeNumber(t) && wholeNumber(t + QLatin1Char('0'));
}

} // namespace

std::optional<Typed> typed(const QString& text) {
    const QString t = text.trimmed();
    if (stillTyping(t) || !wholeNumber(t)) {
        return std::nullopt;
    }
    // A number too large to hold (1e999) reads as no number at all rather than as 0.
    bool ok = false;
    QString n = t;
    n.replace(QLatin1Char(','), QLatin1Char('.'));
    const double value = QLocale::c().toDouble(n, &ok);
    if (!ok || !std::isfinite(value)) {
        return std::nullopt;
    }
    Typed r;
    r.angle = std::clamp(value, -25.6, 25.4);
    r.v = stepsOf(r.angle);
    return r;
}

bool notANumber(const QString& text) {
    const QString t = text.trimmed();
    return !stillTyping(t) && !typed(t).has_value();
}

int stepsOf(double degrees) {
    // Values on the 0.2 grid must land on their own step: 25.4 * 5 is a hair below 127 in
    // binary, so truncate with a margin far below one step.
    const double steps = std::clamp(degrees, -25.6, 25.4) * 5.0;
    return static_cast<int>(std::trunc(steps + (steps < 0 ? -1e-9 : 1e-9)));
}

WriteRange writeRange(const QRect& selection) {
    return {(selection.left() - 1) * 16 + (selection.top() - 1),
            (selection.right() - 1) * 16 + (selection.bottom() - 1)};
}

} // namespace MapCellValue
