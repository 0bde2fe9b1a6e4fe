#pragma once

#include "Samples.h"

#include <QStringList>

class SerialLink;

// Programs the generated image (V1.3.2.0, 584 blocks) `runs` times through `link`, with the
// controller's boot loader at the far end, and notes the transfer rate of each run, its whole
// time, and how far the remaining time shown was from the time really left.
struct FirmwareRuns {
    Samples blocksPerSecond; // first block requested to the last, per run
    Samples totalSeconds;    // switch to the loader to the closing request
    Samples estimateErrors;  // remaining seconds shown minus seconds really left (every 50th)
    QStringList failures;    // one line per run that did not end in success

    void run(SerialLink& link, int runs);
};
