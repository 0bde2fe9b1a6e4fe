// The lines of Windows: the in-memory wire only, there are no pseudo-terminals.
#include "MemoryLine.h"

std::unique_ptr<SimLine> SimLine::create(SimLineKind kind, QString* error) {
    if (kind == SimLineKind::Memory)
        return std::make_unique<MemoryLine>();
    if (error != nullptr)
        *error = QStringLiteral("this system has no pseudo-terminals");
    return nullptr;
}

bool SimLine::available(SimLineKind kind) {
    return kind == SimLineKind::Memory;
}
