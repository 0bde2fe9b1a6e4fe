#include "UserFile.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace UserFile {

namespace {

Opened failed(QString* reason, int error) {
    *reason = qt_error_string(error);
    return Opened::Failed;
}

// Hands a descriptor to `file`, which closes it from then on.
Opened adopt(QFile& file, int fd, QIODevice::OpenMode mode, QString* reason) {
    if (!file.open(fd, mode, QFileDevice::AutoCloseHandle)) {
        *reason = file.errorString();
        ::close(fd);
        return Opened::Failed;
    }
    reason->clear();
    return Opened::Ok;
}

} // namespace

Opened openForReading(QFile& file, const QString& path, QString* reason) {
    const QByteArray name = QFile::encodeName(path);
    struct stat st {};
    // Looked at first, so that a device is never opened at all.
    if (::stat(name.constData(), &st) != 0) {
        return failed(reason, errno);
    }
    if (!S_ISREG(st.st_mode)) {
        reason->clear();
        return Opened::NotRegular;
    }
    // O_NONBLOCK: should a FIFO have taken the file's place since, open() still returns.
    const int fd = ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        return failed(reason, errno);
    }
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        reason->clear();
        return Opened::NotRegular;
    }
    return adopt(file, fd, QIODevice::ReadOnly, reason);
}

Opened openDeviceForWriting(QFile& file, const QString& path, QString* reason) {
    const int fd =
        ::open(QFile::encodeName(path).constData(), O_WRONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        return failed(reason, errno); // a FIFO without a reader: ENXIO
    }
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags < 0 || ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0) {
        const int error = errno;
        ::close(fd);
        return failed(reason, error);
    }
    return adopt(file, fd, QIODevice::WriteOnly | QIODevice::Unbuffered, reason);
}

Target inspect(const QString& path) {
    Target t;
    const QByteArray name = QFile::encodeName(path);
    struct stat st {};
    t.exists = ::stat(name.constData(), &st) == 0;
    t.regular = t.exists && S_ISREG(st.st_mode);
    t.fileWritable = t.exists && ::access(name.constData(), W_OK) == 0;
    const QString folder = QFileInfo(path).absolutePath();
    t.folderWritable = ::access(QFile::encodeName(folder).constData(), W_OK | X_OK) == 0;
    return t;
}

QString flushToDisk(QFileDevice& file) {
    return ::fsync(file.handle()) == 0 ? QString() : qt_error_string(errno);
}

Keeping keepingOf(const QString& path) {
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0) {
        return {};
    }
    return {true, static_cast<unsigned>(st.st_mode & 07777), st.st_uid, st.st_gid};
}

QString keep(QFileDevice& file, const Keeping& keeping) {
    if (!keeping.known) {
        return {};
    }
    if (::fchown(file.handle(), keeping.owner, keeping.group) != 0) {
        // not root: the new file is the user's own anyway
    }
    return ::fchmod(file.handle(), keeping.mode) == 0 ? QString() : qt_error_string(errno);
}

} // namespace UserFile
