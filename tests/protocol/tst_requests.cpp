#include "ControllerMirror.h"
#include "FakeLink.h"
#include "MapCells.h"
#include "Requests.h"

#include <QtTest>

class RequestsTest : public QObject {
    Q_OBJECT
private slots:
    void requestFramesMatchTheWire_data();
    void requestFramesMatchTheWire();
    void everyRequestCountsOneUnansweredExchange();
    void waitingInputIsDrainedBeforeTheWrite();
    void aFloodOfWaitingInputIsDrainedWithoutOverrunningTheBuffer();
    void aFailedWriteIsNotReported();
    void mapBlockOfThreeCellsCarriesColumnOneRowsElevenToThirteen();
    void invalidMapRangesBecomeTheWholeMap_data();
    void invalidMapRangesBecomeTheWholeMap();
    void logLinesFollowTheHexForm();
    void cellNumbersMapOntoTheTable_data();
    void cellNumbersMapOntoTheTable();
};

void RequestsTest::requestFramesMatchTheWire_data() {
    QTest::addColumn<int>("command");
    QTest::addColumn<int>("length");
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<QByteArray>("expected");
    QTest::newRow("live") << 0x50 << 0 << QByteArray() << hexBytes("55 00 50 5B");
    QTest::newRow("identity") << 0x52 << 0 << QByteArray() << hexBytes("55 00 52 59");
    QTest::newRow("read all settings") << 0x56 << 0 << QByteArray() << hexBytes("55 00 56 55");
    QTest::newRow("write setting 4 = 100")
        << 0x56 << 3 << hexBytes("01 04 64") << hexBytes("55 03 56 01 04 64 E9");
    QTest::newRow("map read") << 0x5A << 3 << hexBytes("F0 10 03")
                              << hexBytes("55 03 5A F0 10 03 4B");
    QTest::newRow("defaults") << 0x54 << 2 << hexBytes("CC CC") << hexBytes("55 02 54 CC CC BD");
    QTest::newRow("clear map") << 0x54 << 2 << hexBytes("C1 C1") << hexBytes("55 02 54 C1 C1 D3");
    QTest::newRow("service text") << 0x54 << 2 << hexBytes("5E 5E")
                                  << hexBytes("55 02 54 5E 5E 99");
    QTest::newRow("block count") << 0x54 << 5 << hexBytes("00 00 00 02 28")
                                 << hexBytes("55 05 54 00 00 00 02 28 28");
    QTest::newRow("extra data bytes beyond the length are ignored")
        << 0x50 << 0 << hexBytes("11 22 33") << hexBytes("55 00 50 5B");
    QTest::newRow("a length above five sends five")
        << 0x54 << 9 << hexBytes("01 02 03 04 05") << hexBytes("55 05 54 01 02 03 04 05 43");
}

void RequestsTest::requestFramesMatchTheWire() {
    QFETCH(int, command);
    QFETCH(int, length);
    QFETCH(QByteArray, data);
    QFETCH(QByteArray, expected);
    data.resize(5, '\0');
    ControllerMirror m;
    FakeLink link;
    const SentFrame sent = SendRequest(m, link, std::uint8_t(command), length, data[0], data[1],
                                       data[2], data[3], data[4]);
    QCOMPARE(link.writes.size(), 1);
    QCOMPARE(link.writes.first().toHex(' '), expected.toHex(' '));
    QCOMPARE(sent.length, expected.size());
    int sum = 0;
    for (char c : link.writes.first()) {
        sum += std::uint8_t(c);
    }
    QCOMPARE(sum % 256, 0);
}

void RequestsTest::everyRequestCountsOneUnansweredExchange() {
    ControllerMirror m;
    FakeLink link;
    m.LinkCounter = 4;
    SendRequest(m, link, 0x50);
    SendMapBlock(m, link);
    QCOMPARE(m.LinkCounter, 6);
}

void RequestsTest::waitingInputIsDrainedBeforeTheWrite() {
    ControllerMirror m;
    FakeLink link;
    link.deliver(hexBytes("55 00 50 5B AA BB"));
    SendRequest(m, link, 0x52);
    QCOMPARE(link.waiting(), 0);
    QCOMPARE(link.bytesRead, 6);
    // The stale bytes landed in RxBuffer, not in front of the next answer.
    QCOMPARE(m.RxBuffer[4], std::uint8_t(0xAA));
}

void RequestsTest::aFloodOfWaitingInputIsDrainedWithoutOverrunningTheBuffer() {
    ControllerMirror m;
    FakeLink link;
    link.deliver(QByteArray(3 * 8192 + 100, char(0x77)));
    m.TxBuffer.fill(0x11); // right after RxBuffer in memory: an overrun would show here first
    SendRequest(m, link, 0x50);
    QCOMPARE(link.waiting(), 0);
    QCOMPARE(link.writes.first().toHex(' '), QByteArray("55 00 50 5b"));
}

void RequestsTest::aFailedWriteIsNotReported() {
    ControllerMirror m;
    FakeLink link;
    link.writeFails = true;
    const SentFrame sent = SendRequest(m, link, 0x50);
    QCOMPARE(sent.length, 4);
    QCOMPARE(m.LinkCounter, 1);
    QVERIFY(link.writes.isEmpty());
}

void RequestsTest::mapBlockOfThreeCellsCarriesColumnOneRowsElevenToThirteen() {
    ControllerMirror m;
    FakeLink link;
    m.MapTable[1 * 17 + 11] = 0x0B; // cell 10
    m.MapTable[1 * 17 + 12] = 0xF6; // cell 11
    m.MapTable[1 * 17 + 13] = 0x7F; // cell 12
    m.MapWriteFirst = 10;
    m.MapWriteLast = 12;
    const SentFrame sent = SendMapBlock(m, link);
    QCOMPARE(sent.length, 10);
    QCOMPARE(link.writes.first().toHex(' '), QByteArray("55 06 5c 03 01 0a 0b f6 7f bb"));
}

void RequestsTest::invalidMapRangesBecomeTheWholeMap_data() {
    QTest::addColumn<int>("first");
    QTest::addColumn<int>("last");
    QTest::newRow("last past the map") << 0 << 271;
    QTest::newRow("last at 240") << 5 << 240;
    QTest::newRow("negative first") << -1 << 20;
    QTest::newRow("reversed") << 30 << 29;
    QTest::newRow("first past the map") << 240 << 240;
}

void RequestsTest::invalidMapRangesBecomeTheWholeMap() {
    QFETCH(int, first);
    QFETCH(int, last);
    ControllerMirror m;
    FakeLink link;
    for (int c = 0; c < 16; ++c) {
        for (int r = 0; r < 17; ++r) {
            m.MapTable[std::size_t(c * 17 + r)] = std::uint8_t(c * 17 + r);
        }
    }
    m.MapWriteFirst = first;
    m.MapWriteLast = last;
    const SentFrame sent = SendMapBlock(m, link);
    QCOMPARE(sent.length, 247);
    QCOMPARE(m.MapWriteFirst, 0);
    QCOMPARE(m.MapWriteLast, 239);
    const QByteArray frame = link.writes.first();
    QCOMPARE(frame.left(6).toHex(' '), QByteArray("55 f3 5c f0 01 00"));
    // Row 0 of each column is not a cell: cell 15 is byte 33, cell 16 byte 35.
    QCOMPARE(std::uint8_t(frame[6 + 0]), std::uint8_t(18));
    QCOMPARE(std::uint8_t(frame[6 + 15]), std::uint8_t(33));
    QCOMPARE(std::uint8_t(frame[6 + 16]), std::uint8_t(35));
    QCOMPARE(std::uint8_t(frame[6 + 239]), std::uint8_t(271 & 0xFF));
}

void RequestsTest::logLinesFollowTheHexForm() {
    ControllerMirror m;
    FakeLink link;
    QVERIFY(SendRequest(m, link, 0x50).logLine.isEmpty());
    m.LogFrames = true;
    QCOMPARE(SendRequest(m, link, 0x50).logLine, QStringLiteral("Tx: 55 00 50 - - 5B"));
    QCOMPARE(SendRequest(m, link, 0x5A, 3, 0xF0, 0x10, 0x03).logLine,
             QStringLiteral("Tx: 55 03 5A - F0 10 03 - 4B"));
    m.MapWriteFirst = 0;
    m.MapWriteLast = 0;
    QCOMPARE(SendMapBlock(m, link).logLine, QStringLiteral("Tx: 55 04 5C - 01 01 00 00 - 49"));
}

void RequestsTest::cellNumbersMapOntoTheTable_data() {
    QTest::addColumn<int>("cell");
    QTest::addColumn<int>("byte");
    QTest::newRow("first cell") << 0 << 18;
    QTest::newRow("end of column 1") << 15 << 33;
    QTest::newRow("start of column 2") << 16 << 35;
    QTest::newRow("last cell") << 239 << 271;
}

void RequestsTest::cellNumbersMapOntoTheTable() {
    QFETCH(int, cell);
    QFETCH(int, byte);
    QCOMPARE(MapCells::byteOfCell(cell), byte);
    QCOMPARE(MapCells::cellAt(MapCells::column(cell), MapCells::row(cell)), cell);
}

QTEST_GUILESS_MAIN(RequestsTest)
#include "tst_requests.moc"
