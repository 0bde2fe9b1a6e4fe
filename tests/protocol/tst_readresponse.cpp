#include "ControlStates.h"
#include "ControllerMirror.h"
#include "FakeLang.h"
#include "FakeLink.h"
#include "ReadResponse.h"

#include <QtTest>

using Outcome = ResponseResult::Outcome;
Q_DECLARE_METATYPE(ResponseResult::Outcome)

namespace {

QByteArray liveData(int count) {
    QByteArray d(count, '\0');
    d[0] = char(0x24);
    return d;
}

} // namespace

class ReadResponseTest : public QObject {
    Q_OBJECT
private slots:
    void headerIsAwaitedAtMostThreeTimesSixteenMilliseconds_data();
    void headerIsAwaitedAtMostThreeTimesSixteenMilliseconds();
    void bodyIsAwaitedAtMostTwiceItsLengthInMilliseconds_data();
    void bodyIsAwaitedAtMostTwiceItsLengthInMilliseconds();
    void aShortBodyIsLeftQueuedForTheNextDrain();
    void aWrongStartByteDropsEverythingWaiting();
    void oddCodesCarryOneDataByteMore_data();
    void oddCodesCarryOneDataByteMore();
    void aChecksumFailureHasNoEffect();
    void aLiveFrameWithoutDataIsValid();
    void unknownCodesAreReadAndIgnored();
    void mapFramesNeedTheirMarkerBytes_data();
    void mapFramesNeedTheirMarkerBytes();
    void mapContentsFillTheTableAndTheGrid();
    void mapAcknowledgementTakesCellsAtTheirAbsolutePosition();
    void mapCountsReachingPastTheMapOrTheBodyStopThere();
    void serviceTextIsDescrambledIntoTheCaption_data();
    void serviceTextIsDescrambledIntoTheCaption();
    void replayDispatchesTheRecordWithoutReadingOrChecking();
    void rxLogLineShowsHeaderDataAndChecksum();
    void aReadThatReturnsFewerBytesThanAskedGivesUp();
};

void ReadResponseTest::headerIsAwaitedAtMostThreeTimesSixteenMilliseconds_data() {
    QTest::addColumn<int>("arrivesAt");
    QTest::addColumn<bool>("accepted");
    QTest::newRow("already there") << 0 << true;
    QTest::newRow("during the first wait") << 10 << true;
    QTest::newRow("just after the first 16 ms") << 17 << true;
    QTest::newRow("during the second wait") << 30 << true;
    QTest::newRow("at the end of the third wait") << 48 << true;
    QTest::newRow("just too late") << 49 << false;
}

void ReadResponseTest::headerIsAwaitedAtMostThreeTimesSixteenMilliseconds() {
    QFETCH(int, arrivesAt);
    QFETCH(bool, accepted);
    ControllerMirror m;
    m.LinkCounter = 3;
    FakeLink link;
    FakeLang lang;
    link.deliverAt(arrivesAt, responseFrame(18, 0x50, liveData(18)));
    const ResponseResult r = ReadResponse(m, link, lang, ControlStates{});
    QCOMPARE(r.outcome == Outcome::Accepted, accepted);
    QCOMPARE(m.LinkCounter, accepted ? 0 : 3);
    if (accepted) {
        // Taken as soon as it is there, not at the next 16 ms mark.
        QVERIFY2(link.now() <= arrivesAt + 2, qPrintable(QString::number(link.now())));
    } else {
        QCOMPARE(link.now(), 48);
    }
    // Short steps, never a long sleep that would hold the window.
    for (int s : link.sleeps) {
        QVERIFY(s > 0 && s <= 2);
    }
}

void ReadResponseTest::bodyIsAwaitedAtMostTwiceItsLengthInMilliseconds_data() {
    QTest::addColumn<int>("headerAt");
    QTest::addColumn<int>("restAt");
    QTest::addColumn<bool>("accepted");
    // A header there at once counts from the 16 ms look: body waits of 19 ms end at 35 and 54.
    QTest::newRow("rest in the first body wait") << 0 << 30 << true;
    QTest::newRow("rest at one and a half body waits") << 0 << 44 << true;
    QTest::newRow("rest at the end of the second body wait") << 0 << 54 << true;
    QTest::newRow("rest after two body waits") << 0 << 55 << false;
    // A header that came after the first look counts from the second (32 ms): ends at 70.
    QTest::newRow("late header, rest at the end") << 20 << 70 << true;
    QTest::newRow("late header, rest too late") << 20 << 71 << false;
    // Header at the third look (48 ms): ends at 86.
    QTest::newRow("last-moment header, rest at the end") << 47 << 86 << true;
    QTest::newRow("last-moment header, rest too late") << 47 << 87 << false;
}

void ReadResponseTest::bodyIsAwaitedAtMostTwiceItsLengthInMilliseconds() {
    QFETCH(int, headerAt);
    QFETCH(int, restAt);
    QFETCH(bool, accepted);
    ControllerMirror m;
    m.LinkCounter = 2;
    FakeLink link;
    FakeLang lang;
    const QByteArray frame = responseFrame(18, 0x50, liveData(18)); // 19-byte body
    link.deliverAt(headerAt, frame.left(8));
    link.deliverAt(restAt, frame.mid(8));
    const ResponseResult r = ReadResponse(m, link, lang, ControlStates{});
    QCOMPARE(r.outcome, accepted ? Outcome::Accepted : Outcome::ShortBody);
    if (accepted) {
        QVERIFY2(link.now() <= restAt + 2, qPrintable(QString::number(link.now())));
    } else {
        // Gave up when the second body wait would have ended, not later.
        QCOMPARE(link.now(), restAt - 1);
        QCOMPARE(link.waiting(), 5); // the part that came stays queued for the next drain
    }
}

void ReadResponseTest::aShortBodyIsLeftQueuedForTheNextDrain() {
    ControllerMirror m;
    m.LinkCounter = 1;
    FakeLink link;
    FakeLang lang;
    link.deliver(responseFrame(18, 0x50, liveData(18)).left(10));
    const ResponseResult r = ReadResponse(m, link, lang, ControlStates{});
    QCOMPARE(r.outcome, Outcome::ShortBody);
    QCOMPARE(link.waiting(), 7);
    QCOMPARE(m.LinkCounter, 1);
}

void ReadResponseTest::aWrongStartByteDropsEverythingWaiting() {
    ControllerMirror m;
    FakeLink link;
    FakeLang lang;
    link.deliver(hexBytes("54 00 50 5B 55 00 50 5B"));
    const ResponseResult r = ReadResponse(m, link, lang, ControlStates{});
    QCOMPARE(r.outcome, Outcome::BadHeader);
    QCOMPARE(link.waiting(), 0);
}

void ReadResponseTest::oddCodesCarryOneDataByteMore_data() {
    QTest::addColumn<int>("len");
    QTest::addColumn<int>("cmd");
    QTest::addColumn<int>("body");
    QTest::newRow("even code, LEN 18") << 18 << 0x50 << 19;
    QTest::newRow("odd code, LEN 18") << 18 << 0x51 << 20;
    QTest::newRow("odd code, LEN 19") << 19 << 0x51 << 21;
    QTest::newRow("largest body") << 255 << 0x51 << 257;
}

void ReadResponseTest::oddCodesCarryOneDataByteMore() {
    QFETCH(int, len);
    QFETCH(int, cmd);
    QFETCH(int, body);
    ControllerMirror m;
    FakeLink link;
    FakeLang lang;
    link.deliver(responseFrame(len, cmd, liveData(body - 1)));
    link.deliver(hexBytes("AB CD")); // the next frame's bytes must not be taken
    const ResponseResult r = ReadResponse(m, link, lang, ControlStates{});
    QCOMPARE(r.outcome, Outcome::Accepted);
    QCOMPARE(r.bodyLength, body);
    QCOMPARE(link.waiting(), 2);
    QVERIFY(r.live.has_value());
}

void ReadResponseTest::aChecksumFailureHasNoEffect() {
    ControllerMirror m;
    m.LinkCounter = 5;
    m.SettingIndex = 7;
    FakeLink link;
    FakeLang lang;
    QByteArray frame = responseFrame(17, 0x56, QByteArray(17, char(0x11)));
    frame[frame.size() - 1] = char(frame.back() + 1);
    link.deliver(frame);
    const ResponseResult r = ReadResponse(m, link, lang, ControlStates{});
    QCOMPARE(r.outcome, Outcome::BadChecksum);
    QCOMPARE(m.LinkCounter, 5);
    QCOMPARE(m.SettingIndex, 7);
    QCOMPARE(m.SettingsImage[0], std::uint8_t(0));
    QVERIFY(!r.settings.has_value());
}

void ReadResponseTest::aLiveFrameWithoutDataIsValid() {
    ControllerMirror m;
    m.LinkCounter = 9;
    m.RxBuffer[1] = 0x01; // left from an earlier frame
    FakeLink link;
    FakeLang lang;
    link.deliver(hexBytes("55 00 50 5B"));
    const ResponseResult r = ReadResponse(m, link, lang, ControlStates{});
    QCOMPARE(r.outcome, Outcome::Accepted);
    QCOMPARE(m.LinkCounter, 0);
    QCOMPARE(m.RxBuffer[0], std::uint8_t(0x5B));
    QCOMPARE(m.LiveMode, std::uint8_t(0x01));
}

void ReadResponseTest::unknownCodesAreReadAndIgnored() {
    ControllerMirror m;
    m.LinkCounter = 4;
    FakeLink link;
    FakeLang lang;
    link.deliver(responseFrame(2, 0x58, hexBytes("01 02")));
    const ResponseResult r = ReadResponse(m, link, lang, ControlStates{});
    QCOMPARE(r.outcome, Outcome::Ignored);
    QCOMPARE(m.LinkCounter, 4);
    QCOMPARE(link.waiting(), 0);
}

void ReadResponseTest::mapFramesNeedTheirMarkerBytes_data() {
    QTest::addColumn<QByteArray>("frame");
    QTest::addColumn<bool>("accepted");
    QTest::newRow("map contents") << responseFrame(4, 0x5A, hexBytes("01 10 03 05")) << true;
    QTest::newRow("map contents, odd code")
        << responseFrame(3, 0x5B, hexBytes("01 10 03 05")) << true;
    QTest::newRow("map contents, third byte 04")
        << responseFrame(4, 0x5A, hexBytes("01 10 04 05")) << false;
    QTest::newRow("map contents, second byte 11")
        << responseFrame(4, 0x5A, hexBytes("01 11 03 05")) << false;
    QTest::newRow("acknowledgement") << responseFrame(4, 0x5C, hexBytes("01 01 00 05")) << true;
    QTest::newRow("acknowledgement, second byte 02")
        << responseFrame(4, 0x5C, hexBytes("01 02 00 05")) << false;
}

void ReadResponseTest::mapFramesNeedTheirMarkerBytes() {
    QFETCH(QByteArray, frame);
    QFETCH(bool, accepted);
    ControllerMirror m;
    m.LinkCounter = 3;
    FakeLink link;
    FakeLang lang;
    link.deliver(frame);
    const ResponseResult r = ReadResponse(m, link, lang, ControlStates{});
    QCOMPARE(r.outcome, accepted ? Outcome::Accepted : Outcome::Ignored);
    QCOMPARE(m.LinkCounter, accepted ? 0 : 3);
    QCOMPARE(m.MapTable[18], std::uint8_t(accepted ? 5 : 0));
    QCOMPARE(r.map.has_value(), accepted);
}

void ReadResponseTest::mapContentsFillTheTableAndTheGrid() {
    ControllerMirror m;
    FakeLink link;
    FakeLang lang;
    QByteArray data = hexBytes("F0 10 03");
    for (int i = 0; i < 240; ++i) {
        data.append(char(i == 17 ? 0xF6 : i));
    }
    link.deliver(responseFrame(243, 0x5A, data));
    const ResponseResult r = ReadResponse(m, link, lang, ControlStates{});
    QVERIFY(r.map.has_value());
    QCOMPARE(r.map->cells.size(), 240);
    QCOMPARE(m.MapTable[2 * 17 + 2], std::uint8_t(0xF6)); // cell 17: column 2, row 2
    QCOMPARE(m.MapTable[15 * 17 + 16], std::uint8_t(239));
    QCOMPARE(m.MapTable[0], std::uint8_t(0)); // column 0 is no cell
    const MapCellUpdate& u = r.map->cells[17];
    QCOMPARE(u.column, 2);
    QCOMPARE(u.row, 2);
    QCOMPARE(u.text, QStringLiteral("-2"));
    QCOMPARE(u.chartValue, 23.6);
}

void ReadResponseTest::mapAcknowledgementTakesCellsAtTheirAbsolutePosition() {
    ControllerMirror m;
    FakeLink link;
    FakeLang lang;
    // Two cells from cell 4: values at data bytes 7 and 8.
    link.deliver(responseFrame(9, 0x5C, hexBytes("02 01 04 00 00 00 00 0A 0B")));
    const ResponseResult r = ReadResponse(m, link, lang, ControlStates{});
    QVERIFY(r.map.has_value());
    QCOMPARE(r.map->cells.size(), 2);
    QCOMPARE(m.MapTable[1 * 17 + 5], std::uint8_t(0x0A));
    QCOMPARE(m.MapTable[1 * 17 + 6], std::uint8_t(0x0B));
    QCOMPARE(r.map->cells[1].text, QStringLiteral("2.2"));
}

void ReadResponseTest::mapCountsReachingPastTheMapOrTheBodyStopThere() {
    ControllerMirror m;
    FakeLink link;
    FakeLang lang;
    m.TxBuffer.fill(0x33);
    m.RxBuffer.fill(0x44); // stale bytes beyond the body must not become cells
    // Count 255 with only two cell bytes received.
    link.deliver(responseFrame(5, 0x5A, hexBytes("FF 10 03 01 02")));
    ResponseResult r = ReadResponse(m, link, lang, ControlStates{});
    QCOMPARE(r.map->cells.size(), 2);
    QCOMPARE(m.MapTable[1 * 17 + 3], std::uint8_t(0));
    // First cell 250 of the acknowledgement lies past the map: nothing is stored.
    QByteArray ack = hexBytes("FF 01 FA");
    ack.append(QByteArray(254, char(0x55)));
    link.deliver(responseFrame(255, 0x5D, ack.left(256)));
    r = ReadResponse(m, link, lang, ControlStates{});
    QCOMPARE(r.outcome, Outcome::Accepted);
    QCOMPARE(r.map->cells.size(), 0);
    QCOMPARE(m.TxBuffer[0], std::uint8_t(0x33));
}

void ReadResponseTest::serviceTextIsDescrambledIntoTheCaption_data() {
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QString>("caption");
    QTest::newRow("stops at the first zero") << QByteArray("Serwis 12\0xyz", 13) << "Serwis 12";
    QTest::newRow("forty characters give thirty-nine")
        << QByteArray(40, 'A') << QString(39, QLatin1Char('A'));
}

void ReadResponseTest::serviceTextIsDescrambledIntoTheCaption() {
    QFETCH(QByteArray, text);
    QFETCH(QString, caption);
    ControllerMirror m;
    FakeLink link;
    FakeLang lang;
    text.resize(40, '\0');
    QByteArray data(1, char(0x01));
    std::uint8_t running = 0x5E;
    for (char c : text) {
        data.append(char(std::uint8_t(c) ^ running));
        running = std::uint8_t(c);
    }
    link.deliver(responseFrame(41, 0x54, data));
    const ResponseResult r = ReadResponse(m, link, lang, ControlStates{});
    QVERIFY(r.serviceCaption.has_value());
    QCOMPARE(*r.serviceCaption, caption);
    QCOMPARE(m.RxBuffer[1], std::uint8_t(text[0])); // descrambled in place
    QCOMPARE(m.RxBuffer[40], std::uint8_t(0));      // the 40th position ends the text
}

void ReadResponseTest::replayDispatchesTheRecordWithoutReadingOrChecking() {
    ControllerMirror m;
    m.LinkCounter = 8;
    FakeLink link;
    FakeLang lang;
    link.deliver(hexBytes("55 00 50 5B"));
    m.RxBuffer[0] = 0x10; // running on gas
    m.RxBuffer[10] = 0x80;
    m.RxBuffer[11] = 0x3E; // period 16000
    m.RxBuffer[12] = 0x00;
    const ResponseResult r = ReadResponse(m, link, lang, ControlStates{}, 0x50);
    QCOMPARE(r.outcome, Outcome::Accepted);
    QCOMPARE(link.waiting(), 4);
    QVERIFY(link.sleeps.isEmpty());
    QVERIFY(r.logLine.isEmpty());
    QCOMPARE(r.live->LabelRpm, QStringLiteral(" 2000 obr/min"));

    m.RxBuffer[0] = 16;
    const ResponseResult s = ReadResponse(m, link, lang, ControlStates{}, 0x56);
    QVERIFY(s.settings.has_value());
    QCOMPARE(m.SettingIndex, -1);
}

void ReadResponseTest::rxLogLineShowsHeaderDataAndChecksum() {
    ControllerMirror m;
    m.LogFrames = true;
    FakeLink link;
    FakeLang lang;
    link.deliver(hexBytes("55 02 51 01 02 03 54"));
    const ResponseResult r = ReadResponse(m, link, lang, ControlStates{});
    QCOMPARE(r.logLine, QStringLiteral("Rx: 55 02 51 - 01 02 03 - 54"));
    link.deliver(hexBytes("55 00 50 5B"));
    QCOMPARE(ReadResponse(m, link, lang, ControlStates{}).logLine,
             QStringLiteral("Rx: 55 00 50 - - 5B"));
}

void ReadResponseTest::aReadThatReturnsFewerBytesThanAskedGivesUp() {
    ControllerMirror m;
    m.LinkCounter = 2;
    FakeLink link;
    FakeLang lang;
    link.readLimit = 2;
    link.deliver(responseFrame(18, 0x50, liveData(18)));
    const ResponseResult r = ReadResponse(m, link, lang, ControlStates{});
    QVERIFY(r.outcome != Outcome::Accepted);
    QCOMPARE(m.LinkCounter, 2);
}

QTEST_GUILESS_MAIN(ReadResponseTest)
#include "tst_readresponse.moc"
