#include "MemoryWire.h"

#include <QtTest>

namespace {

QByteArray readAll(MemoryWire& w, MemoryWire::End end) {
    QByteArray out(w.available(end), '\0');
    out.resize(w.read(end, out.data(), int(out.size())));
    return out;
}

int write(MemoryWire& w, MemoryWire::End from, const QByteArray& bytes) {
    return w.write(from, bytes.constData(), int(bytes.size()));
}

} // namespace

class MemoryWireTest : public QObject {
    Q_OBJECT
private slots:
    void endsSeeWhatTheFarEndDid_data();
    void endsSeeWhatTheFarEndDid();
    void aFullQueueDropsTheRest();
    void theWakeComesOnceTheArmedCountIsThere_data();
    void theWakeComesOnceTheArmedCountIsThere();
    void aWaitEndsWithInputTimeOrInterrupt();
};

// Which ends are open decides where bytes go and what each end calls a hang-up.
void MemoryWireTest::endsSeeWhatTheFarEndDid_data() {
    QTest::addColumn<bool>("controllerOpen");
    QTest::addColumn<bool>("hostOpen");
    QTest::addColumn<int>("hostWrites");     // what the host's write of 3 bytes returns
    QTest::addColumn<int>("controllerGets"); // of those
    QTest::addColumn<bool>("hostHungUp");
    QTest::addColumn<bool>("controllerHungUp");
    QTest::newRow("both open") << true << true << 3 << 3 << false << false;
    QTest::newRow("controller gone") << false << true << 3 << 0 << true << false;
    QTest::newRow("host closed") << true << false << -1 << 0 << false << true;
    QTest::newRow("neither") << false << false << -1 << 0 << false << false;
}

void MemoryWireTest::endsSeeWhatTheFarEndDid() {
    QFETCH(bool, controllerOpen);
    QFETCH(bool, hostOpen);
    QFETCH(int, hostWrites);
    QFETCH(int, controllerGets);
    QFETCH(bool, hostHungUp);
    QFETCH(bool, controllerHungUp);
    MemoryWire w;
    // Both were open once: a closed end is one that went away.
    w.open(MemoryWire::Controller);
    w.open(MemoryWire::Host);
    if (!controllerOpen)
        w.close(MemoryWire::Controller);
    if (!hostOpen)
        w.close(MemoryWire::Host);
    QCOMPARE(write(w, MemoryWire::Host, "abc"), hostWrites);
    QCOMPARE(w.available(MemoryWire::Controller), controllerGets);
    QCOMPARE(w.hungUp(MemoryWire::Host), hostHungUp);
    QCOMPARE(w.hungUp(MemoryWire::Controller), controllerHungUp);
    // Opening again starts empty and ends the hang-up.
    w.open(MemoryWire::Controller);
    w.open(MemoryWire::Host);
    QCOMPARE(w.available(MemoryWire::Controller), 0);
    QVERIFY(!w.hungUp(MemoryWire::Host));
}

void MemoryWireTest::aFullQueueDropsTheRest() {
    MemoryWire w;
    w.open(MemoryWire::Controller);
    w.open(MemoryWire::Host);
    const QByteArray block(MemoryWire::QueueLimit - 2, 'x');
    QCOMPARE(write(w, MemoryWire::Controller, block), int(block.size()));
    QCOMPARE(write(w, MemoryWire::Controller, "abcd"), 2);
    QCOMPARE(w.available(MemoryWire::Host), MemoryWire::QueueLimit);
    QCOMPARE(readAll(w, MemoryWire::Host).right(3), QByteArray("xab"));
    w.purge(MemoryWire::Host);
    QCOMPARE(w.available(MemoryWire::Host), 0);
}

// The host's wait sleeps until its count is there: one wake for it, none for the bytes before.
void MemoryWireTest::theWakeComesOnceTheArmedCountIsThere_data() {
    QTest::addColumn<int>("waiting"); // bytes there before the wake is armed
    QTest::addColumn<int>("count");   // armed
    QTest::addColumn<QList<int>>("chunks");
    QTest::addColumn<bool>("hangUp");      // the controller's end closes after the chunks
    QTest::addColumn<QList<int>>("wakes"); // after arming, after each chunk, after the hang-up
    QTest::newRow("whole answer at once") << 0 << 4 << QList<int>{4} << false << QList<int>{0, 1};
    QTest::newRow("byte by byte") << 0 << 3 << QList<int>{1, 1, 1, 1} << false
                                  << QList<int>{0, 0, 0, 1, 1};
    QTest::newRow("past the count in one go")
        << 0 << 3 << QList<int>{2, 5} << false << QList<int>{0, 0, 1};
    QTest::newRow("already there when armed")
        << 5 << 4 << QList<int>{1} << false << QList<int>{1, 1};
    QTest::newRow("header there, body comes")
        << 3 << 24 << QList<int>{20, 1} << false << QList<int>{0, 0, 1};
    QTest::newRow("never complete") << 0 << 10 << QList<int>{3, 3} << false << QList<int>{0, 0, 0};
    QTest::newRow("hang-up wakes too") << 0 << 10 << QList<int>{3} << true << QList<int>{0, 0, 1};
    QTest::newRow("disarmed") << 0 << 0 << QList<int>{5} << false << QList<int>{0, 0};
}

void MemoryWireTest::theWakeComesOnceTheArmedCountIsThere() {
    QFETCH(int, waiting);
    QFETCH(int, count);
    QFETCH(QList<int>, chunks);
    QFETCH(bool, hangUp);
    QFETCH(QList<int>, wakes);
    MemoryWire w;
    w.open(MemoryWire::Controller);
    w.open(MemoryWire::Host);
    int woken = 0;
    w.setWakeHook(MemoryWire::Host, [&woken] { ++woken; });
    write(w, MemoryWire::Controller, QByteArray(waiting, 'w'));
    QList<int> seen;
    w.armWake(MemoryWire::Host, count);
    seen << woken;
    for (int n : chunks) {
        write(w, MemoryWire::Controller, QByteArray(n, 'c'));
        seen << woken;
    }
    if (hangUp) {
        w.close(MemoryWire::Controller);
        seen << woken;
    }
    QCOMPARE(seen, wakes);
}

void MemoryWireTest::aWaitEndsWithInputTimeOrInterrupt() {
    using Wake = MemoryWire::Wake;
    MemoryWire w;
    w.open(MemoryWire::Controller);
    w.open(MemoryWire::Host);
    const auto soon = [] { return MemoryWire::Clock::now() + std::chrono::milliseconds(5); };
    QCOMPARE(w.wait(MemoryWire::Controller, true, soon()), Wake::Time);
    write(w, MemoryWire::Host, "x");
    QCOMPARE(w.wait(MemoryWire::Controller, true, soon()), Wake::Input);
    // A pause is not ended by bytes.
    QCOMPARE(w.wait(MemoryWire::Controller, false, soon()), Wake::Time);
    // An interrupt stays until the end is opened again, even for unbounded waits.
    w.interrupt(MemoryWire::Controller);
    QCOMPARE(w.wait(MemoryWire::Controller, true, MemoryWire::Clock::time_point::max()),
             Wake::Interrupted);
    QCOMPARE(w.wait(MemoryWire::Controller, false, soon()), Wake::Interrupted);
    w.open(MemoryWire::Controller);
    QCOMPARE(w.wait(MemoryWire::Controller, false, soon()), Wake::Time);
}

QTEST_GUILESS_MAIN(MemoryWireTest)
#include "tst_memorywire.moc"
