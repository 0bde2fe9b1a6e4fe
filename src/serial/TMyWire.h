#pragma once

#include <QPointer>
#include <QString>

#include <cstdint>
#include <memory>

class MemoryWire;
class QObject;

// The host's end of an in-memory wire (the demo's simulated controller where the system has no
// pseudo-terminals, or when asked for). The facade attaches a wire and opens, reads and writes
// it like a port. Its bytes wake a wait in the window's event loop by themselves: once the count
// a wait asked for is there, an empty call is posted to `wakeTarget`'s thread, which ends the
// event loop's sleep, so no wait depends on how finely the system's timers tick.
class TMyWire {
public:
    explicit TMyWire(QObject* wakeTarget);
    ~TMyWire();
    TMyWire(const TMyWire&) = delete;
    TMyWire& operator=(const TMyWire&) = delete;

    // Replaces the wire (closing the one before); nullptr detaches it.
    void Attach(std::shared_ptr<MemoryWire> wire, const QString& name);
    bool Present() const { return FWire != nullptr; }
    QString Name() const { return FName; }

    // Fails while nobody is at the controller's end.
    bool Open();
    void Close();
    bool Opened() const { return FOpened; }
    // Open, with the controller's end gone (the simulator stopped or hung up).
    bool HungUp() const;
    // The controller's end is there to be opened against.
    bool FarEndOpen() const;

    int Read(std::uint8_t* buffer, int count);
    int Write(const std::uint8_t* buffer, int count);
    int InQueCount() const;
    void Purge();
    // The wake once `count` bytes are waiting (0: none).
    void ArmWake(int count);

private:
    QPointer<QObject> FWakeTarget;
    std::shared_ptr<MemoryWire> FWire;
    QString FName;
    bool FOpened = false;
};
