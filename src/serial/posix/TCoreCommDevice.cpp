// TCoreComm on a termios device: line settings, events and modem lines.
#include "TCoreComm.h"

#include "CustomBaud.h"
#include "TCommEventThread.h"

#include <cerrno>
#include <linux/serial.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

namespace {

speed_t speedOf(std::uint32_t rate) {
    switch (rate) {
    case 110:
        return B110;
    case 300:
        return B300;
    case 600:
        return B600;
    case 1200:
        return B1200;
    case 2400:
        return B2400;
    case 4800:
        return B4800;
    case 9600:
        return B9600;
    case 19200:
        return B19200;
    case 38400:
        return B38400;
    case 57600:
        return B57600;
    case 115200:
        return B115200;
    default:
        return B0;
    }
}

constexpr const char* kDcbFailure = "Error updating DataControlBlock (Error: %d)";

} // namespace

// Writes FDCB into the termios settings. Fields termios has no place for (DSR sensitivity,
// continue-on-XOFF, error-character replacement, null stripping, the XON/XOFF limits) are kept in
// FDCB only. A device without line settings (ENOTTY) keeps what it has: a pseudo-terminal is
// still a usable line.
void TCoreComm::ApplyDcbToDevice() {
    termios tio{};
    if (tcgetattr(FHandle, &tio) != 0) {
        if (errno == ENOTTY) {
            return;
        }
        throw ECommError(kDcbFailure, errno);
    }
    if (FDCB.ByteSize < 5 || FDCB.ByteSize > 8) {
        throw ECommError(kDcbFailure, EINVAL); // termios has no 4-bit characters
    }
    static const tcflag_t sizes[] = {CS5, CS6, CS7, CS8};
    tio.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB | PARODD | CMSPAR | CSTOPB);
    tio.c_cflag |= sizes[FDCB.ByteSize - 5];
    switch (FDCB.Parity) {
    case 1:
        tio.c_cflag |= PARENB | PARODD;
        break;
    case 2:
        tio.c_cflag |= PARENB;
        break;
    case 3:
        tio.c_cflag |= PARENB | CMSPAR | PARODD;
        break;
    case 4:
        tio.c_cflag |= PARENB | CMSPAR;
        break;
    default:
        break;
    }
    if (FDCB.StopBits != 0) {
        tio.c_cflag |= CSTOPB; // with 5-bit characters the UART makes that one and a half
    }
    if (FDCB.fParity) {
        tio.c_iflag |= INPCK;
    } else {
        tio.c_iflag &= ~static_cast<tcflag_t>(INPCK);
    }
    tio.c_cc[VSTART] = static_cast<cc_t>(FDCB.XonChar);
    tio.c_cc[VSTOP] = static_cast<cc_t>(FDCB.XoffChar);
    const speed_t speed = speedOf(FDCB.BaudRate);
    if (speed != B0) {
        cfsetispeed(&tio, speed);
        cfsetospeed(&tio, speed);
    }
    if (tcsetattr(FHandle, TCSANOW, &tio) != 0) {
        if (errno == ENOTTY) {
            return;
        }
        throw ECommError(kDcbFailure, errno);
    }
    if (speed == B0) {
        int error = SetCustomBaudRate(FHandle, FDCB.BaudRate);
        if (error != 0 && error != ENOTTY) {
            throw ECommError(kDcbFailure, error);
        }
    }
}

// termios has no time-outs of the device: Read keeps them (FTimeouts) itself.
void TCoreComm::ApplyTimeoutsToDevice() {}

TComStat TCoreComm::ReadComStat() {
    TComStat stat;
    int value = 0;
    if (ioctl(FHandle, FIONREAD, &value) == 0) {
        stat.cbInQue = static_cast<std::uint32_t>(value);
    }
    if (ioctl(FHandle, TIOCOUTQ, &value) == 0) {
        stat.cbOutQue = static_cast<std::uint32_t>(value);
    }
    termios tio{};
    int modem = 0;
    if (tcgetattr(FHandle, &tio) == 0 && (tio.c_cflag & CRTSCTS) != 0 &&
        ioctl(FHandle, TIOCMGET, &modem) == 0) {
        stat.fCtsHold = (modem & TIOCM_CTS) == 0;
    }
    return stat;
}

void TCoreComm::HandleCommEvent(TCommEventThread* sender, std::uint32_t mask) {
    (void)sender;
    if (!FActive) {
        return;
    }
    const TComStat stat = ReadComStat();
    // Error bits from the driver's counters where the device keeps them: only the errors since
    // the last look (the open or the previous event), never everything since the driver started.
    int errors = 0;
    ErrorCounts counts{};
    if (ReadErrorCounts(counts)) {
        errors = ErrorBitsSince(FErrorCounts, counts);
        FErrorCounts = counts;
    }
    if ((mask & EV_BREAK) != 0 && OnBreak) {
        OnBreak(this);
    }
    if ((mask & EV_CTS) != 0 && OnCts) {
        OnCts(this);
    }
    if ((mask & EV_DSR) != 0 && OnDsr) {
        OnDsr(this);
    }
    if ((mask & EV_ERR) != 0 && OnError) {
        OnError(this, errors);
    }
    if ((mask & EV_RING) != 0 && OnRing) {
        OnRing(this);
    }
    if ((mask & EV_RLSD) != 0 && OnRlsd) {
        OnRlsd(this);
    }
    if ((mask & EV_RXCHAR) != 0 && OnRxChar && stat.cbInQue > 0) {
        OnRxChar(this, stat.cbInQue);
    }
    if ((mask & EV_RXFLAG) != 0 && OnRxFlag) {
        OnRxFlag(this);
    }
    if ((mask & EV_TXEMPTY) != 0 && OnTxEmpty) {
        OnTxEmpty(this);
    }
    if (OnComStatEvent) {
        OnComStatEvent(this, mask, stat);
    }
}

bool TCoreComm::ReadErrorCounts(ErrorCounts& counts) const {
    serial_icounter_struct icount{};
    if (FHandle < 0 || ioctl(FHandle, TIOCGICOUNT, &icount) != 0) {
        return false;
    }
    counts = {icount.frame, icount.overrun, icount.parity, icount.buf_overrun, icount.brk};
    return true;
}

bool TCoreComm::GetModemState(int which) {
    if (!FActive) {
        return false;
    }
    int modem = 0;
    if (ioctl(FHandle, TIOCMGET, &modem) != 0) {
        return false;
    }
    switch (which) {
    case 1:
        return (modem & TIOCM_CTS) != 0;
    case 2:
        return (modem & TIOCM_DSR) != 0;
    case 3:
        return (modem & TIOCM_RNG) != 0;
    case 4:
        return (modem & TIOCM_CD) != 0;
    default:
        return false;
    }
}

void TCoreComm::EscapeComm(int function) {
    if (!FActive) {
        throw ECommError("Port not open (Error: %d)", -1);
    }
    int result = -1;
    int error = EINVAL;
    {
        std::lock_guard<std::recursive_mutex> guard(FCritSect);
        int dtr = TIOCM_DTR;
        int rts = TIOCM_RTS;
        switch (function) {
        case SETDTR:
            result = ioctl(FHandle, TIOCMBIS, &dtr);
            break;
        case CLRDTR:
            result = ioctl(FHandle, TIOCMBIC, &dtr);
            break;
        case SETRTS:
            result = ioctl(FHandle, TIOCMBIS, &rts);
            break;
        case CLRRTS:
            result = ioctl(FHandle, TIOCMBIC, &rts);
            break;
        case SETXON:
            result = tcflow(FHandle, TCOON);
            break;
        case SETXOFF:
            result = tcflow(FHandle, TCOOFF);
            break;
        case SETBREAK:
            result = ioctl(FHandle, TIOCSBRK);
            break;
        case CLRBREAK:
            result = ioctl(FHandle, TIOCCBRK);
            break;
        default:
            break; // an unknown function code fails with EINVAL
        }
        if (result != 0 && function >= SETXOFF && function <= CLRBREAK && function != 7) {
            error = errno;
        }
    }
    if (result != 0) {
        throw ECommError("EscapeCommFunction failure (Error: %d)", error);
    }
}

void TCoreComm::SetBREAKState(bool state) {
    EscapeComm(state ? SETBREAK : CLRBREAK);
    if (FActive) {
        std::lock_guard<std::recursive_mutex> guard(FCritSect);
        (void)tcflush(FHandle, TCIOFLUSH);
    }
}
