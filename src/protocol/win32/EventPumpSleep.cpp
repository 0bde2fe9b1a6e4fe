#include "EventPump.h"

#include <windows.h>

// Waits look at the line in steps of CheckStepMs and process the window's events between them.
// A Windows port has no descriptor to wake a wait, and a wait that slept in the event loop on its
// own timer (a QTimer of a few milliseconds, restarted every look) stayed asleep for good under
// Wine: the terminal programmer hung before its first block. The steps are short because the
// port raises the timer resolution to 1 ms while it is open (Windows' default tick is 15.6 ms).
bool EventPump::sleepsInEventLoop() {
    return false;
}

namespace {

// The system's own sleep, which Sleep calls with whole milliseconds: it takes its interval in
// units of 100 ns. On Windows it ends at the next tick of the timer (1 ms while a port is open,
// the same as Sleep(1)); where the system's timers are finer (Wine: about 0.37 ms for 0.25 ms)
// it ends when asked.
using DelayExecution = LONG(WINAPI*)(BOOLEAN alertable, LARGE_INTEGER* interval);

DelayExecution delayExecution() {
    static const auto delay = reinterpret_cast<DelayExecution>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtDelayExecution")));
    return delay;
}

} // namespace

void EventPump::sleepMicroseconds(int us) {
    const DelayExecution delay = delayExecution();
    if (delay == nullptr) {
        Sleep(1);
        return;
    }
    LARGE_INTEGER interval;
    interval.QuadPart = -10LL * us; // negative: relative to now
    delay(FALSE, &interval);
}
