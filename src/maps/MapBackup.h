#pragma once

#include <QDateTime>
#include <QString>

#include <cstdint>

struct ControllerMirror;

// The automatic backup of the controller's settings and map, taken before anything replaces
// them (a firmware update, a map file written to the controller): a map file named by the date,
// the time and the DeviceId, in the backups folder of the user's data folder
// (~/.local/share/Orvex/backups, or under $XDG_DATA_HOME).
namespace MapBackup {

// Empty when the user has no home folder (nothing is saved then).
QString folder();
// "2026-12-08_14-03-59_0A0B0C0D.orvx"
QString fileName(const QDateTime& when, std::uint32_t deviceId);

// Why no backup can be taken of what the mirror holds now; empty when it can: the controller
// must have told its identity (a boot loader has no settings or map), and its map must have
// been read when it has one.
enum class Missing { Nothing, Identity, Map };
Missing missing(const ControllerMirror& m);

struct Saved {
    QString path;  // the file written (empty when none was)
    QString error; // why not (empty on success)
};
// Writes the backup; a second backup within the same second gets "-2", "-3", ... appended, so
// an earlier one is never replaced.
Saved save(const ControllerMirror& m, const QDateTime& when);

// A copy of a file about to be overwritten in place (its folder takes no new file), named by
// the date and time and the file's own name: "2026-12-08_14-03-59_map.orvx".
Saved keepCopy(const QString& path, const QDateTime& when);

} // namespace MapBackup
