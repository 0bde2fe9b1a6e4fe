#include "RecordingWriter.h"

#include "MeasurementRecord.h"
#include "UserFile.h"

#include <QFileInfo>

bool RecordingWriter::open(const QString& fileName) {
    close();
    error_.clear();
    fileName_ = fileName;
    const QFileInfo target(fileName);
    if (target.exists() && !target.isFile()) {
        if (UserFile::openDeviceForWriting(file_, fileName, &error_) != UserFile::Opened::Ok) {
            return false;
        }
    } else {
        file_.setFileName(fileName);
        if (!file_.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered)) {
            error_ = file_.errorString();
            return false;
        }
    }
    sizeAtOpen_ = file_.size();
    written_ = sizeAtOpen_;
    return true;
}

bool RecordingWriter::append(const std::uint8_t* record) {
    if (!file_.isOpen()) {
        return false;
    }
    const qint64 n = file_.write(reinterpret_cast<const char*>(record), MeasurementRecord::Size);
    if (n == MeasurementRecord::Size) {
        written_ += n;
        return true;
    }
    error_ = file_.errorString();
    // Half a record would shift every record after it on a later append.
    if (file_.size() > written_) {
        file_.resize(written_);
    }
    return false;
}

void RecordingWriter::close() {
    if (file_.isOpen()) {
        file_.close();
    }
}
