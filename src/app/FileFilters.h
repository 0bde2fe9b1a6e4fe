#pragma once

#include <QString>
#include <QStringList>

// The file dialogs' filters, written in the texts as "name|pattern|name|pattern" (patterns
// joined by ";"), as a dialog reads them: each name followed by its patterns in brackets. A
// name alone would be read as patterns itself ("all files" lists nothing), and "*.*" would
// leave out the names without a dot: it stands for every file.
namespace FileFilters {

// One filter: "all files" and "*.*" give "all files (*)"; a name that already ends with its
// patterns in brackets gets them from `pattern`.
QString nameFilter(const QString& name, const QString& pattern);
// Every filter of a text.
QStringList nameFilters(const QString& text);

} // namespace FileFilters
