#include "BenchRow.h"

#include <QLocale>
#include <QStringList>

#include <cmath>

namespace {
const QString kTag = QStringLiteral("BENCH");

// Fields are separated by tabs, so a tab or line break inside one would shift the others.
QString clean(QString s) {
    s.replace(QLatin1Char('\t'), QLatin1Char(' '));
    s.replace(QLatin1Char('\n'), QLatin1Char(' '));
    s.replace(QLatin1Char('\r'), QLatin1Char(' '));
    return s.trimmed();
}

QString wireNumber(double v) {
    return QString::number(v, 'g', QLocale::FloatingPointShortest);
}

std::optional<double> readNumber(QStringView text) {
    bool ok = false;
    const double v = text.trimmed().toDouble(&ok);
    if (!ok || !std::isfinite(v)) {
        return std::nullopt;
    }
    return v;
}

BenchRow make(const QString& figure, double value, const QString& unit, BenchRow::Compare c,
              double bound) {
    BenchRow r;
    r.figure = figure;
    r.value = value;
    r.unit = unit;
    r.compare = c;
    r.bound = bound;
    return r;
}
} // namespace

BenchRow BenchRow::atMost(const QString& figure, double value, const QString& unit, double limit) {
    return make(figure, value, unit, Compare::AtMost, limit);
}

BenchRow BenchRow::atLeast(const QString& figure, double value, const QString& unit, double limit) {
    return make(figure, value, unit, Compare::AtLeast, limit);
}

BenchRow BenchRow::reference(const QString& figure, double value, const QString& unit, double ref) {
    return make(figure, value, unit, Compare::Reference, ref);
}

BenchRow BenchRow::plain(const QString& figure, double value, const QString& unit) {
    return make(figure, value, unit, Compare::None, 0.0);
}

QString BenchRow::toLine() const {
    QString cmp;
    switch (compare) {
    case Compare::None:
        cmp = QStringLiteral("-");
        break;
    case Compare::AtMost:
        cmp = QStringLiteral("<= ") + wireNumber(bound);
        break;
    case Compare::AtLeast:
        cmp = QStringLiteral(">= ") + wireNumber(bound);
        break;
    case Compare::Reference:
        cmp = QStringLiteral("ref ") + wireNumber(bound);
        break;
    }
    const QString u = clean(unit);
    return QStringList{kTag, clean(figure), wireNumber(value),
                       u.isEmpty() ? QStringLiteral("-") : u, cmp}
        .join(QLatin1Char('\t'));
}

bool BenchRow::isRowLine(QStringView line) {
    return line.startsWith(kTag + QLatin1Char('\t'));
}

std::optional<BenchRow> BenchRow::parse(QStringView line, QString* error) {
    auto fail = [error](const QString& why) -> std::optional<BenchRow> {
        if (error) {
            *error = why;
        }
        return std::nullopt;
    };
    while (line.endsWith(QLatin1Char('\n')) || line.endsWith(QLatin1Char('\r'))) {
        line.chop(1);
    }
    if (!isRowLine(line)) {
        return fail(QStringLiteral("does not start with BENCH and a tab"));
    }
    const QList<QStringView> f = line.split(QLatin1Char('\t'));
    if (f.size() != 5) {
        return fail(QStringLiteral("%1 fields instead of 5").arg(f.size()));
    }
    BenchRow r;
    r.figure = f[1].trimmed().toString();
    if (r.figure.isEmpty()) {
        return fail(QStringLiteral("no figure name"));
    }
    const std::optional<double> value = readNumber(f[2]);
    if (!value) {
        return fail(QStringLiteral("value \"%1\" is not a number").arg(f[2]));
    }
    r.value = *value;
    r.unit = f[3].trimmed().toString();
    if (r.unit == QLatin1String("-")) {
        r.unit.clear();
    }
    const QStringView cmp = f[4].trimmed();
    if (cmp == QLatin1String("-") || cmp.isEmpty()) {
        return r;
    }
    QStringView rest;
    if (cmp.startsWith(QLatin1String("<="))) {
        r.compare = Compare::AtMost;
        rest = cmp.mid(2);
    } else if (cmp.startsWith(QLatin1String(">="))) {
        r.compare = Compare::AtLeast;
        rest = cmp.mid(2);
    } else if (cmp.startsWith(QLatin1String("ref"))) {
        r.compare = Compare::Reference;
        rest = cmp.mid(3);
    } else {
        return fail(QStringLiteral("compare field \"%1\" is not \"<= N\", \">= N\", \"ref N\" or "
                                   "\"-\"")
                        .arg(cmp));
    }
    const std::optional<double> bound = readNumber(rest);
    if (!bound) {
        return fail(QStringLiteral("limit or reference \"%1\" is not a number").arg(rest));
    }
    r.bound = *bound;
    return r;
}

std::optional<double> BenchRow::ratio() const {
    if (compare == Compare::None || bound == 0.0) {
        return std::nullopt;
    }
    return value / bound;
}

bool BenchRow::breaksLimit() const {
    switch (compare) {
    case Compare::AtMost:
        return value > bound;
    case Compare::AtLeast:
        return value < bound;
    case Compare::None:
    case Compare::Reference:
        return false;
    }
    return false;
}

QString BenchRow::compareText() const {
    const QString u = unit.isEmpty() ? QString() : QLatin1Char(' ') + unit;
    switch (compare) {
    case Compare::None:
        return QStringLiteral("-");
    case Compare::AtMost:
        return QStringLiteral("<= ") + number(bound) + u;
    case Compare::AtLeast:
        return QStringLiteral(">= ") + number(bound) + u;
    case Compare::Reference:
        return QStringLiteral("ref ") + number(bound) + u;
    }
    return QString();
}

QString BenchRow::number(double v) {
    const double a = std::fabs(v);
    if (a == 0.0) {
        return QStringLiteral("0");
    }
    if (a >= 1e9 || a < 0.001) {
        return QString::number(v, 'g', 3);
    }
    const int decimals = a >= 100.0 ? 0 : a >= 10.0 ? 1 : a >= 1.0 ? 2 : 3;
    QString s = QString::number(v, 'f', decimals);
    if (s.contains(QLatin1Char('.'))) {
        while (s.endsWith(QLatin1Char('0'))) {
            s.chop(1);
        }
        if (s.endsWith(QLatin1Char('.'))) {
            s.chop(1);
        }
    }
    return s;
}
