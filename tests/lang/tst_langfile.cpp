#include "LangFile.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

// The text file format a translator edits: escapes, line ends, and above all that a broken line
// is reported and loses only its own text.
class TstLangFile : public QObject {
    Q_OBJECT

private slots:
    void escapesGiveBackLineBreaksTabsAndBackslashes_data();
    void escapesGiveBackLineBreaksTabsAndBackslashes();
    void windowsLineEndsAndByteOrderMarkAreNotPartOfTheTexts();
    void commentsAndEmptyLinesAreSkippedButCountedInLineNumbers();
    void malformedLineIsReportedAndLeavesItsNeighboursInPlace_data();
    void malformedLineIsReportedAndLeavesItsNeighboursInPlace();
    void repeatedIdKeepsTheFirstTextAndIsReported();
    void overlongTextIsCutTo255CharactersAndReported();
    void fileThatCannotBeReadGivesNoTextsAndIsReported_data();
    void fileThatCannotBeReadGivesNoTextsAndIsReported();
    void endlessRunOfBrokenLinesIsReportedInShort();
};

void TstLangFile::escapesGiveBackLineBreaksTabsAndBackslashes_data() {
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<QString>("expected");
    QTest::newRow("line breaks with spaces around")
        << QByteArray("740\t\\n\\r  Aby wgrywać :  \\n\\r")
        << QString::fromUtf8("\n\r  Aby wgrywać :  \n\r");
    QTest::newRow("tab") << QByteArray("101\tPłytka :\\t\\t") << QString::fromUtf8("Płytka :\t\t");
    QTest::newRow("escaped backslash before n stays two characters")
        << QByteArray("101\tC:\\\\new") << QStringLiteral("C:\\new");
    QTest::newRow("surrounding spaces kept")
        << QByteArray("702\t Cannot open file ") << QStringLiteral(" Cannot open file ");
    QTest::newRow("bars and stars untouched") << QByteArray("711\tbin (*.bin)|*.bin|all|*.*")
                                              << QStringLiteral("bin (*.bin)|*.bin|all|*.*");
}

void TstLangFile::escapesGiveBackLineBreaksTabsAndBackslashes() {
    QFETCH(QByteArray, line);
    QFETCH(QString, expected);
    const LangFile f = LangFile::parse(line, QStringLiteral("t.txt"));
    QVERIFY2(f.errors().isEmpty(), qPrintable(f.errors().join(u'\n')));
    QCOMPARE(f.texts().size(), 1);
    QCOMPARE(f.texts().first(), expected);
}

void TstLangFile::windowsLineEndsAndByteOrderMarkAreNotPartOfTheTexts() {
    const LangFile f = LangFile::parse("\xEF\xBB\xBF"
                                       "100\tpolski\r\n237\t Mapa \r\n",
                                       QStringLiteral("t.txt"));
    QVERIFY(f.errors().isEmpty());
    QCOMPARE(f.texts().value(100), QStringLiteral("polski"));
    QCOMPARE(f.texts().value(237), QStringLiteral(" Mapa "));
}

void TstLangFile::commentsAndEmptyLinesAreSkippedButCountedInLineNumbers() {
    const LangFile f = LangFile::parse("# header\n\n100\tA\n# 101\tnot a text\n102 broken\n",
                                       QStringLiteral("x.txt"));
    QCOMPARE(f.texts().keys(), QList<int>{100});
    QCOMPARE(f.errors().size(), 1);
    QVERIFY2(f.errors().first().startsWith(QStringLiteral("x.txt:5:")),
             qPrintable(f.errors().first()));
}

void TstLangFile::malformedLineIsReportedAndLeavesItsNeighboursInPlace_data() {
    QTest::addColumn<QByteArray>("middle");
    QTest::addColumn<QString>("reason");
    // The whole message after "pl.txt:2: ".
    const QString notId = QStringLiteral("\" is not a text id (100..1019)");
    QTest::newRow("no tab") << QByteArray("101 Informacje")
                            << QStringLiteral("no tab between the id and the text");
    QTest::newRow("letter in the id") << QByteArray("1O1\tInformacje") << "\"1O1" + notId;
    QTest::newRow("space before the id") << QByteArray(" 101\tInformacje") << "\" 101" + notId;
    QTest::newRow("id below 100") << QByteArray("99\tx") << "\"99" + notId;
    QTest::newRow("id above 1019") << QByteArray("1020\tx") << "\"1020" + notId;
    QTest::newRow("empty id") << QByteArray("\tx") << "\"" + notId;
    QTest::newRow("unknown escape")
        << QByteArray("101\ta\\x") << QStringLiteral("id 101: unknown escape \\x");
    QTest::newRow("backslash at the end")
        << QByteArray("101\ta\\")
        << QStringLiteral("id 101: backslash at the end of the text (write \\\\)");
    QTest::newRow("second column") << QByteArray("101\tInformacje\tInfo")
                                   << QStringLiteral("id 101: tab inside the text (write \\t)");
    QTest::newRow("not UTF-8") << QByteArray("101\tInformacje \xB3\xB9")
                               << QStringLiteral("not valid UTF-8");
    QTest::newRow("binary junk") << QByteArray("\x01\x02PNG\x1a\x00\x7f", 8)
                                 << QStringLiteral("no tab between the id and the text");
    QTest::newRow("cut off after the id")
        << QByteArray("10") << QStringLiteral("no tab between the id and the text");
    QTest::newRow("NUL in the id")
        << QByteArray("10") + '\0' + "1\tx" << QStringLiteral("\"10") + QChar(0) + "1" + notId;
    QTest::newRow("control byte in the id")
        << QByteArray("10") + '\x01' + "1\tx" << QStringLiteral("\"10") + QChar(1) + "1" + notId;
}

void TstLangFile::malformedLineIsReportedAndLeavesItsNeighboursInPlace() {
    QFETCH(QByteArray, middle);
    QFETCH(QString, reason);
    const LangFile f =
        LangFile::parse("100\tpolski\n" + middle + "\n110\tParametry\n", QStringLiteral("pl.txt"));
    QCOMPARE(f.errors().size(), 1);
    QCOMPARE(f.errors().first(), QStringLiteral("pl.txt:2: ") + reason);
    QCOMPARE(f.texts().keys(), (QList<int>{100, 110}));
    QCOMPARE(f.texts().value(100), QStringLiteral("polski"));
    QCOMPARE(f.texts().value(110), QStringLiteral("Parametry"));
}

void TstLangFile::repeatedIdKeepsTheFirstTextAndIsReported() {
    const LangFile f = LangFile::parse("140\tPOŁĄCZ\n140\tRozłącz\n", QStringLiteral("pl.txt"));
    QCOMPARE(f.texts().value(140), QString::fromUtf8("POŁĄCZ"));
    QCOMPARE(f.errors(),
             QStringList{QStringLiteral("pl.txt:2: id 140 given twice; the first text is kept")});
}

void TstLangFile::overlongTextIsCutTo255CharactersAndReported() {
    const QByteArray exact = "101\t" + QByteArray(255, 'a');
    const QByteArray longer = "102\t" + QByteArray(255, 'b') + "c";
    const LangFile f = LangFile::parse(exact + "\n" + longer + "\n", QStringLiteral("en.txt"));
    QCOMPARE(f.texts().value(101).size(), 255);
    QCOMPARE(f.texts().value(102), QString(255, u'b'));
    QCOMPARE(f.errors(),
             QStringList{QStringLiteral("en.txt:2: id 102: text longer than 255 characters, cut")});
}

void TstLangFile::fileThatCannotBeReadGivesNoTextsAndIsReported_data() {
    QTest::addColumn<qint64>("length"); // 0: no file at all; else good lines made this long
    QTest::addColumn<QString>("reason");
    QTest::newRow("missing") << qint64{0} << QStringLiteral("cannot open");
    QTest::newRow("a byte over 1 MiB")
        << qint64{LangFile::MaxFileBytes + 1} << QStringLiteral("longer than 1048576 bytes");
    QTest::newRow("64 GiB") << (qint64{64} << 30) << QStringLiteral("longer than 1048576 bytes");
}

void TstLangFile::fileThatCannotBeReadGivesNoTextsAndIsReported() {
    QFETCH(qint64, length);
    QFETCH(QString, reason);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("pl.txt"));
    if (length > 0) {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("100\tpolski\n110\tParametry\n");
        f.close();
        // The rest of the file is holes (NUL bytes): far more than any language file.
        if (!f.resize(length)) {
            QSKIP("this file system keeps no sparse file that long");
        }
    }
    const LangFile f = LangFile::load(path);
    QVERIFY(f.texts().isEmpty());
    QCOMPARE(f.errors().size(), 1);
    QVERIFY2(f.errors().first().startsWith(path + QStringLiteral(": ")),
             qPrintable(f.errors().first()));
    QVERIFY2(f.errors().first().contains(reason), qPrintable(f.errors().first()));
}

void TstLangFile::endlessRunOfBrokenLinesIsReportedInShort() {
    // A file of broken lines (here 5000 between two good ones) gives the first problems line by
    // line and then one line with the count of the rest; the good lines are read all the same.
    QByteArray content = "100\tpolski\n";
    for (int i = 0; i < 5000; ++i) {
        content += "broken line\n";
    }
    content += "110\tParametry\n";
    const LangFile f = LangFile::parse(content, QStringLiteral("pl.txt"));
    QCOMPARE(f.texts().keys(), (QList<int>{100, 110}));
    QCOMPARE(f.errors().size(), LangFile::MaxReportedErrors + 1);
    QVERIFY(f.errors()[0].startsWith(QStringLiteral("pl.txt:2: ")));
    QVERIFY(f.errors()[99].startsWith(QStringLiteral("pl.txt:101: ")));
    QCOMPARE(f.errors().last(), QStringLiteral("pl.txt: 4900 more problems"));
}

QTEST_GUILESS_MAIN(TstLangFile)
#include "tst_langfile.moc"
