#include "OpenErrorText.h"

#include <QFile>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <vector>

#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Whether this process may use files of group `gid` through that group.
bool inGroup(gid_t gid) {
    if (getegid() == gid) {
        return true;
    }
    const int count = getgroups(0, nullptr);
    if (count <= 0) {
        return false;
    }
    std::vector<gid_t> groups(static_cast<std::size_t>(count));
    const int got = getgroups(count, groups.data());
    return std::find(groups.begin(), groups.begin() + std::max(got, 0), gid) !=
           groups.begin() + std::max(got, 0);
}

// The group worth joining to use a device: the device's own group when that group may read
// and write it and this user is not in it; empty when joining a group would not help.
QString groupToJoin(const QString& path) {
    struct stat st {};
    if (path.isEmpty() || ::stat(QFile::encodeName(path).constData(), &st) != 0) {
        return QString();
    }
    if ((st.st_mode & (S_IRGRP | S_IWGRP)) != (S_IRGRP | S_IWGRP) || inGroup(st.st_gid)) {
        return QString();
    }
    const struct group* g = getgrgid(st.st_gid);
    return g != nullptr ? QString::fromLocal8Bit(g->gr_name) : QString::number(st.st_gid);
}

} // namespace

QString ExplainOpenError(const TMySerial::OpenErrorTexts& texts, const QString& path, int error) {
    const QString device = path.isEmpty() ? QStringLiteral("(?)") : path;
    switch (error) {
    case 0:
        return QString();
    case EACCES:
    case EPERM: {
        QString text = texts.permission.arg(device);
        const QString group = groupToJoin(path);
        if (!group.isEmpty()) {
            text +=
                QLatin1Char(' ') + QString(texts.joinGroup).replace(QStringLiteral("%1"), group);
        }
        return text;
    }
    case EBUSY:
        return texts.busy.arg(device);
    case ENOENT:
    case ENODEV:
    case ENXIO:
        return texts.missing.arg(device);
    case ENOTTY:
        return texts.notSerial.arg(device);
    default:
        return texts.other.arg(device, QString::fromLocal8Bit(std::strerror(error)));
    }
}
