#pragma once

#include <QStandardPaths>
#include <QString>

// The user's own folders for settings, backups and firmware images. Qt derives them from HOME
// (or the XDG variables): with HOME unset it takes "/", and the settings would go to
// /.config, outside anything that belongs to the user.
namespace UserHome {

// Called once at start, before anything asks for a folder: an unset or empty HOME is set to the
// home folder of the user's passwd entry. False when there is none (no entry, an empty one, or
// a folder that does not exist): the folders below are then empty unless an XDG variable names
// one, and nothing of the user's is stored for this run.
bool prepare();

// QStandardPaths::writableLocation(type) when it lies in the user's own folders, else empty.
QString writableLocation(QStandardPaths::StandardLocation type);

// Test seam: the home folder of the user's passwd entry (nullptr restores the real lookup).
void setPasswdHomeLookup(QString (*lookup)());

} // namespace UserHome
