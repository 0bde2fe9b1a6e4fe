#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

// Line settings, options and events of the COM-port component. Member order is the ordinal order:
// stored values and the device tables index by it.
enum TBaudRate {
    br110,
    br300,
    br600,
    br1200,
    br2400,
    br4800,
    br9600,
    br14400,
    br19200,
    br38400,
    br56000,
    br57600,
    br115200,
    br128000,
    br256000
};
enum TParity { paNone, paOdd, paEven, paMark, paSpace };
enum TStopBits { sb10, sb15, sb20 };
enum TDataBits { da4, da5, da6, da7, da8 };
enum TFlowControl { fcNone, fcCTS, fcDTR, fcSoftware, fcDefault };
enum TCommOption { coParityCheck, coDsrSensitivity, coIgnoreXOff, coErrorChar, coNullStrip };
enum TCommEventType {
    evBreak,
    evCts,
    evDsr,
    evError,
    evRing,
    evRlsd,
    evRxChar,
    evRxFlag,
    evTxEmpty
};

// Sets as bit masks over the ordinals (bit n = member with ordinal n).
using TCommEventTypes = std::uint16_t;
using TCommOptions = std::uint8_t;
constexpr TCommEventTypes AllCommEvents = 0x1FF;

// The event bits handed from the event thread to HandleCommEvent.
constexpr std::uint32_t EV_RXCHAR = 0x01;
constexpr std::uint32_t EV_RXFLAG = 0x02;
constexpr std::uint32_t EV_TXEMPTY = 0x04;
constexpr std::uint32_t EV_CTS = 0x08;
constexpr std::uint32_t EV_DSR = 0x10;
constexpr std::uint32_t EV_RLSD = 0x20;
constexpr std::uint32_t EV_BREAK = 0x40;
constexpr std::uint32_t EV_ERR = 0x80;
constexpr std::uint32_t EV_RING = 0x100;

// Error bits reported to OnError.
constexpr std::uint32_t CE_RXOVER = 0x01;
constexpr std::uint32_t CE_OVERRUN = 0x02;
constexpr std::uint32_t CE_RXPARITY = 0x04;
constexpr std::uint32_t CE_FRAME = 0x08;
constexpr std::uint32_t CE_BREAK = 0x10;

// Escape function codes of EscapeComm.
constexpr int SETXOFF = 1;
constexpr int SETXON = 2;
constexpr int SETRTS = 3;
constexpr int CLRRTS = 4;
constexpr int SETDTR = 5;
constexpr int CLRDTR = 6;
constexpr int SETBREAK = 8;
constexpr int CLRBREAK = 9;

// The line as the component last wrote it: the fields of a device control block. The device is
// then set from these values, so tests and callers can see what was asked for even where a
// device (a pseudo-terminal) cannot honour all of it.
struct TDcb {
    std::uint32_t BaudRate = 9600;
    std::uint8_t ByteSize = 8;
    std::uint8_t Parity = 0;   // 0 none, 1 odd, 2 even, 3 mark, 4 space
    std::uint8_t StopBits = 0; // 0 one, 1 one and a half, 2 two
    char XonChar = 0;
    char XoffChar = 0;
    char ErrorChar = 0;
    char EofChar = 0;
    char EvtChar = 0;
    std::uint16_t XonLim = 0;
    std::uint16_t XoffLim = 0;
    bool fParity = false;
    bool fOutxDsrFlow = false; // driver's value, kept
    bool fDsrSensitivity = false;
    bool fTXContinueOnXoff = false;
    bool fErrorChar = false;
    bool fNull = false;
};

// Fixed time-outs of the port (milliseconds).
struct TCommTimeouts {
    std::uint32_t ReadIntervalTimeout = 0;
    std::uint32_t ReadTotalTimeoutMultiplier = 0;
    std::uint32_t ReadTotalTimeoutConstant = 0;
    std::uint32_t WriteTotalTimeoutMultiplier = 0;
    std::uint32_t WriteTotalTimeoutConstant = 0;
};

// Communications status: hold flags and queue sizes.
struct TComStat {
    bool fCtsHold = false;
    bool fDsrHold = false;
    bool fRlsdHold = false;
    bool fXoffHold = false;
    bool fXoffSent = false;
    std::uint32_t cbInQue = 0;
    std::uint32_t cbOutQue = 0;
};

// A failure of the COM-port component: the message is the template with "%d" filled by the code.
class ECommError : public std::runtime_error {
public:
    ECommError(const char* messageTemplate, int code);
    int Code() const { return code; }

private:
    int code;
};
