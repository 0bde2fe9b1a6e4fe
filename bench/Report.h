#pragma once

#include "BenchRow.h"

#include <QString>

// Plain-text output of the benchmarks: a title block naming the machine, section headings and
// indented figure lines, flushed at once so that a long run shows its progress.
class Report {
public:
    static void title(const QString& name, const QString& what);
    static void heading(const QString& text);
    static void line(const QString& text);
    // "  label ........ value" with the label padded to a common width.
    static void figure(const QString& label, const QString& value);
    // A figure for the table of `make bench`: one "BENCH<tab>..." line (see BenchRow.h).
    static void row(const BenchRow& row);
};
