// The one wait of the protocol: returns as soon as what it waits for is there, gives up at its
// bound, and keeps the application's events running all the while (on the virtual clock of the
// in-memory link, so no real time passes).
#include "EventPump.h"
#include "FakeLink.h"
#include "SerialLink.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <QtTest>

#include <thread>

class EventPumpTest : public QObject {
    Q_OBJECT
private slots:
    void bytesAreTakenWithinOneStepOfArriving_data();
    void bytesAreTakenWithinOneStepOfArriving();
    void anArrivingAnswerIsTakenWhenItsLastByteIsThere_data();
    void anArrivingAnswerIsTakenWhenItsLastByteIsThere();
    void aWaitEndsExactlyAtItsBound_data();
    void aWaitEndsExactlyAtItsBound();
    void eventsRunThroughoutAWaitAndAPause();
    void aClosedPortIsWaitedOutNotMistakenForData();
    void anAnswerOnARealTimeLineIsTakenOrWaitedOut_data();
    void anAnswerOnARealTimeLineIsTakenOrWaitedOut();
};

void EventPumpTest::bytesAreTakenWithinOneStepOfArriving_data() {
    QTest::addColumn<int>("arrivesAt");
    QTest::addColumn<int>("bound");
    QTest::addColumn<bool>("found");
    QTest::newRow("already waiting") << 0 << 48 << true;
    QTest::newRow("on a step") << 10 << 48 << true;
    QTest::newRow("between steps") << 17 << 48 << true;
    QTest::newRow("at the bound") << 48 << 48 << true;
    QTest::newRow("after the bound") << 49 << 48 << false;
    QTest::newRow("odd bound, at it") << 7 << 7 << true;
    QTest::newRow("odd bound, between its last steps") << 6 << 7 << true;
    QTest::newRow("odd bound, after it") << 8 << 7 << false;
    QTest::newRow("a long body, one before the bound") << 487 << 488 << true;
}

void EventPumpTest::bytesAreTakenWithinOneStepOfArriving() {
    QFETCH(int, arrivesAt);
    QFETCH(int, bound);
    QFETCH(bool, found);
    // Passing over the quiet looks in one sleep must not change when the bytes are seen.
    for (const bool skip : {false, true}) {
        FakeLink link;
        link.skipQuietLooks(skip);
        link.deliverAt(arrivesAt, QByteArray(4, 'x'));
        link.deliverAt(arrivesAt + 1, QByteArray(1, 'y')); // more coming: no early end
        int waited = -1;
        QCOMPARE(EventPump::waitForBytes(link, 4, bound, &waited), found);
        QCOMPARE(waited, link.now());
        if (found) {
            QVERIFY(waited >= arrivesAt && waited <= arrivesAt + EventPump::CheckStepMs);
            QCOMPARE(waited, arrivesAt == 0 ? 0 : std::min((arrivesAt + 1) / 2 * 2, bound));
        } else {
            QCOMPARE(waited, bound);
        }
        if (skip) {
            QVERIFY(link.sleeps.size() <= 3); // one sleep to the arrival, then single steps
        }
    }
}

// A link that tells its byte time (9600 bit/s): once the answer has begun the wait sleeps while
// the rest is carried and looks every millisecond when the last byte is due, not a whole step
// later (the waits of Windows, which look in steps).
void EventPumpTest::anArrivingAnswerIsTakenWhenItsLastByteIsThere_data() {
    QTest::addColumn<int>("firstAt");
    QTest::addColumn<int>("bytes");     // arriving one a byte time apart from firstAt
    QTest::addColumn<int>("count");     // waited for
    QTest::addColumn<int>("maxSleeps"); // the wait's sleeps, all told
    QTest::newRow("a header after the request") << 7 << 4 << 4 << 6;
    QTest::newRow("a live body, begun before the wait") << 0 << 20 << 20 << 4;
    QTest::newRow("an answer that stops two short") << 5 << 18 << 20 << 27;
}

void EventPumpTest::anArrivingAnswerIsTakenWhenItsLastByteIsThere() {
    QFETCH(int, firstAt);
    QFETCH(int, bytes);
    QFETCH(int, count);
    QFETCH(int, maxSleeps);
    constexpr int ByteUs = 1041;
    constexpr int Bound = 60;
    FakeLink link;
    link.byteTimeUs = ByteUs;
    int lastAt = 0;
    for (int i = 0; i < bytes; ++i) {
        lastAt = firstAt + (i * ByteUs + 999) / 1000;
        link.deliverAt(lastAt, QByteArray(1, 'x'));
    }
    if (firstAt == 0) {
        link.advance(1); // two bytes there when the wait starts
        link.sleeps.clear();
    }
    const int start = link.now();
    int waited = -1;
    const bool complete = bytes >= count;
    QCOMPARE(EventPump::waitForBytes(link, count, Bound, &waited), complete);
    if (complete) {
        QCOMPARE(start + waited, lastAt); // a look every ms while it is due

    } else {
        QCOMPARE(waited, Bound);
    }
    // Past the moment the rest was due the wait looks in whole steps again (maxSleeps).
    QVERIFY2(link.sleeps.size() <= maxSleeps, qPrintable(QString::number(link.sleeps.size())));
}

void EventPumpTest::aWaitEndsExactlyAtItsBound_data() {
    QTest::addColumn<int>("bound");
    QTest::newRow("none") << 0;
    QTest::newRow("one step") << 2;
    QTest::newRow("odd") << 5;
    QTest::newRow("a map body twice") << 488;
}

void EventPumpTest::aWaitEndsExactlyAtItsBound() {
    QFETCH(int, bound);
    FakeLink link;
    link.deliver(QByteArray(3, 'x')); // one byte short
    QVERIFY(!EventPump::waitForBytes(link, 4, bound));
    QCOMPARE(link.now(), bound);
    for (int s : link.sleeps) {
        QVERIFY(s >= 1 && s <= EventPump::CheckStepMs);
    }
}

void EventPumpTest::eventsRunThroughoutAWaitAndAPause() {
    FakeLink link;
    // A handler that posts itself again each time it runs: it runs once per look.
    int runs = 0;
    std::function<void()> again = [&] {
        ++runs;
        QMetaObject::invokeMethod(qApp, again, Qt::QueuedConnection);
    };
    QMetaObject::invokeMethod(qApp, again, Qt::QueuedConnection);
    QVERIFY(!EventPump::waitForBytes(link, 1, 20));
    QVERIFY2(runs >= 20 / EventPump::CheckStepMs, qPrintable(QString::number(runs)));

    const int before = runs;
    EventPump::pause(500);
    QCOMPARE(link.now(), 20 + 500); // the pause is not cut short by the events
    QVERIFY(runs - before >= 500 / EventPump::CheckStepMs);
    again = [] {};
    QCoreApplication::processEvents();
}

void EventPumpTest::aClosedPortIsWaitedOutNotMistakenForData() {
    FakeLink link;
    link.connected = false; // SerialInQueCount gives -1
    QVERIFY(!EventPump::waitForBytes(link, 1, 48));
    QCOMPARE(link.now(), 48);
}

namespace {

// A line in real time at 9600 bit/s: byte i is there from firstAtUs + i byte times after the
// line was made.
class TimedLink : public SerialLink {
public:
    static constexpr int ByteUs = 1041;
    TimedLink(int firstAtUs, int bytes) : firstAtUs_(firstAtUs), bytes_(bytes) { clock_.start(); }
    bool SerialConnected() override { return true; }
    int SerialInQueCount() override {
        const qint64 sinceFirst = clock_.nsecsElapsed() / 1000 - firstAtUs_;
        return sinceFirst < 0 ? 0
                              : static_cast<int>(std::min<qint64>(bytes_, sinceFirst / ByteUs + 1));
    }
    int SerialRead(std::uint8_t*, int) override { return 0; }
    int SerialWrite(const std::uint8_t*, int count) override { return count; }
    int ByteTimeUs() override { return ByteUs; }
    // When the last byte came, in ms since the line was made.
    double lastAtMs() const { return (firstAtUs_ + (bytes_ - 1) * ByteUs) / 1000.0; }
    double nowMs() const { return clock_.nsecsElapsed() / 1e6; }

private:
    QElapsedTimer clock_;
    int firstAtUs_;
    int bytes_;
};

} // namespace

// In real time, in a thread without an event loop (the waits of Windows): the looks shorter than
// a millisecond while the last byte is due still take the whole answer, and still count the
// time, so an answer that stops short ends the wait at its bound.
void EventPumpTest::anAnswerOnARealTimeLineIsTakenOrWaitedOut_data() {
    QTest::addColumn<int>("firstAtUs");
    QTest::addColumn<int>("bytes");
    QTest::addColumn<int>("count");
    QTest::addColumn<bool>("complete");
    QTest::newRow("a live body arriving") << 3000 << 20 << 20 << true;
    QTest::newRow("a header, begun before the wait") << -1500 << 4 << 4 << true;
    QTest::newRow("already there") << -40000 << 20 << 20 << true;
    QTest::newRow("an answer that stops two short") << 3000 << 18 << 20 << false;
}

void EventPumpTest::anAnswerOnARealTimeLineIsTakenOrWaitedOut() {
    QFETCH(int, firstAtUs);
    QFETCH(int, bytes);
    QFETCH(int, count);
    QFETCH(bool, complete);
    constexpr int Bound = 40;
    EventPump::setSleepHook(nullptr);
    TimedLink link(firstAtUs, bytes);
    bool held = !complete;
    int waited = -1;
    double endedMs = 0;
    std::thread waiter([&] {
        held = EventPump::waitForBytes(link, count, Bound, &waited);
        endedMs = link.nowMs();
    });
    waiter.join();
    QCOMPARE(held, complete);
    if (complete) {
        QVERIFY(endedMs >= link.lastAtMs());
        QVERIFY2(waited <= Bound, qPrintable(QString::number(waited)));
        if (firstAtUs < -TimedLink::ByteUs * bytes) {
            QCOMPARE(waited, 0);
        }
    } else {
        QVERIFY2(waited >= Bound, qPrintable(QString::number(waited)));
        QVERIFY(endedMs >= Bound); // the bound is real time: the counted sleeps took it
    }
}

QTEST_GUILESS_MAIN(EventPumpTest)
#include "tst_eventpump.moc"
