#include "MemoryWire.h"

#include <algorithm>

void MemoryWire::open(End end) {
    std::lock_guard lock(m_);
    Side& s = sides_[end];
    s.queue.clear();
    s.open = true;
    s.interrupted = false;
}

void MemoryWire::close(End end) {
    std::lock_guard lock(m_);
    Side& s = sides_[end];
    if (!s.open) {
        return;
    }
    s.open = false;
    s.queue.clear();
    Side& far = sides_[other(end)];
    if (far.open && far.wakeHook) {
        far.wakeHook(); // a hang-up ends a wait as its bytes would
    }
    changed_.notify_all();
}

bool MemoryWire::isOpen(End end) const {
    std::lock_guard lock(m_);
    return sides_[end].open;
}

bool MemoryWire::hungUp(End end) const {
    std::lock_guard lock(m_);
    return sides_[end].open && !sides_[other(end)].open;
}

int MemoryWire::write(End from, const char* data, int count) {
    std::lock_guard lock(m_);
    if (!sides_[from].open) {
        return -1;
    }
    Side& to = sides_[other(from)];
    if (!to.open || count <= 0) {
        return std::max(count, 0); // nobody at the other end: the bytes are gone, as on a cable
    }
    const int before = int(to.queue.size());
    const int taken = std::min(count, QueueLimit - before);
    to.queue.insert(to.queue.end(), data, data + taken);
    wakeIfDue(to, before);
    changed_.notify_all();
    return taken;
}

void MemoryWire::wakeIfDue(Side& side, int before) {
    const int now = int(side.queue.size());
    if (side.wakeHook && side.wakeCount > 0 && before < side.wakeCount && now >= side.wakeCount) {
        side.wakeHook();
    }
}

int MemoryWire::read(End end, char* buffer, int max) {
    std::lock_guard lock(m_);
    Side& s = sides_[end];
    const int n = std::clamp(int(s.queue.size()), 0, std::max(max, 0));
    std::copy_n(s.queue.begin(), n, buffer);
    s.queue.erase(s.queue.begin(), s.queue.begin() + n);
    return n;
}

int MemoryWire::available(End end) const {
    std::lock_guard lock(m_);
    return int(sides_[end].queue.size());
}

void MemoryWire::purge(End end) {
    std::lock_guard lock(m_);
    sides_[end].queue.clear();
}

MemoryWire::Wake MemoryWire::wait(End end, bool forInput, Clock::time_point until) {
    std::unique_lock lock(m_);
    const Side& s = sides_[end];
    for (;;) {
        if (s.interrupted) {
            return Wake::Interrupted;
        }
        if (forInput && !s.queue.empty()) {
            return Wake::Input;
        }
        if (until == Clock::time_point::max()) {
            changed_.wait(lock);
        } else if (changed_.wait_until(lock, until) == std::cv_status::timeout) {
            return s.interrupted ? Wake::Interrupted
                                 : (forInput && !s.queue.empty() ? Wake::Input : Wake::Time);
        }
    }
}

void MemoryWire::interrupt(End end) {
    std::lock_guard lock(m_);
    sides_[end].interrupted = true;
    changed_.notify_all();
}

void MemoryWire::setWakeHook(End end, std::function<void()> hook) {
    std::lock_guard lock(m_);
    sides_[end].wakeHook = std::move(hook);
}

void MemoryWire::armWake(End end, int count) {
    std::lock_guard lock(m_);
    Side& s = sides_[end];
    s.wakeCount = std::max(count, 0);
    if (s.wakeHook && s.wakeCount > 0 && int(s.queue.size()) >= s.wakeCount) {
        s.wakeHook();
    }
}
