#pragma once

#include "ParametersHost.h"

#include <QList>
#include <QString>
#include <QStringList>

// A window stand-in that records what the parameters tab asked of it.
class FakeHost : public ParametersHost {
public:
    int SettingIndex = -1;
    int SettingValue = 0;
    int writes = 0;
    std::uint8_t OpcjeL = 0x0F;
    std::uint8_t OpcjeH = 0x8D;
    std::uint8_t LiveCell = 0;
    std::uint8_t LiveMode = 0;
    bool PcConfig = true;
    int beeps = 0;
    QString status = QStringLiteral("old status");
    bool frozen = false;
    bool mapVisible = false;
    QList<bool> chartCalls;
    int gridRepaints = 0;
    int layouts = 0;
    QStringList steps; // "column,row,up|down"
    QList<QPair<int, int>> cursorMoves;
    int measurements = 0;
    int mapGridApplied = 0;
    QStringList events; // order of window actions during a refresh

    void queueSettingWrite(int index, int value) override {
        SettingValue = value;
        SettingIndex = index;
        ++writes;
    }
    std::uint8_t optionsLow() const override { return OpcjeL; }
    std::uint8_t optionsHigh() const override { return OpcjeH; }
    std::uint8_t liveCell() const override { return LiveCell; }
    std::uint8_t liveMode() const override { return LiveMode; }
    bool pcConfig() const override { return PcConfig; }
    void beep() override {
        ++beeps;
        events << "beep";
    }
    void setStatusText(const QString& text) override {
        status = text;
        events << "status";
    }
    void freezeDrawing(bool f) override {
        frozen = f;
        events << (f ? "freeze" : "thaw");
    }
    bool mapPanelVisible() const override { return mapVisible; }
    void setMapPanelVisible(bool v) override {
        mapVisible = v;
        events << "map panel";
    }
    void showChartPanel(bool show) override {
        chartCalls << show;
        events << "chart";
    }
    void repaintMapGrid() override { ++gridRepaints; }
    void relayoutLeftPanel() override {
        ++layouts;
        events << "layout";
    }
    void stepLiveMapCell(int column, int row, bool up) override {
        steps << QStringLiteral("%1,%2,%3").arg(column).arg(row).arg(up ? "up" : "down");
    }
    void moveMapCursor(std::uint8_t oldCell, std::uint8_t newCell) override {
        cursorMoves << qMakePair(int{oldCell}, int{newCell});
    }
    void showMeasurement(const LiveView::Measurement&) override { ++measurements; }
    void applyMapGrid(const SettingsView&) override { ++mapGridApplied; }
};
