#pragma once

#include <QString>
#include <cstdint>

// What the parameters tab needs from the main window: the pending-write fields of the
// controller mirror, a few identity/live fields, and the window-level actions around the left
// panel (status bar, map panel and grids, chart panel, layout). The window implements it over
// its mirror and widgets; tests implement it with plain fields.
class SettingsHost {
public:
    virtual ~SettingsHost() = default;

    // A setting edit: SettingValue := value, then SettingIndex := index. One write is pending
    // at a time; a second edit before the poll cycle sent the first replaces it.
    virtual void queueSettingWrite(int index, int value) = 0;
    virtual std::uint8_t optionsLow() const = 0;  // OpcjeL
    virtual std::uint8_t optionsHigh() const = 0; // OpcjeH
    virtual std::uint8_t liveCell() const = 0;    // LiveCell
    virtual std::uint8_t liveMode() const = 0;    // LiveMode
    virtual bool pcConfig() const = 0;            // PcConfig

    virtual void beep() = 0;
    virtual void setStatusText(const QString& text) = 0;
    virtual void freezeDrawing(bool frozen) = 0;
    virtual bool mapPanelVisible() const = 0;
    virtual void setMapPanelVisible(bool visible) = 0;
    virtual void showChartPanel(bool show) = 0;
    virtual void repaintMapGrid() = 0;
    virtual void relayoutLeftPanel() = 0;
    // The set-angle arrows step the map cell under the live cursor by one step (Ctrl-stepping
    // of the selected cells) instead of the setting, when the map is in use.
    virtual void stepLiveMapCell(int column, int row, bool up) = 0;
};
