#pragma once

#include "BenchRow.h"

#include <QString>
#include <QStringList>
#include <QStringView>

#include <vector>

// Collects the rows that the benchmark programs print, program by program, and lays them out as
// one table: figure, value, limit or reference, ratio. A program that could not measure a part
// says so with a line of its own instead of a figure, shown in the table (never a number):
//
//     BENCH-NOT-MEASURED <tab> what <tab> why Lines that are not rows are left to the
// caller (the full reports go to a log); a row line that is not well formed, or a program that
// fails, is noted under the table rather than dropped silently.
class BenchTable {
public:
    void startProgram(const QString& name);
    // One line of the current program's output; returns true when it was a row line (good or
    // bad) or a not-measured line.
    bool addLine(QStringView line);
    // `failure` is empty when the program ended normally, otherwise what went wrong.
    void finishProgram(const QString& failure = QString());

    // The table with one padded Markdown row per figure and a heading row per program, then the
    // notes.
    QString render() const;

    int rowCount() const;
    int rowCount(const QString& program) const;
    int limitsBroken() const;
    // Failed programs and malformed row lines.
    int problems() const { return static_cast<int>(notes_.size()); }
    const QStringList& notes() const { return notes_; }

private:
    struct Program {
        QString name;
        std::vector<BenchRow> rows;
        QStringList notMeasured; // "what: not measured (why)"
    };
    std::vector<Program> programs_;
    QStringList notes_;
};
