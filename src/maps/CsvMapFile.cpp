#include "CsvMapFile.h"

#include <QLocale>
#include <QVarLengthArray>

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace CsvMapFile {

QString compose(const Block& petrol, const Block& gas) {
    QString out = QStringLiteral("#16;17;6400;100;50\r\n");
    for (const Block* block : {&petrol, &gas}) {
        for (const QStringList& row : *block) {
            for (const QString& field : row) {
                out += field;
                out += QLatin1Char(';');
            }
            out += QStringLiteral("\r\n");
        }
    }
    return out;
}

namespace {

// The first lines are all a file's grids can use: the header and two blocks of at most 17.
constexpr int UsedLines = 1 + 2 * 17;

// The usual field, an optional sign, Latin digits and at most one "." or "," between digits,
// without asking the locale: whatever its separators, such a text means the same number (a
// group separator is refused, so "1.5" and "1,5" are 1.5 in any locale, as the fallback below
// reads them). Up to 15 digits the digits are a whole number held exactly and one division by
// an exact power of ten rounds once, as the locale's conversion does. Anything else: false.
bool plainNumber(QStringView t, double* value) {
    const qsizetype n = t.size();
    if (n == 0 || n > 17) {
        return false;
    }
    const char16_t* c = t.utf16();
    qsizetype i = 0;
    const bool negative = c[0] == u'-';
    if (negative || c[0] == u'+') {
        ++i;
    }
    std::int64_t digits = 0;
    int count = 0;
    int decimals = -1; // digits after the separator; -1 while there is none
    for (; i < n; ++i) {
        const char16_t ch = c[i];
        if (ch >= u'0' && ch <= u'9') {
            digits = digits * 10 + (ch - u'0');
            ++count;
            if (decimals >= 0) {
                ++decimals;
            }
        } else if ((ch == u'.' || ch == u',') && decimals < 0 && count > 0) {
            decimals = 0;
        } else {
            return false;
        }
    }
    if (count == 0 || count > 15 || decimals == 0) {
        return false;
    }
    static constexpr double Powers[] = {1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                        1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
    const double magnitude = double(digits) / Powers[decimals < 0 ? 0 : decimals];
    *value = negative ? -magnitude : magnitude;
    return true;
}

bool toNumberIn(const QLocale& user, QStringView field, double* value) {
    const QStringView t = field.trimmed();
    if (plainNumber(t, value)) {
        return true;
    }
    // The locale's conversion also takes "nan" and "inf": no cell value, so no number here.
    bool ok = false;
    *value = user.toDouble(t, &ok);
    if (ok) {
        return std::isfinite(*value);
    }
    QString c = t.toString();
    c.replace(QLatin1Char(','), QLatin1Char('.'));
    *value = QLocale::c().toDouble(c, &ok);
    return ok && std::isfinite(*value);
}

// Where the line break after `pos` starts, and its length: "\r\n", "\n" or a lone "\r" (files
// from older systems). -1 when the text ends without one.
qsizetype nextBreak(QStringView all, qsizetype pos, qsizetype* length) {
    const char16_t* c = all.utf16();
    const qsizetype n = all.size();
    for (qsizetype i = pos; i < n; ++i) {
        if (c[i] == u'\n') {
            *length = 1;
            return i;
        }
        if (c[i] == u'\r') {
            *length = i + 1 < n && c[i + 1] == u'\n' ? 2 : 1;
            return i;
        }
    }
    return -1;
}

QLocale userLocale() {
    QLocale user;
    user.setNumberOptions(QLocale::RejectGroupSeparator);
    return user;
}

} // namespace

bool toNumber(const QString& field, double* value) {
    return toNumberIn(userLocale(), field, value);
}

Parsed parse(const QString& text) {
    // Lines as views into the text, without their line breaks. Past the lines the grids use,
    // the text only tells whether a further line has something in it (the 17-row layout).
    QVarLengthArray<QStringView, UsedLines> lines;
    const QStringView all(text);
    qsizetype lastFilled = -1; // the last line that is not empty
    qsizetype index = 0;
    for (qsizetype pos = 0;; ++index) {
        qsizetype breakLength = 0;
        const qsizetype newline = nextBreak(all, pos, &breakLength);
        const QStringView line = all.sliced(pos, (newline < 0 ? all.size() : newline) - pos);
        if (index < UsedLines) {
            lines.append(line);
        }
        if (!line.isEmpty()) {
            lastFilled = index;
        }
        if (newline < 0 || lastFilled >= UsedLines - 1) {
            break;
        }
        pos = newline + breakLength;
    }
    // Empty lines at the end do not count.
    const qsizetype lineCount = std::min<qsizetype>(lastFilled + 1, lines.size());
    const int dataLines = static_cast<int>(lastFilled);
    const int block = dataLines >= 34 ? 17 : Rows;
    Parsed result;
    const QLocale user = userLocale();
    for (int n = 1; n < lineCount && n <= 2 * block; ++n) {
        const bool gas = n > block;
        const int row = gas ? n - block : n;
        if (row > Rows) {
            continue; // a 17th row has no grid row
        }
        QVector<Cell>& cells = gas ? result.gas : result.petrol;
        if (cells.isEmpty()) {
            cells.reserve(Rows * Columns);
        }
        const QStringView line = lines[n];
        // Text after the last ";" is no field: the line's cells are made at once, then filled.
        const int fields = static_cast<int>(std::min<qsizetype>(line.count(u';'), Columns));
        const qsizetype first = cells.size();
        cells.resize(first + fields);
        Cell* cell = cells.data() + first;
        qsizetype start = 0;
        for (int k = 1; k <= fields; ++k, ++cell) {
            const qsizetype end = line.indexOf(u';', start);
            const QStringView field = line.sliced(start, end - start);
            start = end + 1;
            cell->column = k;
            cell->row = row;
            cell->text = field.toString();
            if (!field.trimmed().isEmpty()) {
                if (!toNumberIn(user, field, &cell->value)) {
                    result.badLine = n + 1;
                    result.badField = cell->text;
                    result.petrol.clear();
                    result.gas.clear();
                    return result;
                }
                cell->hasValue = true;
            }
        }
    }
    return result;
}

bool isMap(const Parsed& parsed) {
    if (parsed.badLine != 0 || !parsed.gas.isEmpty() || parsed.petrol.size() != Rows * Columns) {
        return false;
    }
    return std::all_of(parsed.petrol.cbegin(), parsed.petrol.cend(),
                       [](const Cell& cell) { return cell.hasValue; });
}

} // namespace CsvMapFile
