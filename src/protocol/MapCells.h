#pragma once

// Numbering of the ignition map. MapTable is 16 columns of 17 bytes (byte of column c, row r
// at c*17 + r); the cells are columns 1..15 and rows 1..16. The controller numbers the cells
// 0..239: cell n is column n/16 + 1, row n%16 + 1. Column 0 and row 0 are carried along
// unchanged (they are not cells).
struct MapCells {
    static constexpr int CellCount = 240;
    static constexpr int Columns = 16;
    static constexpr int Rows = 17;

    static constexpr int column(int cell) { return cell / 16 + 1; }
    static constexpr int row(int cell) { return cell % 16 + 1; }
    static constexpr int byteAt(int column, int row) { return column * 17 + row; }
    static constexpr int byteOfCell(int cell) { return byteAt(column(cell), row(cell)); }
    static constexpr bool isCell(int cell) { return cell >= 0 && cell < CellCount; }
    // The cell number of a grid position (column 1..15, row 1..16).
    static constexpr int cellAt(int column, int row) { return (column - 1) * 16 + (row - 1); }

    // The live frame names its cell as high nibble = column, low nibble = row - 1.
    static constexpr int liveColumn(int liveCell) { return (liveCell >> 4) & 0x0F; }
    static constexpr int liveRow(int liveCell) { return (liveCell & 0x0F) + 1; }
};
