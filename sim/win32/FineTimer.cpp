#include "FineTimer.h"

#include <windows.h>

#include <mmsystem.h>

FineTimer::FineTimer() : raised_(timeBeginPeriod(1) == TIMERR_NOERROR) {}

FineTimer::~FineTimer() {
    if (raised_)
        timeEndPeriod(1);
}
