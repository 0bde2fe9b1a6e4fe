#include "SimCommandLine.h"
#include "SimTestClient.h"

#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

namespace {
std::optional<SimOptions> parse(const QStringList& args, QString* error = nullptr) {
    QString e;
    bool help = false;
    return SimCommandLine::parse(QStringList{QStringLiteral("orvex-sim")} + args,
                                 error ? error : &e, &help);
}
} // namespace

class SimCommandTest : public QObject {
    Q_OBJECT
private slots:
    void optionsReachTheConfiguration();
    void wrongValuesAreRefusedWithAReason_data();
    void wrongValuesAreRefusedWithAReason();
    void helpNamesEveryOptionAndFault();
    void commandServesALinkedPtyAndLogsFrames();
    void commandWritesTheReceivedImageFile();
};

void SimCommandTest::optionsReachTheConfiguration() {
    const auto o =
        parse({"--link",           "/tmp/x",    "--model",     "vx02",
               "--settings",       "16",        "--live-body", "20",
               "--switch-config",  "--engine",  "off",         "--loader",
               "--loader-version", "105",       "--image-out", "/tmp/img",
               "--fault",          "silence:3", "--fault",     "late:40@0x50",
               "--no-pacing",      "--seed",    "9",           "--log",
               "--reply-code",     "even",      "--latency",   "7",
               "--opcje-h",        "0x05",      "--serial",    "00112233445566778899aabbccddeeff",
               "--name",           "Lada Niva"});
    QVERIFY(o);
    const SimConfig& c = o->config;
    QCOMPARE(o->link, QStringLiteral("/tmp/x"));
    QCOMPARE(o->imageOut, QStringLiteral("/tmp/img"));
    QVERIFY(c.model == SimModel::Vx02);
    QCOMPARE(c.settingsCount, 16);
    QCOMPARE(c.liveBody, 20);
    QVERIFY(!c.pcConfig);
    QVERIFY(!c.engineRunning);
    QVERIFY(c.startInLoader);
    QCOMPARE(c.loaderVersion, 105);
    QVERIFY(!c.pacing);
    QCOMPARE(c.seed, quint32(9));
    QVERIFY(o->log);
    QVERIFY(c.replyCode == SimReplyCode::Even);
    QCOMPARE(c.replyLatencyMs, 7);
    QCOMPARE(int(o->faults.size()), 2);
    QCOMPARE(o->faults[1].onlyCommand, 0x50);
    QCOMPARE(c.opcjeH.value_or(0), quint8(0x05));
    QVERIFY(!c.opcjeL);
    QCOMPARE(c.serialNumber.toHex(), QByteArray("00112233445566778899aabbccddeeff"));
    QCOMPARE(c.makeModel, QByteArray("Lada Niva"));

    // Firmware that stops before MapaMinSygnał reports 17 settings.
    const auto seventeen = parse({"--settings", "17"});
    QVERIFY(seventeen);
    QCOMPARE(seventeen->config.settingsCount, 17);

    const auto defaults = parse({});
    QVERIFY(defaults);
    QVERIFY(defaults->config.model == SimModel::Vx01);
    QVERIFY(defaults->config.pcConfig);
    QVERIFY(defaults->config.engineRunning);
    QVERIFY(defaults->config.pacing);
    QVERIFY(!defaults->config.startInLoader);
}

void SimCommandTest::wrongValuesAreRefusedWithAReason_data() {
    QTest::addColumn<QStringList>("args");
    QTest::newRow("20 settings") << QStringList{"--settings", "20"};
    QTest::newRow("14 settings") << QStringList{"--settings", "14"};
    QTest::newRow("live body 22") << QStringList{"--live-body", "22"};
    QTest::newRow("unknown model") << QStringList{"--model", "vx03"};
    QTest::newRow("engine maybe") << QStringList{"--engine", "maybe"};
    QTest::newRow("both sources") << QStringList{"--pc-config", "--switch-config"};
    QTest::newRow("unknown fault") << QStringList{"--fault", "smoke"};
    QTest::newRow("unknown option") << QStringList{"--turbo"};
    QTest::newRow("stray argument") << QStringList{"COM1"};
    QTest::newRow("seed not a number") << QStringList{"--seed", "abc"};
    QTest::newRow("serial too short") << QStringList{"--serial", "0011"};
    QTest::newRow("serial not hex") << QStringList{"--serial", "zz112233445566778899aabbccddeeff"};
}

void SimCommandTest::wrongValuesAreRefusedWithAReason() {
    QFETCH(QStringList, args);
    QString error;
    QVERIFY(!parse(args, &error));
    QVERIFY(!error.isEmpty());
}

void SimCommandTest::helpNamesEveryOptionAndFault() {
    const QString help = SimCommandLine::helpText();
    for (const char* option :
         {"--link", "--model", "--settings", "--live-body", "--pc-config", "--switch-config",
          "--engine", "--loader", "--loader-version", "--image-out", "--fault", "--no-pacing",
          "--seed", "--log", "--help"})
        QVERIFY2(help.contains(QLatin1String(option)), option);
    for (const QString& fault : SimFault::names())
        QVERIFY2(help.contains(fault), qPrintable(fault));
    bool helpAsked = false;
    QString error;
    QVERIFY(!SimCommandLine::parse({"orvex-sim", "--help"}, &error, &helpAsked));
    QVERIFY(helpAsked);
}

void SimCommandTest::commandServesALinkedPtyAndLogsFrames() {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString link = dir.filePath(QStringLiteral("orvex-ctl"));
    QProcess sim;
    sim.start(QStringLiteral(ORVEX_SIM_BINARY), {"--link", link, "--no-pacing", "--log"});
    QVERIFY(sim.waitForStarted());
    QTRY_VERIFY(sim.canReadLine());
    const QString path = QString::fromLocal8Bit(sim.readLine()).trimmed();
    QVERIFY2(path.startsWith(QLatin1String("/dev/pts/")), qPrintable(path));
    QCOMPARE(QFileInfo(link).symLinkTarget(), path);
    {
        SimTestClient client(link);
        QVERIFY(client.isOpen());
        const QByteArray live = client.exchange(QByteArray::fromHex("5500505B"));
        QCOMPARE(live.size(), 24);
        QVERIFY(SimTestClient::sumIsZero(live));
        const QByteArray id = client.exchange(QByteArray::fromHex("55005259"));
        QCOMPARE(id.size(), 3 + 100);
        QVERIFY(SimTestClient::sumIsZero(id));
    }
    // --log prints each frame in hex with its time stamp.
    QByteArray out;
    QTRY_VERIFY((out += sim.readAll()).contains("ms  Tx  55 62 53 "));
    QVERIFY(out.contains("Rx  55 00 52 59"));
    sim.terminate();
    QVERIFY(sim.waitForFinished(3000));
    QCOMPARE(sim.exitCode(), 0);
    QVERIFY(!QFileInfo(link).isSymLink()); // removed at exit
}

void SimCommandTest::commandWritesTheReceivedImageFile() {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString file = dir.filePath(QStringLiteral("image.bin"));
    QProcess sim;
    sim.start(QStringLiteral(ORVEX_SIM_BINARY), {"--loader", "--no-pacing", "--image-out", file});
    QVERIFY(sim.waitForStarted());
    QTRY_VERIFY(sim.canReadLine());
    SimTestClient client(QString::fromLocal8Bit(sim.readLine()).trimmed());
    QVERIFY(client.isOpen());

    QByteArray image(40, 0); // two and a half blocks: the rest of block 2 is zero
    for (int i = 0; i < image.size(); ++i)
        image[i] = char(0xC0 + i);
    // Announce 3 image blocks + 32 loader-base blocks.
    QByteArray req = client.exchange(QByteArray::fromHex("55055400000000232F"));
    int served = 0;
    while (req.size() == 10 && req[4] == 0x03) {
        const int key = quint8(req[5]) << 8 | quint8(req[6]);
        const int block = quint8(req[7]) << 8 | quint8(req[8]);
        req = client.exchange(SimTestClient::blockFrame(image, block, key, 32));
        ++served;
    }
    QCOMPARE(served, 35);
    QCOMPARE(quint8(req[4]), quint8(0x07));
    QTRY_VERIFY(QFileInfo(file).size() == 35 * 16);
    QFile f(file);
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(f.readAll(), image.leftJustified(35 * 16, '\0'));
    sim.terminate();
    QVERIFY(sim.waitForFinished(3000));
}

QTEST_GUILESS_MAIN(SimCommandTest)
#include "tst_simcommand.moc"
