#include "EventPump.h"

// A wait sleeps in the event loop until the line's descriptor, a window event or its timer
// wakes it.
bool EventPump::sleepsInEventLoop() {
    return true;
}
