#include "SimTestClient.h"

#include <QFile>
#include <QRandomGenerator>

#include <chrono>
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>
#include <utility>

using Clock = std::chrono::steady_clock;

SimTestClient::SimTestClient(const QString& path) {
    fd_ = ::open(QFile::encodeName(path).constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (fd_ < 0)
        return;
    termios t{};
    ::tcgetattr(fd_, &t);
    ::cfmakeraw(&t);
    ::tcsetattr(fd_, TCSANOW, &t);
}

SimTestClient::~SimTestClient() {
    if (fd_ >= 0)
        ::close(fd_);
}

void SimTestClient::send(const QByteArray& bytes) {
    int done = 0;
    while (fd_ >= 0 && done < bytes.size()) {
        const ssize_t n = ::write(fd_, bytes.constData() + done, size_t(bytes.size() - done));
        if (n <= 0)
            break;
        done += int(n);
    }
}

bool SimTestClient::readExactly(QByteArray& into, int count, int timeoutMs) {
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    while (pending_.size() < count) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        if (left.count() <= 0)
            return false;
        pollfd p{fd_, POLLIN, 0};
        if (::poll(&p, 1, int(left.count())) <= 0)
            continue;
        char buf[512];
        const ssize_t n = ::read(fd_, buf, sizeof buf);
        if (n > 0)
            pending_.append(buf, int(n));
        else if (p.revents & (POLLHUP | POLLERR))
            return false;
    }
    into = pending_.left(count);
    pending_.remove(0, count);
    return true;
}

QByteArray SimTestClient::readFrame(int timeoutMs) {
    QByteArray header;
    if (!readExactly(header, 3, timeoutMs))
        return {};
    const int body = quint8(header[1]) + (quint8(header[2]) & 1) + 1;
    QByteArray rest;
    if (!readExactly(rest, body, timeoutMs))
        return {};
    return header + rest;
}

QByteArray SimTestClient::exchange(const QByteArray& request, int timeoutMs) {
    send(request);
    return readFrame(timeoutMs);
}

QByteArray SimTestClient::readBytes(int count, int timeoutMs, int quietMs) {
    QByteArray head;
    if (!readExactly(head, count, timeoutMs)) {
        head = pending_;
        pending_.clear();
    }
    return head + readUntilQuiet(quietMs);
}

QByteArray SimTestClient::readUntilQuiet(int quietMs) {
    QByteArray out = pending_;
    pending_.clear();
    for (;;) {
        pollfd p{fd_, POLLIN, 0};
        if (::poll(&p, 1, quietMs) <= 0)
            return out;
        char buf[512];
        const ssize_t n = ::read(fd_, buf, sizeof buf);
        if (n <= 0)
            return out;
        out.append(buf, int(n));
    }
}

bool SimTestClient::waitForHangUp(int timeoutMs) {
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    while (Clock::now() < deadline) {
        pollfd p{fd_, POLLIN, 0};
        if (::poll(&p, 1, 50) > 0) {
            if (p.revents & (POLLHUP | POLLERR))
                return true;
            char buf[64];
            if (::read(fd_, buf, sizeof buf) <= 0)
                return true;
        }
    }
    return false;
}

QByteArray SimTestClient::request(int cmd, const QByteArray& data) {
    QByteArray f;
    f.append(char(0x55));
    f.append(char(data.size()));
    f.append(char(cmd));
    f.append(data);
    f.append(checksumOf(f));
    return f;
}

char SimTestClient::checksumOf(const QByteArray& bytes) {
    int sum = 0;
    for (char c : bytes)
        sum += quint8(c);
    return char((256 - sum % 256) % 256);
}

QByteArray SimTestClient::blockFrame(const QByteArray& image, int block, int keyWord,
                                     int baseBlocks) {
    const QByteArray plain = image.mid(block * 16, 16).leftJustified(16, '\0');
    const int r = QRandomGenerator::global()->bounded(32);
    const quint8 key = quint8(8 * r + block - keyWord * baseBlocks);
    QByteArray f = QByteArray::fromHex("55135401");
    f.append(char(key));
    quint8 c = key;
    for (char p : plain) {
        f.append(char(quint8(p) ^ c));
        c = quint8(p);
    }
    std::swap(f[5], f[8]);
    std::swap(f[7], f[14]);
    f.append(char(QRandomGenerator::global()->bounded(255)));
    f.append(checksumOf(f));
    return f;
}

bool SimTestClient::sumIsZero(const QByteArray& frame) {
    int sum = 0;
    for (char c : frame)
        sum += quint8(c);
    return !frame.isEmpty() && sum % 256 == 0;
}
