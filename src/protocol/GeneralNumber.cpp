#include "GeneralNumber.h"

#include <QLocale>

#include <charconv>
#include <cmath>
#include <cstring>

namespace {

constexpr int Digits = 15;

} // namespace

GeneralNumber::GeneralNumber(double value) {
    if (value == 0.0 || !std::isfinite(value)) {
        text_[0] = '0'; // never "-0"; nothing on the line can make an infinity
        size_ = 1;
        return;
    }
    if (!quickDigits(value)) {
        // 'g' with 15 significant digits drops trailing zeros; only the decimal separator
        // follows the locale (no group separators).
        slow_ = QString::number(value, 'g', Digits);
        const qsizetype dot = slow_.indexOf(QLatin1Char('.'));
        if (dot >= 0) {
            const QString point = QLocale().decimalPoint();
            if (point != QLatin1String(".")) {
                slow_.replace(QLatin1Char('.'), point);
            }
        }
        return;
    }
    // A whole number has no separator: the locale (a look-up of the system's settings) is
    // asked only when there is one to replace.
    if (point_ >= 0) {
        separator_ = QLocale().decimalPoint();
    }
}

// The plain form of 'g' (decimal exponents -4 to 14), as the C library's 15-digit 'g' writes
// it: the same correctly rounded digits as QString::number, but for an exact half at the
// 16th significant digit, which QString::number rounds up and the C library to even. Such a
// value is a 16-digit decimal, so its shortest form has 16 digits ending in 5 (a shorter one
// leaves no half to round): those, and the exponent form, are left to QString::number (false).
bool GeneralNumber::quickDigits(double value) {
    const double magnitude = std::fabs(value);
    if (magnitude < 1e-4 || magnitude >= 1e15) {
        return false;
    }
    // "d.ddde-05": the exponent always has a sign and two digits here.
    char shortest[32];
    const auto s = std::to_chars(shortest, shortest + sizeof shortest, magnitude,
                                 std::chars_format::scientific);
    const std::ptrdiff_t mantissa = s.ptr - shortest - 4;
    if (mantissa == 17 && shortest[16] == '5') { // "d." and 15 digits
        return false;
    }
    const auto g =
        std::to_chars(text_, text_ + sizeof text_, value, std::chars_format::general, Digits);
    size_ = g.ptr - text_;
    const void* dot = std::memchr(text_, '.', std::size_t(size_));
    point_ = dot == nullptr ? -1 : static_cast<const char*>(dot) - text_;
    return true;
}

void GeneralNumber::appendTo(QChar*& out) const {
    if (!slow_.isNull()) {
        std::memcpy(static_cast<void*>(out), slow_.constData(),
                    std::size_t(slow_.size()) * sizeof(QChar));
        out += slow_.size();
        return;
    }
    for (qsizetype i = 0; i < size_; ++i) {
        if (i == point_) {
            for (const QChar c : separator_) {
                *out++ = c;
            }
        } else {
            *out++ = QLatin1Char(text_[i]);
        }
    }
}

QString GeneralNumber::toString() const {
    if (!slow_.isNull()) {
        return slow_;
    }
    QString s(size(), Qt::Uninitialized);
    QChar* out = s.data();
    appendTo(out);
    return s;
}
