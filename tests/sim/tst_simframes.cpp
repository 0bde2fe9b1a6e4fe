#include "SimRig.h"

#include <QTest>

Q_DECLARE_METATYPE(SimModel)
Q_DECLARE_METATYPE(SimReplyCode)

namespace {
using Rig = SimRig;
SimConfig fastConfig() {
    return SimRig::fast();
}
QByteArray data(const QByteArray& frame) {
    return SimRig::data(frame);
}

QByteArray live(Rig& rig) {
    return data(rig.client->exchange(QByteArray::fromHex("5500505B")));
}

int rpmOf(const QByteArray& live) {
    const int t = quint8(live[10]) | quint8(live[11]) << 8 | quint8(live[12]) << 16;
    return t > 0 && quint8(live[12]) < 3 ? 32000000 / t : 0;
}
} // namespace

class SimFramesTest : public QObject {
    Q_OBJECT
private slots:
    void everyAnswerObeysLengthChecksumAndCodeRules_data();
    void everyAnswerObeysLengthChecksumAndCodeRules();
    void liveBodyTakesTheConfiguredCompatibilityForm_data();
    void liveBodyTakesTheConfiguredCompatibilityForm();
    void identityCarriesTheModelsDeviceIdAndTexts_data();
    void identityCarriesTheModelsDeviceIdAndTexts();
    void configurationSourceAndSwitchesShowInLiveByteOne();
    void stoppedEngineHasNoIgnitionPulsesAndStartsToIdle();
    void engineChangesToGasAfterWarmUp();
    void sameSeedGivesSameLiveFramesAndAnotherSeedDoesNot();
    void damagedOrStrayBytesGetNoAnswerAndDoNotBlockTheNextRequest();
    void lineNoiseIsSurvivedAndAPauseResynchronises();
};

void SimFramesTest::everyAnswerObeysLengthChecksumAndCodeRules_data() {
    QTest::addColumn<SimModel>("model");
    QTest::addColumn<SimReplyCode>("code");
    QTest::addColumn<int>("settings");
    QTest::addColumn<int>("liveBody");
    QTest::newRow("vx01 odd 19 settings body 21")
        << SimModel::Vx01 << SimReplyCode::Odd << 19 << 21;
    QTest::newRow("vx01 even 19 settings body 21")
        << SimModel::Vx01 << SimReplyCode::Even << 19 << 21;
    QTest::newRow("vx01c odd 15 settings body 20")
        << SimModel::Vx01c << SimReplyCode::Odd << 15 << 20;
    QTest::newRow("vx01c even 16 settings body 19")
        << SimModel::Vx01c << SimReplyCode::Even << 16 << 19;
    QTest::newRow("vx02 odd 18 settings body 19")
        << SimModel::Vx02 << SimReplyCode::Odd << 18 << 19;
    QTest::newRow("vx02 even 15 settings body 20")
        << SimModel::Vx02 << SimReplyCode::Even << 15 << 20;
}

void SimFramesTest::everyAnswerObeysLengthChecksumAndCodeRules() {
    QFETCH(SimModel, model);
    QFETCH(SimReplyCode, code);
    QFETCH(int, settings);
    QFETCH(int, liveBody);
    SimConfig c = fastConfig();
    c.model = model;
    c.replyCode = code;
    c.settingsCount = settings;
    c.liveBody = liveBody;
    Rig rig(c);
    QVERIFY(rig.ok());

    const QByteArray requests[] = {
        QByteArray::fromHex("5500505B"),             // live
        QByteArray::fromHex("55005259"),             // identity
        QByteArray::fromHex("55005655"),             // settings read
        QByteArray::fromHex("550356010464E9"),       // write setting 4 = 100
        QByteArray::fromHex("55035AF010034B"),       // map read
        SimTestClient::request(0x5C, "\x5E\x5E"),    // too short for a map write: ignored
        QByteArray::fromHex("5502545E5E99"),         // service text
        QByteArray::fromHex("55065C03010A01020335"), // map write of cells 10..12
    };
    const int expectedBodies[] = {liveBody, 100, settings + 2, settings + 2, 244, -1, 42, 17};
    for (int i = 0; i < 8; ++i) {
        const QByteArray& req = requests[i];
        QVERIFY2(SimTestClient::sumIsZero(req), qPrintable(req.toHex(' ')));
        const int body = expectedBodies[i];
        const QByteArray answer = rig.ask(req, body < 0 ? 0 : 3 + body);
        if (body < 0) {
            QVERIFY2(answer.isEmpty(), qPrintable(answer.toHex(' ')));
            continue;
        }
        QVERIFY2(answer.size() > 3, qPrintable(req.toHex(' ')));
        const int cmd = quint8(answer[2]);
        QCOMPARE(quint8(answer[0]), quint8(0x55));
        QCOMPARE(cmd & 0xFE, quint8(req[2]) & 0xFE);
        QCOMPARE(cmd & 1, code == SimReplyCode::Odd ? 1 : 0);
        // Everything the request produced is one frame by the receiver's length rule.
        QCOMPARE(answer.size() - 3, quint8(answer[1]) + (cmd & 1) + 1);
        QCOMPARE(answer.size() - 3, body);
        QVERIFY2(SimTestClient::sumIsZero(answer), qPrintable(answer.toHex(' ')));
    }
}

void SimFramesTest::liveBodyTakesTheConfiguredCompatibilityForm_data() {
    QTest::addColumn<int>("body");
    QTest::newRow("21: full layout") << 21;
    QTest::newRow("20: reset counter in byte 12") << 20;
    QTest::newRow("19: variator bit in the mode byte") << 19;
}

void SimFramesTest::liveBodyTakesTheConfiguredCompatibilityForm() {
    QFETCH(int, body);
    SimConfig c = fastConfig();
    c.liveBody = body;
    c.resetCount = 7;
    c.crankWheel = 2;
    Rig rig(c);
    QVERIFY(rig.ok());
    // Cranking at about 240 rpm: a period of more than 16 bits, which the 20-byte body caps.
    QByteArray d = live(rig);
    const int crankPeriod = quint8(d[10]) | quint8(d[11]) << 8 | quint8(d[12]) << 16;
    if (body == 20)
        QCOMPARE(crankPeriod & 0xFFFF, 0xFFFF);
    else
        QVERIFY2(crankPeriod > 32000000 / 300 && crankPeriod < 32000000 / 180,
                 qPrintable(QString::number(crankPeriod)));
    for (int i = 0; i < 25; ++i) // past cranking
        d = live(rig);
    QCOMPARE(d.size(), body - 1);
    QCOMPARE(quint8(d[17]), quint8(2));
    QVERIFY(quint8(d[0]) & 0x04); // pulses present
    if (body == 20) {
        QCOMPARE(quint8(d[12]), quint8(7));
        QCOMPARE(quint8(d[15]), quint8(0));
        QCOMPARE(quint8(d[16]), quint8(0)); // nothing where newer bodies keep the counter
        const int t = quint8(d[10]) | quint8(d[11]) << 8;
        QVERIFY2(t > 32000000 / 1200 && t < 32000000 / 600, qPrintable(QString::number(t)));
    } else {
        QCOMPARE(quint8(d[16]), quint8(7));
        QVERIFY(quint8(d[15]) >> 4 >= 1); // a real map column
    }
    // The default settings switch pulse shifting on, so the variator is active.
    if (body == 19) {
        QVERIFY(quint8(d[1]) & 0x10);
        QVERIFY(!(quint8(d[0]) & 0x02));
    } else {
        QVERIFY(!(quint8(d[1]) & 0x10));
        QVERIFY(quint8(d[0]) & 0x02);
    }
}

void SimFramesTest::identityCarriesTheModelsDeviceIdAndTexts_data() {
    QTest::addColumn<SimModel>("model");
    QTest::addColumn<quint32>("deviceId");
    QTest::newRow("KOLVA-VX-01") << SimModel::Vx01 << quint32(0x0801E0E0);
    QTest::newRow("KOLVA-VX-01 C0") << SimModel::Vx01c << quint32(0x0801C0C0);
    QTest::newRow("KOLVA-VX-02") << SimModel::Vx02 << quint32(0x08026060);
}

void SimFramesTest::identityCarriesTheModelsDeviceIdAndTexts() {
    QFETCH(SimModel, model);
    QFETCH(quint32, deviceId);
    SimConfig c = fastConfig();
    c.model = model;
    c.minWerPc = 3;
    c.opcjeH = 0x05;
    c.makeModel = "Fiat Punto 1.2";
    c.serialNumber = QByteArray::fromHex("00112233445566778899AABBCCDDEEFF");
    Rig rig(c);
    QVERIFY(rig.ok());
    const QByteArray d = data(rig.client->exchange(QByteArray::fromHex("55005259")));
    QCOMPARE(d.size(), 99);
    const quint32 id = quint32(quint8(d[9])) << 24 | quint32(quint8(d[8])) << 16 |
                       quint32(quint8(d[10])) << 8 | quint8(d[11]);
    QCOMPARE(id, deviceId);
    QCOMPARE(quint8(d[16]), quint8(3));
    QCOMPARE(quint8(d[18]), quint8(0x05));
    QCOMPARE(d.mid(19, 16).toHex(), QByteArray("00112233445566778899aabbccddeeff"));
    QCOMPARE(d.mid(35, 15), QByteArray("Fiat Punto 1.2\0", 15)); // ends at the first 0
}

void SimFramesTest::configurationSourceAndSwitchesShowInLiveByteOne() {
    Rig rig(fastConfig());
    QVERIFY(rig.ok());
    QCOMPARE(quint8(live(rig)[1]) & 0x0F, 0x00); // from the PC by default
    rig.sim.setPcConfig(false);
    QCOMPARE(quint8(live(rig)[1]) & 0x0F, 0x01);
    rig.sim.setSwitchBits(0x0A);
    QCOMPARE(quint8(live(rig)[1]) & 0x0F, 0x0A);
    rig.sim.setPcConfig(false);
    QCOMPARE(quint8(live(rig)[1]) & 0x0F, 0x0B); // the other switches stay
}

void SimFramesTest::stoppedEngineHasNoIgnitionPulsesAndStartsToIdle() {
    SimConfig c = fastConfig();
    c.engineRunning = false;
    Rig rig(c);
    QVERIFY(rig.ok());
    for (int i = 0; i < 5; ++i) {
        const QByteArray d = live(rig);
        QCOMPARE(quint8(d[0]) & 0x04, 0); // no pulses
        QCOMPARE(rpmOf(d), 0);
        QVERIFY(quint8(d[0]) & 0x08); // battery still fine
    }
    rig.sim.setEngineRunning(true);
    const QByteArray first = live(rig);
    QVERIFY(quint8(first[0]) & 0x04);
    QVERIFY2(rpmOf(first) > 100 && rpmOf(first) < 400, "cranking speed expected");
    // After cranking and before the first throttle sweep the engine idles near 850 rpm.
    QByteArray d;
    for (int i = 0; i < 40; ++i)
        d = live(rig);
    QVERIFY2(rpmOf(d) > 750 && rpmOf(d) < 950, qPrintable(QString::number(rpmOf(d))));
    const double volts = quint8(d[9]) * 0.08;
    QVERIFY2(volts > 13.5 && volts < 14.1, qPrintable(QString::number(volts)));
}

void SimFramesTest::engineChangesToGasAfterWarmUp() {
    Rig rig(fastConfig());
    QVERIFY(rig.ok());
    QCOMPARE(quint8(live(rig)[0]) & 0x10, 0); // petrol while cold
    // Idling with the throttle shut: 0.5 V from the sensor, 4.5 V once it is set as inverted.
    QCOMPARE(quint8(live(rig)[6]), quint8(25));
    QVERIFY(rig.sim.setSetting(2, 1));
    QCOMPARE(quint8(live(rig)[6]), quint8(225));
    QVERIFY(rig.sim.setSetting(2, 0));
    const QByteArray map = rig.sim.mapCells();
    bool gas = false;
    bool rpmMoved = false;
    for (int i = 0; i < 400 && !gas; ++i) { // 40 s of engine time
        const QByteArray d = live(rig);
        gas = quint8(d[0]) & 0x10;
        rpmMoved = rpmMoved || rpmOf(d) > 1500; // a throttle sweep happened
        if (gas) {
            QVERIFY(quint8(d[0]) & 0x80);     // shifting on gas above the speed threshold
            QCOMPARE(qint8(d[3]), qint8(40)); // the set angle is the setting
            // The shift is the set angle corrected by the map cell the engine is in.
            const int column = quint8(d[15]) >> 4;
            const int row = (quint8(d[15]) & 0x0F) + 1;
            QVERIFY(column >= 1 && column <= 15);
            QCOMPARE(int(qint8(d[2])), 40 + qint8(map[(column - 1) * 16 + row - 1]));
        }
    }
    QVERIFY(gas);
    QVERIFY(rpmMoved);
    // The lowest set angle with the lowest map cells: the shift stops at the lowest angle the
    // byte holds instead of wrapping round to a positive one.
    QVERIFY(rig.sim.setSetting(3, quint8(-128)));
    rig.sim.setMapCells(QByteArray(map.size(), char(-128)));
    bool shifting = false;
    for (int i = 0; i < 100 && !shifting; ++i) {
        const QByteArray d = live(rig);
        shifting = (quint8(d[0]) & 0x90) == 0x90;
        if (shifting) {
            QCOMPARE(qint8(d[3]), qint8(-128));
            QCOMPARE(qint8(d[2]), qint8(-128));
        }
    }
    QVERIFY(shifting);
}

void SimFramesTest::sameSeedGivesSameLiveFramesAndAnotherSeedDoesNot() {
    auto run = [](quint32 seed) {
        SimConfig c = fastConfig();
        c.seed = seed;
        Rig rig(c);
        QByteArray all;
        for (int i = 0; i < 120 && rig.ok(); ++i)
            all += live(rig);
        return all;
    };
    const QByteArray a = run(7);
    QCOMPARE(a.size(), 120 * 20);
    QCOMPARE(run(7), a);
    QVERIFY(run(8) != a);
}

void SimFramesTest::damagedOrStrayBytesGetNoAnswerAndDoNotBlockTheNextRequest() {
    Rig rig(fastConfig());
    QVERIFY(rig.ok());
    QVERIFY(rig.ask(QByteArray::fromHex("5500505C"), 0).isEmpty());
    QVERIFY(rig.sim.waitForRequests(1, 1000));
    // Noise before a request is skipped until the header byte.
    const QByteArray answer = rig.client->exchange(QByteArray::fromHex("00FFAA5500505B"));
    QCOMPARE(answer.size(), 24);
    QCOMPARE(rig.sim.answerCount(), quint64(1));
}

void SimFramesTest::lineNoiseIsSurvivedAndAPauseResynchronises() {
    Rig rig(fastConfig());
    QVERIFY(rig.ok());
    QByteArray noise;
    quint32 x = 99;
    for (int i = 0; i < 3000; ++i) {
        x = x * 1664525u + 1013904223u;
        noise.append(char(x >> 24));
    }
    noise += QByteArray::fromHex("55FF50"); // ends inside a frame that promises 255 bytes
    rig.client->send(noise);
    rig.client->readUntilQuiet(80); // whatever the noise provoked, then a pause on the line
    const QByteArray answer = rig.client->exchange(QByteArray::fromHex("5500505B"));
    QCOMPARE(answer.size(), 24);
    QVERIFY(SimTestClient::sumIsZero(answer));
    QVERIFY(rig.sim.isRunning());
}

QTEST_GUILESS_MAIN(SimFramesTest)
#include "tst_simframes.moc"
