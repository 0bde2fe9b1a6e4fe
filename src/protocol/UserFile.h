#pragma once

#include <QString>

class QFile;

// Files the user names (maps, text maps, recordings, firmware images) are opened here, without
// ever waiting in open(): a FIFO named as a map would hold the whole window until something
// writes into it, and opening a serial device may switch its modem lines. Only a regular file
// is opened for reading; anything else is refused before it is opened.
namespace UserFile {

enum class Opened {
    Ok,
    Failed,     // `reason` holds the system's words (no such file, permission denied, ...)
    NotRegular, // a folder, a device, a FIFO or a socket: nothing was opened
};

// Opens `path` for reading only into `file` (which owns the descriptor afterwards).
Opened openForReading(QFile& file, const QString& path, QString* reason);

// Opens an existing target that is not a regular file (a device) for writing, without waiting
// for a reader: a FIFO nobody reads fails at once. Writes block as usual once it is open.
Opened openDeviceForWriting(QFile& file, const QString& path, QString* reason);

} // namespace UserFile
