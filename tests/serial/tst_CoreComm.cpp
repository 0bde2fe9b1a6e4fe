// The COM-port component over a real pseudo-terminal.
#include "PtyPair.h"
#include "TMyComm.h"

#include <QTemporaryFile>
#include <QtTest>

#include <atomic>
#include <chrono>
#include <poll.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <thread>
#include <vector>

namespace {

QByteArray bytes(std::initializer_list<int> values) {
    QByteArray out;
    for (int v : values) {
        out.append(static_cast<char>(v));
    }
    return out;
}

// Waits, without running the event loop, until the event thread has posted more events.
bool waitForPostedEvents(const TCoreComm& comm, std::uint64_t above) {
    for (int i = 0; i < 2000 && comm.EventsPosted() <= above; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return comm.EventsPosted() > above;
}

} // namespace

Q_DECLARE_METATYPE(TCoreComm::ErrorCounts)

class CoreCommTest : public QObject {
    Q_OBJECT
private slots:
    void newComponentHasPublishedDefaults() {
        TMyComm comm;
        QVERIFY(!comm.Enabled());
        QCOMPARE(comm.BaudRate(), br9600);
        QCOMPARE(comm.DataBits(), da8);
        QCOMPARE(comm.StopBits(), sb10);
        QCOMPARE(comm.Parity(), paNone);
        QCOMPARE(comm.FlowControl(), fcDefault);
        QCOMPARE(comm.ReadBufSize(), std::uint16_t(4096));
        QCOMPARE(comm.WriteBufSize(), std::uint16_t(2048));
        QCOMPARE(comm.DeviceName(), QString("Com2"));
        QCOMPARE(comm.MonitorEvents(), TCommEventTypes(0x1FF));
        QCOMPARE(int(comm.EventChars().XOnChar()), 0x11);
        QCOMPARE(int(comm.EventChars().XOffChar()), 0x13);
        // A choice made before the port opens is kept for it.
        comm.SetFlowControl(fcSoftware);
        QCOMPARE(comm.FlowControl(), fcSoftware);
    }

    void closedComponentAnswersMinusOneAndRaisesPortNotOpen() {
        TMyComm comm;
        std::uint8_t buffer[4] = {};
        QCOMPARE(comm.Read(buffer, 4), -1);
        QCOMPARE(comm.Write(buffer, 4), -1);
        QCOMPARE(comm.InQueCount(), -1);
        QCOMPARE(comm.OutQueCount(), -1);
        QVERIFY(!comm.GetModemState(1));
        QVERIFY(!comm.GetComState(1));
        try {
            comm.EscapeComm(SETDTR);
            QFAIL("EscapeComm on a closed port must raise");
        } catch (const ECommError& e) {
            QCOMPARE(QString(e.what()), QString("Port not open (Error: -1)"));
            QCOMPARE(e.Code(), -1);
        }
    }

    void openThatCannotSucceedLeavesPortClosedWithoutRaising_data() {
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("expectedErrno");
        QTest::newRow("missing path") << 0 << ENOENT;
        QTest::newRow("regular file") << 1 << ENOTTY;
        QTest::newRow("character device that is no tty") << 2 << ENOTTY;
        QTest::newRow("empty name") << 3 << ENOENT;
    }
    void openThatCannotSucceedLeavesPortClosedWithoutRaising() {
        QFETCH(int, kind);
        QFETCH(int, expectedErrno);
        QTemporaryFile file;
        QVERIFY(file.open());
        const QString paths[] = {"/dev/orvex-no-such-port", file.fileName(), "/dev/null", ""};
        TMyComm comm;
        comm.SetDeviceName(paths[kind]);
        comm.Open();
        QVERIFY(!comm.Enabled());
        QCOMPARE(comm.LastOpenError(), expectedErrno);
        QCOMPARE(comm.Handle(), -1);
    }

    void openedPortCarriesBytesBothWays() {
        PtyPair pty;
        QVERIFY(pty.ok());
        TMyComm comm;
        comm.SetDeviceName(pty.slavePath);
        comm.Open();
        QVERIFY(comm.Enabled());

        const QByteArray request = bytes({0x55, 0x00, 0x50, 0x5B});
        QCOMPARE(comm.Write(reinterpret_cast<const std::uint8_t*>(request.constData()), 4), 4);
        QCOMPARE(pty.receive(), request);

        // Bytes the controller sends arrive unchanged: no CR/LF mapping, no echo, 0x11/0x13 pass.
        const QByteArray answer = bytes({0x55, 0x0D, 0x0A, 0x11, 0x13, 0x00, 0xFF});
        pty.send(answer);
        QTRY_COMPARE(comm.InQueCount(), answer.size());
        std::uint8_t buffer[16] = {};
        QCOMPARE(comm.Read(buffer, 16), answer.size());
        QCOMPARE(QByteArray(reinterpret_cast<char*>(buffer), answer.size()), answer);
        QVERIFY(pty.receive(50).isEmpty());
    }

    void readReturnsQueuedBytesAtOnceAndWaitsForTheCountOtherwise() {
        PtyPair pty;
        TMyComm comm;
        comm.SetDeviceName(pty.slavePath);
        comm.Open();
        QVERIFY(comm.Enabled());
        std::uint8_t buffer[10] = {};
        QCOMPARE(comm.Read(buffer, 0), 0);

        pty.send(bytes({1, 2, 3, 4}));
        QTRY_COMPARE(comm.InQueCount(), 4);
        QCOMPARE(comm.Read(buffer, 10), 4);

        // Nothing queued: the read keeps collecting until the count or the second is up, so two
        // separate bursts within the second come back together.
        std::thread far([&pty] {
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
            pty.send(bytes({5, 6, 7, 8}));
            std::this_thread::sleep_for(std::chrono::milliseconds(200));
            pty.send(bytes({9, 10, 11}));
        });
        const int got = comm.Read(buffer, 10);
        far.join();
        QCOMPARE(got, 7);
        QCOMPARE(int(buffer[6]), 11);

        // Silence: the read gives up with nothing.
        QCOMPARE(comm.Read(buffer, 10), 0);
    }

    void queueCountsAndPurgesFollowTheLine() {
        PtyPair pty;
        TMyComm comm;
        comm.SetDeviceName(pty.slavePath);
        comm.Open();
        pty.send(QByteArray(40, 'x'));
        QTRY_COMPARE(comm.InQueCount(), 40);
        comm.PurgeIn();
        QCOMPARE(comm.InQueCount(), 0);
        QCOMPARE(comm.OutQueCount(), 0);
    }

    // An armed handle turns readable only with the whole count there (the line counts up to 255
    // bytes); disarmed, with any byte; reads take what is there either way.
    void anArmedHandleTurnsReadableWithTheWholeCount_data() {
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("sent");
        QTest::addColumn<bool>("readable");
        QTest::newRow("header, one byte short") << 4 << 3 << false;
        QTest::newRow("header complete") << 4 << 4 << true;
        QTest::newRow("map body, short") << 247 << 246 << false;
        QTest::newRow("map body complete") << 247 << 247 << true;
        QTest::newRow("largest body: woken at 255") << 257 << 255 << true;
        QTest::newRow("largest body, 254 there") << 257 << 254 << false;
    }
    void anArmedHandleTurnsReadableWithTheWholeCount() {
        QFETCH(int, count);
        QFETCH(int, sent);
        QFETCH(bool, readable);
        PtyPair pty;
        TMyComm comm;
        comm.SetDeviceName(pty.slavePath);
        comm.Open();
        const auto readableNow = [&comm] {
            pollfd pfd{comm.Handle(), POLLIN, 0};
            return ::poll(&pfd, 1, 0) > 0 && (pfd.revents & POLLIN) != 0;
        };
        const int fd = comm.ArmInputWake(count);
        QCOMPARE(fd, comm.Handle());
        pty.send(QByteArray(sent, 'x'));
        QTRY_COMPARE(comm.InQueCount(), sent);
        QCOMPARE(readableNow(), readable);
        comm.DisarmInputWake();
        QVERIFY(readableNow());
        std::vector<std::uint8_t> buffer(static_cast<std::size_t>(sent));
        QCOMPARE(comm.Read(buffer.data(), static_cast<std::uint32_t>(sent)), sent);
        termios tio{};
        QCOMPARE(tcgetattr(comm.Handle(), &tio), 0);
        QCOMPARE(int(tio.c_cc[VMIN]), 1);
        comm.Close();
        QCOMPARE(comm.ArmInputWake(count), -1);
    }

    void secondOpenIsRefusedAndThePortStaysOpen() {
        PtyPair pty;
        TMyComm comm;
        comm.SetDeviceName(pty.slavePath);
        comm.Open();
        QVERIFY(comm.Enabled());
        try {
            comm.Open();
            QFAIL("a second Open must raise");
        } catch (const ECommError& e) {
            QCOMPARE(QString(e.what()), QString("Port already assigned (open) (Error: -1)"));
        }
        QVERIFY(comm.Enabled());
        comm.SetDeviceName("/dev/other");
        QCOMPARE(comm.DeviceName(), pty.slavePath);
    }

    void portIsOpenedForExclusiveUse() {
        PtyPair pty;
        TMyComm first;
        first.SetDeviceName(pty.slavePath);
        first.Open();
        QVERIFY(first.Enabled());
        int exclusive = 0;
        QCOMPARE(ioctl(first.Handle(), TIOCGEXCL, &exclusive), 0);
        QVERIFY(exclusive != 0);

        TMyComm second;
        second.SetDeviceName(pty.slavePath);
        second.Open();
        QVERIFY(!second.Enabled());
        QCOMPARE(second.LastOpenError(), EBUSY);

        first.Close();
        second.Open();
        QVERIFY(second.Enabled());
    }

    void lineSettingsAreWrittenWhenTheyChange_data() {
        QTest::addColumn<int>("parity");
        QTest::addColumn<int>("dcbParity");
        QTest::newRow("odd") << int(paOdd) << 1;
        QTest::newRow("even") << int(paEven) << 2;
        QTest::newRow("space") << int(paSpace) << 4;
        QTest::newRow("none") << int(paNone) << 0;
    }
    void lineSettingsAreWrittenWhenTheyChange() {
        QFETCH(int, parity);
        QFETCH(int, dcbParity);
        PtyPair pty;
        TMyComm comm;
        comm.SetDeviceName(pty.slavePath);
        comm.Open();
        QVERIFY(comm.Enabled());
        comm.SetParity(paMark); // a change away first, so the value under test is a change too
        comm.SetParity(static_cast<TParity>(parity));
        QCOMPARE(int(comm.DCB().Parity), dcbParity);

        comm.SetBaudRate(br19200);
        QCOMPARE(comm.DCB().BaudRate, 19200u);
        termios tio{};
        QCOMPARE(tcgetattr(comm.Handle(), &tio), 0);
        QCOMPARE(cfgetospeed(&tio), speed_t(B19200));
        // (A pseudo-terminal keeps 8 bits without parity whatever is asked: not checked here.)
        QCOMPARE(tio.c_cflag & CSIZE, tcflag_t(CS8));
        QCOMPARE(tio.c_lflag & (ICANON | ECHO), tcflag_t(0));
    }

    void rateWithoutTermiosConstantStillOpensAndIsRecorded() {
        PtyPair pty;
        TMyComm comm;
        comm.SetBaudRate(br14400);
        comm.SetDeviceName(pty.slavePath);
        comm.Open();
        QVERIFY(comm.Enabled());
        QCOMPARE(comm.DCB().BaudRate, 14400u);
        QCOMPARE(comm.CommTimeouts().ReadTotalTimeoutConstant, 1000u);
        QCOMPARE(comm.CommTimeouts().WriteTotalTimeoutMultiplier, 19200u / 7);
    }

    void fourBitCharactersAreRefusedWithTheControlBlockMessage() {
        PtyPair pty;
        TMyComm comm;
        comm.SetDeviceName(pty.slavePath);
        comm.Open();
        try {
            comm.SetDataBits(da4);
            QFAIL("4 data bits cannot be set");
        } catch (const ECommError& e) {
            QCOMPARE(QString(e.what()),
                     QString("Error updating DataControlBlock (Error: %1)").arg(EINVAL));
        }
        QVERIFY(comm.Enabled());
    }

    // The driver's counters only grow; OnError must get the errors since the last look, not
    // every error the line ever had. Counters: frame, overrun, parity, buffer overrun, break.
    void lineErrorsAreThoseSinceTheLastLook_data() {
        QTest::addColumn<TCoreComm::ErrorCounts>("before");
        QTest::addColumn<TCoreComm::ErrorCounts>("now");
        QTest::addColumn<int>("bits");
        using C = TCoreComm::ErrorCounts;
        QTest::newRow("old errors, nothing new") << C{3, 1, 2, 1, 4} << C{3, 1, 2, 1, 4} << 0;
        QTest::newRow("a framing error") << C{3, 0, 0, 0, 0} << C{4, 0, 0, 0, 0} << 0x08;
        QTest::newRow("an overrun") << C{0, 5, 0, 0, 0} << C{0, 6, 0, 0, 0} << 0x02;
        QTest::newRow("a parity error") << C{0, 0, 0, 0, 0} << C{0, 0, 1, 0, 0} << 0x04;
        QTest::newRow("input buffer overrun") << C{0, 0, 0, 7, 0} << C{0, 0, 0, 9, 0} << 0x01;
        QTest::newRow("a break") << C{0, 0, 0, 0, 0} << C{0, 0, 0, 0, 1} << 0x10;
        QTest::newRow("several at once") << C{1, 1, 1, 1, 1} << C{2, 1, 2, 1, 1} << 0x0C;
    }
    void lineErrorsAreThoseSinceTheLastLook() {
        QFETCH(TCoreComm::ErrorCounts, before);
        QFETCH(TCoreComm::ErrorCounts, now);
        QFETCH(int, bits);
        QCOMPARE(TCoreComm::ErrorBitsSince(before, now), bits);
    }

    void modemLinesOnAPseudoTerminalFailWithTheEscapeMessage() {
        PtyPair pty;
        TMyComm comm;
        comm.SetDeviceName(pty.slavePath);
        comm.Open();
        try {
            comm.SetDTRState(true);
            QFAIL("a pseudo-terminal has no DTR line");
        } catch (const ECommError& e) {
            QCOMPARE(QString(e.what()),
                     QString("EscapeCommFunction failure (Error: %1)").arg(ENOTTY));
        }
        QVERIFY(!comm.GetModemState(1));
        QVERIFY(!comm.GetModemState(7));
    }

    void receivedBytesReachTheHandlerOnTheMainThread() {
        PtyPair pty;
        TMyComm comm;
        std::atomic<int> calls{0};
        std::uint32_t reported = 0;
        bool onMainThread = false;
        comm.OnRxChar = [&](TCoreComm* sender, std::uint32_t count) {
            QCOMPARE(sender, &comm);
            onMainThread = QThread::currentThread() == qApp->thread();
            reported = count;
            ++calls;
        };
        comm.SetDeviceName(pty.slavePath);
        comm.Open();
        pty.send(bytes({0x55, 0x00, 0x50}));
        QTRY_VERIFY(calls > 0);
        QVERIFY(onMainThread);
        QTRY_COMPARE(reported, 3u);
        // Once the bytes are read the thread sleeps until the next ones: an empty line wakes it
        // no more.
        std::uint8_t buffer[3] = {};
        QCOMPARE(comm.Read(buffer, 3), 3);
        QTest::qWait(100);
        const auto wakes = comm.EventThreadWakes();
        QTest::qWait(200);
        QVERIFY2(comm.EventThreadWakes() - wakes <= 1, "the event thread polls an empty line");
    }

    void drainedOutputIsReportedAfterAWrite() {
        PtyPair pty;
        TMyComm comm;
        int empty = 0;
        comm.OnTxEmpty = [&](TCoreComm*) { ++empty; };
        comm.SetDeviceName(pty.slavePath);
        comm.Open();
        const std::uint8_t request[] = {0x55, 0x00, 0x50, 0x5B};
        QCOMPARE(comm.Write(request, 4), 4);
        QTRY_COMPARE(empty, 1);
    }

    void lineCanBeReopenedWhileAnotherProgramKeepsItOpen() {
        PtyPair pty;
        const int keeper = ::open(pty.slavePath.toLocal8Bit().constData(), O_RDWR | O_NOCTTY);
        QVERIFY(keeper >= 0);
        TMyComm comm;
        comm.SetDeviceName(pty.slavePath);
        comm.Open();
        QVERIFY(comm.Enabled());
        comm.Close();
        int exclusive = 1;
        QCOMPARE(ioctl(keeper, TIOCGEXCL, &exclusive), 0);
        QCOMPARE(exclusive, 0); // our exclusive claim went with our close
        ::close(keeper);
    }

    void noHandlerRunsAfterCloseEvenWithEventsInFlight() {
        PtyPair pty;
        TMyComm comm;
        int calls = 0;
        comm.OnRxChar = [&](TCoreComm*, std::uint32_t) { ++calls; };
        comm.OnComStatEvent = [&](TCoreComm*, std::uint32_t, TComStat) { ++calls; };
        comm.SetDeviceName(pty.slavePath);
        comm.Open();
        const auto before = comm.EventsPosted();
        pty.send(bytes({1, 2, 3}));
        QVERIFY(waitForPostedEvents(comm, before)); // posted, not yet run: no event loop yet
        comm.Close();
        QVERIFY(!comm.Enabled());
        QTest::qWait(50); // let the posted events be delivered: they must be dropped
        QCOMPARE(calls, 0);
    }

    void destroyingThePortWithEventsInFlightIsSafe() {
        PtyPair pty;
        int calls = 0;
        {
            TMyComm comm;
            comm.OnRxChar = [&](TCoreComm*, std::uint32_t) { ++calls; };
            comm.SetDeviceName(pty.slavePath);
            comm.Open();
            const auto before = comm.EventsPosted();
            pty.send(bytes({1}));
            QVERIFY(waitForPostedEvents(comm, before));
        }
        QTest::qWait(50);
        QCOMPARE(calls, 0);
    }

    void farEndHangingUpIsReportedOnceAndDoesNotSpin() {
        PtyPair pty;
        TMyComm comm;
        int rlsd = 0;
        comm.OnRlsd = [&](TCoreComm*) { ++rlsd; };
        comm.SetDeviceName(pty.slavePath);
        comm.Open();
        QVERIFY(!comm.HungUp());
        pty.hangUp();
        QTRY_COMPARE(rlsd, 1);
        QVERIFY(comm.HungUp());
        QVERIFY(comm.Enabled()); // still open until closed, as the description of Enabled says

        std::uint8_t buffer[4] = {};
        QCOMPARE(comm.Read(buffer, 4), 0);
        QCOMPARE(comm.Write(buffer, 4), 0);
        const auto wakes = comm.EventThreadWakes();
        QTest::qWait(200);
        QVERIFY2(comm.EventThreadWakes() - wakes <= 1, "the event thread spins on a dead line");
        QCOMPARE(rlsd, 1);
        comm.Close();
        QVERIFY(!comm.Enabled());
    }

    void writesOnAStalledLineGiveUpInsteadOfHanging() {
        PtyPair pty; // nobody reads the master: the pty's buffer fills
        TMyComm comm;
        comm.SetDeviceName(pty.slavePath);
        comm.Open();
        QByteArray block(200 * 1024, 'z');
        const int sent = comm.Write(reinterpret_cast<const std::uint8_t*>(block.constData()),
                                    static_cast<std::uint32_t>(block.size()));
        QVERIFY(sent > 0);
        QVERIFY(sent < block.size());
    }
};

QTEST_MAIN(CoreCommTest)
#include "tst_CoreComm.moc"
