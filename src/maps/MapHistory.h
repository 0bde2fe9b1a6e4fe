#pragma once

#include <QVector>

#include <algorithm>

#include <cstdint>

// Undo and redo of map edits. One edit is every cell one user action changed (a step, a typed
// value, a tool, a file), with the value before and after; cells are the controller's numbers
// 0..239. The oldest edits drop out beyond Depth.
class MapHistory {
public:
    static constexpr int Depth = 200;

    struct Change {
        int byte = 0; // in MapTable
        std::int8_t before = 0;
        std::int8_t after = 0;
        bool operator==(const Change&) const = default;
    };
    using Edit = QVector<Change>;

    // A new edit; the redo list is dropped. An edit with the same non-zero `mergeKey` as the
    // last one (the same cell being typed, one right-button drag) joins it: the first
    // value before is kept. Edits that change nothing are not recorded.
    void record(const Edit& edit, quintptr mergeKey = 0);

    bool canUndo() const { return !undo_.isEmpty(); }
    bool canRedo() const { return !redo_.isEmpty(); }
    // The edit to take back (apply each `before`) / to do again (apply each `after`).
    Edit undo();
    Edit redo();
    void clear();
    void dropRedo() { redo_.clear(); }
    int undoCount() const { return int(undo_.size()); }

private:
    QVector<Edit> undo_;
    QVector<Edit> redo_;
    quintptr lastKey_ = 0;
};
