#include "FineTimer.h"

// Sleeps are fine-grained already.
FineTimer::FineTimer() = default;

FineTimer::~FineTimer() = default;
