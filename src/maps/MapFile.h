#pragma once

#include "UserFile.h"

#include <QByteArray>
#include <QString>

#include <array>
#include <cstdint>

struct ControllerMirror;

// The binary map file (*.orvx), 320 bytes: the 32-byte settings image, DeviceId and
// DeviceVersion (most significant byte first), the format marker 1 at byte 40, seven reserved
// zero bytes, then the 272 bytes of MapTable as held in memory. Only the marker is checked on
// reading; the settings and identity are there for reference.
namespace MapFile {

constexpr int FileSize = 320;
constexpr int HeaderSize = 48; // settings image and MapFileHeader
constexpr int MarkerOffset = 40;

QByteArray compose(const ControllerMirror& m);

enum class Read { Loaded, Refused };
// Refused (nothing changed) when fewer than 48 bytes or the marker is not 1. Otherwise the map
// bytes the file holds go into MapTable; a short file leaves the rest as it was.
Read apply(const QByteArray& bytes, ControllerMirror& m);
// The same into `out`, which starts as a copy of `map` (what a short file leaves as it was).
Read applyTo(const QByteArray& bytes, const std::array<std::uint8_t, 272>& map,
             std::array<std::uint8_t, 272>& out);

// Why applyTo refuses a file: fewer than 48 bytes, or the marker at byte 40 is not 1.
enum class Fault { None, TooShort, WrongMarker };
Fault faultOf(const QByteArray& bytes);

// The DeviceId of the controller that saved the file (0 when the file is too short to say).
std::uint32_t deviceIdOf(const QByteArray& bytes);
// A DeviceId as the information report shows its bytes: board.model.fitting.jumpers.
QString deviceIdText(std::uint32_t id);

// Whether writing a file's map may be offered with Yes as the default: the file is exactly a
// map file's size and no other controller saved it (0: the file does not say). A short or
// longer file, or another controller's, is asked about with No as the default.
bool yesByDefault(std::uint32_t fileDevice, std::uint32_t controllerDevice, qint64 fileBytes);

// Cells (of the 240) whose value differs, and the largest difference in steps.
struct Difference {
    int cells = 0;
    int largest = 0;
};
Difference difference(const std::array<std::uint8_t, 272>& a,
                      const std::array<std::uint8_t, 272>& b);

// How a file is saved, from what its folder and the file itself allow.
enum class SaveMethod {
    Replace, // into a new file in the same folder, renamed over the old one once everything is
             // on the disk: the old file survives any failure. The new file takes the old one's
             // mode (and owner, where allowed).
    InPlace, // the folder takes no new file but the file may be written: a copy of the old file
             // goes to the backups folder first, then the file is overwritten where it is
    Device,  // not a regular file (a device): written directly, never waiting for a reader
};
using SaveTarget = UserFile::Target;
SaveTarget inspect(const QString& path);
SaveMethod saveMethod(const SaveTarget& target);

// Writes a whole file the way saveMethod chooses for it. Empty on success, else the system's
// reason.
QString saveWhole(const QString& path, const QByteArray& content);
// The same with the method given (tests choose InPlace where root may write anywhere).
QString saveWhole(const QString& path, const QByteArray& content, SaveMethod method);

// The whole content of a regular file opened for reading only; empty `error` on success. The
// open never waits: anything but a regular file (a FIFO, a device, a folder) is refused unread,
// with `notRegular` set and an empty `error`.
QByteArray readWhole(const QString& path, QString* error, qint64 limit = 1 << 20,
                     bool* notRegular = nullptr);

} // namespace MapFile
