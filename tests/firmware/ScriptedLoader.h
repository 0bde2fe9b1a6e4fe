#pragma once

#include <QByteArray>
#include <QList>

// A boot loader on FakeLink, answering from a script that each test bends: the listen answer,
// the identity, and block requests for blocks 0 .. count-1 with a status per block.
struct ScriptedLoader {
    QByteArray listenAnswer = QByteArray::fromHex("5500505B");
    int version = 103;
    int base = 0x0100;
    QByteArray identityBytes = QByteArray::fromHex("0801E0E0");
    bool identityAnswered = true;
    int silentFromBlock = -1;    // no request for this block and after
    int badChecksumAtBlock = -1; // the request for this block has a wrong checksum
    quint8 serveStatus = 0x03;
    quint8 endStatus = 0x07;
    int endBlock = -1;    // block number of the final request, -1: the count
    int faultsLeft = -1;  // how often the two block faults above hit; -1: every time
    int lateAtBlock = -1; // the first request for this block comes lateMs later than others
    int lateMs = 0;
    int replyDelayMs = 2; // the delay of the answer just made (a test hands it to the link)

    // What the PC sent.
    int announced = -1;
    QList<QByteArray> blockFrames;
    QList<int> keyWords; // the key word of the request each block frame answered
    bool closed = false;

    QByteArray answer(const QByteArray& request);
    static QByteArray frame(int cmd, const QByteArray& data);

private:
    QByteArray blockRequest(quint8 status, int block);
    int next_ = 0;
    quint16 key_ = 0x1234;
};
