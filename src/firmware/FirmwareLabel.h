#pragma once

#include <QString>

// A version label names its image and its sensor signal: "V1.3.v.s - ..." has the image id
// 13vs (the digits read as one decimal number) and the signal code s.

// The image id of a catalogue entry's text, 0 when the text is not a version label: the part
// before the first "-" (at position 2 or later) must start with "V" and hold three dots.
// "V1.3.4.12 - Admin" gives 13412.
int ImageIdFromLabel(const QString& text);

// The signal code of an entry's text: what stands after the last dot of the part before the
// first "-", or -1 when that is not a number. "V1.3.4.12 - Admin" gives 12.
int SignalCodeFromLabel(const QString& text);
