#pragma once

#include "LiveView.h"
#include "SettingsHost.h"
#include "SettingsView.h"

// SettingsHost plus the window parts that a live or settings answer touches outside the left
// panel's own controls: the map grid (cursor, rows and titles) and the service-mode
// measurement grids with their marker.
class ParametersHost : public SettingsHost {
public:
    // Redraw the map grid cells of the old and the new live cell (the grid marks LiveCell).
    virtual void moveMapCursor(std::uint8_t oldCell, std::uint8_t newCell) = 0;
    // Service mode: put the measured value into GridG/GridB and move the marker over it.
    virtual void showMeasurement(const LiveView::Measurement& m) = 0;
    // Map source layout of the grid: rows, titles, GridMapa and ToolBarMap visibility.
    virtual void applyMapGrid(const SettingsView& view) = 0;
};
