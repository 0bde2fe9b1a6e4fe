#pragma once

#include <QStringBuilder>

#include <charconv>
#include <cstdint>

// A number's text held on the stack, for texts built with `%` (QStringBuilder): the decimal
// form QString::number gives, or two upper-case hex digits (the frame log's byte form). A report
// line with numbers in it is then one allocation instead of one for each number too.
class NumberText {
public:
    explicit NumberText(qint64 value) {
        size_ = std::to_chars(digits_, digits_ + sizeof digits_, value).ptr - digits_;
    }
    static NumberText hex2(std::uint8_t value) {
        constexpr char Digits[] = "0123456789ABCDEF";
        NumberText t;
        t.digits_[0] = Digits[value >> 4];
        t.digits_[1] = Digits[value & 0x0F];
        t.size_ = 2;
        return t;
    }

    qsizetype size() const { return size_; }
    const char* data() const { return digits_; }

private:
    NumberText() = default;

    char digits_[20] = {}; // "-9223372036854775808"
    qsizetype size_ = 0;
};

template <> struct QConcatenable<NumberText> {
    typedef NumberText type;
    typedef QString ConvertTo;
    enum { ExactSize = true };
    static qsizetype size(const NumberText& n) { return n.size(); }
    static inline void appendTo(const NumberText& n, QChar*& out) {
        for (qsizetype i = 0; i < n.size(); ++i) {
            *out++ = QLatin1Char(n.data()[i]);
        }
    }
};
