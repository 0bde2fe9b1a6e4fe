#include "UserHome.h"

#include <QDir>
#include <QFileInfo>

#include <pwd.h>
#include <unistd.h>

namespace UserHome {

namespace {

QString passwdHome() {
    const passwd* entry = ::getpwuid(::getuid());
    return entry != nullptr && entry->pw_dir != nullptr ? QString::fromLocal8Bit(entry->pw_dir)
                                                        : QString();
}

QString (*lookup_)() = nullptr;

// The XDG variable that names the folder of `type` without HOME, if any.
const char* xdgVariable(QStandardPaths::StandardLocation type) {
    switch (type) {
    case QStandardPaths::ConfigLocation:
    case QStandardPaths::GenericConfigLocation:
    case QStandardPaths::AppConfigLocation:
        return "XDG_CONFIG_HOME";
    case QStandardPaths::AppDataLocation:
    case QStandardPaths::AppLocalDataLocation:
    case QStandardPaths::GenericDataLocation:
        return "XDG_DATA_HOME";
    case QStandardPaths::CacheLocation:
    case QStandardPaths::GenericCacheLocation:
        return "XDG_CACHE_HOME";
    default:
        return nullptr;
    }
}

} // namespace

bool prepare() {
    if (!qEnvironmentVariableIsEmpty("HOME")) {
        return true;
    }
    const QString home = lookup_ != nullptr ? lookup_() : passwdHome();
    // "/" is what Qt falls back to anyway: no folder of the user's.
    if (home.isEmpty() || QDir::cleanPath(home) == QStringLiteral("/") ||
        !QFileInfo(home).isDir()) {
        return false;
    }
    qputenv("HOME", QFile::encodeName(home));
    return true;
}

QString writableLocation(QStandardPaths::StandardLocation type) {
    if (qEnvironmentVariableIsEmpty("HOME")) {
        const char* variable = xdgVariable(type);
        if (variable == nullptr || !QDir::isAbsolutePath(qEnvironmentVariable(variable))) {
            return {};
        }
    }
    return QStandardPaths::writableLocation(type);
}

void setPasswdHomeLookup(QString (*lookup)()) {
    lookup_ = lookup;
}

} // namespace UserHome
