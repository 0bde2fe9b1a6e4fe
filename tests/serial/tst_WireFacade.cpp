// The port facade on an in-memory wire: a port of its own kind, its menu entry, hang-up and
// reconnection, and waits woken by the wire itself. The test plays the controller's end.
#include "EventPump.h"
#include "MemoryWire.h"
#include "TMySerial.h"

#include <QAction>
#include <QMenu>
#include <QtTest>

#include <memory>
#include <thread>

namespace {

void noSleep(int) {}

int writeFar(MemoryWire& wire, const QByteArray& bytes) {
    return wire.write(MemoryWire::Controller, bytes.constData(), int(bytes.size()));
}

QByteArray readHost(TMySerial& serial, int count) {
    QByteArray out(count, '\0');
    const int n = serial.SerialRead(reinterpret_cast<std::uint8_t*>(out.data()), count);
    out.resize(std::max(n, 0));
    return out;
}

// Counts the calls posted to an object: the wire's wake arrives as one.
class PostedCalls : public QObject {
public:
    explicit PostedCalls(QObject* watched) { watched->installEventFilter(this); }
    int count = 0;

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::MetaCall) {
            ++count;
        }
        return false;
    }
};

} // namespace

class WireFacadeTest : public QObject {
    Q_OBJECT
private:
    std::shared_ptr<MemoryWire> wire;
    QStringList shown;

    void attach(TMySerial& serial) {
        serial.SetOpenErrorPresenter(
            [this](const QString& text, const QString&) { shown << text; });
    }

private slots:
    void init() {
        EventPump::setSleepHook(noSleep); // the open's pause takes no time
        wire = std::make_shared<MemoryWire>();
        wire->open(MemoryWire::Controller);
        shown.clear();
    }

    void theWireIsAPortOfItsOwnForThisRunOnly() {
        TMySerial serial;
        attach(serial);
        QVERIFY(serial.SerialOpenWire(wire, QStringLiteral("Demo"), 9600));
        QVERIFY(serial.SerialConnected());
        QCOMPARE(serial.PortNumber(), 2048);
        QVERIFY(serial.PortIsSessionOnly());
        QCOMPARE(serial.DeviceName(), QStringLiteral("Demo"));
        QCOMPARE(serial.ByteTimeUs(), 1041);

        const QByteArray request = QByteArray::fromHex("55005005");
        QCOMPARE(serial.SerialWrite(reinterpret_cast<const std::uint8_t*>(request.constData()), 4),
                 4);
        QByteArray got(4, '\0');
        QCOMPARE(wire->read(MemoryWire::Controller, got.data(), 4), 4);
        QCOMPARE(got, request);
        writeFar(*wire, QByteArray::fromHex("550151aa"));
        QCOMPARE(serial.SerialInQueCount(), 4);
        QCOMPARE(readHost(serial, 2), QByteArray::fromHex("5501"));
        QCOMPARE(serial.SerialPurgeRx(), 1);
        QCOMPARE(serial.SerialInQueCount(), 0);

        // The Port menu lists it after the ports, under its name, checked.
        QMenu menu;
        menu.addAction(QStringLiteral("toggle"));
        menu.addSeparator();
        serial.SerialMenuList(&menu);
        QAction* entry = menu.actions().last();
        QCOMPARE(entry->text(), QStringLiteral("Demo"));
        QVERIFY(entry->isChecked());
        QCOMPARE(menu.actions().first()->text(), serial.DisconnectCaption());

        serial.SerialClose();
        QVERIFY(!serial.SerialConnected());
        QCOMPARE(serial.SerialInQueCount(), -1);
        QCOMPARE(serial.SerialWrite(reinterpret_cast<const std::uint8_t*>(request.constData()), 4),
                 -1);
        QVERIFY(!wire->isOpen(MemoryWire::Host));
        // Picked from the menu again, it opens again.
        serial.SerialMenuList(&menu);
        menu.actions().last()->trigger();
        QVERIFY(serial.SerialConnected());
        QVERIFY(shown.isEmpty());
    }

    void withoutAControllerTheOpenFailsByName() {
        wire->close(MemoryWire::Controller);
        TMySerial serial;
        attach(serial);
        QVERIFY(!serial.SerialOpenWire(wire, QStringLiteral("Demo"), 9600));
        QCOMPARE(shown, QStringList{serial.OpenErrorText() + QStringLiteral("Demo")});
        QVERIFY(!serial.SerialWaitingForDevice()); // never opened: nothing to wait for
    }

    void aControllerThatWentAwayIsWaitedForAndReopened() {
        TMySerial serial;
        attach(serial);
        QVERIFY(serial.SerialOpenWire(wire, QStringLiteral("Demo"), 9600));
        const std::uint32_t opened = serial.SerialOpenCount();
        wire->close(MemoryWire::Controller); // the simulator hung up or stopped
        QVERIFY(!serial.SerialConnected());
        std::uint8_t byte = 0x55;
        QCOMPARE(serial.SerialWrite(&byte, 1), -1);
        QVERIFY(serial.SerialWaitingForDevice());
        QVERIFY(!serial.SerialReconnect());
        QVERIFY(serial.SerialWaitingForDevice());
        wire->open(MemoryWire::Controller); // started again
        QVERIFY(serial.SerialReconnect());
        QVERIFY(serial.SerialConnected());
        QCOMPARE(serial.SerialOpenCount(), opened + 1);
        QVERIFY(!serial.SerialWaitingForDevice());
        QVERIFY(shown.isEmpty()); // quietly
    }

    // A wait for an answer sleeps in the event loop until the wire says the whole answer is
    // there: one posted call ends it, whatever the system's timers do meanwhile.
    void aWaitIsWokenByTheWireItself_data() {
        QTest::addColumn<int>("count");
        QTest::addColumn<QList<int>>("pieces"); // written by the controller, -1: it hangs up
        QTest::addColumn<bool>("found");
        QTest::addColumn<int>("wakes");
        QTest::newRow("whole answer") << 4 << QList<int>{4} << true << 1;
        QTest::newRow("header, then the body") << 24 << QList<int>{3, 21} << true << 1;
        QTest::newRow("byte by byte") << 5 << QList<int>{1, 1, 1, 1, 1} << true << 1;
        QTest::newRow("short answer") << 10 << QList<int>{3} << false << 0;
        QTest::newRow("controller hangs up") << 10 << QList<int>{2, -1} << false << 1;
    }
    void aWaitIsWokenByTheWireItself() {
        QFETCH(int, count);
        QFETCH(QList<int>, pieces);
        QFETCH(bool, found);
        QFETCH(int, wakes);
        TMySerial serial;
        attach(serial);
        QVERIFY(serial.SerialOpenWire(wire, QStringLiteral("Demo"), 9600));
        QCOMPARE(serial.ArmInputWake(count), -1); // no descriptor: the wire posts instead
        serial.DisarmInputWake();
        PostedCalls posted(&serial);
        std::thread controller([this, pieces] {
            for (int n : pieces) {
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
                if (n < 0) {
                    wire->close(MemoryWire::Controller);
                } else {
                    writeFar(*wire, QByteArray(n, 'x'));
                }
            }
        });
        EventPump::setSleepHook(nullptr); // real time: the wait sleeps in the event loop
        const bool got = EventPump::waitForBytes(serial, count, found ? 5000 : 100);
        controller.join();
        QCoreApplication::sendPostedEvents(&serial, QEvent::MetaCall);
        QCOMPARE(got, found);
#ifdef Q_OS_WIN
        // Windows' waits look in steps and never arm the wire: only a hang-up still posts.
        QVERIFY(posted.count <= wakes);
#else
        QCOMPARE(posted.count, wakes);
#endif
        if (found) {
            QCOMPARE(readHost(serial, count).size(), count);
        }
    }
};

QTEST_MAIN(WireFacadeTest)
#include "tst_WireFacade.moc"
