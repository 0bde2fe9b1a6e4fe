#include "TCommEventThread.h"

#include <system_error>

#include <windows.h>

namespace {

// Event types in ordinal order and the bit each stands for.
constexpr std::uint32_t kEventBits[] = {EV_BREAK, EV_CTS,    EV_DSR,    EV_ERR,    EV_RING,
                                        EV_RLSD,  EV_RXCHAR, EV_RXFLAG, EV_TXEMPTY};

std::uint32_t eventBitsOf(TCommEventTypes events) {
    std::uint32_t mask = 0;
    for (int i = 0; i < 9; ++i) {
        if ((events & (1u << i)) != 0) {
            mask |= kEventBits[i];
        }
    }
    return mask;
}

// How long a stop waits for the abandoned WaitCommEvent to complete.
constexpr DWORD kStopGraceMs = 500;

} // namespace

TCommEventThread::TCommEventThread(CommHandle handle, std::uint32_t suspendTime,
                                   TCommEventTypes events)
    : FHandle(handle), FEventMask(eventBitsOf(events)), FSuspendTime(suspendTime) {
    FStopEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    SetCommMask(static_cast<HANDLE>(FHandle), FEventMask);
}

TCommEventThread::~TCommEventThread() {
    Stop();
    if (FStopEvent != nullptr) {
        CloseHandle(FStopEvent);
    }
}

bool TCommEventThread::Start() {
    if (FThread.joinable()) {
        return true;
    }
    if (FStopEvent == nullptr) {
        return false;
    }
    try {
        FThread = std::thread([this] { Execute(); });
    } catch (const std::system_error&) {
        return false;
    }
    return true;
}

void TCommEventThread::Stop() {
    FTerminated = true;
    if (FStopEvent != nullptr) {
        SetEvent(FStopEvent);
    }
    if (FThread.joinable()) {
        FThread.join();
    }
}

void TCommEventThread::Execute() {
    HANDLE handle = static_cast<HANDLE>(FHandle);
    HANDLE done = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    if (done == nullptr) {
        return;
    }
    // On the heap: a wait that will not complete keeps its record (see the end).
    auto* record = new OVERLAPPED{};
    OVERLAPPED& ov = *record;
    ov.hEvent = done;
    bool pending = false;
    while (!FTerminated) {
        DWORD mask = 0;
        bool counted = false;
        ResetEvent(done);
        if (FEventMask != 0 && WaitCommEvent(handle, &mask, &ov)) {
            counted = true;
        } else if (FEventMask != 0 && GetLastError() == ERROR_IO_PENDING) {
            pending = true;
            HANDLE both[2] = {done, FStopEvent};
            const DWORD woke = WaitForMultipleObjects(2, both, FALSE, INFINITE);
            ++FWakes;
            if (woke != WAIT_OBJECT_0) {
                break; // the stop, with the wait still pending
            }
            pending = false;
            DWORD ignored = 0;
            counted = GetOverlappedResult(handle, &ov, &ignored, FALSE) != FALSE;
        } else {
            // No events to wait for, or a device that cannot wait for them: wait for the stop.
            WaitForSingleObject(FStopEvent, INFINITE);
            ++FWakes;
            break;
        }
        mask &= FEventMask;
        if (counted && mask != 0 && !FTerminated && FOnCommEvent) {
            FOnCommEvent(this, mask);
        }
    }
    if (pending) {
        // A cleared event mask completes the pending wait; the record must outlive it.
        SetCommMask(handle, 0);
        CancelIo(handle);
        if (WaitForSingleObject(done, kStopGraceMs) != WAIT_OBJECT_0) {
            // Still pending: the driver may yet write into the record and signal its event,
            // so both are left to it (closing the port completes the wait).
            PurgeComm(handle, PURGE_TXABORT | PURGE_RXABORT | PURGE_TXCLEAR | PURGE_RXCLEAR);
            return;
        }
        DWORD ignored = 0;
        GetOverlappedResult(handle, &ov, &ignored, FALSE);
    }
    delete record;
    CloseHandle(done);
    // Leaving: discard both directions, as a closing port does.
    PurgeComm(handle, PURGE_TXABORT | PURGE_RXABORT | PURGE_TXCLEAR | PURGE_RXCLEAR);
}
