#pragma once

#include <QDate>
#include <QString>

// Where the file dialogs start, per kind of file: the folder the user last chose a file of that
// kind in (kept between runs beside the port and the language), the user's documents the first
// time; and the name a save dialog proposes.
class FileFolders {
public:
    enum class Kind { Maps, Recordings, Reports };

    // The folder last used for `kind`, while it still exists; otherwise the user's documents
    // (their home when there is no documents folder).
    static QString folder(Kind kind);
    // Keeps the folder of `chosenFile` for the next dialog of `kind`.
    static void remember(Kind kind, const QString& chosenFile);
    // "<vehicle>_<yyyy-MM-dd>.<suffix>": the controller's vehicle name with the characters a
    // file name cannot hold replaced, or "orvex" without one.
    static QString proposedName(const QString& vehicle, const QDate& date, const QString& suffix);
};
