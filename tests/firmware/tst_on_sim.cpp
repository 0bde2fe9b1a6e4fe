// Whole transfers against the simulator's boot loader over a pseudo-terminal: the programmer
// through the program's own port facade, and orvex-flash as a user runs it.
#include "ControllerMirror.h"
#include "FirmwareCatalogue.h"
#include "FirmwareProgrammer.h"
#include "GeneratedImages.h"
#include "SimController.h"
#include "TMySerial.h"

#include <QtTest>

#include <memory>
#include <sys/stat.h>

Q_DECLARE_METATYPE(ProgramResult)

namespace {

SimConfig fastSim() {
    SimConfig c;
    c.pacing = false;
    c.replyLatencyMs = 0;
    c.flashWriteMs = 0;
    return c;
}

struct Quiet : ProgrammingProgress {
    int blocks = 0;
    void loaderIdentified(const LoaderIdentity&, int) override {}
    void blockRequested(int, int, int) override { ++blocks; }
    void replyLogged(const QString&) override {}
    void transferResumed(int attempt, int, bool) override { resumedAt = attempt; }
    int resumedAt = 0; // the last attempt begun after an interrupted transfer
};

// What the loader must hold after a transfer of `image` with a base of 0x0100: the image, then
// zeros up to the announced 584 blocks.
QByteArray expectedAtLoader(const QByteArray& image) {
    return image + QByteArray(584 * 16 - image.size(), '\0');
}

struct FlashRun {
    int exitCode = -1;
    QString out;
    QString err;
};

FlashRun runFlash(const QStringList& args, const QString& firmwareDir = {}) {
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    if (!firmwareDir.isEmpty())
        env.insert("ORVEX_FIRMWARE_DIR", firmwareDir);
    p.setProcessEnvironment(env);
    p.start(QStringLiteral(ORVEX_FLASH_PATH), args);
    p.closeWriteChannel();
    FlashRun r;
    if (!p.waitForFinished(60000)) {
        p.kill();
        p.waitForFinished();
        return r;
    }
    r.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -2;
    r.out = QString::fromLocal8Bit(p.readAllStandardOutput());
    r.err = QString::fromLocal8Bit(p.readAllStandardError());
    return r;
}

} // namespace

class OnSimTest : public QObject {
    Q_OBJECT
private slots:
    void aTransferReproducesTheImageAtTheLoader_data();
    void aTransferReproducesTheImageAtTheLoader();
    void aFaultMidTransferEndsInItsOutcome_data();
    void aFaultMidTransferEndsInItsOutcome();
    void orvexFlashRecoversALoaderAndReportsEachFailure();
    void orvexFlashRefusesAControllerWhoseEngineRuns();
    void orvexFlashCallsADamagedReplyADataError_data();
    void orvexFlashCallsADamagedReplyADataError();
    void orvexFlashNamesAnImageFileItCannotRead_data();
    void orvexFlashNamesAnImageFileItCannotRead();
};

void OnSimTest::aTransferReproducesTheImageAtTheLoader_data() {
    QTest::addColumn<bool>("startInLoader");
    QTest::newRow("switched from the application") << false;
    QTest::newRow("controller left in its loader") << true;
}

void OnSimTest::aTransferReproducesTheImageAtTheLoader() {
    QFETCH(bool, startInLoader);
    SimConfig cfg = fastSim();
    cfg.startInLoader = startInLoader;
    SimController sim(cfg);
    QVERIFY(sim.start());
    TMySerial serial;
    QVERIFY(serial.SerialOpenDevice(sim.slavePath(), 9600));
    auto mirror = std::make_unique<ControllerMirror>();
    FirmwareProgrammer p;
    const QByteArray image = GeneratedImages::Image(1330);
    p.LoadImage(image);
    Quiet progress;
    QCOMPARE(p.Program(*mirror, serial, {}, progress), ProgramResult::Success);
    QCOMPARE(sim.completedTransfers(), 1);
    QCOMPARE(sim.receivedImage(), expectedAtLoader(image));
    // The closing request restarted the application firmware.
    QTRY_VERIFY(!sim.inLoader());
}

void OnSimTest::aFaultMidTransferEndsInItsOutcome_data() {
    QTest::addColumn<QString>("fault");
    QTest::addColumn<ProgramResult>("result");
    QTest::newRow("silence") << "silence:300" << ProgramResult::TransferNoReply;
    QTest::newRow("bad checksum") << "checksum@0x54/250" << ProgramResult::TransferFailed;
    QTest::newRow("wrong start byte") << "start@0x54/250" << ProgramResult::TransferNoReply;
    QTest::newRow("truncated reply") << "truncate@0x54/250" << ProgramResult::TransferNoReply;
}

void OnSimTest::aFaultMidTransferEndsInItsOutcome() {
    QFETCH(QString, fault);
    QFETCH(ProgramResult, result);
    SimController sim(fastSim());
    QVERIFY(sim.start());
    TMySerial serial;
    QVERIFY(serial.SerialOpenDevice(sim.slavePath(), 9600));
    sim.setFault(*SimFault::parse(fault));
    auto mirror = std::make_unique<ControllerMirror>();
    FirmwareProgrammer p;
    p.LoadImage(GeneratedImages::Image(1310));
    Quiet progress;
    QCOMPARE(p.Program(*mirror, serial, {}, progress), result);
    QVERIFY(progress.blocks > 100);
    // The fault hits every attempt (silence: from attempt 2 on, before its transfer): the
    // transfer was started again twice, then given up.
    QCOMPARE(p.Attempt, 3);
    QCOMPARE(progress.resumedAt, 3);
    QCOMPARE(sim.completedTransfers(), 0);
    QVERIFY(sim.inLoader()); // an unfinished transfer leaves the controller in its loader
}

void OnSimTest::orvexFlashRecoversALoaderAndReportsEachFailure() {
    QTemporaryDir dir;
    QVERIFY(GeneratedImages::Install(dir.path(), FirmwareCatalogue::AllImageIds()));

    SimConfig cfg = fastSim();
    cfg.startInLoader = true;
    cfg.loaderMarker = 1;
    SimController sim(cfg);
    QVERIFY(sim.start());
    const QString dev = sim.slavePath();

    // Refused before anything is sent: a file of the wrong size, a missing id, no --yes.
    QFile bad(dir.path() + "/short.bin");
    QVERIFY(bad.open(QIODevice::WriteOnly));
    bad.write(QByteArray(8000, 'x'));
    bad.close();
    FlashRun r = runFlash({"--device", dev, "--image", bad.fileName(), "--yes"});
    QCOMPARE(r.exitCode, 3);
    QVERIFY(r.err.contains("short.bin has 8000 bytes"));
    QCOMPARE(runFlash({"--device", dev, "--id", "1999", "--yes"}, dir.path()).exitCode, 3);
    r = runFlash({"--device", dev, "--id", "1320"}, dir.path());
    QCOMPARE(r.exitCode, 5);
    QCOMPARE(runFlash({"--device", dev}).exitCode, 2);
    QCOMPARE(runFlash({"--device", dir.path() + "/nothing", "--id", "1320", "--yes"}, dir.path())
                 .exitCode,
             4);
    QCOMPARE(sim.requestCount(), quint64(0));

    // An image of another controller: the loader is asked who it is, nothing is announced.
    r = runFlash({"--device", dev, "--id", "13110", "--yes"}, dir.path());
    QCOMPARE(r.exitCode, 13);
    QCOMPARE(sim.completedTransfers(), 0);

    // The recovery itself, by id and by file.
    r = runFlash({"--device", dev, "--id", "1321", "--yes"}, dir.path());
    QCOMPARE(r.exitCode, 0);
    QVERIFY2(r.out.contains("Boot loader 1.03 of KOLVA-VX-01 (identity 0801E0E0)"),
             qPrintable(r.out));
    QVERIFY(r.out.contains("finished with an error"));
    QVERIFY(r.out.contains("block 576/584"));
    QVERIFY(r.out.contains("Programming finished successfully."));
    QCOMPARE(sim.receivedImage(), expectedAtLoader(GeneratedImages::Image(1321)));
    QTRY_VERIFY(!sim.inLoader());

    // Failures in words and by status. The controller runs its application again: its engine
    // is stopped first, as for any update.
    sim.setEngineRunning(false);
    sim.setFault(*SimFault::parse("silence:200"));
    r = runFlash({"--device", dev, "--id", "1320", "--yes"}, dir.path());
    QCOMPARE(r.exitCode, 15);
    QVERIFY2(r.err.contains("fell silent) after 3 attempts.") &&
                 r.out.contains("attempt 2 of 3, from the listen request") &&
                 r.out.contains("attempt 3 of 3"),
             qPrintable(r.out + r.err));
    sim.clearFaults();
    QTRY_VERIFY(sim.inLoader());
    sim.setFault(*SimFault::parse("checksum@0x52"));
    r = runFlash({"--device", dev, "--image", dir.path() + "/1332.bin", "--yes"});
    QCOMPARE(r.exitCode, 11);
    QVERIFY(r.err.contains("Data error"));
    sim.clearFaults();
    sim.setFault(*SimFault::parse("silence@0x50"));
    QCOMPARE(runFlash({"--device", dev, "--id", "1320", "--yes"}, dir.path()).exitCode, 10);
}

// The update tab's engine check, made on a live answer before anything is switched: nothing is
// programmed and the controller stays in its application until the engine has stopped.
void OnSimTest::orvexFlashRefusesAControllerWhoseEngineRuns() {
    QTemporaryDir dir;
    QVERIFY(GeneratedImages::Install(dir.path(), {1320}));
    SimConfig cfg = fastSim();
    cfg.engineRunning = true;
    SimController sim(cfg);
    QVERIFY(sim.start());
    const QStringList args{"--device", sim.slavePath(), "--id", "1320", "--yes"};
    FlashRun r = runFlash(args, dir.path());
    QCOMPARE(r.exitCode, 6);
    QVERIFY2(r.err.contains("the engine is running"), qPrintable(r.err));
    QCOMPARE(sim.completedTransfers(), 0);
    QVERIFY(!sim.inLoader());
    QVERIFY(runFlash({"--help"}).out.contains("   6  the engine is running"));

    sim.setEngineRunning(false);
    r = runFlash(args, dir.path());
    QCOMPARE(r.exitCode, 0);
    QCOMPARE(sim.receivedImage(), expectedAtLoader(GeneratedImages::Image(1320)));
}

void OnSimTest::orvexFlashCallsADamagedReplyADataError_data() {
    QTest::addColumn<QString>("fault");
    QTest::addColumn<int>("exitCode");
    QTest::newRow("200 stray bytes before every reply") << "garbage:200" << 11;
    QTest::newRow("200 stray bytes before the identity") << "garbage:200@0x52" << 11;
    QTest::newRow("identity with a wrong start byte") << "start@0x52" << 11;
    QTest::newRow("listen answer with a bad checksum") << "checksum@0x50" << 11;
    QTest::newRow("no identity at all") << "silence@0x52" << 12;
    QTest::newRow("stray bytes mid-transfer") << "garbage:200@0x54/250" << 14;
}

// A reply that came, but damaged, is no silence and no loader of another version.
void OnSimTest::orvexFlashCallsADamagedReplyADataError() {
    QFETCH(QString, fault);
    QFETCH(int, exitCode);
    QTemporaryDir dir;
    QVERIFY(GeneratedImages::Install(dir.path(), {1320}));
    SimConfig cfg = fastSim();
    cfg.startInLoader = true;
    SimController sim(cfg);
    QVERIFY(sim.start());
    sim.setFault(*SimFault::parse(fault));
    const FlashRun r = runFlash({"--device", sim.slavePath(), "--id", "1320", "--yes"}, dir.path());
    QCOMPARE(r.exitCode, exitCode);
    QCOMPARE(sim.completedTransfers(), 0);
}

void OnSimTest::orvexFlashNamesAnImageFileItCannotRead_data() {
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("why");
    QTest::newRow("missing") << "missing"
                             << "No such file or directory";
    QTest::newRow("a folder") << "folder"
                              << "not a regular file (a folder, a device or a pipe)";
    QTest::newRow("a FIFO") << "fifo"
                            << "not a regular file (a folder, a device or a pipe)";
}

// An image given by its path is no installed image: its path and the reason, in one language,
// and a FIFO is not waited on.
void OnSimTest::orvexFlashNamesAnImageFileItCannotRead() {
    QFETCH(QString, kind);
    QFETCH(QString, why);
    QTemporaryDir dir;
    const QString path = dir.filePath("image.bin");
    if (kind == "folder") {
        QVERIFY(QDir().mkdir(path));
    } else if (kind == "fifo") {
        QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
    }
    const FlashRun r = runFlash({"--device", "/dev/null", "--image", path, "--yes"});
    QCOMPARE(r.exitCode, 3);
    QCOMPARE(r.err, "orvex-flash: cannot read " + path + ": " + why + "; nothing was sent\n");
}

QTEST_GUILESS_MAIN(OnSimTest)
#include "tst_on_sim.moc"
