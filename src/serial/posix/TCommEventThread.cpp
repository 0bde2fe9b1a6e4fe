#include "TCommEventThread.h"

#include <cerrno>
#include <linux/serial.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/ioctl.h>
#include <system_error>
#include <termios.h>
#include <unistd.h>

namespace {

// Event types in ordinal order and the bit each stands for.
constexpr std::uint32_t kEventBits[] = {EV_BREAK, EV_CTS,    EV_DSR,    EV_ERR,    EV_RING,
                                        EV_RLSD,  EV_RXCHAR, EV_RXFLAG, EV_TXEMPTY};

// While unread bytes sit in the input queue the port stays readable, so instead of waiting for
// POLLIN the queue is sampled at this period to see it grow.
constexpr int kQueueSampleMs = 20;
// Modem lines give no poll event: sampled at this period on devices that have them.
constexpr int kModemSampleMs = 100;
// The output queue is sampled at this period after a write until it drains.
constexpr int kTxSampleMs = 10;

std::uint32_t eventBitsOf(TCommEventTypes events) {
    std::uint32_t mask = 0;
    for (int i = 0; i < 9; ++i) {
        if ((events & (1u << i)) != 0) {
            mask |= kEventBits[i];
        }
    }
    return mask;
}

int minTimeout(int current, int candidate) {
    return current < 0 ? candidate : (candidate < current ? candidate : current);
}

void drainEventFd(int fd) {
    eventfd_t value = 0;
    (void)eventfd_read(fd, &value);
}

} // namespace

TCommEventThread::TCommEventThread(int handle, std::uint32_t suspendTime, TCommEventTypes events)
    : FHandle(handle), FEventMask(eventBitsOf(events)), FSuspendTime(suspendTime) {
    FStopFd = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    FKickFd = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
}

TCommEventThread::~TCommEventThread() {
    Stop();
    if (FStopFd >= 0) {
        ::close(FStopFd);
    }
    if (FKickFd >= 0) {
        ::close(FKickFd);
    }
}

bool TCommEventThread::Start() {
    if (FThread.joinable()) {
        return true;
    }
    if (FStopFd < 0 || FKickFd < 0) {
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
    if (FStopFd >= 0) {
        (void)eventfd_write(FStopFd, 1);
    }
    if (FThread.joinable()) {
        FThread.join();
    }
}

void TCommEventThread::NotifyWrite() {
    if (FKickFd >= 0 && (FEventMask & EV_TXEMPTY) != 0) {
        (void)eventfd_write(FKickFd, 1);
    }
}

void TCommEventThread::Report(std::uint32_t mask) {
    if (FOnCommEvent) {
        FOnCommEvent(this, mask);
    }
}

void TCommEventThread::Execute() {
    int lastQueued = 0;
    bool quietReadable = false; // readable yet nothing queued: sample instead of spinning
    bool watchTx = false;
    bool hungUp = false;
    int lastModem = 0;
    const std::uint32_t modemEvents = EV_CTS | EV_DSR | EV_RING | EV_RLSD;
    bool sampleModem = (FEventMask & modemEvents) != 0 && ioctl(FHandle, TIOCMGET, &lastModem) == 0;
    const bool wantRx = (FEventMask & (EV_RXCHAR | EV_RXFLAG)) != 0;
    // Breaks and line errors show only in the driver's counters (real UARTs keep them).
    serial_icounter_struct lastCounts{};
    bool sampleCounts =
        (FEventMask & (EV_BREAK | EV_ERR)) != 0 && ioctl(FHandle, TIOCGICOUNT, &lastCounts) == 0;

    while (!FTerminated) {
        pollfd fds[3] = {{FStopFd, POLLIN, 0}, {FKickFd, POLLIN, 0}, {FHandle, 0, 0}};
        int timeout = -1;
        if (hungUp) {
            fds[2].fd = -1; // a hung-up port stays readable for ever: wait for the stop alone
        } else {
            if (wantRx && lastQueued == 0 && !quietReadable) {
                fds[2].events = POLLIN;
            } else if (wantRx) {
                timeout = minTimeout(timeout, kQueueSampleMs);
            }
            if (sampleModem || sampleCounts) {
                timeout = minTimeout(timeout, kModemSampleMs);
            }
            if (watchTx) {
                timeout = minTimeout(timeout, kTxSampleMs);
            }
        }
        int ready = ::poll(fds, 3, timeout);
        ++FWakes;
        if (ready < 0 && errno != EINTR) {
            break;
        }
        if (FTerminated || (fds[0].revents & POLLIN) != 0) {
            break;
        }
        if ((fds[1].revents & POLLIN) != 0) {
            drainEventFd(FKickFd);
            watchTx = !hungUp;
        }

        std::uint32_t events = 0;
        if (!hungUp && (fds[2].revents & (POLLHUP | POLLERR | POLLNVAL)) != 0) {
            // The far end is gone (adapter unplugged, pty master closed): report it once.
            hungUp = true;
            watchTx = false;
            events |= EV_ERR | EV_RLSD;
        }
        if (!hungUp) {
            int queued = 0;
            if (ioctl(FHandle, FIONREAD, &queued) == 0) {
                if (queued > lastQueued) {
                    events |= EV_RXCHAR;
                }
                quietReadable = (fds[2].revents & POLLIN) != 0 && queued == 0;
                lastQueued = queued;
            }
            if (sampleModem) {
                int modem = 0;
                if (ioctl(FHandle, TIOCMGET, &modem) == 0) {
                    int changed = modem ^ lastModem;
                    if ((changed & TIOCM_CTS) != 0) {
                        events |= EV_CTS;
                    }
                    if ((changed & TIOCM_DSR) != 0) {
                        events |= EV_DSR;
                    }
                    if ((changed & TIOCM_CD) != 0) {
                        events |= EV_RLSD;
                    }
                    if ((changed & modem & TIOCM_RNG) != 0) {
                        events |= EV_RING;
                    }
                    lastModem = modem;
                } else {
                    sampleModem = false;
                }
            }
            if (sampleCounts) {
                serial_icounter_struct counts{};
                if (ioctl(FHandle, TIOCGICOUNT, &counts) == 0) {
                    if (counts.brk != lastCounts.brk) {
                        events |= EV_BREAK;
                    }
                    if (counts.frame != lastCounts.frame || counts.overrun != lastCounts.overrun ||
                        counts.parity != lastCounts.parity ||
                        counts.buf_overrun != lastCounts.buf_overrun) {
                        events |= EV_ERR;
                    }
                    lastCounts = counts;
                } else {
                    sampleCounts = false;
                }
            }
            if (watchTx) {
                int pending = 0;
                if (ioctl(FHandle, TIOCOUTQ, &pending) != 0 || pending == 0) {
                    events |= EV_TXEMPTY;
                    watchTx = false;
                }
            }
        }
        events &= FEventMask;
        if (events != 0) {
            Report(events);
        }
    }
    // Leaving: discard both directions, as a closing port does.
    if (!hungUp) {
        (void)tcflush(FHandle, TCIOFLUSH);
    }
}
