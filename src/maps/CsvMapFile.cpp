#include "CsvMapFile.h"

#include <QLocale>
#include <QVarLengthArray>

#include <algorithm>

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

bool toNumberIn(const QLocale& user, QStringView field, double* value) {
    const QStringView t = field.trimmed();
    bool ok = false;
    *value = user.toDouble(t, &ok);
    if (ok) {
        return true;
    }
    QString c = t.toString();
    c.replace(QLatin1Char(','), QLatin1Char('.'));
    *value = QLocale::c().toDouble(c, &ok);
    return ok;
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
    // Lines as views into the text ("\r" before the "\n" dropped). Past the lines the grids
    // use, the text only tells whether a further line has something in it (the 17-row layout).
    QVarLengthArray<QStringView, UsedLines> lines;
    const QStringView all(text);
    qsizetype lastFilled = -1; // the last line that is not empty
    qsizetype index = 0;
    for (qsizetype pos = 0;; ++index) {
        const qsizetype newline = all.indexOf(QLatin1Char('\n'), pos);
        QStringView line = all.sliced(pos, (newline < 0 ? all.size() : newline) - pos);
        if (line.endsWith(QLatin1Char('\r'))) {
            line.chop(1);
        }
        if (index < UsedLines) {
            lines.append(line);
        }
        if (!line.isEmpty()) {
            lastFilled = index;
        }
        if (newline < 0 || lastFilled >= UsedLines - 1) {
            break;
        }
        pos = newline + 1;
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
        qsizetype start = 0;
        // Text after the last ";" is no field.
        for (int k = 1; k <= Columns; ++k) {
            const qsizetype end = line.indexOf(QLatin1Char(';'), start);
            if (end < 0) {
                break;
            }
            const QStringView field = line.sliced(start, end - start);
            start = end + 1;
            // Made in its place; on a bad field the whole result is dropped anyway.
            Cell& cell = cells.emplaceBack();
            cell.column = k;
            cell.row = row;
            cell.text = field.toString();
            if (!field.trimmed().isEmpty()) {
                if (!toNumberIn(user, field, &cell.value)) {
                    result.badLine = n + 1;
                    result.badField = cell.text;
                    result.petrol.clear();
                    result.gas.clear();
                    return result;
                }
                cell.hasValue = true;
            }
        }
    }
    return result;
}

} // namespace CsvMapFile
