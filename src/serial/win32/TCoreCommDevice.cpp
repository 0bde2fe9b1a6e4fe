// TCoreComm on a Win32 COM port: device control block, time-outs, events and modem lines.
#include "TCoreComm.h"

#include "TCommEventThread.h"

#include <windows.h>

namespace {

HANDLE handleOf(CommHandle handle) {
    return static_cast<HANDLE>(handle);
}

constexpr const char* kDcbFailure = "Error updating DataControlBlock (Error: %d)";

} // namespace

// Every field FDCB does not name keeps the driver's value (flow control, fBinary, ...).
void TCoreComm::ApplyDcbToDevice() {
    HANDLE handle = handleOf(FHandle);
    (void)SetupComm(handle, FReadBufSize, FWriteBufSize);
    ::DCB dcb{};
    dcb.DCBlength = sizeof dcb;
    if (!GetCommState(handle, &dcb)) {
        throw ECommError(kDcbFailure, static_cast<int>(GetLastError()));
    }
    dcb.BaudRate = FDCB.BaudRate;
    dcb.Parity = FDCB.Parity;
    dcb.StopBits = FDCB.StopBits;
    dcb.ByteSize = FDCB.ByteSize;
    dcb.XonChar = FDCB.XonChar;
    dcb.XoffChar = FDCB.XoffChar;
    dcb.ErrorChar = FDCB.ErrorChar;
    dcb.EofChar = FDCB.EofChar;
    dcb.EvtChar = FDCB.EvtChar;
    dcb.XonLim = FDCB.XonLim;
    dcb.XoffLim = FDCB.XoffLim;
    dcb.fParity = FDCB.fParity ? 1 : 0;
    dcb.fDsrSensitivity = FDCB.fDsrSensitivity ? 1 : 0;
    dcb.fTXContinueOnXoff = FDCB.fTXContinueOnXoff ? 1 : 0;
    dcb.fErrorChar = FDCB.fErrorChar ? 1 : 0;
    dcb.fNull = FDCB.fNull ? 1 : 0;
    FDCB.fOutxDsrFlow = dcb.fOutxDsrFlow != 0;
    if (!SetCommState(handle, &dcb)) {
        throw ECommError(kDcbFailure, static_cast<int>(GetLastError()));
    }
}

void TCoreComm::ApplyTimeoutsToDevice() {
    if (!FActive) {
        return;
    }
    COMMTIMEOUTS timeouts{};
    timeouts.ReadIntervalTimeout = FTimeouts.ReadIntervalTimeout;
    timeouts.ReadTotalTimeoutMultiplier = FTimeouts.ReadTotalTimeoutMultiplier;
    timeouts.ReadTotalTimeoutConstant = FTimeouts.ReadTotalTimeoutConstant;
    timeouts.WriteTotalTimeoutMultiplier = FTimeouts.WriteTotalTimeoutMultiplier;
    timeouts.WriteTotalTimeoutConstant = FTimeouts.WriteTotalTimeoutConstant;
    if (!SetCommTimeouts(handleOf(FHandle), &timeouts)) {
        throw ECommError("Error updating CommTimeouts (Error: %d)",
                         static_cast<int>(GetLastError()));
    }
}

TComStat TCoreComm::ReadComStat() {
    TComStat stat;
    DWORD errors = 0;
    COMSTAT com{};
    if (ClearCommError(handleOf(FHandle), &errors, &com)) {
        stat.fCtsHold = com.fCtsHold != 0;
        stat.fDsrHold = com.fDsrHold != 0;
        stat.fRlsdHold = com.fRlsdHold != 0;
        stat.fXoffHold = com.fXoffHold != 0;
        stat.fXoffSent = com.fXoffSent != 0;
        stat.cbInQue = com.cbInQue;
        stat.cbOutQue = com.cbOutQue;
    }
    return stat;
}

void TCoreComm::HandleCommEvent(TCommEventThread* sender, std::uint32_t mask) {
    (void)sender;
    if (!FActive) {
        return;
    }
    // One ClearCommError gives both: the error bits since the last call, and the status.
    DWORD errorBits = 0;
    COMSTAT com{};
    TComStat stat;
    if (ClearCommError(handleOf(FHandle), &errorBits, &com)) {
        stat.fCtsHold = com.fCtsHold != 0;
        stat.fDsrHold = com.fDsrHold != 0;
        stat.fRlsdHold = com.fRlsdHold != 0;
        stat.fXoffHold = com.fXoffHold != 0;
        stat.fXoffSent = com.fXoffSent != 0;
        stat.cbInQue = com.cbInQue;
        stat.cbOutQue = com.cbOutQue;
    }
    const int errors = static_cast<int>(errorBits);
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

// ClearCommError reports the error bits themselves: there are no counters to compare.
bool TCoreComm::ReadErrorCounts(ErrorCounts& counts) const {
    (void)counts;
    return false;
}

bool TCoreComm::GetModemState(int which) {
    if (!FActive) {
        return false;
    }
    DWORD status = 0;
    if (!GetCommModemStatus(handleOf(FHandle), &status)) {
        return false;
    }
    switch (which) {
    case 1:
        return (status & MS_CTS_ON) != 0;
    case 2:
        return (status & MS_DSR_ON) != 0;
    case 3:
        return (status & MS_RING_ON) != 0;
    case 4:
        return (status & MS_RLSD_ON) != 0;
    default:
        return false;
    }
}

void TCoreComm::EscapeComm(int function) {
    if (!FActive) {
        throw ECommError("Port not open (Error: %d)", -1);
    }
    BOOL done = FALSE;
    DWORD error = 0;
    {
        std::lock_guard<std::recursive_mutex> guard(FCritSect);
        done = EscapeCommFunction(handleOf(FHandle), static_cast<DWORD>(function));
        if (!done) {
            error = GetLastError();
        }
    }
    if (!done) {
        throw ECommError("EscapeCommFunction failure (Error: %d)", static_cast<int>(error));
    }
}

void TCoreComm::SetBREAKState(bool state) {
    EscapeComm(state ? SETBREAK : CLRBREAK);
    if (FActive) {
        std::lock_guard<std::recursive_mutex> guard(FCritSect);
        PurgeComm(handleOf(FHandle), PURGE_TXABORT | PURGE_RXABORT | PURGE_TXCLEAR | PURGE_RXCLEAR);
    }
}
