#include "PersistedSettings.h"

#include "UserHome.h"

#include <QFile>
#include <QFileInfo>
#include <QSettings>

#include <unistd.h>

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
    if (!Storable()) {
        return values; // a file outside the user's folders is not the user's
    }
    QSettings settings(QStringLiteral("Merka"), QStringLiteral("Durorude"));
    // Reading only: a missing file stays missing. QSettings does not create it on read.
    // A file that cannot be read gives the defaults; a damaged line (FormatError) costs only
    // itself: the values on the good lines around it are still the user's.
    if (settings.status() == QSettings::AccessError) {
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

bool PersistedSettings::Storable() {
    return !UserHome::writableLocation(QStandardPaths::GenericConfigLocation).isEmpty();
}

QString PersistedSettings::Location() {
    if (!Storable()) {
        return {};
    }
    return QSettings(QStringLiteral("Merka"), QStringLiteral("Durorude")).fileName();
}

bool PersistedSettings::Writable() {
    const QString file = Location();
    if (file.isEmpty()) {
        return false;
    }
    // The file when it is there, else the nearest folder above it that is: the settings
    // folders below it would be made there. Something that is no folder takes nothing.
    QFileInfo at(file);
    if (!at.exists()) {
        do {
            at = QFileInfo(at.absolutePath());
        } while (!at.exists() && !at.isRoot());
        if (!at.isDir()) {
            return false;
        }
    } else if (!at.isFile()) {
        return false;
    }
    return ::access(QFile::encodeName(at.absoluteFilePath()).constData(), W_OK) == 0;
}

bool PersistedSettings::Write(int comm, int lang) {
    if (!Storable()) {
        return false; // kept for this run only
    }
    QSettings settings(QStringLiteral("Merka"), QStringLiteral("Durorude"));
    settings.setValue(QStringLiteral("Comm"), comm);
    settings.setValue(QStringLiteral("Lang"), lang);
    settings.sync();
    // A FormatError here is the old file's (its damaged lines are dropped by this write); only
    // reading both values back from the store proves that they were stored.
    if (settings.status() == QSettings::AccessError) {
        return false;
    }
    const QSettings stored(QStringLiteral("Merka"), QStringLiteral("Durorude"));
    return stored.value(QStringLiteral("Comm")).toString() == QString::number(comm) &&
           stored.value(QStringLiteral("Lang")).toString() == QString::number(lang);
}
