#pragma once

// The few window states the protocol decisions read. The window fills one before each poll
// tick (or before a ReadResponse of its own) from its controls; the protocol never touches a
// widget.
struct ControlStates {
    // Settings controls the live decoder reads.
    bool CheckBoxOn = false; // checked
    bool CheckBoxBG = false; // checked: the fuel texts are swapped
    bool CheckBoxTp = false; // checked: throttle sensor inverted
    int UpDownGMP = 0;       // position (crank reference pulse angle, whole degrees)
    int RGMapa = 0;          // item index: 0 off, 1 "2D", 2 "3D" (-1 none)

    // Window layout states.
    bool PanelMapyVisible = false;  // the map panel is shown (map cursor follows the live cell)
    bool PanelRightVisible = false; // service mode measurement grids are shown
    bool MapChartExists = false;    // the 3-D chart has been created
    bool InfoWindowExists = true;   // the information window (report) exists
    int InfoReportTag = 0;          // Edit2's Tag: 1 once the settings section is written
    // False for a scan that reads values only (the recording's chart): the decoders leave the
    // live labels and the settings report unmade; values and the mirror come out the same.
    bool TextsShown = true;

    // Poll cycle guards.
    bool Image1Visible = true;         // the connection picture; hidden once a loss was handled
    bool ParametersPageCurrent = true; // Button1's Tag equals ZakladkaParam's Tag
};
