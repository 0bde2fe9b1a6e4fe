#pragma once

#include <QString>
#include <cstdint>
#include <optional>

// What one live frame asks the window to show. The window applies it in this order:
//   1. if `refresh` is set (the controller's configuration source changed): beep; status bar
//      simple text and PanelSw hint = refresh->statusText; freeze drawing; UpDownKat minimum,
//      PanelMapy visibility; ShowChartPanel(refresh->chartPanel); check-box visibility; radio
//      group enabling; rise/fall controls; unfreeze and run the left-panel layout.
//   2. panel colours (0x00BBGGRR, see StateColour.h) and LabelSta, LabelImp, LabelGaz;
//      EditKat; EditTPS when `editTps` is set;
//   3. the labels in this order: LabelTps, LabelRpm, LabelObc, (repaint the switch picture),
//      LabelRoz, LabelSyg, LabelMap, LabelPot, LabelPwr, LabelKat, LabelRes, PanelPrzeb caption,
//      LabelZap;
//   4. map cursor: when `cursorMoved`, redraw GridMapa's cells of `oldLiveCell` and of the
//      mirror's new LiveCell (column = high nibble, row = low nibble + 1);
//   5. measurement grids when PanelRight is visible: `measure`;
//   6. the recording hook (append RxBuffer bytes 0..15 when recording).
// With ControlStates::TextsShown false (a scan for values only) every text is left empty.
struct LiveView {
    struct Refresh {
        QString statusText;           // LangText(733) under PC configuration, else LangText(732)
        bool pcConfig = false;        // = mirror.PcConfig
        bool mapPanelVisible = false; // PanelMapy; PW_MAP_READ was queued when true
        int upDownKatMinimum = 0;     // -128 with the map panel, else 0
        bool chartPanel = false;      // ShowChartPanel(flag)
        bool CheckBoxPkVisible = false;
        bool CheckBoxOnVisible = false;
        bool CheckBoxRoVisible = false;
        bool CheckBoxBGVisible = false;
        bool CheckBoxKPVisible = false;
        bool radioGroupsEnabled = false; // RGWyjKor, RGKomKor, RGWyjRoz, RGKomRoz, RGWejRoz
        bool riseFallVisible = false; // EditNar, EditOpa, UpDownNar, UpDownOpa, PanelNar, PanelOpa
    };
    std::optional<Refresh> refresh;

    // Panel colours (0x00BBGGRR). PanelKAT and LabelKat share one colour.
    std::uint32_t PanelSta = 0;
    std::uint32_t PanelImp = 0;
    std::uint32_t PanelPwr = 0;
    std::uint32_t PanelGAZ = 0;
    std::uint32_t PanelRPM = 0;
    std::uint32_t PanelTPS = 0;
    std::uint32_t PanelKAT = 0;

    QString LabelSta;
    QString LabelImp;
    QString LabelGaz;
    QString EditKat;
    std::optional<QString> EditTPS; // only while configured by the controller's switches

    QString LabelTps;
    QString LabelRpm;
    QString LabelObc;
    QString LabelRoz;
    QString LabelSyg;
    QString LabelMap;
    QString LabelPot;
    QString LabelPwr;
    QString LabelKat;
    QString LabelRes;
    QString PanelPrzeb; // caption: "(60-2)", "(36-1)" or empty
    QString LabelZap;

    // Map cursor (only when the map panel is visible).
    bool cursorMoved = false;
    std::uint8_t oldLiveCell = 0;

    // Service-mode measurement grids: the cell of this frame and its value.
    struct Measurement {
        int column = 0;           // GridG/GridB column (high nibble of byte 15)
        int row = 1;              // low nibble + 1
        bool gas = false;         // GridG when true, else GridB
        QString text;             // GeneralText(Z * 0.2)
        bool chartSample = false; // AddSample to the chart's layer 1 (gas and a chart exists)
        int chartValue = 0;       // Z / 5, whole degrees
    };
    Measurement measure;

    // Decoded figures, for the window's own use (and tests).
    double rpm = 0.0;
    int advance = 0;    // Z, in 0.2 degree steps
    bool gas = false;   // running on gas (byte 0 bit 4, as PanelGAZ shows it)
    double tps = 0.0;   // throttle voltage, as LabelTps shows it
    double angle = 0.0; // current shift angle in degrees, as LabelKat shows it
};
