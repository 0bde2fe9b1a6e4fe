// TCoreComm on a Win32 COM port: overlapped handle, reads, writes, queues and the event thread.
#include "TCoreComm.h"

#include "TCommEventThread.h"

// After the component's headers: windows.h defines the EV_*, CE_* and escape codes as macros
// with the values CommTypes.h gives them.
#include <windows.h>

#include <mmsystem.h>

namespace {

HANDLE handleOf(CommHandle handle) {
    return static_cast<HANDLE>(handle);
}

// Errors that mean the device has gone (adapter pulled, driver stopped): the port then carries
// nothing any more.
bool isGoneError(DWORD error) {
    return error == ERROR_BAD_COMMAND || error == ERROR_ACCESS_DENIED ||
           error == ERROR_DEVICE_NOT_CONNECTED || error == ERROR_GEN_FAILURE ||
           error == ERROR_INVALID_HANDLE || error == ERROR_DEVICE_REMOVED;
}

} // namespace

// The overlapped records of Read and Write, each with a manual-reset event of its own.
struct TCoreComm::Platform {
    OVERLAPPED read{};
    OVERLAPPED write{};
    bool timerRaised = false;
    Platform() {
        read.hEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
        write.hEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    }
    ~Platform() {
        CloseHandle(read.hEvent);
        CloseHandle(write.hEvent);
    }
    Platform(const Platform&) = delete;
    Platform& operator=(const Platform&) = delete;
};

TCoreComm::TCoreComm(QObject* owner)
    : QObject(owner), FEventChars(std::make_unique<TCommEventChars>(this)) {
    FPlatform = std::make_unique<Platform>();
}

TCoreComm::~TCoreComm() {
    try {
        Close();
    } catch (...) {
        // A destructor must not throw; the handle is gone either way.
    }
}

void TCoreComm::CheckOpen() {
    if (FActive) {
        throw ECommError("Port already assigned (open) (Error: %d)", -1);
    }
}

void TCoreComm::CreateHandle() {
    FLastOpenError = 0;
    FHungUp = false;
    const std::wstring path = FDeviceName.toStdWString();
    HANDLE handle =
        CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                    FILE_FLAG_OVERLAPPED | FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        FLastOpenError = static_cast<int>(GetLastError());
        FActive = false;
        return;
    }
    FHandle = handle;
    FActive = true;
    if (GetFileType(handle) != FILE_TYPE_CHAR) {
        DestroyHandle();
        FLastOpenError = ERROR_INVALID_FUNCTION; // a file or a pipe: not a port
        return;
    }
    SetCommMask(handle, 0x1FF);
    // Windows' timer ticks every 15.6 ms by default; the line's waits are a few milliseconds
    // (one byte is about 1 ms at 9600 bit/s), so the resolution is raised while the port is open.
    FPlatform->timerRaised = timeBeginPeriod(1) == TIMERR_NOERROR;
}

void TCoreComm::DestroyHandle() {
    if (FHandle != NoCommHandle) {
        CloseHandle(handleOf(FHandle));
    }
    if (FPlatform->timerRaised) {
        timeEndPeriod(1);
        FPlatform->timerRaised = false;
    }
    FActive = false;
    FHandle = NoCommHandle;
}

void TCoreComm::Open() {
    int bufferError = 0;
    {
        std::lock_guard<std::recursive_mutex> guard(FCritSect);
        if (FActive) {
            throw ECommError("Port already assigned (open) (Error: %d)", -1);
        }
        CreateHandle();
        if (!FActive) {
            return; // missing or busy device: the caller looks at Enabled
        }
        UpdateCommTimeouts();
        UpdateDataControlBlock();
        if (!SetupComm(handleOf(FHandle), FReadBufSize, FWriteBufSize)) {
            bufferError = static_cast<int>(GetLastError()); // the port stays open
        }
        StartEventThread();
    }
    if (bufferError != 0) {
        throw ECommError("Error initializing Read/Write Buffers (Error: %d)", bufferError);
    }
}

void TCoreComm::Close() {
    if (!FActive) {
        return;
    }
    std::lock_guard<std::recursive_mutex> guard(FCritSect);
    ++FEventGeneration;
    StopEventThread();
    DestroyHandle();
}

int TCoreComm::Write(const std::uint8_t* buffer, std::uint32_t count) {
    if (!FActive) {
        return -1;
    }
    std::lock_guard<std::recursive_mutex> guard(FCritSect);
    HANDLE handle = handleOf(FHandle);
    OVERLAPPED& ov = FPlatform->write;
    ResetEvent(ov.hEvent);
    DWORD written = 0;
    if (WriteFile(handle, buffer, count, &written, &ov)) {
        return static_cast<int>(written);
    }
    DWORD error = GetLastError();
    if (error == ERROR_IO_PENDING) {
        // The driver's write time-out (19200 / rate ordinal ms a byte) bounds this wait.
        if (GetOverlappedResult(handle, &ov, &written, TRUE)) {
            return static_cast<int>(written);
        }
        error = GetLastError();
    }
    DWORD errors = 0;
    if (!ClearCommError(handle, &errors, nullptr) || isGoneError(error)) {
        FHungUp = FHungUp || isGoneError(error) || isGoneError(GetLastError());
    }
    return static_cast<int>(written);
}

int TCoreComm::Read(std::uint8_t* buffer, std::uint32_t count) {
    if (!FActive) {
        return -1;
    }
    std::lock_guard<std::recursive_mutex> guard(FCritSect);
    HANDLE handle = handleOf(FHandle);
    DWORD errors = 0;
    ClearCommError(handle, &errors, nullptr);
    if (count == 0) {
        ClearCommError(handle, &errors, nullptr);
        return 0;
    }
    OVERLAPPED& ov = FPlatform->read;
    ResetEvent(ov.hEvent);
    DWORD got = 0;
    if (ReadFile(handle, buffer, count, &got, &ov)) {
        return static_cast<int>(got);
    }
    DWORD error = GetLastError();
    if (error == ERROR_IO_PENDING) {
        // The time-outs end it: at once with queued bytes, else after the first byte or 1000 ms.
        if (GetOverlappedResult(handle, &ov, &got, TRUE)) {
            return static_cast<int>(got);
        }
        error = GetLastError();
        ClearCommError(handle, &errors, nullptr);
    }
    if (isGoneError(error)) {
        FHungUp = true;
    }
    return static_cast<int>(got);
}

int TCoreComm::InQueCount() {
    if (!FActive) {
        return -1;
    }
    DWORD errors = 0;
    COMSTAT stat{};
    if (!ClearCommError(handleOf(FHandle), &errors, &stat)) {
        if (isGoneError(GetLastError())) {
            FHungUp = true;
        }
        return 0;
    }
    return static_cast<int>(stat.cbInQue);
}

int TCoreComm::OutQueCount() {
    if (!FActive) {
        return -1;
    }
    DWORD errors = 0;
    COMSTAT stat{};
    if (!ClearCommError(handleOf(FHandle), &errors, &stat)) {
        return 0;
    }
    return static_cast<int>(stat.cbOutQue);
}

int TCoreComm::ArmInputWake(int count) {
    (void)count;
    return -1; // waits look at the queue in steps (the timer resolution is raised while open)
}

void TCoreComm::DisarmInputWake() {}

void TCoreComm::PurgeIn() {
    if (FActive) {
        PurgeComm(handleOf(FHandle), PURGE_RXABORT | PURGE_RXCLEAR);
    }
}

void TCoreComm::PurgeOut() {
    if (FActive) {
        PurgeComm(handleOf(FHandle), PURGE_TXABORT | PURGE_TXCLEAR);
    }
}

bool TCoreComm::HungUp() {
    if (!FActive) {
        return false;
    }
    if (!FHungUp) {
        DWORD errors = 0;
        COMSTAT stat{};
        if (!ClearCommError(handleOf(FHandle), &errors, &stat) && isGoneError(GetLastError())) {
            FHungUp = true;
        }
    }
    return FHungUp;
}
