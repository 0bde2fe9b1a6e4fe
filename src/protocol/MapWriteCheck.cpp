#include "MapWriteCheck.h"

#include "ControllerMirror.h"
#include "MapCells.h"
#include "PendingWrites.h"

#include <algorithm>

namespace {

bool writeQueued(const ControllerMirror& m, int cell) {
    if ((m.PendingWrites & PW_MAP_WRITE) == 0) {
        return false;
    }
    const bool valid = m.MapWriteFirst >= 0 && m.MapWriteLast < MapCells::CellCount &&
                       m.MapWriteFirst <= m.MapWriteLast;
    // An invalid range stands for the whole map.
    return !valid || (cell >= m.MapWriteFirst && cell <= m.MapWriteLast);
}

std::uint8_t mapValue(const ControllerMirror& m, int cell) {
    return m.MapTable[static_cast<std::size_t>(MapCells::byteOfCell(cell))];
}

} // namespace

void MapWriteCheck::noteSent(const ControllerMirror& m) {
    for (int c = std::max(0, m.MapWriteFirst); c <= std::min(m.MapWriteLast, 239); ++c) {
        const auto i = static_cast<std::size_t>(c);
        expected_[i] = mapValue(m, c);
        tries_[i] = static_cast<std::uint8_t>(std::min(tries_[i] + 1, 255));
    }
    drain_ = DrainRequests;
}

void MapWriteCheck::noteAnswerAwaited() {
    if (drain_ > 0) {
        --drain_;
    }
}

bool MapWriteCheck::waiting() const {
    return std::any_of(expected_.begin(), expected_.end(),
                       [](std::int16_t v) { return v != None; });
}

bool MapWriteCheck::readDue(const ControllerMirror& m) const {
    return drain_ == 0 && (m.PendingWrites & (PW_MAP_WRITE | PW_MAP_READ)) == 0 && waiting();
}

bool MapWriteCheck::holdsUserValue(const ControllerMirror& m, int cell) const {
    return expected_[static_cast<std::size_t>(cell)] != None || writeQueued(m, cell);
}

void MapWriteCheck::noteShown(int cell, std::uint8_t value) {
    const auto i = static_cast<std::size_t>(cell);
    if (expected_[i] == value) {
        expected_[i] = None;
        tries_[i] = 0;
    }
}

MapWriteCheck::ReadOutcome MapWriteCheck::checkMapRead(ControllerMirror& m) {
    ReadOutcome out;
    for (int c = 0; c < MapCells::CellCount; ++c) {
        const auto i = static_cast<std::size_t>(c);
        if (expected_[i] == None) {
            continue;
        }
        const auto want = static_cast<std::uint8_t>(expected_[i]);
        if (tries_[i] >= MaxTries) {
            out.notTaken.append({c, want});
            expected_[i] = None;
            tries_[i] = 0;
            continue;
        }
        out.rewrite.append({c, want});
    }
    // The controller's answer went to MapTable for the cells given up; the others keep the
    // user's value and are written again as one range.
    if (!out.rewrite.isEmpty()) {
        int first = out.rewrite.first().cell;
        int last = out.rewrite.last().cell;
        if ((m.PendingWrites & PW_MAP_WRITE) != 0 && m.MapWriteFirst >= 0 &&
            m.MapWriteLast < MapCells::CellCount && m.MapWriteFirst <= m.MapWriteLast) {
            first = std::min(first, m.MapWriteFirst);
            last = std::max(last, m.MapWriteLast);
        }
        m.MapWriteFirst = first;
        m.MapWriteLast = last;
        m.PendingWrites |= PW_MAP_WRITE;
    }
    return out;
}

QVector<MapWriteCheck::Cell> MapWriteCheck::takeUnconfirmed(ControllerMirror& m) {
    QVector<Cell> cells;
    for (int c = 0; c < MapCells::CellCount; ++c) {
        if (holdsUserValue(m, c)) {
            cells.append({c, mapValue(m, c)});
        }
    }
    expected_ = filled();
    tries_.fill(0);
    drain_ = 0;
    m.PendingWrites &= ~PW_MAP_WRITE;
    return cells;
}
