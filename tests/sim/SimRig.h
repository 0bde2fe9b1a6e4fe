#pragma once

#include "SimController.h"
#include "SimTestClient.h"

#include <memory>

// A simulator without pacing or latency and a client on its pty, torn down with the test.
struct SimRig {
    static SimConfig fast() {
        SimConfig c;
        c.pacing = false;
        c.replyLatencyMs = 0;
        c.flashWriteMs = 0;
        return c;
    }
    explicit SimRig(const SimConfig& c = fast()) : sim(c) {
        if (sim.start())
            client = std::make_unique<SimTestClient>(sim.slavePath());
    }
    bool ok() const { return client && client->isOpen(); }
    // Sends a request and returns every byte it produced, expecting `bytes` of them. Waiting
    // for the simulator to count the request first means that a missing answer is really
    // missing, not merely slow.
    QByteArray ask(const QByteArray& request, int bytes) {
        const quint64 before = sim.requestCount();
        client->send(request);
        if (!sim.waitForRequests(before + 1, 5000))
            return QByteArray("not served");
        return client->readBytes(bytes);
    }
    // Data bytes of an answer: between the three header bytes and the checksum.
    static QByteArray data(const QByteArray& frame) { return frame.mid(3, frame.size() - 4); }

    SimController sim;
    std::unique_ptr<SimTestClient> client;
};
