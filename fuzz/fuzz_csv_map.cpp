// The csv map reader on any text: every cell it keeps has its place in a grid (columns 1..15,
// rows 1..16, at most one of each per grid), a field that is not a number refuses the whole
// file, every value kept is a finite number, and grids written out and read back give the
// same cells. The cell text rules the grid applies afterwards run on each field too.

#include "CsvMapFile.h"
#include "FuzzInput.h"
#include "MapCellValue.h"

#include <QLocale>

#include <cmath>

namespace {

void checkCells(const QVector<CsvMapFile::Cell>& cells) {
    FUZZ_CHECK(cells.size() <= CsvMapFile::Rows * CsvMapFile::Columns);
    bool seen[CsvMapFile::Rows + 1][CsvMapFile::Columns + 1] = {};
    for (const CsvMapFile::Cell& c : cells) {
        FUZZ_CHECK(c.column >= 1 && c.column <= CsvMapFile::Columns);
        FUZZ_CHECK(c.row >= 1 && c.row <= CsvMapFile::Rows);
        FUZZ_CHECK(!seen[c.row][c.column]);
        seen[c.row][c.column] = true;
        FUZZ_CHECK(c.hasValue == !c.text.trimmed().isEmpty());
        FUZZ_CHECK(std::isfinite(c.value));
        FUZZ_CHECK(std::isfinite(MapCellValue::angleOf(c.text)));
        if (const auto t = MapCellValue::typed(c.text)) {
            FUZZ_CHECK(t->angle >= -25.6 && t->angle <= 25.4 && t->v >= -128 && t->v <= 127);
        }
    }
}

// The grids as the window would write them back: each kept cell's text in its place.
CsvMapFile::Block blockOf(const QVector<CsvMapFile::Cell>& cells) {
    // Rows of their own from the start: rows sharing one list would each be copied when first
    // written.
    CsvMapFile::Block b(CsvMapFile::Rows);
    for (QStringList& row : b) {
        row.resize(CsvMapFile::Columns);
    }
    for (const CsvMapFile::Cell& c : cells) {
        // A field with ";" or a line break in it cannot come out of the reader.
        b[c.row - 1][c.column - 1] = c.text;
    }
    return b;
}

// What was read back in the place of each cell: the text written there, and every place of
// the grid is read (an empty text where nothing was kept). Compared cell by cell, without
// building the read grids.
void checkReadBack(const QVector<CsvMapFile::Cell>& back, const CsvMapFile::Block& written) {
    bool seen[CsvMapFile::Rows][CsvMapFile::Columns] = {};
    for (const CsvMapFile::Cell& c : back) {
        FUZZ_CHECK(c.row >= 1 && c.row <= CsvMapFile::Rows);
        FUZZ_CHECK(c.column >= 1 && c.column <= CsvMapFile::Columns);
        FUZZ_CHECK(c.text == written[c.row - 1][c.column - 1]);
        seen[c.row - 1][c.column - 1] = true;
    }
    for (int r = 0; r < CsvMapFile::Rows; ++r) {
        for (int k = 0; k < CsvMapFile::Columns; ++k) {
            FUZZ_CHECK(seen[r][k] || written[r][k].isEmpty());
        }
    }
}

// The reader's own conversion of the usual field gives what the locale's conversion gives
// (the same acceptance, the same double): checked on one field an input, the locale's
// conversion being what the reader avoids for its speed.
void checkConversion(const QVector<CsvMapFile::Cell>& cells) {
    for (const CsvMapFile::Cell& c : cells) {
        if (!c.hasValue) {
            continue;
        }
        QLocale user;
        user.setNumberOptions(QLocale::RejectGroupSeparator);
        const QString t = c.text.trimmed();
        bool ok = false;
        double expected = user.toDouble(t, &ok);
        if (!ok) {
            expected = QLocale::c().toDouble(QString(t).replace(u',', u'.'), &ok);
        }
        FUZZ_CHECK(ok && expected == c.value && std::signbit(expected) == std::signbit(c.value));
        return;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    const CsvMapFile::Parsed p = CsvMapFile::parse(text);
    if (p.badLine != 0) {
        FUZZ_CHECK(p.petrol.isEmpty() && p.gas.isEmpty());
        // "\n", "\r\n" and a lone "\r" each end a line.
        const qsizetype breaks = text.count(QLatin1Char('\n')) + text.count(QLatin1Char('\r')) -
                                 text.count(QStringLiteral("\r\n"));
        FUZZ_CHECK(p.badLine >= 2 && p.badLine <= breaks + 1);
        return 0;
    }
    checkCells(p.petrol);
    checkCells(p.gas);
    checkConversion(p.petrol);

    // Each grid is built once: it is written out and compared with what is read back.
    const CsvMapFile::Block petrol = blockOf(p.petrol);
    const CsvMapFile::Block gas = blockOf(p.gas);
    const CsvMapFile::Parsed back = CsvMapFile::parse(CsvMapFile::compose(petrol, gas));
    FUZZ_CHECK(back.badLine == 0);
    checkReadBack(back.petrol, petrol);
    checkReadBack(back.gas, gas);
    return 0;
}
