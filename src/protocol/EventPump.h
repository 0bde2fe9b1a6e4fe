#pragma once

#include <functional>

class SerialLink;

// The one place that waits the way the controller exchange expects. Every wait on the line goes
// through here, so a test can see (and a benchmark can count) every wait.
//
// A wait has a bound and a condition: it lets the application process its pending events, looks
// at the condition, and sleeps in short steps until the condition holds or the bound has passed.
// The bound counts time spent waiting; time the window spends handling its own events during the
// wait comes on top, as it always did. Readers use it like this:
//     int waited = 0;
//     if (!EventPump::waitForBytes(link, 4, 48, &waited)) { /* no answer */ }
// and a fixed pause that must not freeze the window is EventPump::pause(500).
class EventPump {
public:
    using Hook = void (*)(int ms);
    using Condition = std::function<bool()>;

    // How often a wait looks at its condition (and processes events).
    static constexpr int CheckStepMs = 2;

    // Processes pending events and waits until `ready()` holds or `boundMs` of waiting have
    // passed, processing events between the looks. Returns whether `ready()` held; `waitedMs`
    // (when given) receives how long was waited, in milliseconds.
    static bool waitUntil(int boundMs, const Condition& ready, int* waitedMs = nullptr);
    // waitUntil for at least `count` bytes waiting on the link (false on a closed port).
    static bool waitForBytes(SerialLink& link, int count, int boundMs, int* waitedMs = nullptr);
    // A fixed pause of `ms` during which the window keeps processing events.
    static void pause(int ms);

    // Process pending events, then sleep `ms` without processing them (older callers; a wait on
    // the line uses waitUntil).
    static void processAndSleep(int ms);
    // Process pending events only.
    static void processEvents();
    // Sleep without processing events (for the few waits that must not let handlers run).
    static void sleepBlocking(int ms);

    // Replaces the sleep (tests that must not spend real time: the hook is called with each
    // step's length and the waits count that as time passed). nullptr restores the real one.
    static void setSleepHook(Hook hook);

private:
    // Sleeps `ms` and returns how long that took: `ms` under a hook, the real time otherwise.
    static int sleepStep(int ms);
    static Hook sleepHook;
};
