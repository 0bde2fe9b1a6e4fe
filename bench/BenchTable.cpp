#include "BenchTable.h"

#include <algorithm>
#include <array>

void BenchTable::startProgram(const QString& name) {
    programs_.push_back(Program{name, {}, {}});
}

namespace {
const QLatin1String kNotMeasuredTag("BENCH-NOT-MEASURED\t");
}

bool BenchTable::addLine(QStringView line) {
    const bool notMeasured = line.startsWith(kNotMeasuredTag);
    if (!notMeasured && !BenchRow::isRowLine(line)) {
        return false;
    }
    if (programs_.empty()) {
        startProgram(QStringLiteral("(unnamed)"));
    }
    Program& p = programs_.back();
    if (notMeasured) {
        const QList<QStringView> f = line.mid(kNotMeasuredTag.size()).split(u'\t');
        const QString what = f.front().trimmed().toString();
        const QString why = f.size() > 1 ? f[1].trimmed().toString() : QString();
        p.notMeasured << (what.isEmpty() ? QStringLiteral("(unnamed)") : what) +
                             QStringLiteral(": not measured") +
                             (why.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(why));
        return true;
    }
    QString error;
    if (const std::optional<BenchRow> row = BenchRow::parse(line, &error)) {
        p.rows.push_back(*row);
    } else {
        notes_ << QStringLiteral("%1: row not understood (%2): %3")
                      .arg(p.name, error,
                           line.trimmed().toString().replace(QLatin1Char('\t'),
                                                             QLatin1String("<TAB>")));
    }
    return true;
}

void BenchTable::finishProgram(const QString& failure) {
    if (programs_.empty() || failure.isEmpty()) {
        return;
    }
    notes_
        << QStringLiteral("%1: %2; its figures may be missing").arg(programs_.back().name, failure);
}

int BenchTable::rowCount() const {
    int n = 0;
    for (const Program& p : programs_) {
        n += static_cast<int>(p.rows.size());
    }
    return n;
}

int BenchTable::rowCount(const QString& program) const {
    for (const Program& p : programs_) {
        if (p.name == program) {
            return static_cast<int>(p.rows.size());
        }
    }
    return 0;
}

int BenchTable::limitsBroken() const {
    int n = 0;
    for (const Program& p : programs_) {
        n += static_cast<int>(std::count_if(p.rows.begin(), p.rows.end(),
                                            [](const BenchRow& r) { return r.breaksLimit(); }));
    }
    return n;
}

QString BenchTable::render() const {
    using Cells = std::array<QString, 4>;
    std::vector<Cells> lines;
    lines.push_back({QStringLiteral("Figure"), QStringLiteral("Value"),
                     QStringLiteral("Limit or reference"), QStringLiteral("Ratio")});
    for (const Program& p : programs_) {
        lines.push_back({QStringLiteral("**%1**").arg(p.name), QString(), QString(), QString()});
        for (const QString& n : p.notMeasured) {
            lines.push_back({n, QString(), QString(), QString()});
        }
        if (p.rows.empty() && p.notMeasured.isEmpty()) {
            lines.push_back({QStringLiteral("(no figures)"), QString(), QString(), QString()});
        }
        for (const BenchRow& r : p.rows) {
            const std::optional<double> ratio = r.ratio();
            QString ratioText = ratio ? BenchRow::number(*ratio) : QStringLiteral("-");
            if (r.breaksLimit()) {
                ratioText += r.compare == BenchRow::Compare::AtMost ? QStringLiteral(" OVER")
                                                                    : QStringLiteral(" UNDER");
            }
            const QString value = BenchRow::number(r.value) +
                                  (r.unit.isEmpty() ? QString() : QLatin1Char(' ') + r.unit);
            lines.push_back({r.figure, value, r.compareText(), ratioText});
        }
    }
    std::array<qsizetype, 4> width{};
    for (const Cells& c : lines) {
        for (std::size_t i = 0; i < c.size(); ++i) {
            width[i] = std::max(width[i], c[i].size());
        }
    }
    QString out;
    auto writeRow = [&out, &width](const Cells& c) {
        out += QLatin1Char('|');
        for (std::size_t i = 0; i < c.size(); ++i) {
            // Numbers right-aligned, names left-aligned.
            const QString cell =
                i == 0 ? c[i].leftJustified(width[i]) : c[i].rightJustified(width[i]);
            out += QLatin1Char(' ') + cell + QLatin1String(" |");
        }
        out += QLatin1Char('\n');
    };
    writeRow(lines.front());
    out += QLatin1Char('|');
    for (std::size_t i = 0; i < width.size(); ++i) {
        out += QString(width[i] + 1, QLatin1Char('-')) +
               (i == 0 ? QLatin1String("-|") : QLatin1String(":|"));
    }
    out += QLatin1Char('\n');
    for (std::size_t i = 1; i < lines.size(); ++i) {
        writeRow(lines[i]);
    }
    for (const QString& n : notes_) {
        out += QLatin1Char('\n') + n;
    }
    if (!notes_.isEmpty()) {
        out += QLatin1Char('\n');
    }
    return out;
}
