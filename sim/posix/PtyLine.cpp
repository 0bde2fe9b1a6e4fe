#include "PtyLine.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <termios.h>
#include <thread>
#include <unistd.h>

PtyLine::~PtyLine() {
    close();
}

bool PtyLine::open() {
    close();
    auto fail = [this](const char* what) {
        error_ = QStringLiteral("%1: %2").arg(QLatin1String(what),
                                              QString::fromLocal8Bit(std::strerror(errno)));
        close();
        return false;
    };
    master_ = ::posix_openpt(O_RDWR | O_NOCTTY);
    if (master_ < 0)
        return fail("posix_openpt");
    if (::grantpt(master_) != 0 || ::unlockpt(master_) != 0)
        return fail("grantpt/unlockpt");
    char name[128] = {};
    if (::ptsname_r(master_, name, sizeof name) != 0)
        return fail("ptsname");
    slave_ = ::open(name, O_RDWR | O_NOCTTY);
    if (slave_ < 0)
        return fail("open slave");
    termios t{};
    if (::tcgetattr(slave_, &t) != 0)
        return fail("tcgetattr");
    ::cfmakeraw(&t);
    ::cfsetispeed(&t, B9600);
    ::cfsetospeed(&t, B9600);
    t.c_cflag |= CLOCAL | CREAD;
    if (::tcsetattr(slave_, TCSANOW, &t) != 0)
        return fail("tcsetattr");
    const int flags = ::fcntl(master_, F_GETFL);
    if (flags < 0 || ::fcntl(master_, F_SETFL, flags | O_NONBLOCK) != 0)
        return fail("fcntl");
    ::fcntl(master_, F_SETFD, FD_CLOEXEC);
    ::fcntl(slave_, F_SETFD, FD_CLOEXEC);
    stop_ = ::eventfd(0, EFD_CLOEXEC);
    if (stop_ < 0)
        return fail("eventfd");
    slavePath_ = QString::fromLocal8Bit(name);
    error_.clear();
    return true;
}

void PtyLine::close() {
    if (stop_ >= 0)
        ::close(stop_);
    if (slave_ >= 0)
        ::close(slave_);
    if (master_ >= 0)
        ::close(master_);
    stop_ = slave_ = master_ = -1;
}

QByteArray PtyLine::readAvailable() {
    QByteArray out;
    if (master_ < 0)
        return out;
    char buf[512];
    for (;;) {
        const ssize_t n = ::read(master_, buf, sizeof buf);
        if (n > 0) {
            out.append(buf, int(n));
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        break;
    }
    return out;
}

int PtyLine::write(const char* data, int count) {
    int done = 0;
    while (master_ >= 0 && done < count) {
        const ssize_t n = ::write(master_, data + done, size_t(count - done));
        if (n > 0) {
            done += int(n);
        } else if (n < 0 && errno == EINTR) {
            continue;
        } else {
            break;
        }
    }
    return done;
}

SimLine::Wake PtyLine::wait(Clock::time_point until, bool forInput) {
    for (;;) {
        pollfd fds[2] = {{stop_, POLLIN, 0}, {master_, POLLIN, 0}};
        const nfds_t count = forInput && master_ >= 0 ? 2 : 1;
        timespec ts{};
        const timespec* timeout = nullptr;
        if (until != Clock::time_point::max()) {
            const auto left = std::chrono::ceil<std::chrono::microseconds>(until - Clock::now());
            if (left.count() <= 0)
                return Wake::Time;
            ts = {time_t(left.count() / 1000000), long(left.count() % 1000000) * 1000};
            timeout = &ts;
        }
        if (::ppoll(fds, count, timeout, nullptr) < 0)
            continue; // EINTR
        if (fds[0].revents)
            return Wake::Stop;
        if (fds[1].revents & POLLIN)
            return Wake::Input;
        if (fds[1].revents) {
            // Cannot happen while our own slave descriptor is open; do not spin if it does.
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
            return Wake::Time;
        }
    }
}

void PtyLine::stop() {
    const quint64 one = 1;
    if (stop_ >= 0) {
        [[maybe_unused]] const auto n = ::write(stop_, &one, sizeof one);
    }
}
