// orvex-sim: the simulated controller on a pseudo-terminal, for trying the program without a
// controller and for talking to by hand (python3, socat).

#include "OrvexBuildInfo.h"
#include "SimCommandLine.h"
#include "SimController.h"

#include <QCoreApplication>
#include <QFile>
#include <QSaveFile>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace {
bool makeLink(const QString& link, const QString& target, QString* error) {
    const QByteArray l = QFile::encodeName(link);
    struct stat st {};
    if (::lstat(l.constData(), &st) == 0) {
        if (!S_ISLNK(st.st_mode)) {
            *error = QStringLiteral("%1 exists and is not a symlink; not replacing it").arg(link);
            return false;
        }
        ::unlink(l.constData());
    }
    if (::symlink(QFile::encodeName(target).constData(), l.constData()) != 0) {
        *error = QStringLiteral("cannot create %1: %2")
                     .arg(link, QString::fromLocal8Bit(std::strerror(errno)));
        return false;
    }
    return true;
}

void removeLink(const QString& link, const QString& target) {
    // Only our own link: another simulator may have taken the path over meanwhile.
    if (QFile::symLinkTarget(link) == target)
        ::unlink(QFile::encodeName(link).constData());
}
} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QString error;
    bool help = false;
    auto options = SimCommandLine::parse(app.arguments(), &error, &help);
    if (help) {
        std::fputs(qPrintable(SimCommandLine::helpText()), stdout);
        return 0;
    }
    if (!options) {
        std::fprintf(stderr, "orvex-sim: %s\n(see orvex-sim --help)\n", qPrintable(error));
        return 2;
    }
    if (options->version) {
        std::fputs("orvex-sim " ORVEX_VERSION " (revision " ORVEX_REVISION ")\n", stdout);
        return 0;
    }

    SimConfig& config = options->config;
    if (options->log) {
        config.log = [](const QString& line) {
            std::printf("%s\n", qPrintable(line));
            std::fflush(stdout);
        };
    }
    if (!options->imageOut.isEmpty()) {
        const QString file = options->imageOut;
        config.imageReceived = [file](const QByteArray& image) {
            QSaveFile out(file);
            if (out.open(QIODevice::WriteOnly) && out.write(image) == image.size() && out.commit())
                std::printf("firmware image (%lld bytes) written to %s\n",
                            static_cast<long long>(image.size()), qPrintable(file));
            else
                std::fprintf(stderr, "orvex-sim: cannot write %s: %s\n", qPrintable(file),
                             qPrintable(out.errorString()));
            std::fflush(stdout);
        };
    }

    // The simulator's thread inherits this mask, so only sigtimedwait below sees the signals.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    sigaddset(&stopSignals, SIGHUP);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

    SimController sim(config);
    for (const SimFault& f : options->faults)
        sim.setFault(f);
    if (!sim.start()) {
        std::fprintf(stderr, "orvex-sim: cannot open a pseudo-terminal: %s\n",
                     qPrintable(sim.errorString()));
        return 1;
    }
    const QString path = sim.slavePath();
    if (!options->link.isEmpty() && !makeLink(options->link, path, &error)) {
        std::fprintf(stderr, "orvex-sim: %s\n", qPrintable(error));
        return 1;
    }
    std::printf("%s\n", qPrintable(path));
    if (!options->link.isEmpty())
        std::printf("linked as %s\n", qPrintable(options->link));
    std::fflush(stdout);

    const timespec tick{0, 200'000'000};
    while (sim.isRunning()) {
        if (sigtimedwait(&stopSignals, nullptr, &tick) > 0)
            break;
    }
    const bool hungUp = !sim.isRunning();
    sim.stop();
    if (!options->link.isEmpty())
        removeLink(options->link, path);
    if (hungUp)
        std::printf("line closed\n");
    return 0;
}
