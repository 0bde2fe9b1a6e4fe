#include "SimRig.h"

#include <QTest>

namespace {
struct BlockRequest {
    int status = -1;
    int keyWord = 0;
    int block = -1;
};

BlockRequest parseBlockRequest(const QByteArray& frame) {
    BlockRequest r;
    const QByteArray d = SimRig::data(frame);
    if (frame.size() != 10 || quint8(frame[2]) != 0x54 || d.size() != 6 || d[0] != 0x01 ||
        !SimTestClient::sumIsZero(frame))
        return r;
    r.status = quint8(d[1]);
    r.keyWord = quint8(d[2]) << 8 | quint8(d[3]);
    r.block = quint8(d[4]) << 8 | quint8(d[5]);
    return r;
}

enum class Tamper { None, Key, Checksum, Marker, Short };

QByteArray blockFrame(const QByteArray& image, int block, int keyWord, int baseBlocks,
                      Tamper tamper = Tamper::None) {
    QByteArray f = SimTestClient::blockFrame(image, block, keyWord, baseBlocks);
    f.chop(1);
    switch (tamper) {
    case Tamper::None:
    case Tamper::Checksum:
        break;
    case Tamper::Key:
        f[4] = char(quint8(f[4]) + 1);
        break;
    case Tamper::Marker:
        f[3] = char(0x02);
        break;
    case Tamper::Short:
        f.remove(20, 1);
        f[1] = char(0x12);
        break;
    }
    f.append(SimTestClient::checksumOf(f));
    if (tamper == Tamper::Checksum)
        f[f.size() - 1] = char(quint8(f[f.size() - 1]) ^ 0x40);
    return f;
}

QByteArray testImage() {
    QByteArray image(8832, 0);
    quint32 x = 12345;
    for (char& b : image) {
        x = x * 1103515245u + 12345u;
        b = char(x >> 16);
    }
    return image;
}

// Switch to the loader and read its identity, as the programming procedure does.
QByteArray enterLoader(SimRig& rig) {
    rig.client->send(QByteArray::fromHex("5502543333EF"));
    if (rig.client->exchange(QByteArray::fromHex("5500505B")) != QByteArray::fromHex("5500505B"))
        return {};
    return rig.client->exchange(QByteArray::fromHex("55005259"));
}
} // namespace

class SimLoaderTest : public QObject {
    Q_OBJECT
private slots:
    void loaderIdentityHasTenByteBodyAndConfiguredVersion();
    void fullTransferReproducesTheImageAndRestartsTheApplication_data();
    void fullTransferReproducesTheImageAndRestartsTheApplication();
    void damagedBlockFrameIsRequestedAgain_data();
    void damagedBlockFrameIsRequestedAgain();
    void startWithoutBlocksIsRefused();
    void transferOfTheLargestImageEndsOnABlockNumberThePcAccepts();
    void failedUpdateOrUnfinishedTransferStaysInTheLoader();
};

void SimLoaderTest::loaderIdentityHasTenByteBodyAndConfiguredVersion() {
    SimConfig c = SimRig::fast();
    c.startInLoader = true;
    c.loaderVersion = 105;
    c.loaderMarker = 2;
    c.loaderBase = 0x0123;
    c.model = SimModel::Vx02;
    c.replyCode = SimReplyCode::Odd; // the loader keeps even codes regardless
    SimRig rig(c);
    QVERIFY(rig.ok());
    const QByteArray id = rig.client->exchange(QByteArray::fromHex("55005259"));
    // Płytka, Model, Montaż, Zworki, version 1.05, LoaderBase 0x0123, unused, Znacznik 2.
    QCOMPARE(id.toHex(' '), QByteArray("55 09 52 08 02 60 60 69 01 23 00 02 f7"));
    QCOMPARE(rig.client->exchange(QByteArray::fromHex("5500505B")).toHex(), QByteArray("5500505b"));
    // Outside a transfer a damaged frame gets no answer, whatever it asks for.
    for (const char* damaged : {"5500505C", "5500525A", "550554000000000150"}) {
        const QByteArray answer = rig.ask(QByteArray::fromHex(damaged), 0);
        QVERIFY2(answer.isEmpty(), qPrintable(QByteArray(damaged) + ": " + answer.toHex(' ')));
    }
}

void SimLoaderTest::fullTransferReproducesTheImageAndRestartsTheApplication_data() {
    QTest::addColumn<int>("loaderBase");
    QTest::addColumn<int>("baseBlocks");
    QTest::addColumn<int>("imageId");        // named in the image's last bytes; 0: not named
    QTest::addColumn<QByteArray>("version"); // identity bytes 0, 1, 14, 15 after the restart
    // An image that names no id leaves the version the controller had (1.3.1.0).
    QTest::newRow("base 0x0100") << 0x0100 << 32 << 0 << QByteArray::fromHex("03010100");
    // 36 blocks: the key check then depends on the key word, not only on the block number.
    QTest::newRow("base 0x0123, image 13412")
        << 0x0123 << 36 << 13412 << QByteArray::fromHex("0301040c");
    QTest::newRow("base 0x0100, image 1331")
        << 0x0100 << 32 << 1331 << QByteArray::fromHex("03010301");
}

void SimLoaderTest::fullTransferReproducesTheImageAndRestartsTheApplication() {
    QFETCH(int, loaderBase);
    QFETCH(int, baseBlocks);
    QFETCH(int, imageId);
    QFETCH(QByteArray, version);
    SimConfig c = SimRig::fast();
    c.loaderBase = quint16(loaderBase);
    int callbacks = 0;
    QByteArray delivered;
    c.imageReceived = [&](const QByteArray& image) {
        ++callbacks;
        delivered = image;
    };
    SimRig rig(c);
    QVERIFY(rig.ok());
    const QByteArray id = SimRig::data(enterLoader(rig));
    QCOMPARE(id.size(), 9);
    QCOMPARE(quint8(id[4]), quint8(103));
    QCOMPARE(quint8(id[5]) << 8 | quint8(id[6]), loaderBase);
    QCOMPARE(2 * loaderBase / 16, baseBlocks);
    QByteArray image = testImage();
    if (imageId != 0) {
        image.replace(8824, 4, "ORVX");
        for (int i = 0; i < 4; ++i)
            image[8828 + i] = char(quint32(imageId) >> (24 - 8 * i));
    }
    const int count = image.size() / 16 + baseBlocks;

    BlockRequest req = parseBlockRequest(rig.client->exchange(
        SimTestClient::request(0x54, QByteArray(3, '\0') + char(count >> 8) + char(count & 0xFF))));
    int expected = 0;
    QSet<int> keyWords;
    while (req.status == 0x03) {
        QCOMPARE(req.block, expected); // increasing order, none skipped
        keyWords.insert(req.keyWord);
        req = parseBlockRequest(
            rig.client->exchange(blockFrame(image, req.block, req.keyWord, baseBlocks)));
        ++expected;
    }
    QCOMPARE(req.status, 0x07);
    QCOMPARE(expected, count);
    QVERIFY(keyWords.size() > count / 2); // a fresh key word with every request

    const QByteArray got = rig.sim.receivedImage();
    QCOMPARE(got.size(), count * 16);
    QVERIFY(got.left(8832) == image);
    QCOMPARE(got.mid(8832), QByteArray(count * 16 - 8832, 0));
    QCOMPARE(callbacks, 1);
    QCOMPARE(delivered, got);
    QCOMPARE(rig.sim.completedTransfers(), 1);
    // Until it is closed, the loader's identity carries marker 3 for a finished transfer.
    const QByteArray finished = SimRig::data(rig.client->exchange(QByteArray::fromHex("55005259")));
    QCOMPARE(finished.size(), 9);
    QCOMPARE(quint8(finished[8]), quint8(3));

    rig.client->send(QByteArray::fromHex("5502540202"
                                         "51"));
    const quint64 sent = 3 + 1 + quint64(count) + 1 + 1;
    QVERIFY(rig.sim.waitForRequests(sent, 2000));
    QVERIFY(!rig.sim.inLoader());
    const QByteArray identity = SimRig::data(rig.client->exchange(QByteArray::fromHex("55005259")));
    QCOMPARE(identity.size(), 99);
    QCOMPARE(identity.mid(0, 2) + identity.mid(14, 2), version);
    // Put into the loader again, it still tells of the last programming (marker 3), but a close
    // without a transfer of its own leaves it in charge: that transfer was not this one.
    rig.sim.enterLoader();
    const QByteArray again = SimRig::data(rig.client->exchange(QByteArray::fromHex("55005259")));
    QCOMPARE(again.size(), 9);
    QCOMPARE(quint8(again[8]), quint8(3));
    rig.client->send(QByteArray::fromHex("550254020251"));
    QVERIFY(rig.sim.waitForRequests(sent + 2 + 1, 2000));
    QVERIFY(rig.sim.inLoader());
}

void SimLoaderTest::damagedBlockFrameIsRequestedAgain_data() {
    QTest::addColumn<int>("tamper");
    QTest::newRow("key byte off by one") << int(Tamper::Key);
    QTest::newRow("checksum") << int(Tamper::Checksum);
    QTest::newRow("block marker not 01") << int(Tamper::Marker);
    QTest::newRow("one byte short") << int(Tamper::Short);
}

void SimLoaderTest::damagedBlockFrameIsRequestedAgain() {
    QFETCH(int, tamper);
    SimRig rig;
    QVERIFY(rig.ok());
    QVERIFY(!enterLoader(rig).isEmpty());
    const QByteArray image = testImage().left(64); // four blocks announced
    BlockRequest req = parseBlockRequest(rig.client->exchange(QByteArray::fromHex("55055400000000"
                                                                                  "04"
                                                                                  "4E")));
    QCOMPARE(req.block, 0);
    int refused = 0;
    while (req.status == 0x03) {
        const bool spoil = req.block == 2 && refused == 0;
        const BlockRequest next = parseBlockRequest(rig.client->exchange(
            blockFrame(image, req.block, req.keyWord, 32, spoil ? Tamper(tamper) : Tamper::None)));
        if (spoil) {
            ++refused;
            QCOMPARE(next.status, 0x03);
            QCOMPARE(next.block, 2); // the same block again
        }
        req = next;
    }
    QCOMPARE(req.status, 0x07);
    QCOMPARE(refused, 1);
    QCOMPARE(rig.sim.receivedImage().left(64), image);
}

void SimLoaderTest::startWithoutBlocksIsRefused() {
    SimRig rig;
    QVERIFY(rig.ok());
    QVERIFY(!enterLoader(rig).isEmpty());
    const BlockRequest zero =
        parseBlockRequest(rig.client->exchange(SimTestClient::request(0x54, QByteArray(5, 0))));
    QVERIFY(zero.status >= 0);
    QVERIFY((zero.status & 0x0F) != 3 && (zero.status & 0x0F) != 7);
    const BlockRequest tooMany = parseBlockRequest(
        rig.client->exchange(SimTestClient::request(0x54, QByteArray::fromHex("0000000401"))));
    QVERIFY((tooMany.status & 0x0F) != 3 && (tooMany.status & 0x0F) != 7);

    // One block is the smallest transfer: block 0 is asked for, then the end.
    const BlockRequest one = parseBlockRequest(
        rig.client->exchange(SimTestClient::request(0x54, QByteArray::fromHex("0000000001"))));
    QCOMPARE(one.status, 0x03);
    QCOMPARE(one.block, 0);
    const QByteArray image = testImage().left(16);
    const BlockRequest end =
        parseBlockRequest(rig.client->exchange(blockFrame(image, 0, one.keyWord, 32)));
    QCOMPARE(end.status, 0x07);
    QCOMPARE(end.block, 1);
    QCOMPARE(rig.sim.receivedImage(), image);
}

void SimLoaderTest::transferOfTheLargestImageEndsOnABlockNumberThePcAccepts() {
    SimRig rig;
    QVERIFY(rig.ok());
    QVERIFY(!enterLoader(rig).isEmpty());
    const QByteArray image = testImage().left(16); // the rest of the 1024 blocks are zeros
    BlockRequest req = parseBlockRequest(
        rig.client->exchange(SimTestClient::request(0x54, QByteArray::fromHex("0000000400"))));
    int served = 0;
    while (req.status == 0x03) {
        req =
            parseBlockRequest(rig.client->exchange(blockFrame(image, req.block, req.keyWord, 32)));
        ++served;
    }
    QCOMPARE(served, 1024);
    QCOMPARE(req.status, 0x07);
    // The PC judges a block number of 1024 or more a failure before it looks at the status.
    QVERIFY2(req.block >= 0 && req.block < 1024, qPrintable(QString::number(req.block)));
    QCOMPARE(rig.sim.completedTransfers(), 1);
}

void SimLoaderTest::failedUpdateOrUnfinishedTransferStaysInTheLoader() {
    SimConfig c = SimRig::fast();
    c.failUpdate = true;
    SimRig rig(c);
    QVERIFY(rig.ok());
    QVERIFY(!enterLoader(rig).isEmpty());
    const QByteArray image = testImage().left(16);
    BlockRequest req = parseBlockRequest(
        rig.client->exchange(SimTestClient::request(0x54, QByteArray::fromHex("0000000021"))));
    while (req.status == 0x03)
        req =
            parseBlockRequest(rig.client->exchange(blockFrame(image, req.block, req.keyWord, 32)));
    QCOMPARE(req.status, 0x07);
    rig.client->send(QByteArray::fromHex("550254020251"));
    QVERIFY(rig.sim.waitForRequests(4 + 33 + 1, 1000));
    QVERIFY(rig.sim.inLoader());
    const QByteArray id = SimRig::data(rig.client->exchange(QByteArray::fromHex("55005259")));
    QCOMPARE(id.size(), 9);
    QCOMPARE(quint8(id[8]), quint8(1)); // finished with an error

    // A transfer broken off half-way leaves the loader in charge too, whatever failUpdate says.
    rig.sim.setFailUpdate(false);
    req = parseBlockRequest(
        rig.client->exchange(SimTestClient::request(0x54, QByteArray::fromHex("0000000021"))));
    QCOMPARE(req.status, 0x03);
    rig.client->send(QByteArray::fromHex("550254020251"));
    QTRY_VERIFY(rig.sim.requestCount() >= 4 + 33 + 1 + 1 + 2);
    QVERIFY(rig.sim.inLoader());
    QCOMPARE(quint8(SimRig::data(rig.client->exchange(QByteArray::fromHex("55005259")))[8]),
             quint8(0)); // not finished
}

QTEST_GUILESS_MAIN(SimLoaderTest)
#include "tst_simloader.moc"
