#include "TMyWire.h"

#include "MemoryWire.h"

#include <QMetaObject>
#include <QObject>

TMyWire::TMyWire(QObject* wakeTarget) : FWakeTarget(wakeTarget) {}

TMyWire::~TMyWire() {
    Close();
}

void TMyWire::Attach(std::shared_ptr<MemoryWire> wire, const QString& name) {
    Close();
    FWire = std::move(wire);
    FName = name;
}

bool TMyWire::Open() {
    Close();
    if (FWire == nullptr || !FWire->isOpen(MemoryWire::Controller)) {
        return false;
    }
    QObject* target = FWakeTarget.data();
    FWire->setWakeHook(MemoryWire::Host, [target] {
        // Runs on the simulator's thread: only a posted call, which the target's thread runs
        // (or drops, once the target is gone). Its arrival alone ends the event loop's sleep.
        if (target != nullptr) {
            QMetaObject::invokeMethod(
                target, [] {}, Qt::QueuedConnection);
        }
    });
    FWire->open(MemoryWire::Host);
    FOpened = true;
    return true;
}

void TMyWire::Close() {
    if (FWire != nullptr && FOpened) {
        FWire->setWakeHook(MemoryWire::Host, nullptr);
        FWire->armWake(MemoryWire::Host, 0);
        FWire->close(MemoryWire::Host);
    }
    FOpened = false;
}

bool TMyWire::HungUp() const {
    return FOpened && FWire->hungUp(MemoryWire::Host);
}

bool TMyWire::FarEndOpen() const {
    return FWire != nullptr && FWire->isOpen(MemoryWire::Controller);
}

int TMyWire::Read(std::uint8_t* buffer, int count) {
    return FOpened ? FWire->read(MemoryWire::Host, reinterpret_cast<char*>(buffer), count) : -1;
}

int TMyWire::Write(const std::uint8_t* buffer, int count) {
    if (!FOpened) {
        return -1;
    }
    const int n = FWire->write(MemoryWire::Host, reinterpret_cast<const char*>(buffer), count);
    return n < 0 ? 0 : n;
}

int TMyWire::InQueCount() const {
    return FOpened ? FWire->available(MemoryWire::Host) : -1;
}

void TMyWire::Purge() {
    if (FOpened) {
        FWire->purge(MemoryWire::Host);
    }
}

void TMyWire::ArmWake(int count) {
    if (FOpened) {
        FWire->armWake(MemoryWire::Host, count);
    }
}
