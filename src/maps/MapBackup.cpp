#include "MapBackup.h"

#include "ControllerMirror.h"
#include "MapFile.h"
#include "UserHome.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#include <cerrno>

namespace MapBackup {

QString folder() {
    const QString data = UserHome::writableLocation(QStandardPaths::GenericDataLocation);
    return data.isEmpty() ? QString() : data + QStringLiteral("/Orvex/backups");
}

QString fileName(const QDateTime& when, std::uint32_t deviceId) {
    return when.toString(QStringLiteral("yyyy-MM-dd_HH-mm-ss_")) +
           QStringLiteral("%1").arg(deviceId, 8, 16, QLatin1Char('0')).toUpper() +
           QStringLiteral(".orvx");
}

Missing missing(const ControllerMirror& m) {
    if (m.IdentityState != -1 || m.DeviceVersion == 0) {
        return Missing::Identity;
    }
    // The same rule that makes the window read the map: the controller offers one and is
    // configured from the PC.
    const bool hasMap = (m.OpcjeH & 0x04) != 0 && m.PcConfig;
    if (hasMap && !m.MapTableRead) {
        return Missing::Map;
    }
    return Missing::Nothing;
}

namespace {

// A path in the backups folder for `base` that names no file yet ("-2", "-3", ... before the
// extension of `base`); empty, with the reason, when the folder cannot be made.
QString freePath(const QString& base, QString* error) {
    const QString dir = folder();
    if (dir.isEmpty()) {
        *error = QStringLiteral("this user has no home folder");
        return {};
    }
    if (!QDir().mkpath(dir)) {
        *error = qt_error_string(errno);
        return {};
    }
    const qsizetype dot = base.lastIndexOf(QLatin1Char('.'));
    const qsizetype at = dot > 0 ? dot : base.size();
    QString path = dir + QLatin1Char('/') + base;
    for (int n = 2; QFileInfo::exists(path); ++n) {
        QString numbered = base;
        numbered.insert(at, QStringLiteral("-%1").arg(n));
        path = dir + QLatin1Char('/') + numbered;
    }
    return path;
}

} // namespace

Saved keepCopy(const QString& path, const QDateTime& when) {
    Saved saved;
    const QString target =
        freePath(when.toString(QStringLiteral("yyyy-MM-dd_HH-mm-ss_")) + QFileInfo(path).fileName(),
                 &saved.error);
    if (target.isEmpty()) {
        return saved;
    }
    QFile original(path);
    if (!original.copy(target)) {
        saved.error = original.errorString();
        return saved;
    }
    saved.path = target;
    return saved;
}

Saved save(const ControllerMirror& m, const QDateTime& when) {
    Saved saved;
    const QString path = freePath(fileName(when, m.DeviceId), &saved.error);
    if (path.isEmpty()) {
        return saved;
    }
    saved.error = MapFile::saveWhole(path, MapFile::compose(m));
    if (saved.error.isEmpty()) {
        saved.path = path;
    }
    return saved;
}

} // namespace MapBackup
