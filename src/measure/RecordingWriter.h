#pragma once

#include <QFile>
#include <QString>

#include <cstdint>

// The file a recording is appended to. Every record goes straight to the file (no buffer in
// the program), so a failing write is seen at once and a crash loses nothing already recorded.
class RecordingWriter {
public:
    // Opens `fileName` for appending, creating it when missing. False (see errorString) when it
    // cannot be opened. A target that is not a regular file (a device, a FIFO) is opened
    // without waiting: a FIFO that nobody reads fails at once.
    bool open(const QString& fileName);
    bool isOpen() const { return file_.isOpen(); }
    // Length of the file when it was opened: 0 means a new recording needs its settings record.
    qint64 sizeAtOpen() const { return sizeAtOpen_; }
    // Appends one 16-byte record. On a failed or short write the file is cut back to the last
    // whole record (so it stays a run of records) and false is returned.
    bool append(const std::uint8_t* record);
    void close();
    QString fileName() const { return fileName_; }
    QString errorString() const { return error_; }

private:
    QFile file_;
    QString fileName_;
    qint64 sizeAtOpen_ = 0;
    qint64 written_ = 0; // the file's length after the last whole record
    QString error_;
};
