#include "MapFile.h"

#include "ControllerMirror.h"
#include "MapBackup.h"
#include "MapCells.h"
#include "UserFile.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <algorithm>
#include <cstdlib>

namespace MapFile {

namespace {

void putBigEndian(QByteArray& out, int offset, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) {
        out[offset + i] = static_cast<char>((value >> (24 - 8 * i)) & 0xFF);
    }
}

// Writes everything or says why not. Unbuffered, so that a short write (a full disk) is seen
// here and not lost in a buffer flushed on close.
QString writeAll(QFileDevice& file, const QByteArray& content) {
    qint64 done = 0;
    while (done < content.size()) {
        const qint64 n = file.write(content.constData() + done, content.size() - done);
        if (n <= 0) {
            const QString reason = file.errorString();
            return reason.isEmpty() ? QStringLiteral("write error") : reason;
        }
        done += n;
    }
    return {};
}

QString saveToDevice(const QString& path, const QByteArray& content) {
    QFile direct;
    QString reason;
    if (UserFile::openDeviceForWriting(direct, path, &reason) != UserFile::Opened::Ok) {
        return reason;
    }
    return writeAll(direct, content);
}

// The old file is copied aside first: should the write fail half-way, the copy is what the
// user had.
QString saveInPlace(const QString& path, const QByteArray& content) {
    const MapBackup::Saved copy = MapBackup::keepCopy(path, QDateTime::currentDateTime());
    if (!copy.error.isEmpty()) {
        return copy.error;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadWrite | QIODevice::ExistingOnly | QIODevice::Unbuffered)) {
        return file.errorString();
    }
    QString reason = writeAll(file, content);
    if (reason.isEmpty() && !file.resize(content.size())) {
        reason = file.errorString();
    }
    if (reason.isEmpty()) {
        reason = UserFile::flushToDisk(file);
    }
    if (!reason.isEmpty()) {
        return reason + QStringLiteral(" (") + QDir::toNativeSeparators(copy.path) +
               QLatin1Char(')');
    }
    return {};
}

} // namespace

QByteArray compose(const ControllerMirror& m) {
    QByteArray out(FileSize, '\0');
    std::copy(m.SettingsImage.begin(), m.SettingsImage.end(), out.begin());
    putBigEndian(out, 32, m.DeviceId);
    putBigEndian(out, 36, m.DeviceVersion);
    out[MarkerOffset] = 1;
    std::copy(m.MapTable.begin(), m.MapTable.end(), out.begin() + HeaderSize);
    return out;
}

Read apply(const QByteArray& bytes, ControllerMirror& m) {
    return applyTo(bytes, m.MapTable, m.MapTable);
}

Fault faultOf(const QByteArray& bytes) {
    if (bytes.size() < HeaderSize) {
        return Fault::TooShort;
    }
    return bytes.at(MarkerOffset) == 1 ? Fault::None : Fault::WrongMarker;
}

Read applyTo(const QByteArray& bytes, const std::array<std::uint8_t, 272>& map,
             std::array<std::uint8_t, 272>& out) {
    if (faultOf(bytes) != Fault::None) {
        return Read::Refused;
    }
    out = map;
    const qsizetype mapBytes =
        std::min<qsizetype>(bytes.size() - HeaderSize, ControllerMirror::MapTableSize);
    std::copy_n(bytes.constBegin() + HeaderSize, mapBytes, out.begin());
    return Read::Loaded;
}

std::uint32_t deviceIdOf(const QByteArray& bytes) {
    if (bytes.size() < 36) {
        return 0;
    }
    std::uint32_t id = 0;
    for (int i = 32; i < 36; ++i) {
        id = id << 8 | static_cast<std::uint8_t>(bytes.at(i));
    }
    return id;
}

QString deviceIdText(std::uint32_t id) {
    return QStringLiteral("%1.%2.%3.%4")
        .arg(id >> 24)
        .arg((id >> 16) & 0xFF)
        .arg((id >> 8) & 0xFF)
        .arg(id & 0xFF);
}

bool yesByDefault(std::uint32_t fileDevice, std::uint32_t controllerDevice, qint64 fileBytes) {
    return fileBytes == FileSize && (fileDevice == 0 || fileDevice == controllerDevice);
}

Difference difference(const std::array<std::uint8_t, 272>& a,
                      const std::array<std::uint8_t, 272>& b) {
    Difference d;
    for (int n = 0; n < MapCells::CellCount; ++n) {
        const auto i = static_cast<std::size_t>(MapCells::byteOfCell(n));
        const int change =
            std::abs(int(static_cast<std::int8_t>(a[i])) - int(static_cast<std::int8_t>(b[i])));
        if (change != 0) {
            ++d.cells;
            d.largest = std::max(d.largest, change);
        }
    }
    return d;
}

SaveTarget inspect(const QString& path) {
    return UserFile::inspect(path);
}

SaveMethod saveMethod(const SaveTarget& t) {
    if (t.exists && !t.regular) {
        return SaveMethod::Device;
    }
    // Where the folder refuses a new file and the file refuses writing too, Replace fails and
    // says why.
    if (t.exists && t.fileWritable && !t.folderWritable) {
        return SaveMethod::InPlace;
    }
    return SaveMethod::Replace;
}

QString saveWhole(const QString& path, const QByteArray& content) {
    return saveWhole(path, content, saveMethod(inspect(path)));
}

QString saveWhole(const QString& path, const QByteArray& content, SaveMethod method) {
    switch (method) {
    case SaveMethod::Device:
        return saveToDevice(path, content);
    case SaveMethod::InPlace:
        return saveInPlace(path, content);
    case SaveMethod::Replace:
        break;
    }
    const UserFile::Keeping old = UserFile::keepingOf(path);
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        return file.errorString();
    }
    // The new file is what the user had (its permissions and owner).
    if (const QString reason = UserFile::keep(file, old); !reason.isEmpty()) {
        file.cancelWriting();
        return reason;
    }
    const QString reason = writeAll(file, content);
    if (!reason.isEmpty()) {
        file.cancelWriting(); // the old file stays as it was
        return reason;
    }
    if (!file.commit()) {
        return file.errorString();
    }
    return {};
}

QByteArray readWhole(const QString& path, QString* error, qint64 limit, bool* notRegular) {
    QFile file;
    const UserFile::Opened opened = UserFile::openForReading(file, path, error);
    if (notRegular != nullptr) {
        *notRegular = opened == UserFile::Opened::NotRegular;
    }
    if (opened != UserFile::Opened::Ok) {
        return {};
    }
    QByteArray content = file.read(limit);
    if (file.error() != QFileDevice::NoError) {
        *error = file.errorString();
        return {};
    }
    error->clear();
    return content;
}

} // namespace MapFile
