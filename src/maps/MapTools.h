#pragma once

#include <QString>
#include <QVector>

// The map tools' arithmetic on a rectangular block of cells (values -128..127, one step is
// 0.2 degrees). Every result is held at the cell limits; the grid code applies the block and
// writes only the cells whose value changed.
namespace MapTools {

constexpr int CellMin = -128;
constexpr int CellMax = 127;

struct Block {
    int columns = 0;
    int rows = 0;
    QVector<int> values; // row by row: (column c, row r) at r * columns + c

    Block() = default;
    Block(int c, int r, int fill = 0) : columns(c), rows(r), values(c * r, fill) {}
    int at(int c, int r) const { return values[r * columns + c]; }
    int& at(int c, int r) { return values[r * columns + c]; }
    bool operator==(const Block&) const = default;
};

// A value held at the cell limits, rounded half away from zero.
int clampCell(double value);

Block setTo(Block block, int value);
Block add(Block block, int delta);
Block scale(Block block, double percent);

enum class Direction { Rows, Columns, Both };
// Rows: every row runs in a straight line from its first to its last cell; Columns: every
// column from its top to its bottom cell; Both: every cell lies on the surface spanned by
// the four corners.
Block interpolate(Block block, Direction direction);
// Every cell but the block's four corners becomes the average of its 3x3 neighbourhood
// within the block (fewer neighbours along the edges), all taken from the values before.
Block smooth(const Block& block);

// The block as tab-separated text, one line per row, values in degrees as the grid shows them.
QString toText(const Block& block);

// Text pasted from a spreadsheet: tab-separated fields, one row per line. A field may use
// "." or "," as the decimal separator; an empty field leaves its cell as it is (true in
// `keep`). Values are held at -25.6..25.4 and become steps as typed ones do (truncated).
struct Pasted {
    Block block;
    QVector<bool> keep; // true where the field was empty
    int clamped = 0;    // values that lay outside the cell range
    int badLine = 0;    // 1-based line of the first field that is not a number; 0 when all read
    QString badField;
};
Pasted fromText(const QString& text);

} // namespace MapTools
