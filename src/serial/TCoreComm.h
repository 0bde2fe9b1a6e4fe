#pragma once

#include "CommHandle.h"
#include "CommTypes.h"
#include "TCommEventChars.h"

#include <QObject>
#include <QString>

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>

class TCommEventThread;

// One serial port. Line settings live in the fields below and are written to the device whenever
// they change while open. Reads and writes happen on the caller's thread under the lock; an event
// thread watches the port and reports events on the thread this object lives in.
//
// posix/: a termios device opened read/write, without a controlling terminal, non-blocking and
// exclusive (TIOCEXCL plus an flock, so a second open fails with EBUSY even for root).
// win32/: a COM port opened for overlapped I/O without sharing; the event thread waits in
// WaitCommEvent.
class TCoreComm : public QObject {
    Q_OBJECT
public:
    using NotifyEvent = std::function<void(TCoreComm* sender)>;
    using ErrorEvent = std::function<void(TCoreComm* sender, int errors)>;
    using RxCharEvent = std::function<void(TCoreComm* sender, std::uint32_t count)>;
    using ComStatEvent =
        std::function<void(TCoreComm* sender, std::uint32_t status, TComStat comStat)>;

    explicit TCoreComm(QObject* owner = nullptr);
    ~TCoreComm() override;

    void Lock() { FCritSect.lock(); }
    void Unlock() { FCritSect.unlock(); }

    bool Enabled() const { return FActive; }
    void CheckOpen();
    virtual void CreateHandle();
    void DestroyHandle();
    void Open();
    void Close();

    int Write(const std::uint8_t* buffer, std::uint32_t count);
    int Read(std::uint8_t* buffer, std::uint32_t count);
    int InQueCount();
    int OutQueCount();
    void PurgeIn();
    void PurgeOut();

    QString DeviceName() const { return FDeviceName; }
    void SetDeviceName(const QString& value);
    int ReadTimeout() const { return FReadTimeout; }
    void SetReadTimeout(int value) { FReadTimeout = value; }
    int WriteTimeout() const { return FWriteTimeout; }
    void SetWriteTimeout(int value) { FWriteTimeout = value; }
    std::uint16_t ReadBufSize() const { return FReadBufSize; }
    void SetReadBufSize(std::uint16_t value);
    std::uint16_t WriteBufSize() const { return FWriteBufSize; }
    void SetWriteBufSize(std::uint16_t value);
    std::uint32_t SuspendTime() const { return FSuspendTime; }
    void SetSuspendTime(std::uint32_t value);
    TCommEventTypes MonitorEvents() const { return FMonitorEvents; }
    void SetMonitorEvents(TCommEventTypes value);

    TBaudRate BaudRate() const { return FBaudRate; }
    void SetBaudRate(TBaudRate value);
    TParity Parity() const { return FParity; }
    void SetParity(TParity value);
    TStopBits StopBits() const { return FStopBits; }
    void SetStopBits(TStopBits value);
    TDataBits DataBits() const { return FDataBits; }
    void SetDataBits(TDataBits value);
    TCommOptions Options() const { return FOptions; }
    void SetOptions(TCommOptions value);
    TFlowControl FlowControl() const { return FFlowControl; }
    void SetFlowControl(TFlowControl value);
    TCommEventChars& EventChars() { return *FEventChars; }

    void UpdateDataControlBlock();
    void UpdateDataControlBlockLock();
    void UpdateCommTimeouts();
    void HandleCommEvent(TCommEventThread* sender, std::uint32_t mask);

    bool GetModemState(int which);
    bool GetComState(int which);
    void EscapeComm(int function);
    void SetDTRState(bool state);
    void SetRTSState(bool state);
    void SetXONState(bool state);
    void SetBREAKState(bool state);

    // Additions. The error of the last open that left the port closed (0 after a good open): errno
    // on Linux, the Win32 error code on Windows; the facade explains it to the user.
    int LastOpenError() const { return FLastOpenError; }
    // True once the far end has hung up (POLLHUP, or EIO from the device). Such a port stays
    // open until closed but carries nothing any more.
    bool HungUp();
    // Makes the handle readable only once `count` bytes are waiting (at most 255: the line's
    // minimum read count), so a wait can sleep on it until its bytes are there; returns the
    // handle, or -1 when the port is closed or refuses (always on Windows, where a wait looks at
    // the queue in steps and the port raises the timer resolution while it is open).
    // DisarmInputWake restores the usual minimum of one byte. Reads do not change: the handle is
    // non-blocking.
    int ArmInputWake(int count);
    void DisarmInputWake();
    // Line-error counters of the driver: frame, overrun, parity, buffer overrun, break.
    using ErrorCounts = std::array<int, 5>;
    // The CE_* bits of the counters that moved from `before` to `now`: the errors since the last
    // look, as clearing the error state reports them (the counters themselves only ever grow).
    static int ErrorBitsSince(const ErrorCounts& before, const ErrorCounts& now);
    // The control block and time-outs as last written.
    const TDcb& DCB() const { return FDCB; }
    const TCommTimeouts& CommTimeouts() const { return FTimeouts; }
    CommHandle Handle() const { return FHandle; }
    // Events the event thread has handed over, and times its wait returned (for tests: a port
    // that hung up must not keep the thread spinning).
    std::uint64_t EventsPosted() const { return FEventsPosted.load(); }
    std::uint64_t EventThreadWakes() const;

    NotifyEvent OnBreak, OnCts, OnDsr, OnRing, OnRlsd, OnRxFlag, OnTxEmpty;
    ErrorEvent OnError;
    RxCharEvent OnRxChar;
    ComStatEvent OnComStatEvent;

private:
    void ApplyDcbToDevice();
    void ApplyTimeoutsToDevice();
    TComStat ReadComStat();
    // Starts the event thread on the open handle; without it the handle is closed again.
    void StartEventThread();
    void StopEventThread();
    bool ReadErrorCounts(ErrorCounts& counts) const;

    // What only one platform needs (the Win32 overlapped records); defined beside its code.
    struct Platform;
    std::unique_ptr<Platform> FPlatform;
    CommHandle FHandle = NoCommHandle;
    TDcb FDCB;
    TCommTimeouts FTimeouts;
    QString FDeviceName = QStringLiteral("Com2");
    std::recursive_mutex FCritSect;
    int FReadTimeout = 1000;
    int FWriteTimeout = 1000;
    std::uint16_t FReadBufSize = 4096;
    std::uint16_t FWriteBufSize = 2048;
    std::uint32_t FSuspendTime = 5;
    TCommEventTypes FMonitorEvents = AllCommEvents;
    TBaudRate FBaudRate = br9600;
    TParity FParity = paNone;
    TStopBits FStopBits = sb10;
    TDataBits FDataBits = da8;
    bool FActive = false;
    std::unique_ptr<TCommEventThread> FEventThread;
    std::unique_ptr<TCommEventChars> FEventChars;
    TCommOptions FOptions = 0;
    TFlowControl FFlowControl = fcDefault;
    int FLastOpenError = 0;
    bool FHungUp = false;
    int FWakeCount = 1; // the line's minimum read count as last set
    // Bumped by Close: an event posted by an earlier thread carries an older number and is dropped.
    std::uint64_t FEventGeneration = 0;
    std::atomic<std::uint64_t> FEventsPosted{0};
    ErrorCounts FErrorCounts{}; // as last looked at: at the open, then at each event
};
