#pragma once

#include <QByteArray>
#include <QString>

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

// Writes a whole file so that the old one survives any failure: into a new file in the same
// folder, renamed over the old one once everything is on the disk. A target that is not a
// regular file (a device) is written directly. Empty on success, else the system's reason.
QString saveWhole(const QString& path, const QByteArray& content);

// The whole content of a file opened for reading only; empty `error` on success.
QByteArray readWhole(const QString& path, QString* error, qint64 limit = 1 << 20);

} // namespace MapFile
