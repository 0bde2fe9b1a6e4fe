#pragma once

#include <QByteArray>
#include <QString>

#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

// A pseudo-terminal for the tests: the program opens the slave path as its serial port, the
// test plays the far end on the master.
class PtyPair {
public:
    PtyPair() {
        master = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
        if (master >= 0 && grantpt(master) == 0 && unlockpt(master) == 0) {
            slavePath = QString::fromLocal8Bit(ptsname(master));
        }
    }
    ~PtyPair() { hangUp(); }
    PtyPair(const PtyPair&) = delete;
    PtyPair& operator=(const PtyPair&) = delete;

    bool ok() const { return master >= 0 && !slavePath.isEmpty(); }

    void send(const QByteArray& bytes) const {
        (void)::write(master, bytes.constData(), static_cast<size_t>(bytes.size()));
    }

    // What has arrived from the program so far (waits up to `ms` for the first byte).
    QByteArray receive(int ms = 1000) const {
        QByteArray bytes;
        pollfd pfd{master, POLLIN, 0};
        if (::poll(&pfd, 1, ms) <= 0) {
            return bytes;
        }
        char chunk[256];
        for (;;) {
            ssize_t n = ::read(master, chunk, sizeof chunk);
            if (n <= 0) {
                break;
            }
            bytes.append(chunk, static_cast<int>(n));
        }
        return bytes;
    }

    void hangUp() {
        if (master >= 0) {
            ::close(master);
            master = -1;
        }
    }

    int master = -1;
    QString slavePath;
};
