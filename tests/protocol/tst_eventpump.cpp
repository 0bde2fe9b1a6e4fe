// The one wait of the protocol: returns as soon as what it waits for is there, gives up at its
// bound, and keeps the application's events running all the while (on the virtual clock of the
// in-memory link, so no real time passes).
#include "EventPump.h"
#include "FakeLink.h"

#include <QCoreApplication>
#include <QTimer>
#include <QtTest>

class EventPumpTest : public QObject {
    Q_OBJECT
private slots:
    void bytesAreTakenWithinOneStepOfArriving_data();
    void bytesAreTakenWithinOneStepOfArriving();
    void aWaitEndsExactlyAtItsBound_data();
    void aWaitEndsExactlyAtItsBound();
    void eventsRunThroughoutAWaitAndAPause();
    void aClosedPortIsWaitedOutNotMistakenForData();
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

QTEST_GUILESS_MAIN(EventPumpTest)
#include "tst_eventpump.moc"
