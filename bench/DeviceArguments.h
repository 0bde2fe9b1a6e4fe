#pragma once

#include <QString>
#include <QStringList>

// The command line of the benchmarks that measure the program against a controller on a named
// port (`--device COM9`, `--seconds 10`, `--label "..."`): the value after a name, or a fallback.
namespace DeviceArguments {

inline QString text(const QStringList& args, const QString& name, const QString& fallback = {}) {
    const qsizetype at = args.indexOf(name);
    return at > 0 && at + 1 < args.size() ? args[at + 1] : fallback;
}

inline int number(const QStringList& args, const QString& name, int fallback) {
    bool ok = false;
    const int v = text(args, name).toInt(&ok);
    return ok && v > 0 ? v : fallback;
}

} // namespace DeviceArguments
