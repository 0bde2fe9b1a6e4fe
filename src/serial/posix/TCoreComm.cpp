#include "TCoreComm.h"

#include "TCommEventThread.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;

int msLeft(Clock::time_point deadline) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
    return left.count() > 0 ? static_cast<int>(left.count()) : 0;
}

bool isHangUpError(int error) {
    return error == EIO || error == ENXIO || error == ENODEV;
}

} // namespace

// A termios device needs nothing beyond its descriptor.
struct TCoreComm::Platform {};

TCoreComm::TCoreComm(QObject* owner)
    : QObject(owner), FEventChars(std::make_unique<TCommEventChars>(this)) {}

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
    FWakeCount = 1;
    const QByteArray path = FDeviceName.toLocal8Bit();
    int fd = ::open(path.constData(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        FLastOpenError = errno;
        FActive = false;
        return;
    }
    FHandle = fd;
    FActive = true;
    struct stat info {};
    if (fstat(fd, &info) != 0 || !S_ISCHR(info.st_mode) || !isatty(fd)) {
        // Not a serial line (a plain file, /dev/null, ...): not a port.
        DestroyHandle();
        FLastOpenError = ENOTTY;
        return;
    }
    // TIOCEXCL keeps other programs out (root passes it); the flock also stops a second open by
    // root or by this very process, which a mechanic running two copies would otherwise get.
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        DestroyHandle();
        FLastOpenError = EBUSY;
        return;
    }
    (void)ioctl(fd, TIOCEXCL);
    // Errors the line saw before this open are not ours to report.
    FErrorCounts = {};
    (void)ReadErrorCounts(FErrorCounts);
    // Raw line, receiver on, modem-control lines ignored: a fresh port carries bytes unchanged and
    // has no flow control, like a freshly opened COM port.
    termios tio{};
    if (tcgetattr(fd, &tio) == 0) {
        cfmakeraw(&tio);
        tio.c_cflag |= CLOCAL | CREAD;
        tio.c_cflag &= ~static_cast<tcflag_t>(CRTSCTS);
        // VMIN 1: an empty queue reads as EAGAIN, so a read of 0 bytes can only mean end of line.
        tio.c_cc[VMIN] = 1;
        tio.c_cc[VTIME] = 0;
        (void)tcsetattr(fd, TCSANOW, &tio);
    }
}

void TCoreComm::DestroyHandle() {
    if (FHandle >= 0) {
        // The exclusive flag belongs to the tty, not to this descriptor: when another program
        // keeps the line open (the simulator holds its pty), it would outlive us and refuse our
        // own next open.
        (void)ioctl(FHandle, TIOCNXCL);
        ::close(FHandle);
    }
    FActive = false;
    FHandle = -1;
}

void TCoreComm::Open() {
    // The lock is released on every way out, also when a step below raises.
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
        // The kernel's tty buffers have fixed sizes: ReadBufSize and WriteBufSize are kept only.
        StartEventThread();
    }
}

void TCoreComm::Close() {
    if (!FActive) {
        return;
    }
    std::lock_guard<std::recursive_mutex> guard(FCritSect);
    ++FEventGeneration; // events already posted are dropped when they arrive
    StopEventThread();
    DestroyHandle();
}

int TCoreComm::Write(const std::uint8_t* buffer, std::uint32_t count) {
    if (!FActive) {
        return -1;
    }
    std::lock_guard<std::recursive_mutex> guard(FCritSect);
    // A line that takes no byte for a whole second is stalled (flow control held, nobody reading
    // a pseudo-terminal): give up with what went out rather than hang the window.
    constexpr int kStallMs = 1000;
    std::uint32_t sent = 0;
    while (sent < count) {
        ssize_t n = ::write(FHandle, buffer + sent, count - sent);
        if (n > 0) {
            sent += static_cast<std::uint32_t>(n);
            continue;
        }
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0 && errno == EAGAIN) {
            pollfd pfd{FHandle, POLLOUT, 0};
            if (::poll(&pfd, 1, kStallMs) <= 0) {
                break;
            }
            if ((pfd.revents & (POLLHUP | POLLERR)) != 0) {
                FHungUp = true;
                break;
            }
            continue;
        }
        if (n < 0 && isHangUpError(errno)) {
            FHungUp = true;
        }
        break;
    }
    if (sent > 0 && FEventThread) {
        FEventThread->NotifyWrite();
    }
    return static_cast<int>(sent);
}

int TCoreComm::Read(std::uint8_t* buffer, std::uint32_t count) {
    if (!FActive) {
        return -1;
    }
    std::lock_guard<std::recursive_mutex> guard(FCritSect);
    if (count == 0) {
        return 0;
    }
    int queued = 0;
    (void)ioctl(FHandle, FIONREAD, &queued);
    const auto deadline =
        Clock::now() + std::chrono::milliseconds(FTimeouts.ReadTotalTimeoutConstant);
    std::uint32_t got = 0;
    while (got < count) {
        ssize_t n = ::read(FHandle, buffer + got, count - got);
        if (n > 0) {
            got += static_cast<std::uint32_t>(n);
            // Bytes were waiting: hand over what was there, at once. One read may give fewer
            // than are queued (the line hands them over in pieces while a wait's minimum count
            // is set), so this goes on until the queued ones are all taken.
            if (queued > 0 && got >= std::min<std::uint32_t>(count, std::uint32_t(queued))) {
                break;
            }
            continue;
        }
        if (n == 0) {
            FHungUp = true; // end of file on a tty: the other side is gone
            break;
        }
        if (errno == EINTR) {
            continue;
        }
        if (errno != EAGAIN) {
            if (isHangUpError(errno)) {
                FHungUp = true;
            }
            break;
        }
        if (queued > 0 && got > 0) {
            break; // fewer than counted after all: what there is, at once
        }
        int left = msLeft(deadline);
        if (left == 0) {
            break;
        }
        if (FWakeCount != 1) {
            DisarmInputWake(); // a count armed for a wait would hold back every byte before it
        }
        pollfd pfd{FHandle, POLLIN, 0};
        int ready = ::poll(&pfd, 1, left);
        if (ready == 0) {
            break;
        }
        if (ready > 0 && (pfd.revents & POLLIN) == 0 && (pfd.revents & (POLLHUP | POLLERR)) != 0) {
            FHungUp = true;
            break;
        }
    }
    return static_cast<int>(got);
}

int TCoreComm::InQueCount() {
    if (!FActive) {
        return -1;
    }
    int queued = 0;
    return ioctl(FHandle, FIONREAD, &queued) == 0 ? queued : 0;
}

namespace {

// Sets the minimum read count of a raw line (no read time-out), unless it is already that.
bool setMinimumRead(int fd, int count) {
    termios tio{};
    if (tcgetattr(fd, &tio) != 0) {
        return false;
    }
    if (tio.c_cc[VMIN] == count && tio.c_cc[VTIME] == 0) {
        return true;
    }
    tio.c_cc[VMIN] = static_cast<cc_t>(count);
    tio.c_cc[VTIME] = 0;
    return tcsetattr(fd, TCSANOW, &tio) == 0;
}

} // namespace

int TCoreComm::ArmInputWake(int count) {
    if (!FActive || FHungUp) {
        return -1;
    }
    std::lock_guard<std::recursive_mutex> guard(FCritSect);
    const int wanted = std::clamp(count, 1, 255);
    if (wanted != FWakeCount) {
        if (!setMinimumRead(FHandle, wanted)) {
            return -1;
        }
        FWakeCount = wanted;
    }
    return FHandle;
}

void TCoreComm::DisarmInputWake() {
    if (!FActive || FWakeCount == 1) {
        return;
    }
    std::lock_guard<std::recursive_mutex> guard(FCritSect);
    // A port that refuses keeps no stale count in mind: the next arm sets it again.
    (void)setMinimumRead(FHandle, 1);
    FWakeCount = 1;
}

int TCoreComm::OutQueCount() {
    if (!FActive) {
        return -1;
    }
    int pending = 0;
    return ioctl(FHandle, TIOCOUTQ, &pending) == 0 ? pending : 0;
}

void TCoreComm::PurgeIn() {
    if (FActive) {
        (void)tcflush(FHandle, TCIFLUSH);
    }
}

void TCoreComm::PurgeOut() {
    if (FActive) {
        (void)tcflush(FHandle, TCOFLUSH);
    }
}

bool TCoreComm::HungUp() {
    if (!FActive) {
        return false;
    }
    if (!FHungUp) {
        pollfd pfd{FHandle, POLLIN, 0};
        if (::poll(&pfd, 1, 0) > 0 && (pfd.revents & (POLLHUP | POLLERR | POLLNVAL)) != 0) {
            FHungUp = true;
        }
    }
    return FHungUp;
}
