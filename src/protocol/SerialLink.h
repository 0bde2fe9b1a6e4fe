#pragma once

#include <cstdint>

// The transport operations the protocol needs. The port facade implements it for real ports,
// tests use an in-memory fake. Return rules are the facade's: -1 when nothing is connected,
// 0 when the port failed, otherwise a byte count.
class SerialLink {
public:
    virtual ~SerialLink() = default;
    virtual bool SerialConnected() = 0;
    virtual int SerialInQueCount() = 0;
    virtual int SerialRead(std::uint8_t* buffer, int count) = 0;
    virtual int SerialWrite(const std::uint8_t* buffer, int count) = 0;
    // Counts the port's openings (also a quiet reopen of a device that came back): a new value
    // means a new opening. Links that cannot tell keep 0.
    virtual std::uint32_t SerialOpenCount() { return 0; }

    // Waking on received bytes. ArmInputWake returns a descriptor that becomes readable once at
    // least `count` bytes are waiting (or the line hangs up), so a wait can sleep until then;
    // -1 when the link cannot tell, and the wait looks at the queue every few milliseconds.
    // The count stays until the next arm (arming the same count again costs nothing) or
    // DisarmInputWake; reads and the queue count are the same armed or not.
    virtual int ArmInputWake(int count) {
        (void)count;
        return -1;
    }
    virtual void DisarmInputWake() {}
    // Microseconds one byte takes on the line; 0 when unknown. A wait that sees bytes coming
    // sleeps for the time the rest of them need instead of being woken by each one.
    virtual int ByteTimeUs() { return 0; }
};
