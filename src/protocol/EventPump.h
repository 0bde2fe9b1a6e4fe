#pragma once

// The one place that waits the way the controller exchange expects: let the application
// process its pending events, then sleep. Everything that waits on the line goes through here,
// so a test can see (and a benchmark can count) every wait.
class EventPump {
public:
    using Hook = void (*)(int ms);

    // Process pending events, then sleep `ms` milliseconds.
    static void processAndSleep(int ms);
    // Process pending events only.
    static void processEvents();
    // Sleep without processing events (the fixed blocking pauses).
    static void sleepBlocking(int ms);

    // Replaces the sleep (tests that must not spend real time). nullptr restores the real one.
    static void setSleepHook(Hook hook);

private:
    static Hook sleepHook;
};
