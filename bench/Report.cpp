#include "Report.h"

#include <QDateTime>
#include <QSysInfo>
#include <QThread>

#include <cstdio>

namespace {
void out(const QString& text) {
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, static_cast<std::size_t>(bytes.size()), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}
} // namespace

void Report::title(const QString& name, const QString& what) {
    out(QStringLiteral("== %1: %2").arg(name, what));
    out(QStringLiteral("   %1 UTC, %2 logical cores, %3")
            .arg(QDateTime::currentDateTimeUtc().toString(QStringLiteral("yyyy-MM-dd HH:mm")))
            .arg(QThread::idealThreadCount())
            .arg(QSysInfo::prettyProductName()));
}

void Report::heading(const QString& text) {
    out(QString());
    out(QStringLiteral("-- ") + text);
}

void Report::line(const QString& text) {
    out(QStringLiteral("   ") + text);
}

void Report::figure(const QString& label, const QString& value) {
    out(QStringLiteral("   %1 %2").arg(label.leftJustified(38, QLatin1Char(' ')), value));
}

void Report::row(const BenchRow& row) {
    out(row.toLine());
}
