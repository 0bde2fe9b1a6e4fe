#pragma once

#include "TMySerial.h"

#include <QString>

// What the user can do about a port that would not open, in the texts given. `error` is the
// port's LastOpenError (errno on Linux, the Win32 error code on Windows); empty for 0.
QString ExplainOpenError(const TMySerial::OpenErrorTexts& texts, const QString& path, int error);
