#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// The firmware images are the controller maker's and are installed beside the program, one file
// "<ImageId>.bin" each. They are looked up, in this order, in: the session folder (the demo's
// generated images), $ORVEX_FIRMWARE_DIR, ~/.local/share/Orvex/firmware/ and firmware/ beside
// the executable. The first folder holding the file wins.
class FirmwareFiles {
public:
    static constexpr int ImageBytes = 8832;     // every image of the catalogue
    static constexpr int MaxImageBytes = 16384; // what the loader can take (1024 blocks)

    struct Loaded {
        enum Status { Ok, Missing, WrongSize, Unreadable };
        Status status = Missing;
        QString path;     // the file found (or the name looked for when missing)
        qint64 size = 0;  // its size in bytes
        QByteArray bytes; // the image when Ok
        QString error;    // why it is Unreadable (the system's words)
    };

    static QStringList Folders();
    // Where the image with this id is installed; empty when nowhere.
    static QString Find(int imageId);
    // Looks up and reads the image with this id.
    static Loaded Load(int imageId);
    // Reads an image file; anything but an 8832-byte regular file is refused before it is read
    // whole. A path that names nothing, a folder or a FIFO is Unreadable (never Missing: that
    // is for an id looked up in the folders), and the open never waits.
    static Loaded LoadFile(const QString& path);

    // A folder searched before all others for this run only (the demo); empty to drop it.
    static void SetSessionFolder(const QString& folder);
    static QString FileName(int imageId);

    // A plain English sentence for a failed load, naming the file (the command-line tool).
    static QString Describe(const Loaded& loaded);
};
