#include "PersistedSettings.h"

#include <QFileInfo>
#include <QSettings>

namespace {

// One value: false when it is missing or not a whole number that fits 32 bits.
bool readInt(const QSettings& settings, const char* name, int& out) {
    const QString key = QString::fromLatin1(name);
    if (!settings.contains(key)) {
        return false;
    }
    bool ok = false;
    int value = settings.value(key).toString().trimmed().toInt(&ok);
    if (!ok) {
        return false;
    }
    out = value;
    return true;
}

} // namespace

PersistedSettings::Values PersistedSettings::Read() {
    Values values;
    QSettings settings(QStringLiteral("Merka"), QStringLiteral("Durorude"));
    // Reading only: a missing file stays missing. QSettings does not create it on read.
    if (settings.status() != QSettings::NoError) {
        return values;
    }
    int comm = values.Comm;
    if (!readInt(settings, "Comm", comm)) {
        return values;
    }
    values.Comm = comm;
    int lang = values.Lang;
    if (readInt(settings, "Lang", lang)) {
        values.Lang = lang;
    }
    return values;
}

bool PersistedSettings::Write(int comm, int lang) {
    QSettings settings(QStringLiteral("Merka"), QStringLiteral("Durorude"));
    settings.setValue(QStringLiteral("Comm"), comm);
    settings.setValue(QStringLiteral("Lang"), lang);
    settings.sync();
    return settings.status() == QSettings::NoError;
}
