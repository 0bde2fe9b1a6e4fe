#include "LanguageTable.h"

#include "LangFile.h"

#include <QHash>

// Outside any namespace, as Q_INIT_RESOURCE requires. The resource lives in a static library:
// nothing registers it unless we do.
static void initLangResources() {
    Q_INIT_RESOURCE(orvex_lang_texts);
}

namespace {

static_assert(LangFile::MaxId < 1100, "a language's ids must not reach the next language's keys");

struct Tables {
    // Polish at id, German at 1000 + id, English at 2000 + id: apart while ids stay below 1100.
    QHash<qint64, QString> stringTable;
    QMap<int, QString> russian; // by id
    QStringList errors;
    QList<int> ids[3]; // own ids of Polish, German, English
};

const Tables& tables() {
    static const Tables t = [] {
        initLangResources();
        Tables r;
        const char* files[3] = {":/lang/pl.txt", ":/lang/de.txt", ":/lang/en.txt"};
        for (int lang = 0; lang < 3; ++lang) {
            const LangFile f = LangFile::load(QString::fromLatin1(files[lang]));
            r.errors += f.errors();
            for (auto it = f.texts().cbegin(); it != f.texts().cend(); ++it)
                r.stringTable.insert(it.key() + 1000 * lang, it.value());
            r.ids[lang] = f.texts().keys();
        }
        const LangFile ru = LangFile::load(QStringLiteral(":/lang/ru.txt"));
        r.errors += ru.errors();
        r.russian = ru.texts();
        for (const QString& e : std::as_const(r.errors))
            qWarning("language tables: %s", qUtf8Printable(e));
        return r;
    }();
    return t;
}

} // namespace

int normalizeLanguage(int language) {
    switch (language) {
    case LanguagePolish:
    case LanguageGerman:
    case LanguageEnglish:
    case LanguageRussian:
        return language;
    default:
        return LanguageEnglish;
    }
}

LanguageTable::LanguageTable() {
    tables(); // load now rather than on the first text
}

QString LanguageTable::LangText(int id) const {
    const Tables& t = tables();
    // 64-bit so that a wild Language value cannot overflow into some other language's key.
    qint64 key = qint64(id) + 1000 * qint64(Language);
    if (key > 4000) {
        const qint64 russianId = key - 4000;
        if (russianId >= LangFile::MinId && russianId <= LangFile::MaxId) {
            const auto it = t.russian.constFind(int(russianId));
            if (it != t.russian.cend())
                return it.value();
        }
        key -= 2000;
    }
    return t.stringTable.value(key);
}

QList<int> LanguageTable::textIds(int language) {
    const Tables& t = tables();
    switch (language) {
    case LanguagePolish:
        return t.ids[0];
    case LanguageGerman:
        return t.ids[1];
    case LanguageEnglish:
        return t.ids[2];
    case LanguageRussian:
        return t.russian.keys();
    default:
        return {};
    }
}

QStringList LanguageTable::loadErrors() {
    return tables().errors;
}
