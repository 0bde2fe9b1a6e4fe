#pragma once

#include <QRect>
#include <cstdint>

class QTableView;
class QWidget;
struct LeftPanelControls;

// The grid layout of the left panel: a row height b and a column width w follow the panel's
// size, and every tagged control is moved to the cell its Tag names. The arithmetic is kept in
// pure functions so that it can be checked without a window.
namespace LeftPanelLayout {

struct Inputs {
    int panelWidth = 0;
    int panelHeight = 0;
    bool camshaft = false;        // the controller has the camshaft channel (OpcjeL bit 2)
    bool pcConfig = false;        // configured from the PC
    bool mapPanelVisible = false; // PanelMapy shown
    int mapMode = -1;             // RGMapa item index (2 = 3-D)
};

struct Cell {
    int b = 20; // row height
    int w = 72; // column width
};

enum class Kind { Panel, CheckBox, Edit, UpDown, RadioGroup };

struct Placement {
    QRect rect;
    int fontPointSize = 0; // 0: the control's font is left alone
};

Cell cellSize(const Inputs& in);
// Where a control of this kind with this Tag goes, relative to its parent panel.
Placement place(Kind kind, std::uint32_t tag, Cell cell, bool pcConfig);

// The frame around the tagged controls, owned by the window. GridMapa may be null.
struct Frame {
    QWidget* PanelLeft = nullptr;
    QWidget* PanelNas1 = nullptr;
    QWidget* PanelCzuj = nullptr;
    QWidget* PanelMapy = nullptr;
    QWidget* PanelMapyTop = nullptr;
    QTableView* GridMapa = nullptr;
    // The scrolled widget that holds the stack: it gets the minimum size the placed controls
    // need, so a small window scrolls instead of drawing panels over each other. May be null.
    QWidget* Content = nullptr;
    // Where to store the width the shown controls need at the smallest cells (the narrowest
    // the panel can be without scrolling sideways). May be null.
    int* narrowestWidth = nullptr;
};

// Below this the texts of a small window are hard to read; the rule's font size is raised to
// it (or as near as the texts of the kind still fit their controls).
constexpr int ReadablePointSize = 8;
// A font rule's size is lowered at most to this to fit a text (a longer language).
constexpr int SmallestPointSize = 6;
// The cell size is lowered from the rule's to fit the stack's rows into the panel's height
// down to this (then the stack scrolls), and to fit its columns into the width down to the
// narrower limit when that spares a sideways scroll. (Below 20 the camshaft caption would run
// into the rows around it, so both limits are 20: a panel narrower than the smallest cells
// need, as beside the chart in a small window, scrolls sideways.)
constexpr int MinimumRowHeight = 20;
constexpr int NarrowestRowHeight = 20;

// Runs the whole layout: the cell size (the rule's, made smaller until every row of the stack
// fits the panel's height and every shown control its width), panel heights, the map grid's
// cell sizes, every tagged control with one font size per kind of control, and the move of
// CheckBoxRo into the place of a hidden CheckBoxOn. Returns the cell size used.
Cell apply(LeftPanelControls& controls, const Frame& frame, bool camshaft, bool pcConfig);

} // namespace LeftPanelLayout
