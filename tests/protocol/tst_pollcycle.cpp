#include "ControlStates.h"
#include "ControllerMirror.h"
#include "FakeLang.h"
#include "FakeLink.h"
#include "PollCycle.h"

#include <QtTest>

namespace {

// The window's side of a tick: it keeps Image1's visibility and applies the loss reset.
struct Window {
    ControllerMirror m;
    FakeLink link;
    FakeLang lang;
    ControlStates states;
    int lossResets = 0;

    PollTickResult tick() {
        PollTickResult r = PollCycle::Tick(m, link, lang, states);
        if (r.lossReset) {
            ++lossResets;
            states.Image1Visible = false;
        }
        if (r.showImage1) {
            states.Image1Visible = true;
        }
        return r;
    }
    // The code of the last request written, or -1.
    int lastCode() const {
        return link.writes.isEmpty() ? -1 : std::uint8_t(link.writes.last()[2]);
    }
    void known() {
        m.IdentityState = -1;
        m.SettingIndex = -1;
    }
};

QByteArray identityAnswer() {
    QByteArray d(99, '\0');
    d[8] = 1;
    d[18] = char(0x05); // PC configuration and map
    return responseFrame(99, 0x52, d);
}

QByteArray settingsAnswer() {
    QByteArray d(20, '\0');
    d[0] = 19;
    return responseFrame(20, 0x56, d);
}

QByteArray liveAnswer(int mode = 0) {
    QByteArray d(18, '\0');
    d[1] = char(mode);
    return responseFrame(18, 0x50, d);
}

// A controller that answers every request it understands.
QByteArray answer(const QByteArray& request) {
    switch (std::uint8_t(request[2])) {
    case 0x52:
        return identityAnswer();
    case 0x56:
        return settingsAnswer();
    case 0x50:
        return liveAnswer();
    case 0x5A: {
        QByteArray d = QByteArray::fromHex("F01003");
        d.append(QByteArray(240, char(1)));
        return responseFrame(243, 0x5A, d);
    }
    default:
        return {};
    }
}

} // namespace

class PollCycleTest : public QObject {
    Q_OBJECT
private slots:
    void silentControllerSlowsDownThenLosesTheLink();
    void lossResetRunsOnceAndForgetsTheController();
    void lossResetLeavesOtherPagesForTheParameters();
    void closedPortCountsAsLostOnEveryTick();
    void answeringAgainBringsBackImageAndFastPolling();
    void freshControllerIsReadIdentitySettingsThenLive();
    void settingWriteWaitsForTheIdentity();
    void settingWriteCarriesTheLowByteOnToggledTicks_data();
    void settingWriteCarriesTheLowByteOnToggledTicks();
    void holdOffSkipsTicksWhateverIsQueued();
    void queuedWritesAreServedInOrderWithTheirHoldOffs();
    void mapWriteHoldsOffFrameLengthOver32Ticks_data();
    void mapWriteHoldsOffFrameLengthOver32Ticks();
    void queuedWritesRunBetweenPendingSettingsTicks();
    void lostMapAnswerIsAskedForAgainUntilItArrives_data();
    void lostMapAnswerIsAskedForAgainUntilItArrives();
    void settingsAnswerKeepsAnEditMadeWhileItWasOnItsWay();
    void configurationRefreshKeepsAQueuedWriteFirst();
    void mapWriteIsConfirmedWrittenAgainOrGivenUp_data();
    void mapWriteIsConfirmedWrittenAgainOrGivenUp();
    void lostLinkTakesOutCellsNotConfirmed();
};

void PollCycleTest::silentControllerSlowsDownThenLosesTheLink() {
    Window w;
    w.known();
    w.m.LinkCounter = 0; // the last answer
    QVector<int> intervals;
    int lossTick = -1;
    for (int tick = 1; tick <= 20; ++tick) {
        const PollTickResult r = w.tick();
        intervals.append(r.interval);
        if (r.lossReset && lossTick < 0) {
            lossTick = tick;
        }
    }
    QCOMPARE(intervals.mid(0, 6), QVector<int>(6, 100));
    QCOMPARE(intervals.mid(6), QVector<int>(14, 500));
    // Seventeen requests went unanswered in ticks 1..17; tick 18 handles the loss.
    QCOMPARE(lossTick, 18);
    QCOMPARE(w.lossResets, 1);
}

void PollCycleTest::lossResetRunsOnceAndForgetsTheController() {
    Window w;
    w.known();
    w.m.LinkCounter = 17;
    w.m.LiveMode = 3;
    w.m.RxBuffer.fill(0xAB);
    PollTickResult r = w.tick();
    QVERIFY(r.lossReset.has_value());
    QCOMPARE(r.lossReset->caption, QStringLiteral("Orvex V1.03"));
    QCOMPARE(r.lossReset->title, QStringLiteral("Orvex"));
    QVERIFY(!r.lossReset->switchToParameters);
    QCOMPARE(w.m.LiveMode, std::uint8_t(255));
    QVERIFY(w.m.LayoutRefreshDue); // whatever mode byte the next live frame carries
    QCOMPARE(w.m.RxBuffer[0], std::uint8_t(0));
    QCOMPARE(w.m.RxBuffer[255], std::uint8_t(0));
    QCOMPARE(w.m.RxBuffer[256], std::uint8_t(0xAB));
    // Identity is asked for on the same tick.
    QCOMPARE(w.lastCode(), 0x52);
    QCOMPARE(w.m.SettingIndex, 0);
    r = w.tick();
    QVERIFY(!r.lossReset.has_value());
    QCOMPARE(w.lossResets, 1);
    QCOMPARE(w.lastCode(), 0x52);
}

void PollCycleTest::lossResetLeavesOtherPagesForTheParameters() {
    Window w;
    w.m.LinkCounter = 30;
    w.states.ParametersPageCurrent = false;
    QVERIFY(w.tick().lossReset->switchToParameters);
}

void PollCycleTest::closedPortCountsAsLostOnEveryTick() {
    Window w;
    w.known();
    w.link.connected = false;
    PollTickResult r = w.tick();
    QVERIFY(r.lossReset.has_value());
    QCOMPARE(r.interval, 500);
    QVERIFY(r.requestSent); // still built and handed to the transport
    for (int i = 0; i < 3; ++i) {
        r = w.tick();
        QCOMPARE(r.interval, 500);
        QVERIFY(!r.showImage1);
        QCOMPARE(w.m.LinkCounter, 18);
    }
    QCOMPARE(w.lossResets, 1);
}

void PollCycleTest::answeringAgainBringsBackImageAndFastPolling() {
    Window w;
    w.m.LinkCounter = 40;
    w.tick();
    QVERIFY(!w.states.Image1Visible);
    w.link.responder = answer;
    PollTickResult r = w.tick(); // identity answered
    QVERIFY(r.response && r.response->identity);
    QCOMPARE(r.interval, 500);
    r = w.tick();
    QVERIFY(r.showImage1);
    QCOMPARE(r.interval, 100);
}

void PollCycleTest::freshControllerIsReadIdentitySettingsThenLive() {
    Window w;
    w.link.responder = answer;
    QVector<int> codes;
    for (int i = 0; i < 8; ++i) {
        const PollTickResult r = w.tick();
        codes.append(r.requestSent ? r.command : 0);
        if (r.requestSent && r.command == 0x56) { // all settings are asked for, none written
            QCOMPARE(w.link.writes.last().toHex(' '), QByteArray("55 00 56 55"));
        }
    }
    // Identity; live on the untoggled tick, whose layout refresh (mode byte 0 = configured
    // from the PC) asks for the settings and, with the map panel, queues a map read; settings
    // on the toggled tick; map read and its two held-off ticks; live polling.
    QCOMPARE(codes, QVector<int>({0x52, 0x50, 0x56, 0x5A, 0, 0, 0x50, 0x50}));
    QCOMPARE(w.m.SettingIndex, -1);
    QCOMPARE(w.m.LinkCounter, 0);
    QCOMPARE(w.m.MapTable[18], std::uint8_t(1));
}

void PollCycleTest::settingWriteWaitsForTheIdentity() {
    Window w;
    w.m.SettingIndex = 4;
    w.m.SettingValue = 100;
    for (int i = 0; i < 4; ++i) {
        w.tick();
        QCOMPARE(w.lastCode(), 0x52);
    }
    QCOMPARE(w.link.writes.size(), 4);
}

void PollCycleTest::settingWriteCarriesTheLowByteOnToggledTicks_data() {
    QTest::addColumn<int>("index");
    QTest::addColumn<int>("value");
    QTest::addColumn<QByteArray>("frame");
    QTest::newRow("setting 17, only the low byte goes out")
        << 17 << 0x1C8 << QByteArray("55 03 56 01 11 c8 78");
    QTest::newRow("setting 1, the option bits") << 1 << 0x23 << QByteArray("55 03 56 01 01 23 2d");
}

void PollCycleTest::settingWriteCarriesTheLowByteOnToggledTicks() {
    QFETCH(int, index);
    QFETCH(int, value);
    QFETCH(QByteArray, frame);
    Window w;
    w.known();
    w.m.SettingIndex = index;
    w.m.SettingValue = value;
    QVector<QByteArray> sent;
    for (int i = 0; i < 4; ++i) {
        w.tick();
        sent.append(w.link.writes.last().toHex(' '));
    }
    // Unanswered: retried on every other tick, live polls in between.
    QCOMPARE(sent[0], frame);
    QCOMPARE(sent[1], QByteArray("55 00 50 5b"));
    QCOMPARE(sent[2], sent[0]);
    QCOMPARE(sent[3], sent[1]);
}

void PollCycleTest::holdOffSkipsTicksWhateverIsQueued() {
    Window w;
    w.m.HoldOff = 3;
    w.m.PendingWrites = 0x4000 | 0x0800;
    for (int i = 0; i < 3; ++i) {
        QVERIFY(!w.tick().requestSent);
    }
    QVERIFY(w.link.writes.isEmpty());
    QCOMPARE(w.m.HoldOff, 0);
    QVERIFY(w.tick().requestSent);
}

void PollCycleTest::queuedWritesAreServedInOrderWithTheirHoldOffs() {
    Window w;
    w.known();
    w.m.PendingWrites = 0x4000 | 0x0200 | 0x2000 | 0x0800;
    w.m.MapWriteFirst = -1;
    w.link.responder = answer; // the map read is answered (service requests and writes never)
    // Each tick as code << 8 | first data byte (0 when nothing is sent).
    QVector<int> sent;
    for (int i = 0; i < 54; ++i) {
        const PollTickResult r = w.tick();
        const QByteArray f = w.link.writes.isEmpty() ? QByteArray() : w.link.writes.last();
        sent.append(
            r.requestSent ? std::uint8_t(f[2]) << 8 | (f.size() > 4 ? std::uint8_t(f[3]) : 0) : 0);
    }
    QVector<int> expected;
    expected << 0x54CC << QVector<int>(20, 0) // defaults, then 20 silent ticks
             << 0x54C1 << QVector<int>(20, 0) // clear map, 20 more
             << 0x5CF0 << QVector<int>(7, 0)  // whole map (240 cells), 247 / 32 ticks
             << 0x5AF0 << 0 << 0              // map read, two ticks
             << 0x5CF0; // the read shows other cells than written: written again
    QCOMPARE(sent, expected);
    QCOMPARE(w.m.PendingWrites, 0u);
    QVERIFY(w.m.MapCheck.waiting());
}

void PollCycleTest::mapWriteHoldsOffFrameLengthOver32Ticks_data() {
    QTest::addColumn<int>("first");
    QTest::addColumn<int>("last");
    QTest::addColumn<int>("holdOff");
    QTest::newRow("whole map, 247 bytes") << 0 << 239 << 7;
    QTest::newRow("one cell, 8 bytes") << 5 << 5 << 0;
    QTest::newRow("25 cells, 32 bytes") << 0 << 24 << 1;
}

void PollCycleTest::mapWriteHoldsOffFrameLengthOver32Ticks() {
    QFETCH(int, first);
    QFETCH(int, last);
    QFETCH(int, holdOff);
    Window w;
    w.known();
    w.m.PendingWrites = 0x2000;
    w.m.MapWriteFirst = first;
    w.m.MapWriteLast = last;
    w.link.responder = answer; // the acknowledgement is never read
    const PollTickResult r = w.tick();
    QCOMPARE(r.command, std::uint8_t(0x5C));
    QVERIFY(!r.response.has_value());
    QCOMPARE(w.m.HoldOff, holdOff);
}

void PollCycleTest::queuedWritesRunBetweenPendingSettingsTicks() {
    Window w;
    w.m.IdentityState = -1;
    w.m.SettingIndex = 0; // settings read pending, never answered
    w.m.PendingWrites = 0x0800;
    w.tick();
    QCOMPARE(w.lastCode(), 0x56);
    w.tick();
    QCOMPARE(w.lastCode(), 0x5A);
}

void PollCycleTest::lostMapAnswerIsAskedForAgainUntilItArrives_data() {
    QTest::addColumn<QByteArray>("badAnswer");
    const QByteArray good = answer(hexBytes("55 03 5A F0 10 03 00"));
    QTest::newRow("no answer") << QByteArray();
    QTest::newRow("cut short") << good.left(good.size() / 2);
    QByteArray bad = good;
    bad[bad.size() - 1] = char(bad.at(bad.size() - 1) + 1);
    QTest::newRow("bad checksum") << bad;
    QTest::newRow("a live answer instead") << liveAnswer();
}

void PollCycleTest::lostMapAnswerIsAskedForAgainUntilItArrives() {
    QFETCH(QByteArray, badAnswer);
    Window w;
    w.known();
    w.m.PendingWrites = 0x0800;
    int mapReads = 0;
    w.link.responder = [&](const QByteArray& request) {
        if (std::uint8_t(request[2]) != 0x5A) {
            return answer(request);
        }
        return ++mapReads == 1 ? badAnswer : answer(request);
    };
    // Read, two ticks' hold-off, read again; the live poll only once the map is in.
    QVector<int> codes;
    for (int i = 0; i < 7; ++i) {
        w.link.writes.clear();
        w.tick();
        codes << w.lastCode();
    }
    QCOMPARE(codes, (QVector<int>{0x5A, -1, -1, 0x5A, -1, -1, 0x50}));
    QVERIFY(w.m.MapTableRead);
    QCOMPARE(w.m.MapTable[18], std::uint8_t(1)); // cell 0
    QCOMPARE(w.m.PendingWrites, 0u);
}

void PollCycleTest::settingsAnswerKeepsAnEditMadeWhileItWasOnItsWay() {
    Window w;
    w.known();
    w.m.SettingIndex = 0;
    bool edited = false;
    w.link.responder = [&](const QByteArray& request) {
        // The user's edit runs while the read's answer is awaited.
        if (std::uint8_t(request[2]) == 0x56 && !edited) {
            edited = true;
            w.m.queueSettingWrite(1, 0x25);
        }
        return answer(request);
    };
    w.m.PollToggle = false;
    PollTickResult r = w.tick();
    QCOMPARE(w.lastCode(), 0x56);
    QVERIFY(r.response && r.response->settings);
    QCOMPARE(r.response->settings->keptEdit, 1);
    QCOMPARE(w.m.SettingIndex, 1);
    w.tick(); // live
    r = w.tick();
    QCOMPARE(w.link.writes.last().toHex(' '), QByteArray("55 03 56 01 01 25 2b"));
    // That write's own answer puts the settings in step.
    QCOMPARE(r.response->settings->keptEdit, 0);
    QCOMPARE(w.m.SettingIndex, -1);
}

void PollCycleTest::configurationRefreshKeepsAQueuedWriteFirst() {
    Window w;
    w.known();
    w.link.responder = [](const QByteArray& request) {
        return std::uint8_t(request[2]) == 0x50 ? liveAnswer(0x02) : answer(request);
    };
    w.m.PollToggle = true;             // the next tick is a live poll
    w.m.queueSettingWrite(5, 33);      // queued just before it
    const PollTickResult r = w.tick(); // the mode byte changed: everything is read again
    QVERIFY(r.response && r.response->live && r.response->live->refresh);
    QCOMPARE(w.m.SettingIndex, 5);
    w.tick();
    QCOMPARE(w.link.writes.last().mid(0, 6).toHex(' '), QByteArray("55 03 56 01 05 21"));
    QCOMPARE(w.m.SettingIndex, -1); // its answer brought all settings

    // With nothing queued the refresh asks for all settings.
    w.tick();
    w.link.responder = [](const QByteArray& request) {
        return std::uint8_t(request[2]) == 0x50 ? liveAnswer(0x04) : answer(request);
    };
    w.tick();
    QCOMPARE(w.m.SettingIndex, 0);
}

namespace {

// A controller's map: writes it takes are acknowledged with the cells counted from cell 0.
struct MapController {
    QByteArray cells = QByteArray(240, char(3));
    int writesDropped = 0; // the first N map writes are lost on the line
    int writes = 0;
    int reads = 0;

    QByteArray answer(const QByteArray& request) {
        const int code = std::uint8_t(request[2]);
        if (code == 0x5C) {
            if (++writes <= writesDropped) {
                return {};
            }
            const int n = std::uint8_t(request[3]);
            const int first = std::uint8_t(request[5]);
            cells.replace(first, n, request.mid(6, n));
            QByteArray d;
            d.append(char(n));
            d.append(char(0x01));
            d.append(char(first));
            d.append(cells.left(first + n));
            return responseFrame(int(d.size()), 0x5C, d);
        }
        if (code == 0x5A) {
            ++reads;
            return responseFrame(243, 0x5A, QByteArray::fromHex("F01003") + cells);
        }
        return ::answer(request);
    }
};

} // namespace

void PollCycleTest::mapWriteIsConfirmedWrittenAgainOrGivenUp_data() {
    QTest::addColumn<int>("dropped");
    QTest::addColumn<int>("writes");
    QTest::addColumn<int>("reads");
    QTest::addColumn<bool>("taken");
    QTest::newRow("acknowledged at once: no read") << 0 << 1 << 0 << true;
    QTest::newRow("first write lost: read, written again") << 1 << 2 << 1 << true;
    QTest::newRow("two lost: the third write takes") << 2 << 3 << 2 << true;
    QTest::newRow("every write lost: given up after three") << 99 << 3 << 3 << false;
}

void PollCycleTest::mapWriteIsConfirmedWrittenAgainOrGivenUp() {
    QFETCH(int, dropped);
    QFETCH(int, writes);
    QFETCH(int, reads);
    QFETCH(bool, taken);
    Window w;
    w.known();
    w.m.MapTableRead = true;
    MapController controller;
    controller.writesDropped = dropped;
    w.link.responder = [&](const QByteArray& request) { return controller.answer(request); };
    for (int c = 0; c < 240; ++c) {
        w.m.MapTable[std::size_t((c / 16 + 1) * 17 + c % 16 + 1)] = 3;
    }
    // The user sets cells 17 and 18 (column 2, rows 2 and 3) to -5.
    w.m.MapTable[36] = std::uint8_t(-5);
    w.m.MapTable[37] = std::uint8_t(-5);
    w.m.MapWriteFirst = 17;
    w.m.MapWriteLast = 18;
    w.m.PendingWrites = 0x2000;
    QVector<MapWriteCheck::Cell> notTaken;
    for (int i = 0; i < 80; ++i) {
        const PollTickResult r = w.tick();
        if (r.response && r.response->map && r.response->map->wholeMapRead) {
            notTaken += r.response->map->notTaken;
            // The grid never shows the controller's old value while the write is retried.
            if (r.response->map->notTaken.isEmpty()) {
                QCOMPARE(std::int8_t(w.m.MapTable[36]), std::int8_t(-5));
            }
        }
    }
    QCOMPARE(controller.writes, writes);
    QCOMPARE(controller.reads, reads);
    QVERIFY(!w.m.MapCheck.waiting());
    QCOMPARE(w.m.PendingWrites, 0u);
    QCOMPARE(w.lastCode(), 0x50); // back to live values
    if (taken) {
        QCOMPARE(std::int8_t(controller.cells[17]), std::int8_t(-5));
        QVERIFY(notTaken.isEmpty());
        QCOMPARE(std::int8_t(w.m.MapTable[36]), std::int8_t(-5));
    } else {
        QCOMPARE(notTaken.size(), 2);
        QCOMPARE(notTaken[0].cell, 17);
        QCOMPARE(std::int8_t(notTaken[0].value), std::int8_t(-5));
        QCOMPARE(notTaken[1].cell, 18);
        // MapTable holds what the controller has; the window shows the user's cells aside.
        QCOMPARE(w.m.MapTable[36], std::uint8_t(3));
        QCOMPARE(controller.cells[17], char(3));
    }
}

void PollCycleTest::lostLinkTakesOutCellsNotConfirmed() {
    Window w;
    w.known();
    w.m.MapTableRead = true;
    w.m.MapTable[36] = 9;
    w.m.MapWriteFirst = 17;
    w.m.MapWriteLast = 17;
    w.m.PendingWrites = 0x2000;
    w.tick(); // the write goes out; nobody answers from now on
    QCOMPARE(w.lastCode(), 0x5C);
    w.m.MapTable[40] = 7; // an edit queued after the write, never sent
    w.m.MapWriteFirst = 21;
    w.m.MapWriteLast = 21;
    w.m.PendingWrites |= 0x2000;
    w.m.LinkCounter = 17;
    const PollTickResult r = w.tick();
    QVERIFY(r.lossReset);
    QCOMPARE(r.lossReset->unconfirmed.size(), 2);
    QCOMPARE(r.lossReset->unconfirmed[0].cell, 17);
    QCOMPARE(r.lossReset->unconfirmed[0].value, std::uint8_t(9));
    QCOMPARE(r.lossReset->unconfirmed[1].cell, 21);
    QCOMPARE(r.lossReset->unconfirmed[1].value, std::uint8_t(7));
    // Nothing of it goes to whichever controller answers next.
    QCOMPARE(w.m.PendingWrites & 0x2000u, 0u);
    QVERIFY(!w.m.MapCheck.waiting());
}

QTEST_GUILESS_MAIN(PollCycleTest)
#include "tst_pollcycle.moc"
