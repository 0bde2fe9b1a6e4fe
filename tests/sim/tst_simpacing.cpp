#include "SimRig.h"

#include <QElapsedTimer>
#include <QTest>

#include <poll.h>
#include <unistd.h>

namespace {
struct Timed {
    QByteArray bytes;
    qint64 firstNs = -1; // since the request was written
    qint64 lastNs = -1;
};

// Sends a request and records when the first and the last of `expect` answer bytes arrived.
Timed timedExchange(SimTestClient& client, const QByteArray& request, int expect) {
    Timed t;
    QElapsedTimer clock;
    clock.start();
    client.send(request);
    while (t.bytes.size() < expect && clock.elapsed() < 3000) {
        pollfd p{client.fd(), POLLIN, 0};
        if (::poll(&p, 1, 50) <= 0)
            continue;
        char buf[256];
        const ssize_t n = ::read(client.fd(), buf, sizeof buf);
        if (n <= 0)
            continue;
        if (t.firstNs < 0)
            t.firstNs = clock.nsecsElapsed();
        t.lastNs = clock.nsecsElapsed();
        t.bytes.append(buf, int(n));
    }
    return t;
}

constexpr qint64 kMs = 1000000;
} // namespace

// Only lower bounds are checked: a busy machine can make the line slower, never faster.
class SimPacingTest : public QObject {
    Q_OBJECT
private slots:
    void answerBytesAreSpreadAtNinetySixHundredBitsPerSecond();
    void requestCountsAsReceivedOnlyWhenItsLastByteWouldHaveArrived();
};

void SimPacingTest::answerBytesAreSpreadAtNinetySixHundredBitsPerSecond() {
    SimConfig c;
    c.liveBody = 20; // 23-byte answer
    SimRig rig(c);
    QVERIFY(rig.ok());
    const Timed t = timedExchange(*rig.client, QByteArray::fromHex("5500505B"), 23);
    QCOMPARE(t.bytes.size(), 23);
    QVERIFY(SimTestClient::sumIsZero(t.bytes));
    // 4 request bytes (4.2 ms) and 2 ms latency before the first answer byte is through, and
    // 23 answer bytes at 1.04 ms each: about 24 ms for the answer, 30 ms in all.
    QVERIFY2(t.firstNs >= 6 * kMs, qPrintable(QString::number(t.firstNs / 1e6)));
    QVERIFY2(t.lastNs >= 30 * kMs, qPrintable(QString::number(t.lastNs / 1e6)));
    // Spread over the line, not bunched at the end (with room for a late first read here).
    QVERIFY2(t.lastNs - t.firstNs >= 15 * kMs,
             qPrintable(QString::number((t.lastNs - t.firstNs) / 1e6)));
}

void SimPacingTest::requestCountsAsReceivedOnlyWhenItsLastByteWouldHaveArrived() {
    SimConfig c;
    c.replyLatencyMs = 0;
    SimRig rig(c);
    QVERIFY(rig.ok());
    // The whole map in one write: 247 bytes take about 257 ms on the line.
    QByteArray write = QByteArray::fromHex("55F35CF00100") + QByteArray(240, 1);
    int sum = 0;
    for (char b : write)
        sum += quint8(b);
    write.append(char((256 - sum % 256) % 256));
    QCOMPARE(write.size(), 247);
    const Timed t = timedExchange(*rig.client, write, 247);
    QCOMPARE(t.bytes.size(), 247);
    QVERIFY2(t.firstNs >= 255 * kMs, qPrintable(QString::number(t.firstNs / 1e6)));
}

QTEST_GUILESS_MAIN(SimPacingTest)
#include "tst_simpacing.moc"
