// Runs the benchmark programs one after another, keeps their full reports in a log file and
// prints one table of the figures they announce (see README.md for the row format).
//
//     run_benchmarks [--log FILE] PROGRAM...
//
// Exits with 1 when a program could not run, failed, or printed a row that is not understood;
// figures beyond their limits are marked in the table but are not a failure, since a loaded
// machine moves timings.
#include "BenchClock.h"
#include "BenchTable.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>

#include <cstdio>

namespace {

constexpr int kProgramTimeoutMs = 15 * 60 * 1000;

void print(const QString& text) {
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, static_cast<std::size_t>(bytes.size()), stdout);
    std::fflush(stdout);
}

// Runs one program, feeding its output to the table and the log line by line as it comes.
QString runOne(const QString& program, BenchTable& table, QFile& log) {
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    // The window benchmarks never open a window on the user's screen.
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    p.setProcessEnvironment(env);
    p.setProcessChannelMode(QProcess::MergedChannels);
    QByteArray pending;
    auto takeLines = [&](bool all) {
        for (;;) {
            const qsizetype nl = pending.indexOf('\n');
            if (nl < 0 && !(all && !pending.isEmpty())) {
                return;
            }
            const QByteArray line = nl < 0 ? pending : pending.left(nl);
            pending.remove(0, nl < 0 ? pending.size() : nl + 1);
            log.write(line + '\n');
            table.addLine(QString::fromUtf8(line));
        }
    };
    QObject::connect(&p, &QProcess::readyRead, [&] {
        pending += p.readAll();
        takeLines(false);
    });
    p.start(program, {});
    if (!p.waitForStarted(10000)) {
        return QStringLiteral("could not be started (%1)").arg(p.errorString());
    }
    const bool finished = p.waitForFinished(kProgramTimeoutMs);
    pending += p.readAll();
    takeLines(true);
    log.flush();
    if (!finished) {
        p.kill();
        p.waitForFinished(5000);
        return QStringLiteral("still running after %1 min, stopped").arg(kProgramTimeoutMs / 60000);
    }
    if (p.exitStatus() != QProcess::NormalExit) {
        return QStringLiteral("crashed");
    }
    if (p.exitCode() != 0) {
        return QStringLiteral("ended with exit code %1").arg(p.exitCode());
    }
    return QString();
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QStringList args = QCoreApplication::arguments().mid(1);
    QString logPath = QStringLiteral("bench-report.txt");
    const qsizetype at = args.indexOf(QStringLiteral("--log"));
    if (at >= 0 && at + 1 < args.size()) {
        logPath = args[at + 1];
        args.remove(at, 2);
    }
    if (args.isEmpty()) {
        print(QStringLiteral("usage: run_benchmarks [--log FILE] PROGRAM...\n"));
        return 2;
    }
    QFile log(logPath);
    if (!log.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Text)) {
        print(
            QStringLiteral("cannot write the report to %1: %2\n").arg(logPath, log.errorString()));
        return 1;
    }
    print(QStringLiteral("Full reports: %1\n").arg(QFileInfo(logPath).absoluteFilePath()));

    BenchTable table;
    const BenchClock total;
    for (const QString& program : args) {
        const QString name = QFileInfo(program).fileName();
        print(QStringLiteral("%1 ").arg(name.leftJustified(24, QLatin1Char('.'))));
        table.startProgram(name);
        const BenchClock clock;
        const QString failure = runOne(program, table, log);
        table.finishProgram(failure);
        print(QStringLiteral("%1 s, %2 figures%3\n")
                  .arg(clock.elapsedMs() / 1000.0, 0, 'f', 1)
                  .arg(table.rowCount(name))
                  .arg(failure.isEmpty() ? QString() : QStringLiteral(" — ") + failure));
    }
    print(QStringLiteral("\n") + table.render());
    print(QStringLiteral("\n%1 figures from %2 programs in %3 s; %4 beyond their limit.\n")
              .arg(table.rowCount())
              .arg(args.size())
              .arg(total.elapsedMs() / 1000.0, 0, 'f', 0)
              .arg(table.limitsBroken()));
    return table.problems() > 0 ? 1 : 0;
}
