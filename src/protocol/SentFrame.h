#pragma once

#include <QString>

// What SendRequest and SendMapBlock report back: the number of bytes of the frame and, when
// LogFrames is on, its "Tx:" line for the label OpisSygaly (empty otherwise).
struct SentFrame {
    int length = 0;
    QString logLine;
};
