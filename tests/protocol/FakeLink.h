#pragma once

#include "SerialLink.h"

#include <QByteArray>
#include <QList>
#include <QVector>
#include <deque>
#include <functional>

// An in-memory serial link on a virtual clock. Bytes can be queued at once, scheduled for a
// virtual time, or produced by a responder when a request is written. While installed, the
// EventPump sleep hook advances the clock instead of sleeping, so the fixed waits cost nothing
// and a test can place an answer before or after any of them.
class FakeLink : public SerialLink {
public:
    using Responder = std::function<QByteArray(const QByteArray& request)>;

    FakeLink();
    ~FakeLink() override;

    // SerialLink.
    bool SerialConnected() override { return connected; }
    int SerialInQueCount() override;
    int SerialRead(std::uint8_t* buffer, int count) override;
    int SerialWrite(const std::uint8_t* buffer, int count) override;
    int ByteTimeUs() override { return byteTimeUs; }

    // Bytes waiting now.
    void deliver(const QByteArray& bytes);
    // Bytes arriving when the virtual clock reaches `atMs` (absolute).
    void deliverAt(int atMs, const QByteArray& bytes);
    // Room for `count` deliveries scheduled ahead (a fuzz input schedules dozens).
    void reserveScheduled(int count) { scheduled.reserve(count); }
    // Moves the virtual clock, delivering what falls due.
    void advance(int ms);

    int now() const { return nowMs; }
    // Waits pass over the looks before the next scheduled arrival in one sleep (same results,
    // no events processed in between): for harnesses that wait a great deal.
    void skipQuietLooks(bool on);
    int waiting() const { return static_cast<int>(input.size()); }

    // Answers each written request after `replyDelayMs` of virtual time (empty: no answer).
    Responder responder;
    int replyDelayMs = 2;
    // What the link says a byte takes on the line (0: it cannot tell).
    int byteTimeUs = 0;

    // Faults.
    bool connected = true;
    bool writeFails = false; // SerialWrite returns 0 and loses the frame
    int readLimit = -1;      // >= 0: SerialRead returns at most this many bytes

    // What happened.
    QList<QByteArray> writes;
    QVector<int> sleeps;    // each sleep of a wait, while keepSleeps
    bool keepSleeps = true; // harnesses that never look at them save the time
    int bytesRead = 0;

private:
    struct Pending {
        int atMs;
        QByteArray bytes;
    };
    std::deque<std::uint8_t> input;
    QList<Pending> scheduled; // by arrival time
    int nowMs = 0;

    static void sleepHook(int ms);
    static int quietHook();
    static FakeLink* installed;
};

// A response frame with its checksum (0x55, LEN, CMD, data..., CHK) where the body length is
// what the data says: for an odd CMD pass LEN one less than the data count.
QByteArray responseFrame(int len, int cmd, const QByteArray& data);
// Bytes from a hexadecimal text such as "55 00 50 5B".
QByteArray hexBytes(const char* text);
