#pragma once

// Helpers shared by the window tests: the settings file of this test's own configuration
// folder, a window started from no stored settings, and a pseudo-terminal pair standing in for
// a serial device.

#include "TForm1.h"
#include "TMySerial.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QString>

#include <memory>

#include <fcntl.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

namespace WindowTest {

// Where QSettings("Merka", "Durorude") keeps its values in this test's configuration folder.
inline QString settingsFile() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/Merka/Durorude.conf");
}

inline void removeSettings() {
    QFile::remove(settingsFile());
}

inline void writeSettings(const QByteArray& content) {
    QDir().mkpath(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
                  QStringLiteral("/Merka"));
    QFile f(settingsFile());
    if (f.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        f.write(content);
    }
}

// A main window as on a first start, whose failed port opens stay silent.
inline std::unique_ptr<TForm1> freshWindow() {
    removeSettings();
    auto w = std::make_unique<TForm1>();
    w->Serial1->SetOpenErrorPresenter([](const QString&, const QString&) {});
    return w;
}

// A pseudo-terminal: the program opens `slavePath`, the test reads and writes `master`.
class PtyPair {
public:
    PtyPair() {
        int slave = -1;
        char name[256] = {};
        if (openpty(&master, &slave, name, nullptr, nullptr) == 0) {
            termios t{};
            tcgetattr(slave, &t);
            cfmakeraw(&t);
            tcsetattr(slave, TCSANOW, &t);
            // Keep the slave open here too, so the line stays up between the program's opens.
            slaveFd = slave;
            slavePath = QString::fromLocal8Bit(name);
            fcntl(master, F_SETFL, fcntl(master, F_GETFL) | O_NONBLOCK);
        }
    }
    ~PtyPair() {
        if (master >= 0) {
            ::close(master);
        }
        if (slaveFd >= 0) {
            ::close(slaveFd);
        }
    }
    PtyPair(const PtyPair&) = delete;
    PtyPair& operator=(const PtyPair&) = delete;

    // Everything the program has written so far (appended to `received`).
    QByteArray readAvailable() {
        char buf[512];
        for (;;) {
            const ssize_t n = ::read(master, buf, sizeof buf);
            if (n <= 0) {
                break;
            }
            received.append(buf, static_cast<int>(n));
        }
        return received;
    }

    int master = -1;
    int slaveFd = -1;
    QString slavePath;
    QByteArray received;
};

} // namespace WindowTest
