#include "SimConfig.h"

namespace {
struct Name {
    const char* text;
    SimFault::Kind kind;
};
constexpr Name kNames[] = {
    {"silence", SimFault::Silence},      {"late", SimFault::Late},
    {"checksum", SimFault::BadChecksum}, {"garbage", SimFault::Garbage},
    {"truncate", SimFault::Truncated},   {"start", SimFault::WrongStart},
    {"hangup", SimFault::HangUp},        {"split", SimFault::Split},
};

bool toInt(const QString& s, int* out) {
    bool ok = false;
    const int v = s.trimmed().toInt(&ok, 0); // accepts 0x50 as well as 80
    if (ok)
        *out = v;
    return ok && v >= 0;
}
} // namespace

QStringList SimFault::names() {
    QStringList list;
    for (const Name& n : kNames)
        list << QString::fromLatin1(n.text);
    return list;
}

std::optional<SimFault> SimFault::parse(const QString& text, QString* error) {
    auto fail = [&](const QString& why) -> std::optional<SimFault> {
        if (error)
            *error = why;
        return std::nullopt;
    };
    QString rest = text.trimmed();
    SimFault f;
    const int slash = rest.indexOf(QLatin1Char('/'));
    if (slash >= 0) {
        if (!toInt(rest.mid(slash + 1), &f.everyNth) || f.everyNth < 1)
            return fail(QStringLiteral("bad repeat count in \"%1\"").arg(text));
        rest.truncate(slash);
    }
    const int at = rest.indexOf(QLatin1Char('@'));
    if (at >= 0) {
        const QString what = rest.mid(at + 1).trimmed();
        if (what.startsWith(QLatin1String("block"), Qt::CaseInsensitive)) {
            if (!toInt(what.mid(5), &f.atBlock) || f.atBlock > 1023)
                return fail(QStringLiteral("bad block number in \"%1\"").arg(text));
        } else if (!toInt(what, &f.onlyCommand) || f.onlyCommand > 0xFF) {
            return fail(QStringLiteral("bad request code in \"%1\"").arg(text));
        }
        rest.truncate(at);
    }
    const int colon = rest.indexOf(QLatin1Char(':'));
    if (colon >= 0) {
        if (!toInt(rest.mid(colon + 1), &f.arg))
            return fail(QStringLiteral("bad argument in \"%1\"").arg(text));
        rest.truncate(colon);
    }
    for (const Name& n : kNames) {
        if (rest.compare(QLatin1String(n.text), Qt::CaseInsensitive) == 0) {
            f.kind = n.kind;
            // A block's request comes once: no repeat count, no requests let through first, and
            // the line stays.
            if (f.atBlock >= 0 && (slash >= 0 || f.kind == SimFault::HangUp ||
                                   (f.kind == SimFault::Silence && colon >= 0)))
                return fail(QStringLiteral("\"%1\": @block takes no /N, no silence:N and no "
                                           "hangup")
                                .arg(text));
            return f;
        }
    }
    return fail(QStringLiteral("unknown fault \"%1\" (known: %2)")
                    .arg(rest, names().join(QStringLiteral(", "))));
}
