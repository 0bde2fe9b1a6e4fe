#pragma once

#include "ParametersDisplay.h"
#include "ParametersHost.h"
#include "SettingsEditor.h"

#include <QObject>
#include <functional>

class TForm1;

// The parameters tab of the main window: binds the left panel's edit handlers and the display
// of live and settings answers to the window, runs the left-panel layout on every resize of
// PanelLeft, and serves Button1 (refresh) and Button2 (controller defaults) on this tab.
// Created once by the window's constructor, as its child.
class ParametersTab : public QObject, public ParametersHost {
    Q_OBJECT
public:
    explicit ParametersTab(TForm1& form);
    ~ParametersTab() override;

    void PanelLeftResize();
    void Button1Click();
    void Button2Click();

    SettingsEditor& editor() { return editor_; }
    ParametersDisplay& display() { return display_; }

    // SettingsHost / ParametersHost
    void queueSettingWrite(int index, int value) override;
    std::uint8_t optionsLow() const override;
    std::uint8_t optionsHigh() const override;
    std::uint8_t liveCell() const override;
    std::uint8_t liveMode() const override;
    bool pcConfig() const override;
    void beep() override;
    void setStatusText(const QString& text) override;
    void freezeDrawing(bool frozen) override;
    bool mapPanelVisible() const override;
    void setMapPanelVisible(bool visible) override;
    void showChartPanel(bool show) override;
    void repaintMapGrid() override;
    void relayoutLeftPanel() override;
    void stepLiveMapCell(int column, int row, bool up) override;
    void moveMapCursor(std::uint8_t oldCell, std::uint8_t newCell) override;
    void showMeasurement(const LiveView::Measurement& m) override;
    void applyMapGrid(const SettingsView& view) override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void restoreMapRows();

    TForm1& f_;
    SettingsEditor editor_;
    ParametersDisplay display_;
    bool inLayout_ = false;
};
