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
