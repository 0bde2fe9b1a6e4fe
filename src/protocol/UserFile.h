#pragma once

#include <QString>

class QFile;
class QFileDevice;

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

// What a save needs to know of a path before writing to it.
struct Target {
    bool exists = false;
    bool regular = false;
    bool folderWritable = false; // a new file can be made beside it
    bool fileWritable = false;
};
Target inspect(const QString& path);

// Pushes what was written to `file` onto the disk. Empty, or the system's reason.
QString flushToDisk(QFileDevice& file);

// The owner and permissions of a file about to be replaced, for the file that replaces it: a
// read-only file stays read-only, a file saved by an administrator for a user stays the user's.
struct Keeping {
    bool known = false; // false: nothing to keep (no such file)
    unsigned mode = 0;
    unsigned owner = 0;
    unsigned group = 0;
};
Keeping keepingOf(const QString& path);
// Gives `file` (the replacement, opened and not yet written) what `keeping` holds. Empty, or
// the system's reason when the permissions could not be set.
QString keep(QFileDevice& file, const Keeping& keeping);

} // namespace UserFile
