#pragma once

#include <QString>
#include <QStringView>

#include <optional>

// One figure of the table that `make bench` prints. A benchmark announces it on its standard
// output as one line of five tab-separated fields:
//
//     BENCH <tab> figure <tab> value <tab> unit <tab> compare
//
// `compare` is "<= N" (a limit the value should stay at or under), ">= N" (a limit it should
// reach), "ref N" (a reference measured in the same run, no verdict) or "-" (nothing to compare
// with). N is in the value's unit; numbers use a decimal point.
struct BenchRow {
    enum class Compare { None, AtMost, AtLeast, Reference };

    QString figure;
    double value = 0.0;
    QString unit;
    Compare compare = Compare::None;
    double bound = 0.0;

    static BenchRow atMost(const QString& figure, double value, const QString& unit, double limit);
    static BenchRow atLeast(const QString& figure, double value, const QString& unit, double limit);
    static BenchRow reference(const QString& figure, double value, const QString& unit, double ref);
    static BenchRow plain(const QString& figure, double value, const QString& unit);

    // The line a benchmark prints, without the line break.
    QString toLine() const;

    // True for a line that claims to be a row ("BENCH" and a tab), well formed or not.
    static bool isRowLine(QStringView line);
    // Reads a row line; nullopt with `error` set for a line that is not a well-formed row.
    static std::optional<BenchRow> parse(QStringView line, QString* error = nullptr);

    // value / bound; nullopt when there is nothing to compare with or the bound is 0.
    std::optional<double> ratio() const;
    // A limit that the value does not keep. References never break anything.
    bool breaksLimit() const;
    // "<= 90 ms", ">= 5 /s", "ref 37.3 ms" or "-".
    QString compareText() const;

    // Short human text for a number: a few significant digits, no exponent for usual sizes.
    static QString number(double v);
};
