#pragma once

#include "MapWriteCheck.h"

#include <QString>
#include <QVector>

// Map cells stored into MapTable by a map contents frame or a map write acknowledgement. For
// each cell the window sets GridMapa(column, row) to `text` and, when the 3-D chart exists,
// SetPoint(0, column, row, chartValue); then RefreshChart.
struct MapCellUpdate {
    int column = 1;          // 1..15
    int row = 1;             // 1..16
    QString text;            // GeneralText(signed value * 0.2)
    double chartValue = 0.0; // (signed value + 128) * 0.2
};

struct MapUpdate {
    QVector<MapCellUpdate> cells;
    bool wholeMapRead = false; // a map contents frame: the controller's map read afresh
    // After a map read: cells the controller still does not hold after every write of them,
    // with the values the user wanted (MapTable has the controller's), and how many cells are
    // being written again.
    QVector<MapWriteCheck::Cell> notTaken;
    int rewritten = 0;
};
