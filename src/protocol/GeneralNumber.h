#pragma once

#include <QString>
#include <QStringBuilder>

// GeneralText's text of a number, held on the stack for texts built with `%` (QStringBuilder):
// a label or report line with a fraction in it is then one allocation instead of two. The
// text is that of QString::number(value, 'g', 15) with the locale's decimal separator; the
// C library's conversion makes it without a string of its own, and the few values it would
// round otherwise (an exact half at the 16th digit) or write in the exponent form take
// QString::number itself.
class GeneralNumber {
public:
    explicit GeneralNumber(double value);

    qsizetype size() const {
        return slow_.isNull() ? size_ - (point_ < 0 ? 0 : 1) + separator_.size() : slow_.size();
    }
    void appendTo(QChar*& out) const;
    QString toString() const;

private:
    bool quickDigits(double value);

    char text_[24] = {}; // "-0.000123456789012345": sign, "0.", 3 zeros, 15 digits
    qsizetype size_ = 0;
    qsizetype point_ = -1; // where "." is in text_; -1: a whole number
    QString separator_;    // the locale's decimal separator, when there is a point
    QString slow_;         // the whole text, when the quick form was not sure
};

template <> struct QConcatenable<GeneralNumber> {
    typedef GeneralNumber type;
    typedef QString ConvertTo;
    enum { ExactSize = true };
    static qsizetype size(const GeneralNumber& n) { return n.size(); }
    static inline void appendTo(const GeneralNumber& n, QChar*& out) { n.appendTo(out); }
};
