#include "MapHistory.h"

void MapHistory::record(const Edit& edit, quintptr mergeKey) {
    Edit changed;
    for (const Change& c : edit) {
        if (c.before != c.after) {
            changed << c;
        }
    }
    if (mergeKey != 0 && mergeKey == lastKey_ && !undo_.isEmpty()) {
        Edit& last = undo_.last();
        for (const Change& c : edit) {
            auto it = std::find_if(last.begin(), last.end(),
                                   [&c](const Change& l) { return l.byte == c.byte; });
            if (it != last.end()) {
                it->after = c.after;
            } else if (c.before != c.after) {
                last << c;
            }
        }
        last.erase(std::remove_if(last.begin(), last.end(),
                                  [](const Change& l) { return l.before == l.after; }),
                   last.end());
        if (last.isEmpty()) {
            undo_.removeLast();
            lastKey_ = 0;
        }
        redo_.clear();
        return;
    }
    if (changed.isEmpty()) {
        return;
    }
    undo_ << changed;
    if (undo_.size() > Depth) {
        undo_.removeFirst();
    }
    redo_.clear();
    lastKey_ = mergeKey;
}

MapHistory::Edit MapHistory::undo() {
    lastKey_ = 0;
    if (undo_.isEmpty()) {
        return {};
    }
    Edit e = undo_.takeLast();
    redo_ << e;
    return e;
}

MapHistory::Edit MapHistory::redo() {
    lastKey_ = 0;
    if (redo_.isEmpty()) {
        return {};
    }
    Edit e = redo_.takeLast();
    undo_ << e;
    return e;
}

void MapHistory::clear() {
    undo_.clear();
    redo_.clear();
    lastKey_ = 0;
}
