// The port facade on COM ports: return rules, opening, failure messages and the port menus.
#include "ComPortMap.h"
#include "EventPump.h"
#include "PtyPair.h"
#include "TMyComm.h"
#include "TMySerial.h"

#include <QAction>
#include <QActionGroup>
#include <QDir>
#include <QMenu>
#include <QRegularExpression>
#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>

#include <algorithm>
#include <vector>

#include <grp.h>
#include <sys/fsuid.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

namespace {

int sleptMs = 0;
void recordSleep(int ms) {
    sleptMs += ms;
}

void touch(const QString& path, const QByteArray& content = QByteArray()) {
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(content);
}

void mapPort(int number, const QString& path) {
    QSettings settings("Merka", "Durorude");
    settings.setValue(QString("Ports/COM%1").arg(number), path);
}

// The facade as the protocol sees it, counting how often a wait looks at the input queue.
class CountingLink : public SerialLink {
public:
    explicit CountingLink(TMySerial& serial) : serial_(serial) {}
    bool SerialConnected() override { return serial_.SerialConnected(); }
    int SerialInQueCount() override {
        ++looks;
        return serial_.SerialInQueCount();
    }
    int SerialRead(std::uint8_t* buffer, int count) override {
        return serial_.SerialRead(buffer, count);
    }
    int SerialWrite(const std::uint8_t* buffer, int count) override {
        return serial_.SerialWrite(buffer, count);
    }
    int ArmInputWake(int count) override { return serial_.ArmInputWake(count); }
    void DisarmInputWake() override { serial_.DisarmInputWake(); }
    int looks = 0;

private:
    TMySerial& serial_;
};

struct Shown {
    QStringList texts;
    QStringList captions;
};

QStringList portCaptions(QMenu& menu) {
    QStringList captions;
    const auto actions = menu.actions();
    for (int i = 2; i < actions.size(); ++i) {
        captions << actions[i]->text();
    }
    return captions;
}

} // namespace

class SerialFacadeTest : public QObject {
    Q_OBJECT
private:
    QTemporaryDir root;
    Shown shown;

    void capture(TMySerial& serial) {
        serial.SetOpenErrorPresenter([this](const QString& text, const QString& caption) {
            shown.texts << text;
            shown.captions << caption;
        });
    }

private slots:
    void initTestCase() {
        qputenv("ORVEX_D2XX_LIBRARY", "/nonexistent/libftd2xx.so");
        EventPump::setSleepHook(recordSleep);
    }

    void init() {
        QVERIFY(root.isValid());
        QDir(root.path()).removeRecursively();
        QDir().mkpath(root.path() + "/dev");
        ComPortMap::SetRoots(root.path() + "/dev", root.path() + "/sys");
        ComPortMap::ClearSessionDevices();
        QFile::remove(QSettings("Merka", "Durorude").fileName());
        shown = Shown();
        sleptMs = 0;
    }

    void nothingOpenGivesMinusOneNotZero() {
        TMySerial serial;
        std::uint8_t buffer[4] = {};
        QVERIFY(!serial.SerialConnected());
        QCOMPARE(serial.SerialRead(buffer, 4), -1);
        QCOMPARE(serial.SerialWrite(buffer, 4), -1);
        QCOMPARE(serial.SerialInQueCount(), -1);
        QCOMPARE(serial.SerialPurgeRx(), -1);
        QCOMPARE(serial.SerialPurgeTx(), -1);
    }

    void openFixesPortAndRateAndPausesHalfASecond_data() {
        QTest::addColumn<int>("port");
        QTest::addColumn<int>("baud");
        QTest::addColumn<int>("expectedPort");
        QTest::addColumn<unsigned>("expectedRate");
        QTest::newRow("port 0, rate -1") << 0 << -1 << 1 << 9600u;
        QTest::newRow("rate not in the table") << 3 << 12345 << 3 << 9600u;
        QTest::newRow("rate in the table") << 3 << 19200 << 3 << 19200u;
        QTest::newRow("first rate of the table") << 3 << 110 << 3 << 110u;
        QTest::newRow("last rate of the table") << 3 << 256000 << 3 << 256000u;
    }
    void openFixesPortAndRateAndPausesHalfASecond() {
        QFETCH(int, port);
        QFETCH(int, baud);
        QFETCH(int, expectedPort);
        QFETCH(unsigned, expectedRate);
        PtyPair pty;
        mapPort(expectedPort, pty.slavePath);
        TMySerial serial;
        capture(serial);
        QVERIFY(serial.SerialOpen(port, baud));
        QCOMPARE(serial.PortNumber(), expectedPort);
        QVERIFY(serial.SerialConnected());
        QCOMPARE(serial.Comm().DCB().BaudRate, expectedRate);
        QCOMPARE(int(serial.Comm().DCB().ByteSize), 8);
        QCOMPARE(int(serial.Comm().DCB().Parity), 0);
        QCOMPARE(int(serial.Comm().DCB().StopBits), 0);
        QCOMPARE(sleptMs, 500);
        QVERIFY(shown.texts.isEmpty());
    }

    void portThatCannotBeOpenedIsReportedAndStaysCurrent() {
        TMySerial serial;
        capture(serial);
        QVERIFY(!serial.SerialOpen(12, 9600));
        QCOMPARE(serial.PortNumber(), 12);
        QCOMPARE(shown.texts.size(), 1);
        QVERIFY2(shown.texts[0].startsWith(QString::fromUtf8("Nie można otworzyć portu : COM12")),
                 qPrintable(shown.texts[0]));
        QCOMPARE(shown.captions[0], QFileInfo(QCoreApplication::applicationFilePath()).fileName());
        QCOMPARE(shown.captions[0], QString("tst_SerialFacade"));
    }

    void busyPortIsExplainedAfterTheMessage() {
        PtyPair pty;
        mapPort(2, pty.slavePath);
        TMyComm other;
        other.SetDeviceName(pty.slavePath);
        other.Open();
        QVERIFY(other.Enabled());
        TMySerial serial;
        capture(serial);
        QVERIFY(!serial.SerialOpen(2, 9600));
        QCOMPARE(shown.texts.size(), 1);
        QVERIFY(shown.texts[0].startsWith(QString::fromUtf8("Nie można otworzyć portu : COM2\n")));
        QVERIFY2(shown.texts[0].contains("in use by another program"), qPrintable(shown.texts[0]));
    }

    void deviceGivenByItsPathIsNamedByIt() {
        PtyPair pty;
        TMyComm other;
        other.SetDeviceName(pty.slavePath);
        other.Open();
        QVERIFY(other.Enabled());
        TMySerial serial;
        capture(serial);
        QVERIFY(!serial.SerialOpenDevice(pty.slavePath, 9600));
        QCOMPARE(shown.texts.size(), 1);
        // The session's COM number was never the user's choice: the path is named instead.
        QVERIFY2(shown.texts[0].startsWith(QString::fromUtf8("Nie można otworzyć portu : ") +
                                           pty.slavePath + '\n'),
                 qPrintable(shown.texts[0]));
        QVERIFY(!shown.texts[0].contains("COM"));
        // The explanation comes in the texts the window gives.
        TMySerial::OpenErrorTexts polish;
        polish.busy = QString::fromUtf8("%1: port jest zajęty.");
        serial.SetOpenErrorTexts(polish);
        QVERIFY(!serial.SerialOpenDevice(pty.slavePath, 9600));
        QVERIFY2(shown.texts[1].endsWith(pty.slavePath + QString::fromUtf8(": port jest zajęty.")),
                 qPrintable(shown.texts[1]));
    }

    // Joining a group helps only when the device's group may use it and the user is not in it.
    void permissionDeniedNamesAGroupOnlyWhenJoiningItHelps_data() {
        QTest::addColumn<int>("mode");
        QTest::addColumn<bool>("advice");
        QTest::newRow("group may read and write") << 0660 << true;
        QTest::newRow("owner only") << 0600 << false;
        QTest::newRow("group may only read") << 0640 << false;
    }
    void permissionDeniedNamesAGroupOnlyWhenJoiningItHelps() {
        QFETCH(int, mode);
        QFETCH(bool, advice);
        if (geteuid() != 0) {
            QSKIP("needs root to give the device a group of its own and drop the access");
        }
        PtyPair pty;
        mapPort(4, pty.slavePath);
        const QByteArray device = pty.slavePath.toLocal8Bit();
        // A group this process is not in (the check is made with the real group list).
        gid_t foreign = 4242;
        while (getegid() == foreign || [&] {
            gid_t groups[256];
            const int n = getgroups(256, groups);
            return std::find(groups, groups + std::max(n, 0), foreign) != groups + std::max(n, 0);
        }()) {
            ++foreign;
        }
        QCOMPARE(chown(device.constData(), static_cast<uid_t>(-1), foreign), 0);
        QCOMPARE(chmod(device.constData(), static_cast<mode_t>(mode)), 0);
        TMySerial serial;
        capture(serial);
        // Root passes every permission check; drop it for the file checks of this thread.
        setfsuid(65534);
        const bool opened = serial.SerialOpen(4, 9600);
        setfsuid(0);
        QVERIFY(!opened);
        QCOMPARE(shown.texts.size(), 1);
        QVERIFY2(shown.texts[0].contains(pty.slavePath + ": permission denied."),
                 qPrintable(shown.texts[0]));
        QCOMPARE(shown.texts[0].contains("usermod"), advice);
        if (advice) {
            const struct group* g = getgrgid(foreign);
            const QString name =
                g != nullptr ? QString::fromLocal8Bit(g->gr_name) : QString::number(foreign);
            QVERIFY2(shown.texts[0].contains("\"" + name + "\""), qPrintable(shown.texts[0]));
        }
    }

    void bytesTravelBothWaysAndPurgeAnswersOne() {
        PtyPair pty;
        mapPort(1, pty.slavePath);
        TMySerial serial;
        QVERIFY(serial.SerialOpen(1, 9600));
        const std::uint8_t request[] = {0x55, 0x00, 0x50, 0x5B};
        // The facade watches for no port events: its callers look at the line themselves.
        QCOMPARE(serial.Comm().MonitorEvents(), TCommEventTypes(0));
        QCOMPARE(serial.SerialWrite(request, 0), 0); // nothing to send
        QCOMPARE(serial.SerialWrite(nullptr, 4), 0);
        QCOMPARE(serial.SerialWrite(request, 4), 4);
        QCOMPARE(pty.receive(), QByteArray("\x55\x00\x50\x5B", 4));

        pty.send(QByteArray("\x55\x02\x50\x01\x02\xAA", 6));
        QTRY_COMPARE(serial.SerialInQueCount(), 6);
        std::uint8_t buffer[8] = {};
        QCOMPARE(serial.SerialRead(buffer, serial.SerialInQueCount()), 6);
        QCOMPARE(int(buffer[5]), 0xAA);
        QCOMPARE(serial.SerialRead(buffer, -5), 0);
        pty.send("xyz");
        QTRY_COMPARE(serial.SerialInQueCount(), 3);
        QCOMPARE(serial.SerialPurgeRx(), 1);
        QCOMPARE(serial.SerialInQueCount(), 0);
        QCOMPARE(serial.SerialPurgeTx(), 1);
    }

    // A wait for bytes on a COM port sleeps until all of them are there or its bound has passed:
    // it looks at the line once at the start and then only when woken, by the line with the
    // whole count or by an event of the window (here: each piece the far end sends). The line
    // keeps the count for the next wait; reads still take every byte that is there.
    void aWaitForBytesSleepsUntilAllAreThere_data() {
        QTest::addColumn<QList<int>>("arrivals"); // ms after the wait begins, one per piece
        QTest::addColumn<QList<int>>("pieces");   // bytes in each piece; 0: the far end hangs up
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("bound");
        QTest::addColumn<bool>("found");
        QTest::addColumn<int>("maxLooks");
        QTest::newRow("header at once") << QList<int>{20} << QList<int>{4} << 4 << 200 << true << 2;
        QTest::newRow("header in three pieces")
            << QList<int>{5, 15, 30} << QList<int>{1, 2, 1} << 4 << 200 << true << 4;
        QTest::newRow("live body in two pieces")
            << QList<int>{5, 20} << QList<int>{10, 11} << 21 << 200 << true << 3;
        QTest::newRow("map body in one piece")
            << QList<int>{5} << QList<int>{244} << 244 << 600 << true << 2;
        QTest::newRow("one byte short at the bound")
            << QList<int>{5} << QList<int>{3} << 4 << 60 << false << 4;
        QTest::newRow("silence") << QList<int>{} << QList<int>{} << 4 << 40 << false << 3;
        // Beyond what the line counts, and a hung-up line that stays readable: looked at in
        // steps, never spinning.
        QTest::newRow("largest body")
            << QList<int>{5, 15} << QList<int>{255, 2} << 257 << 300 << true << 40;
        QTest::newRow("far end hangs up")
            << QList<int>{10} << QList<int>{0} << 4 << 60 << false << 40;
        // A handler closes the port while the wait sleeps on it (-1: close).
        QTest::newRow("port closed meanwhile")
            << QList<int>{10} << QList<int>{-1} << 4 << 60 << false << 40;
    }
    void aWaitForBytesSleepsUntilAllAreThere() {
        QFETCH(QList<int>, arrivals);
        QFETCH(QList<int>, pieces);
        QFETCH(int, count);
        QFETCH(int, bound);
        QFETCH(bool, found);
        QFETCH(int, maxLooks);
        PtyPair pty;
        mapPort(1, pty.slavePath);
        TMySerial serial;
        capture(serial);
        QVERIFY(serial.SerialOpen(1, 9600));
        CountingLink link(serial);
        QObject farEnd; // the arrivals end with the test
        for (int i = 0; i < arrivals.size(); ++i) {
            const int n = pieces[i];
            QTimer::singleShot(arrivals[i], Qt::PreciseTimer, &farEnd, [&pty, &serial, n] {
                if (n < 0) {
                    serial.SerialClose();
                } else {
                    n > 0 ? pty.send(QByteArray(n, 'x')) : pty.hangUp();
                }
            });
        }
        // Nothing watches a descriptor after it closed.
        QTest::failOnWarning(QRegularExpression(QStringLiteral("QSocketNotifier")));
        EventPump::setSleepHook(nullptr); // real time: the wait sleeps in the event loop
        int waited = -1;
        const bool got = EventPump::waitForBytes(link, count, bound, &waited);
        EventPump::setSleepHook(recordSleep);
        QCOMPARE(got, found);
        QVERIFY2(found ? waited < bound : waited >= bound, qPrintable(QString::number(waited)));
        QVERIFY2(link.looks <= maxLooks, qPrintable(QString::number(link.looks)));
        if (found) {
            std::vector<std::uint8_t> buffer(static_cast<std::size_t>(count));
            QCOMPARE(serial.SerialRead(buffer.data(), count), count);
        }
        if (serial.SerialConnected()) {
            termios tio{};
            QCOMPARE(tcgetattr(serial.Comm().Handle(), &tio), 0);
            QCOMPARE(int(tio.c_cc[VMIN]), std::min(count, 255));
        }
    }

    void farEndHangingUpReadsAsDisconnected() {
        PtyPair pty;
        mapPort(1, pty.slavePath);
        TMySerial serial;
        capture(serial);
        QVERIFY(serial.SerialOpen(1, 9600));
        pty.hangUp();
        QVERIFY(!serial.SerialConnected());
        std::uint8_t buffer[4] = {};
        QCOMPARE(serial.SerialRead(buffer, 4), -1);
        QCOMPARE(serial.SerialWrite(buffer, 4), -1);
        QCOMPARE(serial.SerialInQueCount(), -1);
        // The toggle then reconnects: the same number, whose device is gone now.
        serial.SerialOpposite();
        QCOMPARE(serial.PortNumber(), 1);
        QVERIFY(!serial.SerialConnected());
        QCOMPARE(shown.texts.size(), 1);
    }

    void oppositeClosesAnOpenPortAndReopensTheSameNumber() {
        PtyPair pty;
        mapPort(6, pty.slavePath);
        TMySerial serial;
        QVERIFY(serial.SerialOpen(6, 9600));
        serial.SerialOpposite();
        QVERIFY(!serial.SerialConnected());
        QCOMPARE(serial.PortNumber(), 6);
        serial.SerialOpposite();
        QVERIFY(serial.SerialConnected());
        QCOMPARE(serial.PortNumber(), 6);
    }

    void deviceGivenByPathOpensAsASessionOnlyComPort() {
        PtyPair pty;
        touch(root.path() + "/dev/ttyS0");
        TMySerial serial;
        QVERIFY(serial.SerialOpenDevice(pty.slavePath, 9600));
        QCOMPARE(serial.PortNumber(), 2);
        QVERIFY(serial.PortIsSessionOnly());
        const std::uint8_t request[] = {0x55, 0x00, 0x52, 0x59};
        QCOMPARE(serial.SerialWrite(request, 4), 4);
        QCOMPARE(pty.receive(), QByteArray("\x55\x00\x52\x59", 4));
        QVERIFY(!QSettings("Merka", "Durorude").contains("Ports/COM2"));
    }

    void portMenuListsPresentPortsWithTheCurrentOneChecked() {
        PtyPair pty;
        touch(root.path() + "/dev/ttyS0");
        touch(root.path() + "/dev/ttyS1");
        touch(root.path() + "/dev/ttyUSB0");
        touch(root.path() + "/sys/ttyS0/type", "4");
        touch(root.path() + "/sys/ttyS1/type", "0");
        mapPort(5, pty.slavePath);
        TMySerial serial;
        QMenu menu;
        QAction* toggle = menu.addAction(QString());
        menu.addSeparator();

        serial.SerialMenuList(&menu);
        QCOMPARE(toggle->text(), QString::fromUtf8("Połącz"));
        QVERIFY(menu.actions()[1]->isSeparator());
        QCOMPARE(portCaptions(menu), QStringList({"Com &1", "Com &3", "Com &5"}));
        const auto entries = menu.actions().mid(2);
        QCOMPARE(entries[2]->property("Tag").toInt(), 5);
        QCOMPARE(entries[1]->data().toInt(), 3);
        for (QAction* entry : entries) {
            QVERIFY(entry->isCheckable());
            QVERIFY(!entry->isChecked());
            QVERIFY(entry->actionGroup() != nullptr);
        }

        entries[2]->trigger(); // choosing an entry opens that port
        QCOMPARE(serial.PortNumber(), 5);
        QVERIFY(serial.SerialConnected());

        serial.SetDisconnectCaption("Disconnect");
        serial.SerialMenuList(&menu);
        serial.SerialMenuList(&menu); // reopening the menu does not duplicate entries
        QCOMPARE(menu.actions().size(), 5);
        QCOMPARE(toggle->text(), QString("Disconnect"));
        QStringList checked;
        for (QAction* entry : menu.actions().mid(2)) {
            if (entry->isChecked()) {
                checked << entry->text();
            }
        }
        QCOMPARE(checked, QStringList({"Com &5"}));
    }

    void popupMenuIsFilledTheSameWay() {
        touch(root.path() + "/dev/ttyUSB0");
        TMySerial serial;
        QMenu popup;
        QAction* toggle = popup.addAction("x");
        popup.addSeparator();
        serial.SetConnectCaption("CONNECT");
        serial.SerialPopupList(&popup);
        QCOMPARE(toggle->text(), QString("CONNECT"));
        QCOMPARE(portCaptions(popup), QStringList({"Com &1"}));

        QMenu empty; // no toggle, no separator: only the entries
        serial.InternalSerialList(nullptr, &empty);
        QCOMPARE(empty.actions().size(), 1);
    }
};

QTEST_MAIN(SerialFacadeTest)
#include "tst_SerialFacade.moc"
