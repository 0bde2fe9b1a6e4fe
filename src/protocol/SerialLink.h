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
};
