#include "FakeLink.h"

#include "EventPump.h"

#include <algorithm>
#include <limits>

FakeLink* FakeLink::installed = nullptr;

FakeLink::FakeLink() {
    installed = this;
    EventPump::setSleepHook(&FakeLink::sleepHook);
    EventPump::setQuietHook(nullptr);
}

FakeLink::~FakeLink() {
    if (installed == this) {
        installed = nullptr;
        EventPump::setSleepHook(nullptr);
        EventPump::setQuietHook(nullptr);
    }
}

void FakeLink::sleepHook(int ms) {
    if (installed != nullptr) {
        if (installed->keepSleeps) {
            installed->sleeps.append(ms);
        }
        installed->advance(ms);
    }
}

int FakeLink::quietHook() {
    if (installed == nullptr || installed->scheduled.isEmpty()) {
        return std::numeric_limits<int>::max();
    }
    return installed->scheduled.first().atMs - installed->nowMs;
}

void FakeLink::skipQuietLooks(bool on) {
    EventPump::setQuietHook(on ? &FakeLink::quietHook : nullptr);
}

int FakeLink::SerialInQueCount() {
    if (!connected) {
        return -1;
    }
    return static_cast<int>(input.size());
}

int FakeLink::SerialRead(std::uint8_t* buffer, int count) {
    if (!connected) {
        return -1;
    }
    int n = std::min<int>(count, static_cast<int>(input.size()));
    if (readLimit >= 0) {
        n = std::min(n, readLimit);
    }
    for (int i = 0; i < n; ++i) {
        buffer[i] = input.front();
        input.pop_front();
    }
    bytesRead += n;
    return n;
}

int FakeLink::SerialWrite(const std::uint8_t* buffer, int count) {
    if (!connected) {
        return -1;
    }
    if (writeFails) {
        return 0;
    }
    const QByteArray request(reinterpret_cast<const char*>(buffer), count);
    writes.append(request);
    if (responder) {
        const QByteArray answer = responder(request);
        if (!answer.isEmpty()) {
            deliverAt(nowMs + replyDelayMs, answer);
        }
    }
    return count;
}

void FakeLink::deliver(const QByteArray& bytes) {
    for (char c : bytes) {
        input.push_back(static_cast<std::uint8_t>(c));
    }
}

void FakeLink::deliverAt(int atMs, const QByteArray& bytes) {
    if (atMs <= nowMs) {
        deliver(bytes);
        return;
    }
    // Kept in order of arrival time (bytes due at the same time in the order given), so that
    // moving the clock only looks at the front.
    auto at = std::upper_bound(scheduled.begin(), scheduled.end(), atMs,
                               [](int t, const Pending& p) { return t < p.atMs; });
    scheduled.insert(at, Pending{atMs, bytes});
}

void FakeLink::advance(int ms) {
    nowMs += ms;
    while (!scheduled.isEmpty() && scheduled.first().atMs <= nowMs) {
        deliver(scheduled.takeFirst().bytes);
    }
}

QByteArray responseFrame(int len, int cmd, const QByteArray& data) {
    QByteArray frame;
    frame.append(char(0x55));
    frame.append(char(len));
    frame.append(char(cmd));
    frame.append(data);
    int sum = 0;
    for (char c : frame) {
        sum += static_cast<std::uint8_t>(c);
    }
    frame.append(char((256 - sum % 256) % 256));
    return frame;
}

QByteArray hexBytes(const char* text) {
    return QByteArray::fromHex(QByteArray(text).replace(' ', ""));
}
