#include "FakeLink.h"

#include "EventPump.h"

#include <algorithm>

FakeLink* FakeLink::installed = nullptr;

FakeLink::FakeLink() {
    installed = this;
    EventPump::setSleepHook(&FakeLink::sleepHook);
}

FakeLink::~FakeLink() {
    if (installed == this) {
        installed = nullptr;
        EventPump::setSleepHook(nullptr);
    }
}

void FakeLink::sleepHook(int ms) {
    if (installed != nullptr) {
        installed->sleeps.append(ms);
        installed->advance(ms);
    }
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
    scheduled.append(Pending{atMs, bytes});
}

void FakeLink::advance(int ms) {
    nowMs += ms;
    std::stable_sort(scheduled.begin(), scheduled.end(),
                     [](const Pending& a, const Pending& b) { return a.atMs < b.atMs; });
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
