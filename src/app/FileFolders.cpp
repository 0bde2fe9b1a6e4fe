#include "FileFolders.h"

#include "PersistedSettings.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>

namespace {

QString key(FileFolders::Kind kind) {
    switch (kind) {
    case FileFolders::Kind::Maps:
        return QStringLiteral("Folders/Maps");
    case FileFolders::Kind::Recordings:
        return QStringLiteral("Folders/Recordings");
    case FileFolders::Kind::Reports:
        break;
    }
    return QStringLiteral("Folders/Reports");
}

QString documents() {
    const QString docs = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    return !docs.isEmpty() && QFileInfo(docs).isDir() ? docs : QDir::homePath();
}

} // namespace

QString FileFolders::folder(Kind kind) {
    if (PersistedSettings::Storable()) {
        const QSettings settings(QStringLiteral("Merka"), QStringLiteral("Durorude"));
        const QString last = settings.value(key(kind)).toString();
        if (!last.isEmpty() && QFileInfo(last).isDir()) {
            return last;
        }
    }
    return documents();
}

void FileFolders::remember(Kind kind, const QString& chosenFile) {
    if (chosenFile.isEmpty() || !PersistedSettings::Storable()) {
        return;
    }
    QSettings settings(QStringLiteral("Merka"), QStringLiteral("Durorude"));
    settings.setValue(key(kind), QFileInfo(chosenFile).absolutePath());
}

QString FileFolders::proposedName(const QString& vehicle, const QDate& date,
                                  const QString& suffix) {
    QString base;
    for (const QChar c : vehicle.trimmed()) {
        // Folder separators, the characters other systems refuse, controls and blanks.
        const bool refused = c.unicode() < 0x20 || c == QLatin1Char(' ') ||
                             QStringLiteral("/\\:*?\"<>|").contains(c);
        base += refused ? QLatin1Char('_') : c;
    }
    if (base.isEmpty() || base.count(QLatin1Char('_')) == base.size() ||
        base == QStringLiteral(".") || base == QStringLiteral("..")) {
        base = QStringLiteral("orvex");
    }
    return base + QLatin1Char('_') + date.toString(QStringLiteral("yyyy-MM-dd")) +
           QLatin1Char('.') + suffix;
}
