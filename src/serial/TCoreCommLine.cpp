// TCoreComm: the line settings and time-outs as the component keeps them. Writing them to the
// device, the event dispatch and the modem lines are the platform's (posix/, win32/).
#include "TCoreComm.h"

namespace {

constexpr std::uint32_t kBaudValues[] = {110,   300,   600,   1200,  2400,   4800,   9600,  14400,
                                         19200, 38400, 56000, 57600, 115200, 128000, 256000};

} // namespace

void TCoreComm::SetDeviceName(const QString& value) {
    if (!FActive) {
        FDeviceName = value;
    }
}

void TCoreComm::SetReadBufSize(std::uint16_t value) {
    if (!FActive) {
        FReadBufSize = value;
    }
}

void TCoreComm::SetWriteBufSize(std::uint16_t value) {
    if (!FActive) {
        FWriteBufSize = value;
    }
}

void TCoreComm::SetSuspendTime(std::uint32_t value) {
    if (!FActive) {
        FSuspendTime = value;
    }
}

void TCoreComm::SetMonitorEvents(TCommEventTypes value) {
    if (!FActive) {
        FMonitorEvents = value;
    }
}

void TCoreComm::SetBaudRate(TBaudRate value) {
    if (value != FBaudRate) {
        FBaudRate = value;
        UpdateDataControlBlockLock();
    }
}

void TCoreComm::SetParity(TParity value) {
    if (value != FParity) {
        FParity = value;
        UpdateDataControlBlockLock();
    }
}

void TCoreComm::SetStopBits(TStopBits value) {
    if (value != FStopBits) {
        FStopBits = value;
        UpdateDataControlBlockLock();
    }
}

void TCoreComm::SetDataBits(TDataBits value) {
    if (value != FDataBits) {
        FDataBits = value;
        UpdateDataControlBlockLock();
    }
}

void TCoreComm::SetOptions(TCommOptions value) {
    if (value != FOptions) {
        FOptions = value;
        UpdateDataControlBlockLock();
    }
}

void TCoreComm::SetFlowControl(TFlowControl value) {
    if (value != FFlowControl) {
        FFlowControl = value;
        UpdateDataControlBlockLock(); // stored only: the flow-control fields keep their values
    }
}

void TCoreComm::UpdateDataControlBlockLock() {
    std::lock_guard<std::recursive_mutex> guard(FCritSect);
    UpdateDataControlBlock();
}

void TCoreComm::UpdateDataControlBlock() {
    if (!FActive) {
        return;
    }
    FDCB.BaudRate = kBaudValues[FBaudRate];
    FDCB.Parity = static_cast<std::uint8_t>(FParity);
    FDCB.StopBits = static_cast<std::uint8_t>(FStopBits);
    FDCB.ByteSize = static_cast<std::uint8_t>(4 + FDataBits);
    FDCB.XonChar = FEventChars->XOnChar();
    FDCB.XoffChar = FEventChars->XOffChar();
    FDCB.ErrorChar = FEventChars->ErrorChar();
    FDCB.EofChar = FEventChars->EofChar();
    FDCB.EvtChar = FEventChars->EvtChar();
    FDCB.XonLim = 1024;
    FDCB.XoffLim = 1024;
    FDCB.fParity = (FOptions & (1u << coParityCheck)) != 0;
    FDCB.fDsrSensitivity = (FOptions & (1u << coDsrSensitivity)) != 0;
    FDCB.fTXContinueOnXoff = (FOptions & (1u << coIgnoreXOff)) != 0;
    FDCB.fErrorChar = (FOptions & (1u << coErrorChar)) != 0;
    FDCB.fNull = (FOptions & (1u << coNullStrip)) != 0;
    ApplyDcbToDevice();
}

void TCoreComm::UpdateCommTimeouts() {
    // Reads return the queued bytes at once, or wait up to a second for the count (see Read).
    FTimeouts.ReadIntervalTimeout = 0xFFFFFFFFu;
    FTimeouts.ReadTotalTimeoutMultiplier = 0;
    FTimeouts.ReadTotalTimeoutConstant = 1000;
    // 19200 / ordinal of the rate; br110 has ordinal 0 and is taken as 1.
    FTimeouts.WriteTotalTimeoutMultiplier =
        19200u / (FBaudRate == br110 ? 1u : static_cast<std::uint32_t>(FBaudRate));
    FTimeouts.WriteTotalTimeoutConstant = 0;
    ApplyTimeoutsToDevice();
}

int TCoreComm::ErrorBitsSince(const ErrorCounts& before, const ErrorCounts& now) {
    static constexpr std::uint32_t bits[] = {CE_FRAME, CE_OVERRUN, CE_RXPARITY, CE_RXOVER,
                                             CE_BREAK};
    std::uint32_t errors = 0;
    for (std::size_t i = 0; i < now.size(); ++i) {
        if (now[i] != before[i]) {
            errors |= bits[i];
        }
    }
    return static_cast<int>(errors);
}

void TCoreComm::SetDTRState(bool state) {
    EscapeComm(state ? SETDTR : CLRDTR);
}
void TCoreComm::SetRTSState(bool state) {
    EscapeComm(state ? SETRTS : CLRRTS);
}
void TCoreComm::SetXONState(bool state) {
    EscapeComm(state ? SETXON : SETXOFF);
}
