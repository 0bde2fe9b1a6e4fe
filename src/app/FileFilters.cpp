#include "FileFilters.h"

namespace FileFilters {

QString nameFilter(const QString& name, const QString& pattern) {
    QStringList patterns;
    for (const QString& p : pattern.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        const QString one = p.trimmed();
        patterns << (one == QStringLiteral("*.*") ? QStringLiteral("*") : one);
    }
    QString label = name.trimmed();
    const qsizetype open = label.lastIndexOf(QLatin1Char('('));
    if (open > 0 && label.endsWith(QLatin1Char(')'))) {
        label = label.left(open).trimmed();
    }
    return label + QStringLiteral(" (") + patterns.join(QLatin1Char(' ')) + QLatin1Char(')');
}

QStringList nameFilters(const QString& text) {
    const QStringList parts = text.split(QLatin1Char('|'));
    QStringList filters;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        filters << nameFilter(parts[i], parts[i + 1]);
    }
    return filters;
}

} // namespace FileFilters
