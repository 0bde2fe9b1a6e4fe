#include "EventPump.h"

#include <QThread>

// A wait sleeps in the event loop until the line's descriptor, a window event or its timer
// wakes it.
bool EventPump::sleepsInEventLoop() {
    return true;
}

void EventPump::sleepMicroseconds(int us) {
    QThread::usleep(static_cast<unsigned long>(us));
}
