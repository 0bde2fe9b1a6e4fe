#include "MemoryLine.h"

#include "MemoryWire.h"

MemoryLine::MemoryLine() : wire_(std::make_shared<MemoryWire>()) {}

MemoryLine::~MemoryLine() {
    close();
}

bool MemoryLine::open() {
    wire_->open(MemoryWire::Controller);
    return true;
}

void MemoryLine::close() {
    wire_->close(MemoryWire::Controller);
}

QByteArray MemoryLine::readAvailable() {
    QByteArray out(wire_->available(MemoryWire::Controller), Qt::Uninitialized);
    out.resize(wire_->read(MemoryWire::Controller, out.data(), int(out.size())));
    return out;
}

int MemoryLine::write(const char* data, int count) {
    return wire_->write(MemoryWire::Controller, data, count);
}

SimLine::Wake MemoryLine::wait(Clock::time_point until, bool forInput) {
    switch (wire_->wait(MemoryWire::Controller, forInput, until)) {
    case MemoryWire::Wake::Input:
        return Wake::Input;
    case MemoryWire::Wake::Time:
        return Wake::Time;
    case MemoryWire::Wake::Interrupted:
        break;
    }
    return Wake::Stop;
}

void MemoryLine::stop() {
    wire_->interrupt(MemoryWire::Controller);
}
