#pragma once

// The simulated controller on a pseudo-terminal or an in-memory wire, served on its own thread.
//
//     SimConfig cfg;                 // KOLVA-VX-01, engine running, configuration from the PC
//     cfg.pacing = false;            // fast tests; keep it on for real 9600 bit/s timing
//     SimController sim(cfg);
//     if (!sim.start()) qWarning() << sim.errorString();
//     port.open(sim.slavePath());    // any client: the program's facade, python3, socat
//     // or, with cfg.line = SimLineKind::Memory: facade.SerialOpenWire(sim.wire(), ...)
//     ...
//     sim.waitForRequests(n, 2000);  // block until n requests in total have been served
//     sim.setFault(*SimFault::parse("silence"));   // or SimFault{SimFault::Late, 300}
//     sim.setEngineRunning(false);
//     sim.stop();                    // also done by the destructor
//
// The simulator never needs the caller's event loop: start() returns once the line is open and
// everything else happens on the simulator's thread. All public functions except start() and
// stop() (call those from the owning thread) are thread-safe.
// A HangUp fault closes the line for good; start() may then be called again (new pty path; the
// same wire, which its far end then finds open again).

#include "SimConfig.h"

#include <QByteArray>
#include <QString>

#include <memory>

class MemoryWire;

class SimController {
public:
    explicit SimController(SimConfig config = {});
    ~SimController();
    SimController(const SimController&) = delete;
    SimController& operator=(const SimController&) = delete;

    bool start();
    void stop();
    bool isRunning() const;
    QString slavePath() const;                // empty on the in-memory line
    std::shared_ptr<MemoryWire> wire() const; // null on a pseudo-terminal; from the first start
    QString errorString() const;

    // Requests: every complete frame counts once it has been served, that is answered, left
    // unanswered (bad checksum, unknown request) or dropped by a fault. An answered request is
    // counted just before the last byte of its answer goes out, so a client that has read the
    // whole answer always finds it counted.
    quint64 requestCount() const;
    quint64 answerCount() const;
    bool waitForRequests(quint64 total, int timeoutMs) const;

    // Faults.
    void setFault(const SimFault& fault); // adds to the active faults
    void clearFaults();

    // Engine and configuration source.
    void setEngineRunning(bool on);
    void setPcConfig(bool fromPc);   // live byte 1 bit 0 clear when true
    void setSwitchBits(quint8 bits); // live byte 1 bits 0..3 at once
    quint8 switchBits() const;

    // Settings: data bytes of the settings answer without the count (setting 0 is the sum).
    QByteArray settings() const;
    bool setSetting(int k, quint8 value); // same rules as a write from the line
    void restoreDefaults();

    // Map: 240 signed cells in the controller's numbering (cell n: column n/16+1, row n%16+1).
    QByteArray mapCells() const;
    void setMapCells(const QByteArray& cells);

    // Boot loader.
    bool inLoader() const;
    void enterLoader();
    void setFailUpdate(bool fail);
    QByteArray receivedImage() const; // block b at offset 16·b, up to the announced count
    int completedTransfers() const;

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};
