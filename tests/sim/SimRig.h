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
    // Data bytes of an answer: between the three header bytes and the checksum.
    static QByteArray data(const QByteArray& frame) { return frame.mid(3, frame.size() - 4); }

    SimController sim;
    std::unique_ptr<SimTestClient> client;
};
