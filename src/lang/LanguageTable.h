#pragma once

#include "LangSource.h"

#include <QList>
#include <QStringList>

// Language numbers as the settings store keeps them; 3 is never used.
enum LanguageNumber : int {
    LanguagePolish = 0,
    LanguageGerman = 1,
    LanguageEnglish = 2,
    LanguageRussian = 4,
};

// The number ApplyLanguage settles on: 0, 1, 2 and 4 stay, anything else becomes English.
int normalizeLanguage(int language);

// The texts of every text id in the four languages, compiled into the program from the
// translator-editable files under resources/lang.
//
// Lookup: key = id + 1000 x Language. Keys above 4000 take the Russian text when the Russian
// table holds that id, else the English key (key - 2000). Polish, German and English keys come
// from one string table; an absent key gives an empty text, so German has no fallback.
class LanguageTable : public LangSource {
public:
    LanguageTable();

    // The window's field, read at every call: texts fetched after a switch are in the new
    // language. Not normalised here; ApplyLanguage does that.
    int Language = LanguagePolish;

    QString LangText(int id) const override;

    // Ids that the language's own table holds (sorted); empty for numbers other than 0, 1, 2, 4.
    static QList<int> textIds(int language);

    // Problems found while reading the compiled-in text files; empty when all is well.
    static QStringList loadErrors();
};
