#include "CsvMapFile.h"

#include <QLocale>

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

bool toNumber(const QString& field, double* value) {
    const QString t = field.trimmed();
    QLocale user;
    user.setNumberOptions(QLocale::RejectGroupSeparator);
    bool ok = false;
    *value = user.toDouble(t, &ok);
    if (ok) {
        return true;
    }
    QString c = t;
    c.replace(QLatin1Char(','), QLatin1Char('.'));
    *value = QLocale::c().toDouble(c, &ok);
    return ok;
}

Parsed parse(const QString& text) {
    QStringList lines = text.split(QLatin1Char('\n'));
    for (QString& line : lines) {
        if (line.endsWith(QLatin1Char('\r'))) {
            line.chop(1);
        }
    }
    while (!lines.isEmpty() && lines.last().isEmpty()) {
        lines.removeLast();
    }
    const int dataLines = static_cast<int>(lines.size()) - 1;
    const int block = dataLines >= 34 ? 17 : Rows;
    Parsed result;
    for (int n = 1; n < lines.size() && n <= 2 * block; ++n) {
        const bool gas = n > block;
        const int row = gas ? n - block : n;
        if (row > Rows) {
            continue; // a 17th row has no grid row
        }
        const QStringList fields = lines[n].split(QLatin1Char(';'));
        // Text after the last ";" is no field.
        for (int k = 1; k < fields.size() && k <= Columns; ++k) {
            Cell cell;
            cell.column = k;
            cell.row = row;
            cell.text = fields[k - 1];
            if (!cell.text.trimmed().isEmpty()) {
                if (!toNumber(cell.text, &cell.value)) {
                    result.badLine = n + 1;
                    result.badField = cell.text;
                    result.petrol.clear();
                    result.gas.clear();
                    return result;
                }
                cell.hasValue = true;
            }
            (gas ? result.gas : result.petrol).append(cell);
        }
    }
    return result;
}

} // namespace CsvMapFile
