#include "SimRig.h"

#include <QTest>

#include <fcntl.h>
#include <unistd.h>

namespace {
// Settings answer data: N, S0 .. S(N-1).
QByteArray readSettings(SimRig& rig) {
    return SimRig::data(rig.client->exchange(QByteArray::fromHex("55005655")));
}

QByteArray readMap(SimRig& rig) {
    return SimRig::data(rig.client->exchange(QByteArray::fromHex("55035AF010034B")));
}

// The PC's descrambling of the service text: running XOR seeded 0x5E over data bytes 1..40.
QByteArray descramble(const QByteArray& d) {
    QByteArray text;
    quint8 running = 0x5E;
    for (int i = 1; i <= 40 && i < d.size(); ++i) {
        const quint8 plain = quint8(d[i]) ^ running;
        running = plain;
        text.append(char(plain));
    }
    text.truncate(39);
    const int zero = text.indexOf('\0');
    return zero < 0 ? text : text.left(zero);
}
} // namespace

class SimStateTest : public QObject {
    Q_OBJECT
private slots:
    void settingWriteIsStoredAndAnsweredWithAllSettings_data();
    void settingWriteIsStoredAndAnsweredWithAllSettings();
    void settingsSumFollowsEveryChange();
    void malformedRequestsWithAGoodChecksumChangeNothing_data();
    void malformedRequestsWithAGoodChecksumChangeNothing();
    void defaultsRequestRestoresFactorySettings();
    void mapWriteThenReadRoundTrips();
    void mapWriteAcknowledgementCarriesCellsAtTheirAbsolutePosition();
    void wholeMapWriteFitsOneFrame();
    void mapWritePastTheLastCellIsRefusedWhole();
    void mapClearRequestZeroesEveryCell();
    void serviceTextDescramblesToTheConfiguredText_data();
    void serviceTextDescramblesToTheConfiguredText();
    void loaderRequestSwitchesToTheListeningLoader();
    void stoppingAgainClosesNoDescriptorOfAnyoneElse();
};

void SimStateTest::settingWriteIsStoredAndAnsweredWithAllSettings_data() {
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("k");
    QTest::addColumn<int>("value");
    QTest::addColumn<bool>("taken");
    QTest::newRow("set angle -10") << 19 << 3 << 0xF6 << true;
    QTest::newRow("engine-speed threshold") << 19 << 5 << 80 << true;
    QTest::newRow("last of nineteen") << 19 << 18 << 240 << true;
    QTest::newRow("one past the last of nineteen") << 19 << 19 << 5 << false;
    QTest::newRow("option bits, highest taken") << 19 << 1 << 0x3F << true;
    QTest::newRow("option bits, one above") << 19 << 1 << 0x40 << false;
    QTest::newRow("throttle inverted") << 19 << 2 << 1 << true;
    QTest::newRow("throttle type 2 refused") << 19 << 2 << 2 << false;
    QTest::newRow("comparator 3 taken") << 19 << 7 << 3 << true;
    QTest::newRow("map source 4 refused") << 19 << 13 << 4 << false;
    QTest::newRow("fall time 1 taken") << 19 << 16 << 1 << true;
    QTest::newRow("fall time 0 refused") << 19 << 16 << 0 << false;
    QTest::newRow("comparator out of range") << 19 << 7 << 4 << false;
    QTest::newRow("advance output level 2 refused") << 19 << 10 << 2 << false;
    QTest::newRow("map source 3") << 19 << 13 << 3 << true;
    QTest::newRow("rise time 0 refused") << 19 << 15 << 0 << false;
    QTest::newRow("the sum cannot be written") << 19 << 0 << 5 << false;
    QTest::newRow("beyond fifteen settings") << 15 << 15 << 30 << false;
    QTest::newRow("last of fifteen") << 15 << 14 << 30 << true;
    QTest::newRow("setting 200") << 16 << 200 << 1 << false;
}

void SimStateTest::settingWriteIsStoredAndAnsweredWithAllSettings() {
    QFETCH(int, count);
    QFETCH(int, k);
    QFETCH(int, value);
    QFETCH(bool, taken);
    SimConfig c = SimRig::fast();
    c.settingsCount = count;
    SimRig rig(c);
    QVERIFY(rig.ok());
    const QByteArray before = readSettings(rig);
    QCOMPARE(before.size(), count + 1);
    QCOMPARE(int(before[0]), count);

    const QByteArray write =
        SimTestClient::request(0x56, QByteArray("\x01", 1) + char(k) + char(value));
    const QByteArray after = SimRig::data(rig.client->exchange(write));
    QCOMPARE(after.size(), count + 1); // answered with all settings, taken or not
    QCOMPARE(readSettings(rig), after);
    for (int i = 2; i <= count; ++i) { // skip N and the sum
        const int setting = i - 1;
        const quint8 expected = taken && setting == k ? quint8(value) : quint8(before[i]);
        QCOMPARE(quint8(after[i]), expected);
    }
    QCOMPARE(rig.sim.settings(), after.mid(1));
}

void SimStateTest::settingsSumFollowsEveryChange() {
    SimRig rig;
    QVERIFY(rig.ok());
    rig.client->exchange(QByteArray::fromHex("550356010364EA")); // setting 3 = 100
    const QByteArray s = readSettings(rig);
    int sum = 0;
    for (int i = 2; i < s.size(); ++i)
        sum += quint8(s[i]);
    QCOMPARE(quint8(s[1]), quint8(sum));
    QCOMPARE(quint8(s[4]), quint8(100));
}

void SimStateTest::malformedRequestsWithAGoodChecksumChangeNothing_data() {
    QTest::addColumn<int>("cmd");
    QTest::addColumn<QByteArray>("data");
    QTest::newRow("defaults, bytes differ") << 0x54 << QByteArray::fromHex("CCCD");
    QTest::newRow("clear map, bytes differ") << 0x54 << QByteArray::fromHex("C1C0");
    QTest::newRow("clear map, three bytes") << 0x54 << QByteArray::fromHex("C1C1C1");
    QTest::newRow("service text, bytes differ") << 0x54 << QByteArray::fromHex("5E5F");
    QTest::newRow("loader, bytes differ") << 0x54 << QByteArray::fromHex("3334");
    QTest::newRow("service, unknown code") << 0x54 << QByteArray::fromHex("7777");
    QTest::newRow("settings write, two bytes") << 0x56 << QByteArray::fromHex("0106");
    QTest::newRow("settings write, four bytes") << 0x56 << QByteArray::fromHex("01065A00");
    QTest::newRow("settings write, marker 02") << 0x56 << QByteArray::fromHex("02065A");
    QTest::newRow("settings read with one byte") << 0x56 << QByteArray::fromHex("00");
    QTest::newRow("map read, 0x11 for 0x10") << 0x5A << QByteArray::fromHex("F01103");
    QTest::newRow("map read, 0x04 for 0x03") << 0x5A << QByteArray::fromHex("F01004");
    QTest::newRow("map read, two bytes") << 0x5A << QByteArray::fromHex("F010");
    QTest::newRow("map read, four bytes") << 0x5A << QByteArray::fromHex("F0100300");
    QTest::newRow("map read, no bytes") << 0x5A << QByteArray();
    QTest::newRow("map write, marker 02") << 0x5C << QByteArray::fromHex("01020005");
    QTest::newRow("map write, no cells") << 0x5C << QByteArray::fromHex("00010005");
    QTest::newRow("unknown code") << 0x58 << QByteArray();
}

void SimStateTest::malformedRequestsWithAGoodChecksumChangeNothing() {
    QFETCH(int, cmd);
    QFETCH(QByteArray, data);
    SimRig rig;
    QVERIFY(rig.ok());
    QVERIFY(rig.sim.setSetting(6, 90)); // so that a restore of the defaults would show
    const QByteArray settings = rig.sim.settings();
    const QByteArray cells = rig.sim.mapCells();
    const QByteArray request = SimTestClient::request(cmd, data);
    QVERIFY(SimTestClient::sumIsZero(request));
    const QByteArray answer = rig.ask(request, 0);
    QVERIFY2(answer.isEmpty(), qPrintable(answer.toHex(' ')));
    QVERIFY(!rig.sim.inLoader());
    QCOMPARE(rig.sim.settings(), settings);
    QCOMPARE(rig.sim.mapCells(), cells);
    // And the controller still answers a good request.
    QCOMPARE(SimRig::data(rig.client->exchange(QByteArray::fromHex("55005655"))).mid(1), settings);
}

void SimStateTest::defaultsRequestRestoresFactorySettings() {
    SimRig rig;
    QVERIFY(rig.ok());
    const QByteArray factory = readSettings(rig);
    QVERIFY(rig.sim.setSetting(6, 90));
    QVERIFY(readSettings(rig) != factory);
    rig.client->send(QByteArray::fromHex("550254CCCCBD"));
    QVERIFY(rig.sim.waitForRequests(3, 1000));
    QCOMPARE(readSettings(rig), factory);
}

void SimStateTest::mapWriteThenReadRoundTrips() {
    SimRig rig;
    QVERIFY(rig.ok());
    QByteArray cells = readMap(rig).mid(3);
    QCOMPARE(cells.size(), 240);
    // Cells 10..12 and 239 (column 15, row 16) get new values, one of them negative.
    rig.client->exchange(QByteArray::fromHex("55065C03010AF6007FC6"));
    rig.client->exchange(QByteArray::fromHex("55045C0101EF80DA"));
    cells[10] = char(0xF6);
    cells[11] = char(0x00);
    cells[12] = char(0x7F);
    cells[239] = char(0x80);
    const QByteArray d = readMap(rig);
    QCOMPARE(d.left(3), QByteArray::fromHex("F01003"));
    QCOMPARE(d.mid(3).toHex(), cells.toHex());
    QCOMPARE(rig.sim.mapCells(), cells);
}

void SimStateTest::mapWriteAcknowledgementCarriesCellsAtTheirAbsolutePosition() {
    SimRig rig;
    QVERIFY(rig.ok());
    const QByteArray cells = readMap(rig).mid(3);
    const QByteArray ack =
        SimRig::data(rig.client->exchange(QByteArray::fromHex("55065C03010AF6007FC6")));
    // n, 01, first, then cell a at data byte 3 + a for every cell up to the last one written.
    QCOMPARE(ack.left(3), QByteArray::fromHex("03010A"));
    QCOMPARE(ack.size(), 3 + 13);
    QCOMPARE(ack.mid(3, 10), cells.left(10));
    QCOMPARE(ack.mid(13).toHex(), QByteArray("f6007f"));
}

void SimStateTest::wholeMapWriteFitsOneFrame() {
    SimRig rig;
    QVERIFY(rig.ok());
    QByteArray cells(240, 0);
    for (int i = 0; i < 240; ++i)
        cells[i] = char(i - 120);
    const QByteArray write = SimTestClient::request(0x5C, QByteArray::fromHex("F00100") + cells);
    QCOMPARE(write.size(), 247);
    const QByteArray ack = rig.client->exchange(write);
    QCOMPARE(SimRig::data(ack).mid(3), cells);
    QCOMPARE(readMap(rig).mid(3), cells);
}

void SimStateTest::mapWritePastTheLastCellIsRefusedWhole() {
    SimRig rig;
    QVERIFY(rig.ok());
    const QByteArray before = rig.sim.mapCells();
    // 20 cells from cell 230 would run past cell 239.
    const QByteArray write =
        SimTestClient::request(0x5C, QByteArray::fromHex("1401E6") + QByteArray(20, 9));
    QVERIFY(rig.ask(write, 0).isEmpty());
    // LEN that disagrees with the cell count.
    QVERIFY(rig.ask(SimTestClient::request(0x5C, QByteArray::fromHex("05010009")), 0).isEmpty());
    QCOMPARE(rig.sim.mapCells(), before);
}

void SimStateTest::mapClearRequestZeroesEveryCell() {
    SimRig rig;
    QVERIFY(rig.ok());
    QVERIFY(rig.sim.mapCells() != QByteArray(240, 0));
    rig.client->send(QByteArray::fromHex("550254C1C1D3"));
    QVERIFY(rig.sim.waitForRequests(1, 1000));
    QCOMPARE(readMap(rig).mid(3), QByteArray(240, 0));
}

void SimStateTest::serviceTextDescramblesToTheConfiguredText_data() {
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QByteArray>("shown");
    QTest::newRow("short") << QByteArray("Serwis ABC 12") << QByteArray("Serwis ABC 12");
    QTest::newRow("empty") << QByteArray() << QByteArray();
    const QByteArray fifty(50, 'x');
    QTest::newRow("too long: 39 characters") << fifty << QByteArray(39, 'x');
}

void SimStateTest::serviceTextDescramblesToTheConfiguredText() {
    QFETCH(QByteArray, text);
    QFETCH(QByteArray, shown);
    SimConfig c = SimRig::fast();
    c.serviceText = text;
    SimRig rig(c);
    QVERIFY(rig.ok());
    const QByteArray d = SimRig::data(rig.client->exchange(QByteArray::fromHex("5502545E5E99")));
    QCOMPARE(d.size(), 41);
    QCOMPARE(descramble(d), shown);
    if (!text.isEmpty())
        QVERIFY(d.mid(1, 10) != text.left(10)); // really scrambled
}

void SimStateTest::loaderRequestSwitchesToTheListeningLoader() {
    SimRig rig;
    QVERIFY(rig.ok());
    rig.client->send(QByteArray::fromHex("5502543333EF"));
    QVERIFY(rig.sim.waitForRequests(1, 1000));
    QVERIFY(rig.sim.inLoader());
    QCOMPARE(rig.client->exchange(QByteArray::fromHex("5500505B")).toHex(), QByteArray("5500505b"));
    // The loader does not know the application's requests.
    QVERIFY(rig.ask(QByteArray::fromHex("55005655"), 0).isEmpty());
}

void SimStateTest::stoppingAgainClosesNoDescriptorOfAnyoneElse() {
    SimRig rig;
    QVERIFY(rig.ok());
    rig.sim.stop();
    // The numbers of the simulator's descriptors are free now, and new descriptors take them;
    // a second stop (the destructor's, or a start's) must not close these.
    int fds[8][2];
    for (auto& p : fds)
        QCOMPARE(::pipe(p), 0);
    rig.sim.stop();
    bool allOpen = true;
    for (auto& p : fds) {
        allOpen = allOpen && ::fcntl(p[0], F_GETFD) != -1 && ::fcntl(p[1], F_GETFD) != -1;
        ::close(p[0]);
        ::close(p[1]);
    }
    QVERIFY(allOpen);
}

QTEST_GUILESS_MAIN(SimStateTest)
#include "tst_simstate.moc"
