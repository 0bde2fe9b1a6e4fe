#include "FirmwareFiles.h"

#include "UserFile.h"
#include "UserHome.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

namespace {
QString& sessionFolder() {
    static QString folder;
    return folder;
}
} // namespace

void FirmwareFiles::SetSessionFolder(const QString& folder) {
    sessionFolder() = folder;
}

QString FirmwareFiles::FileName(int imageId) {
    return QStringLiteral("%1.bin").arg(imageId);
}

QStringList FirmwareFiles::Folders() {
    QStringList folders;
    if (!sessionFolder().isEmpty()) {
        folders << sessionFolder();
    }
    const QString env = qEnvironmentVariable("ORVEX_FIRMWARE_DIR");
    if (!env.isEmpty()) {
        folders << env;
    }
    const QString data = UserHome::writableLocation(QStandardPaths::GenericDataLocation);
    if (!data.isEmpty()) {
        folders << data + QStringLiteral("/Orvex/firmware");
    }
    if (QCoreApplication::instance() != nullptr) {
        folders << QCoreApplication::applicationDirPath() + QStringLiteral("/firmware");
    }
    return folders;
}

QString FirmwareFiles::Find(int imageId) {
    if (imageId <= 0) {
        return {};
    }
    for (const QString& folder : Folders()) {
        const QString path = QDir(folder).filePath(FileName(imageId));
        if (QFileInfo(path).isFile()) {
            return path;
        }
    }
    return {};
}

FirmwareFiles::Loaded FirmwareFiles::Load(int imageId) {
    const QString path = Find(imageId);
    if (path.isEmpty()) {
        Loaded l;
        l.status = Loaded::Missing;
        l.path = FileName(imageId);
        return l;
    }
    return LoadFile(path);
}

FirmwareFiles::Loaded FirmwareFiles::LoadFile(const QString& path) {
    Loaded l;
    l.path = path;
    QFile f;
    const UserFile::Opened opened = UserFile::openForReading(f, path, &l.error);
    if (opened != UserFile::Opened::Ok) {
        if (opened == UserFile::Opened::NotRegular) {
            l.error = QStringLiteral("not a regular file (a folder, a device or a pipe)");
        }
        l.status = Loaded::Unreadable;
        return l;
    }
    l.size = f.size();
    if (l.size != ImageBytes) {
        l.status = Loaded::WrongSize;
        return l;
    }
    l.bytes = f.read(MaxImageBytes + 1);
    if (l.bytes.size() != ImageBytes) {
        // Changed between the look and the read.
        l.size = l.bytes.size();
        l.bytes.clear();
        l.status = Loaded::WrongSize;
        return l;
    }
    l.status = Loaded::Ok;
    return l;
}

QString FirmwareFiles::Describe(const Loaded& loaded) {
    switch (loaded.status) {
    case Loaded::Ok:
        return {};
    case Loaded::Missing:
        return QStringLiteral("firmware image %1 is not installed (looked in: %2)")
            .arg(loaded.path, Folders().join(QStringLiteral(", ")));
    case Loaded::WrongSize:
        return QStringLiteral("%1 has %2 bytes; a firmware image has %3 bytes")
            .arg(loaded.path)
            .arg(loaded.size)
            .arg(ImageBytes);
    case Loaded::Unreadable:
        return QStringLiteral("cannot read %1: %2").arg(loaded.path, loaded.error);
    }
    return {};
}
