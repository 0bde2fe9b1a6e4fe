#include "GeneratedImages.h"

#include "FirmwareFiles.h"

#include <QDir>
#include <QSaveFile>

QByteArray GeneratedImages::Image(int imageId) {
    QByteArray bytes(FirmwareFiles::ImageBytes, '\0');
    // A small linear congruential sequence seeded by the id: every byte value occurs, 0x55
    // and runs of zeros included, as in real program code.
    quint32 x = 0x9E3779B9u ^ static_cast<quint32>(imageId);
    for (char& b : bytes) {
        x = x * 1664525u + 1013904223u;
        b = static_cast<char>(x >> 24);
    }
    // The last eight bytes say which image it is ("ORVX" and the id, high byte first), as a
    // real image carries its version: the demo's controller reports the version it was given.
    const qsizetype at = bytes.size() - 8;
    bytes.replace(at, 4, "ORVX", 4);
    for (int i = 0; i < 4; ++i) {
        bytes[at + 4 + i] = static_cast<char>(static_cast<quint32>(imageId) >> (24 - 8 * i));
    }
    return bytes;
}

bool GeneratedImages::Install(const QString& folder, const QList<int>& imageIds) {
    if (!QDir().mkpath(folder)) {
        return false;
    }
    for (int id : imageIds) {
        QSaveFile f(QDir(folder).filePath(FirmwareFiles::FileName(id)));
        if (!f.open(QIODevice::WriteOnly) || f.write(Image(id)) != FirmwareFiles::ImageBytes ||
            !f.commit()) {
            return false;
        }
    }
    return true;
}
