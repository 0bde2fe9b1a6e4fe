#pragma once

#include <QString>
#include <cstdint>

// Command codes of the requests the program sends. The controller answers with the same code
// or the code plus one; an odd answer code carries one data byte more than its LEN says.
enum ControllerCommand : std::uint8_t {
    CMD_LIVE = 0x50,
    CMD_IDENTITY = 0x52,
    CMD_SERVICE = 0x54,
    CMD_SETTINGS = 0x56,
    CMD_MAP_READ = 0x5A,
    CMD_MAP_WRITE = 0x5C,
};

// Data bytes of the service requests (each sent twice, e.g. CC CC), and of the map read.
enum ServiceCode : std::uint8_t {
    SERVICE_DEFAULTS = 0xCC,  // restore default settings; answer not read
    SERVICE_CLEAR_MAP = 0xC1, // clear the ignition map; answer not read
    SERVICE_TEXT = 0x5E,      // service text; also the seed of its descrambling
    SERVICE_LOADER = 0x33,    // switch to the boot loader (programming, first step)
    SERVICE_CLOSE = 0x02,     // programming, closing step
};

// Frame layout shared by requests and responses: 0x55, LEN, CMD, data, CHK. CHK makes the 8-bit
// sum of the whole frame 0.
class ControllerFrame {
public:
    static constexpr std::uint8_t Header = 0x55;
    // The largest response body: LEN 255 with an odd code plus the checksum.
    static constexpr int MaxBody = 257;

    // Two's complement of the 8-bit sum of `count` bytes.
    static std::uint8_t checksum(const std::uint8_t* bytes, int count);
    // Bytes after the three header bytes of a response with this LEN and CMD.
    static int bodyLength(std::uint8_t len, std::uint8_t cmd) { return len + (cmd & 1) + 1; }
    // True when the 8-bit sum of 0x55, LEN, CMD and the body is 0.
    static bool bodyValid(std::uint8_t len, std::uint8_t cmd, const std::uint8_t* body,
                          int bodyLength);

    // The hexadecimal frame log line: prefix ("Tx:" or "Rx:"), the three header bytes, " -",
    // the data bytes, " - " and the checksum, e.g. "Tx: 55 00 50 - - 5B".
    static QString logLine(const char* prefix, const std::uint8_t header[3],
                           const std::uint8_t* data, int dataCount, std::uint8_t checksum);
    // Two upper-case hexadecimal digits.
    static QString hex2(std::uint8_t value);
};
