#pragma once

#include <functional>

class SerialLink;

// The one place that waits the way the controller exchange expects. Every wait on the line goes
// through here, so a test can see (and a benchmark can count) every wait.
//
// A wait has a bound and a condition: it lets the application process its pending events, looks
// at the condition, and then sleeps in the application's event loop, so window events are handled
// the moment they come, until the condition holds or the bound has passed. A wait for bytes
// sleeps until the link says that all of them are there (SerialLink::ArmInputWake), so it is
// woken once; on a link that cannot tell, while bytes arrive it sleeps for the time the line
// needs to carry the rest (SerialLink::ByteTimeUs); on a link that can tell neither, and in a
// thread without an event loop (and on Windows), it looks every CheckStepMs (while an answer
// arrives on a link that tells its byte time: a sleep for the rest, then looks every
// ArrivalStepMs). The condition is looked at once more at the bound. Readers use it like this:
//     int waited = 0;
//     if (!EventPump::waitForBytes(link, 4, 48, &waited)) { /* no answer */ }
// and a fixed pause that must not freeze the window is EventPump::pause(500).
class EventPump {
public:
    using Hook = void (*)(int ms);
    using Observer = void (*)(int boundMs, int waitedMs);
    using QuietHook = int (*)();
    using Condition = std::function<bool()>;

    // How often a wait looks at a condition that cannot wake it.
    static constexpr int CheckStepMs = 2;
    // How often a wait in steps looks while the last bytes of an answer are due: every
    // ArrivalStepUs in real time (a byte takes about 1 ms on the line, so a look every whole
    // millisecond would find the last one half a millisecond late on average, twice a live
    // exchange), every ArrivalStepMs on a sleep hook's clock, which counts whole milliseconds.
    static constexpr int ArrivalStepUs = 250;
    static constexpr int ArrivalStepMs = 1;

    // Processes pending events and waits until `ready()` holds or `boundMs` of waiting have
    // passed, processing events between the looks. Returns whether `ready()` held; `waitedMs`
    // (when given) receives how long was waited, in milliseconds.
    static bool waitUntil(int boundMs, const Condition& ready, int* waitedMs = nullptr);
    // waitUntil for at least `count` bytes waiting on the link (false on a closed port).
    static bool waitForBytes(SerialLink& link, int count, int boundMs, int* waitedMs = nullptr);
    // A fixed pause of `ms` during which the window keeps processing events.
    static void pause(int ms);
    // Stops watching the descriptor a link handed to a wait; a link calls it before the
    // descriptor closes.
    static void releaseLineWake();

    // Process pending events, then sleep `ms` without processing them (older callers; a wait on
    // the line uses waitUntil).
    static void processAndSleep(int ms);
    // Process pending events only.
    static void processEvents();
    // Sleep without processing events (for the few waits that must not let handlers run).
    static void sleepBlocking(int ms);

    // While one lives, the waits leave the user's input (keys, clicks) queued: it is handled
    // the moment the exchange is over. A click handled inside a poll's wait would open its
    // dialog there, and the poll would stand still until the dialog closes. Exchanges that the
    // user must be able to stop (programming, replay) do not hold the input.
    class InputHold {
    public:
        InputHold() { ++inputHolds; }
        ~InputHold() { --inputHolds; }
        InputHold(const InputHold&) = delete;
        InputHold& operator=(const InputHold&) = delete;
    };
    static bool inputHeld() { return inputHolds > 0; }

    // Replaces the sleep (tests that must not spend real time: the waits look every CheckStepMs,
    // the hook is called with each step's length and the waits count that as time passed).
    // nullptr restores the real one.
    static void setSleepHook(Hook hook);
    // With a sleep hook on a virtual clock: how many milliseconds from now nothing will arrive
    // on the line (a large number when nothing is due). A wait for bytes, or a pause, then
    // passes over the looks that could see nothing in one sleep of the hook, and ends at the
    // same time with the same result; the events of those looks are not processed (harnesses
    // that run without an application). nullptr: every look is made.
    static void setQuietHook(QuietHook hook);
    // Told of every wait as it ends, with its bound and how long it waited (benchmarks).
    static void setObserver(Observer observer);

private:
    // Whether waits may sleep in the event loop on this system (else they look in steps).
    static bool sleepsInEventLoop();
    // Sleeps `ms` and returns how long that took: `ms` under a hook, the real time otherwise.
    static int sleepStep(int ms);
    // Sleeps about `us` microseconds of real time (no hook) and adds how long that took to
    // `carryUs`; returns the whole milliseconds of the carry, which keeps the rest.
    static int sleepFine(int us, long long& carryUs);
    // The system's sleep for less than a millisecond (or the shortest it has).
    static void sleepMicroseconds(int us);
    // The wait in steps of CheckStepMs (under the hook, or without an event loop).
    // `lineOnly`: the condition changes only with what arrives on the line (or never). A wait
    // for `count` bytes of a `link` that tells its byte time sleeps while they arrive and looks
    // every ArrivalStepMs when the last is due.
    static bool waitInSteps(int boundMs, const Condition& ready, bool lineOnly, int& waited,
                            SerialLink* link = nullptr, int count = 0);
    // The wait in the event loop. A wait for `count` bytes of `link` sleeps until the link's
    // descriptor says they are all there, or, on a link without one, while they arrive for the
    // time the line needs to carry the rest; a pause (`sleepThrough`) sleeps to its bound; any
    // other condition is looked at every CheckStepMs. Window events end a sleep early.
    static bool waitInLoop(int boundMs, const Condition& ready, SerialLink* link, int count,
                           bool sleepThrough, int& waited);
    static bool wait(int boundMs, const Condition& ready, int* waitedMs, SerialLink* link,
                     int count, bool sleepThrough);
    static Hook sleepHook;
    static QuietHook quietHook;
    static Observer observer;
    static int armedWaits; // waits sleeping on a link's descriptor (only the outermost arms it)
    static int inputHolds;
};
