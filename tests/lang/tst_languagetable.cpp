#include "LangControlTexts.h"
#include "LanguageTable.h"

#include <QSet>
#include <QTest>

#include <algorithm>
#include <climits>

namespace {

struct Range {
    int first;
    int last;
};

QList<int> ids(std::initializer_list<Range> ranges) {
    QList<int> out;
    for (const Range& r : ranges)
        for (int id = r.first; id <= r.last; ++id)
            out.append(id);
    return out;
}

// Typed out again from the list of text ids, not taken from the tables under test.
const QList<int> allIds = ids(
    {{100, 101}, {110, 110}, {115, 115}, {131, 142}, {144, 144}, {146, 151}, {154, 154}, {156, 158},
     {180, 190}, {201, 205}, {207, 240}, {300, 306}, {400, 402}, {410, 411}, {431, 431}, {548, 552},
     {555, 556}, {700, 705}, {710, 711}, {720, 726}, {730, 734}, {740, 746}, {750, 753}, {760, 764},
     {900, 903}, {908, 911}, {920, 924}, {930, 932}, {959, 959}});

const QList<int> germanIds =
    ids({{100, 100}, {110, 110}, {115, 115}, {131, 142}, {144, 144}, {146, 151},
         {154, 154}, {156, 158}, {180, 190}, {201, 202}, {210, 215}, {221, 221},
         {410, 411}, {431, 431}, {549, 552}, {555, 556}, {702, 703}, {720, 726},
         {741, 741}, {900, 903}, {909, 911}, {920, 924}, {930, 932}, {959, 959}});

const QList<int> notInRussian{548, 734, 745, 746, 750, 751, 752, 753, 959};

// Texts this program added for its own controls and a resumed firmware transfer, in every
// language.
const QList<int> addedIds = ids({{160, 161}, {600, 606}, {905, 907}});

// Messages of the program's own checks (map files), the link figures, the backups, the
// service report, the refused files, the map writes and the edits not written, in Polish,
// English and Russian.
const QList<int> addedButGerman =
    ids({{260, 260}, {830, 838}, {840, 870}, {880, 888}, {960, 969}, {971, 987}});

// The map tools' captions and messages, in Polish, English and Russian.
const QList<int> mapToolIds = ids({{800, 824}});

// Risky and text map files, a typed text that is no number, the settings that cannot be
// saved: in every language.
const QList<int> fileAndNoteIds = ids({{990, 994}});

QList<int> withAdded(QList<int> list, bool german = false) {
    list.append(addedIds);
    list.append(fileAndNoteIds);
    if (!german)
        list.append(addedButGerman);
    if (!german)
        list.append(mapToolIds);
    std::sort(list.begin(), list.end());
    return list;
}

QString textIn(int language, int id) {
    LanguageTable t;
    t.Language = language;
    return t.LangText(id);
}

const LangControlText* findRow(const char* name, LangProperty property, int tag) {
    for (const LangControlText& row : langControlTexts())
        if (qstrcmp(row.objectName, name) == 0 && row.property == property &&
            (row.onlyWhenTag == -1 || row.onlyWhenTag == tag))
            return &row;
    return nullptr;
}

} // namespace

class TstLanguageTable : public QObject {
    Q_OBJECT

private slots:
    void compiledInTextFilesReadWithoutErrors();
    void everyLanguageHoldsExactlyItsIds();
    void polishAndEnglishHaveATextForEveryId();
    void noTextIsLongerThan255Characters();
    void russianTextsAreInRussianExceptTheEnglishWordedOnes();
    void spacesAroundATextMatchThePolishOne();

    void keyRuleGivesTheLanguagesTextOrItsFallback_data();
    void keyRuleGivesTheLanguagesTextOrItsFallback();
    void russianFallsBackToEnglishForItsNineMissingIds();
    void languageIsReadAtEveryCall();
    void quotedTextsAreByteExact_data();
    void quotedTextsAreByteExact();

    void unknownLanguageNumbersBecomeEnglish_data();
    void unknownLanguageNumbersBecomeEnglish();
    void controlTableNamesTheRightTexts_data();
    void controlTableNamesTheRightTexts();
    void controlTableStartsWithTheMenusAndEndsWithTheMapGroup();
    void controlTableSetsNoPropertyTwice();
    void everyTextNamedForTheWindowExists();
};

void TstLanguageTable::compiledInTextFilesReadWithoutErrors() {
    QVERIFY2(LanguageTable::loadErrors().isEmpty(),
             qPrintable(LanguageTable::loadErrors().join(u'\n')));
}

void TstLanguageTable::everyLanguageHoldsExactlyItsIds() {
    QCOMPARE(allIds.size(), 150);
    QCOMPARE(germanIds.size(), 81);
    QList<int> russianIds = allIds;
    for (int id : notInRussian)
        russianIds.removeOne(id);
    QCOMPARE(russianIds.size(), 141);

    QCOMPARE(LanguageTable::textIds(LanguagePolish), withAdded(allIds));
    QCOMPARE(LanguageTable::textIds(LanguageEnglish), withAdded(allIds));
    QCOMPARE(LanguageTable::textIds(LanguageGerman), withAdded(germanIds, true));
    QCOMPARE(LanguageTable::textIds(LanguageRussian), withAdded(russianIds));
    QVERIFY(LanguageTable::textIds(3).isEmpty());
}

void TstLanguageTable::polishAndEnglishHaveATextForEveryId() {
    // No text is meant to be empty; an empty one would blank a caption or a message box.
    for (int lang : {LanguagePolish, LanguageEnglish, LanguageRussian})
        for (int id : allIds)
            QVERIFY2(!textIn(lang, id).trimmed().isEmpty(),
                     qPrintable(QStringLiteral("language %1, id %2").arg(lang).arg(id)));
    for (int id : germanIds)
        QVERIFY2(!textIn(LanguageGerman, id).trimmed().isEmpty(), qPrintable(QString::number(id)));
}

void TstLanguageTable::noTextIsLongerThan255Characters() {
    for (int lang : {LanguagePolish, LanguageGerman, LanguageEnglish, LanguageRussian})
        for (int id : allIds)
            QVERIFY2(textIn(lang, id).size() <= 255, qPrintable(QString::number(id)));
}

void TstLanguageTable::russianTextsAreInRussianExceptTheEnglishWordedOnes() {
    // Names, abbreviations and the pre-programming warning are meant to be in Latin letters.
    const QSet<int> latinOnly{100, 211, 411, 740};
    for (int id : LanguageTable::textIds(LanguageRussian)) {
        const QString text = textIn(LanguageRussian, id);
        bool cyrillic = false;
        for (QChar c : text)
            cyrillic = cyrillic || (c.unicode() >= 0x0400 && c.unicode() <= 0x04FF);
        QVERIFY2(cyrillic != latinOnly.contains(id), qPrintable(QString::number(id) + u' ' + text));
    }
}

void TstLanguageTable::spacesAroundATextMatchThePolishOne() {
    // Leading and trailing spaces pad captions and message boxes; an editor that strips them
    // would change the look silently. Only these English texts are padded differently.
    const QSet<int> englishPaddedOtherwise{740, 741, 901};
    const auto padding = [](const QString& s) {
        return std::pair(s.startsWith(u' '), s.endsWith(u' '));
    };
    for (int lang : {LanguageGerman, LanguageEnglish, LanguageRussian}) {
        for (int id : LanguageTable::textIds(lang)) {
            if (lang == LanguageEnglish && englishPaddedOtherwise.contains(id))
                continue;
            QVERIFY2(padding(textIn(lang, id)) == padding(textIn(LanguagePolish, id)),
                     qPrintable(QStringLiteral("language %1, id %2").arg(lang).arg(id)));
        }
    }
}

void TstLanguageTable::keyRuleGivesTheLanguagesTextOrItsFallback_data() {
    QTest::addColumn<int>("language");
    QTest::addColumn<int>("id");
    QTest::addColumn<QString>("expected");
    QTest::newRow("Polish connect") << 0 << 140 << QString::fromUtf8("POŁĄCZ");
    QTest::newRow("English connect") << 2 << 140 << QStringLiteral("CONNECT");
    QTest::newRow("Russian connect") << 4 << 140 << QString::fromUtf8("СОЕДИНИТЬ");
    QTest::newRow("German connect") << 1 << 140 << QStringLiteral("VERBINDEN");
    QTest::newRow("German disconnect") << 1 << 139 << QStringLiteral("Verb. trennen");
    QTest::newRow("Russian disconnect as written") << 4 << 139 << QString::fromUtf8("Разеденить");
    QTest::newRow("German without a text is empty, not Polish") << 1 << 203 << QString();
    QTest::newRow("German without a text is empty, not English") << 1 << 548 << QString();
    QTest::newRow("Russian without a text takes English")
        << 4 << 548 << QStringLiteral("Read current parameters");
    QTest::newRow("Russian menu item in Russian") << 4 << 959 << QStringLiteral("russian");
    QTest::newRow("Russian menu item in German") << 1 << 959 << QStringLiteral("russian");
    QTest::newRow("Russian menu item in Polish") << 0 << 959 << QStringLiteral("russian");
    QTest::newRow("language names") << 1 << 100 << QStringLiteral("Deutsch");
    QTest::newRow("Russian version label") << 4 << 158 << QString::fromUtf8("Версия программы");
    QTest::newRow("unused number 3 has no texts") << 3 << 140 << QString();
    QTest::newRow("number 5 finds no Russian text") << 5 << 140 << QString();
    QTest::newRow("negative number finds nothing") << -1 << 140 << QString();
    QTest::newRow("huge number does not wrap into a table") << INT_MAX << 140 << QString();
    QTest::newRow("id below the range") << 0 << 99 << QString();
    QTest::newRow("id above the range") << 2 << 1020 << QString();
    QTest::newRow("gap in the ids") << 0 << 206 << QString();
    QTest::newRow("Russian gap falls back to an empty English") << 4 << 206 << QString();
}

void TstLanguageTable::keyRuleGivesTheLanguagesTextOrItsFallback() {
    QFETCH(int, language);
    QFETCH(int, id);
    QFETCH(QString, expected);
    QCOMPARE(textIn(language, id), expected);
}

void TstLanguageTable::russianFallsBackToEnglishForItsNineMissingIds() {
    for (int id : notInRussian)
        QCOMPARE(textIn(LanguageRussian, id), textIn(LanguageEnglish, id));
    // ...and only for those: a Russian text of its own is not the English one.
    QCOMPARE(textIn(LanguageRussian, 740).isEmpty(), false);
    QVERIFY(textIn(LanguageRussian, 740) != textIn(LanguageEnglish, 740));
}

void TstLanguageTable::languageIsReadAtEveryCall() {
    LanguageTable t;
    const LangSource& source = t;
    QCOMPARE(source.LangText(110), QStringLiteral("Parametry"));
    t.Language = LanguageEnglish;
    QCOMPARE(source.LangText(110), QStringLiteral("Parameters"));
    t.Language = LanguageRussian;
    QCOMPARE(source.LangText(110), QString::fromUtf8("Параметры"));
}

void TstLanguageTable::quotedTextsAreByteExact_data() {
    QTest::addColumn<int>("language");
    QTest::addColumn<int>("id");
    QTest::addColumn<QString>("expected");
    const auto pl = [](int id, const char* utf8) {
        QTest::addRow("pl %d", id) << 0 << id << QString::fromUtf8(utf8);
    };
    const auto en = [](int id, const char* utf8) {
        QTest::addRow("en %d", id) << 2 << id << QString::fromUtf8(utf8);
    };
    pl(740, "\n\r  Aby wgrywać oprogramowanie :  \n\r  wyłącz silnik  \n\r  i pozostaw włączoną "
            "stacyjkę.  ");
    en(740, "\n\r    For software installation,    \n\r          stop engine!\n\r");
    pl(741, "\n\r  Do prawidłowej obsługi tego sterownika   \n\r  wymagana jest nowsza wersja "
            "programu.");
    en(741,
       "\n\r  For proper operation of this controller \n\r  newer software version required. ");
    pl(726, " Czy ustawić domyślne nastawy ? \n\r Spowoduje to utracenie aktualnych ustawień ! ");
    en(726, " Set controller to default parameters ? \n\r Current settings will be lost ! ");
    en(901, "   Start software installation ?   \n\r");
    pl(900, " Orvex Programowanie ! ");
    en(908, " Programming stopped! Data error!  ");
    pl(909, "  Programowanie przerwane ! Brak połączenia !  ");
    pl(920, "  Błąd oprogramowania !  ");
    en(920, "  Software error!  ");
    pl(903, "Czas do zakończenia : ");
    pl(734, "Aby zaznaczyć [Shift]+[^][v][<][>],   aby zmienić [Ctrl][^][v]");
    pl(750, " Sygnał  Bosch (60-2) lub  Ford (36-1) zębów");
    en(753, " Toyota (36-2) teeth");
    pl(702, " Nie można otworzyć pliku ");
    en(702, " Cannot open file ");
    pl(703, " Błędne dane ");
    en(711, "binary file (*.bin)|*.bin|all files|*.*");
    pl(710, "plik csv (*.csv)|*.csv|wszystki pliki|*.*");
    pl(306, "Kąt|[ ' ]");
    pl(150, " obr/min");
    pl(400, " Odłączony");
    pl(410, " Błąd");
    pl(144, "GAZ");
    pl(225, " Polaryzacja wyjścia ");
    en(235, " Input signal threshold [V] ");
    pl(237, " Mapa ");
    en(230, " Top dead GMP/impulse");
    pl(548, "Odczytuje bieżęce nastawy");
    pl(730, "Wybierz model/typ samochodu, następnie wersję oprogramowania");
    en(745, "Vehicles equipped with a Hall-effect crankshaft position sensor");
}

void TstLanguageTable::quotedTextsAreByteExact() {
    QFETCH(int, language);
    QFETCH(int, id);
    QFETCH(QString, expected);
    QCOMPARE(textIn(language, id), expected);
}

void TstLanguageTable::unknownLanguageNumbersBecomeEnglish_data() {
    QTest::addColumn<int>("stored");
    QTest::addColumn<int>("applied");
    QTest::newRow("Polish") << 0 << 0;
    QTest::newRow("German") << 1 << 1;
    QTest::newRow("English") << 2 << 2;
    QTest::newRow("unused 3") << 3 << 2;
    QTest::newRow("Russian") << 4 << 4;
    QTest::newRow("5") << 5 << 2;
    QTest::newRow("negative") << -1 << 2;
    QTest::newRow("huge") << INT_MAX << 2;
}

void TstLanguageTable::unknownLanguageNumbersBecomeEnglish() {
    QFETCH(int, stored);
    QFETCH(int, applied);
    QCOMPARE(normalizeLanguage(stored), applied);
}

void TstLanguageTable::controlTableNamesTheRightTexts_data() {
    QTest::addColumn<QByteArray>("objectName");
    QTest::addColumn<int>("property");
    QTest::addColumn<int>("tag");
    QTest::addColumn<QString>("polish");
    QTest::addColumn<QString>("english");
    const auto row = [](const char* name, LangProperty p, int tag, const char* pl, const char* en) {
        QTest::addRow("%s %d tag %d", name, int(p), tag)
            << QByteArray(name) << int(p) << tag << QString::fromUtf8(pl) << QString::fromUtf8(en);
    };
    const auto C = LangProperty::Caption;
    const auto H = LangProperty::Hint;
    row("MenuPliki", C, 0, "&Pliki", "&File");
    row("MenuPomoc", C, 0, "Pomo&c", "Help");
    row("MenuPomocDok", C, 0, "&Dokumentacja", "&Documentation");
    row("MunuJezykRU", C, 0, "russian", "russian");
    row("ZakladkaProg", C, 0, "Aktualizacja", "Version");
    row("Button1", C, 0, "Odśwież", "Refresh");
    row("Button1", C, 2, "Wgraj", "Write");
    row("Button1", H, 1, "Odczytuje bieżęce nastawy", "Read current parameters");
    row("Button2", H, 0, "Ustawia domyślne nastawy", "Set default parameters");
    row("PanelError", C, 0, "Brak połączenia", "No connection");
    row("OpisKor", C, 0, "Czujnik położenia wału korbowego", "Crankshaft position sensor :");
    row("Label5", C, 0, " m/obr", " m/rpm");
    row("PanelRoz", C, 0, "Sygnał", "Signal");
    row("ToolBtnMapKasuj", H, 0, "Kasuj", "ERASE");
    row("ToolBtnSave", H, 0, "Zapisz plik mapy", "Save map file");
    row("CheckBoxKP", C, 0, "Kontrola podłączenia", "Sensor connection control");
    row("CheckBoxKP", H, 0, "Aby zastosować wyłącz silnik!", "To change stop engine!");
    row("TxtMIN", C, 0, " Min. sygnał", " Min signal");
    row("PanelTxt4", C, 0, " Max. sygnał", " Max signal");
    row("RGKomRoz", C, 0, " Próg sygnału wej. [V] ", " Input signal threshold [V] ");
    row("RGMapSor", C, 0, " Źródło sygnału ", " Signal source ");
    row("RGMapa", LangProperty::FirstItem, 0, "wył.", "OFF");
}

void TstLanguageTable::controlTableNamesTheRightTexts() {
    QFETCH(QByteArray, objectName);
    QFETCH(int, property);
    QFETCH(int, tag);
    QFETCH(QString, polish);
    QFETCH(QString, english);
    const LangControlText* r = findRow(objectName.constData(), LangProperty(property), tag);
    QVERIFY(r);
    QCOMPARE(textIn(LanguagePolish, r->textId), polish);
    QCOMPARE(textIn(LanguageEnglish, r->textId), english);
}

void TstLanguageTable::controlTableStartsWithTheMenusAndEndsWithTheMapGroup() {
    const auto rows = langControlTexts();
    QVERIFY(!rows.empty());
    QCOMPARE(rows.front().objectName, "MenuPliki");
    QCOMPARE(rows.back().objectName, "RGMapa");
    QCOMPARE(rows.back().property, LangProperty::FirstItem);
    // Button1 keeps its caption for any tab other than 0 and 2.
    QVERIFY(!findRow("Button1", LangProperty::Caption, 1));
    // Language items other than the Russian one keep their laid-out captions.
    for (const char* name : {"MunuJezykPl", "MunuJezykDU", "MunuJezykGB"})
        QVERIFY2(!findRow(name, LangProperty::Caption, 0), name);
}

void TstLanguageTable::controlTableSetsNoPropertyTwice() {
    QSet<QString> seen;
    for (const LangControlText& r : langControlTexts()) {
        const QString key = QStringLiteral("%1/%2/%3")
                                .arg(QLatin1String(r.objectName))
                                .arg(int(r.property))
                                .arg(r.onlyWhenTag);
        QVERIFY2(!seen.contains(key), qPrintable(key));
        seen.insert(key);
    }
}

void TstLanguageTable::everyTextNamedForTheWindowExists() {
    QList<int> named;
    for (const LangControlText& r : langControlTexts())
        named.append(r.textId);
    for (const LangChartText& c : langChartTexts())
        named.append(c.textId);
    named << langFacadeTexts().connectCaption << langFacadeTexts().disconnectCaption;
    for (int id : named)
        QVERIFY2(allIds.contains(id), qPrintable(QString::number(id)));

    // The chart's titles and axes, and the port menu's toggle, in Polish.
    QMap<int, QString> chart;
    for (const LangChartText& c : langChartTexts())
        chart.insert(c.kind, textIn(LanguagePolish, c.textId));
    QCOMPARE(chart.value(23), QString::fromUtf8("Mapa korekty zapłonu gazu"));
    QCOMPARE(chart.value(24), QString::fromUtf8("Mapa zapłonu gazu"));
    QCOMPARE(chart.value(20), QStringLiteral("RPM|[obr/min]"));
    QCOMPARE(chart.value(21), QString::fromUtf8("Obciążenie|[%]"));
    QCOMPARE(chart.value(22), QString::fromUtf8("Kąt|[ ' ]"));
    QCOMPARE(textIn(LanguageEnglish, langFacadeTexts().connectCaption), QStringLiteral("CONNECT"));
    QCOMPARE(textIn(LanguageEnglish, langFacadeTexts().disconnectCaption),
             QStringLiteral("Disconnect"));
}

QTEST_GUILESS_MAIN(TstLanguageTable)
#include "tst_languagetable.moc"
