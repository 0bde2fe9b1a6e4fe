// TCoreComm: the event thread's start and stop and the line status flags, the same on both
// systems (the thread itself, waiting on the device, is the platform's: posix/, win32/).
#include "TCoreComm.h"

#include "TCommEventThread.h"

#include <QMetaObject>

void TCoreComm::StartEventThread() {
    auto thread = std::make_unique<TCommEventThread>(FHandle, FSuspendTime, FMonitorEvents);
    const std::uint64_t generation = FEventGeneration;
    thread->SetOnCommEvent([this, generation](TCommEventThread* sender, std::uint32_t mask) {
        // Posted, never waited for: the event thread cannot block on this thread, so Close can
        // always stop it.
        QMetaObject::invokeMethod(
            this,
            [this, generation, sender, mask] {
                if (generation == FEventGeneration && FEventThread.get() == sender) {
                    HandleCommEvent(sender, mask);
                }
            },
            Qt::QueuedConnection);
        ++FEventsPosted;
    });
    FEventThread = std::move(thread);
    if (!FEventThread->Start()) {
        FEventThread.reset();
        DestroyHandle(); // a port without its event thread is not opened
    }
}

std::uint64_t TCoreComm::EventThreadWakes() const {
    return FEventThread ? FEventThread->WakeCount() : 0;
}

void TCoreComm::StopEventThread() {
    if (FEventThread) {
        // Events it posted before stopping carry an older generation and are dropped.
        FEventThread->Stop();
        FEventThread.reset();
    }
}

bool TCoreComm::GetComState(int which) {
    if (!FActive) {
        return false;
    }
    const TComStat stat = ReadComStat();
    switch (which) {
    case 2:
        return stat.fDsrHold;
    case 3:
        return stat.fRlsdHold;
    case 4:
        return stat.fXoffHold;
    case 5:
        return stat.fXoffSent;
    default:
        return stat.fCtsHold;
    }
}
