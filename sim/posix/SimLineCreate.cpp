// The lines of a POSIX system: a pseudo-terminal, or the in-memory wire.
#include "MemoryLine.h"
#include "PtyLine.h"

std::unique_ptr<SimLine> SimLine::create(SimLineKind kind, QString* error) {
    (void)error;
    if (kind == SimLineKind::Memory)
        return std::make_unique<MemoryLine>();
    return std::make_unique<PtyLine>();
}

bool SimLine::available(SimLineKind kind) {
    (void)kind;
    return true;
}
