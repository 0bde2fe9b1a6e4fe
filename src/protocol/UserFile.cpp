#include "UserFile.h"

#include <QFile>

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

} // namespace UserFile
