#pragma once

#include <QString>
#include <QStringList>
#include <QVector>

// The text map file of the two measured-map grids (petrol, gas): a header line
// "#16;17;6400;100;50", then one line per petrol row and one line per gas row, each field (the
// cell text as shown, empty for an empty cell) followed by ";". A file is written with 16 rows
// per block and read back the same way; a file with 17 rows per block (34 data lines or more)
// is read with that layout, its 17th rows having no place in the grids.
namespace CsvMapFile {

constexpr int Rows = 16;    // data rows of a grid
constexpr int Columns = 15; // data columns of a grid
// A file is 35 lines of at most 15 short fields, a few kilobytes: a longer one than this is
// no map text and is refused unread.
constexpr qint64 MaxFileBytes = 1 << 20;

// A block of rows, each a list of cell texts for columns 1..15.
using Block = QVector<QStringList>;

QString compose(const Block& petrol, const Block& gas);

struct Cell {
    int column = 1; // 1..15
    int row = 1;    // 1..16
    QString text;
    bool hasValue = false; // a non-empty field: `value` holds its number
    double value = 0.0;
};

} // namespace CsvMapFile

// A cell moves in memory like its members: the reader appends up to 480 of them per file.
Q_DECLARE_TYPEINFO(CsvMapFile::Cell, Q_RELOCATABLE_TYPE);

namespace CsvMapFile {

struct Parsed {
    QVector<Cell> petrol;
    QVector<Cell> gas;
    // Set when a field is not a number: the file's line (1 = the header) and the field.
    int badLine = 0;
    QString badField;
};

// Reads the whole text first: on a bad field nothing of it is to be used.
Parsed parse(const QString& text);

// The controller's map as the map's own save writes it: the header line and 16 rows of 15
// numbers, no second block. The measured-map file (two blocks, empty cells) is not one.
bool isMap(const Parsed& parsed);

// A number as the user's locale writes it, or with "." or "," as the decimal separator
// (files travel between machines set up for different languages).
bool toNumber(const QString& field, double* value);

} // namespace CsvMapFile
