#include "EventPump.h"

// Waits look at the line in steps of CheckStepMs and process the window's events between them.
// A Windows port has no descriptor to wake a wait, and a wait that slept in the event loop on its
// own timer (a QTimer of a few milliseconds, restarted every look) stayed asleep for good under
// Wine: the terminal programmer hung before its first block. The steps are short because the
// port raises the timer resolution to 1 ms while it is open (Windows' default tick is 15.6 ms).
bool EventPump::sleepsInEventLoop() {
    return false;
}
