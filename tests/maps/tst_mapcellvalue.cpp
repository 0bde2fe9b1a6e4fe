// The rules of a map cell's value: typing, stepping at the limits, the controller's write
// range of a selection, and the number reading shared by typing and the chart cursor.
#include "MapCellValue.h"

#include <QLocale>
#include <QtTest>

class MapCellValueTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QLocale::setDefault(QLocale::c()); }
    void typedTextBecomesAStep_data();
    void typedTextBecomesAStep();
    void strayTextIsToldFromANumberOnItsWay_data();
    void strayTextIsToldFromANumberOnItsWay();
    void stepsStopAtTheCellLimits();
    void selectionWritesEveryCellFromItsFirstToItsLast_data();
    void selectionWritesEveryCellFromItsFirstToItsLast();
    void leadingNumberReadsWhatAPersonWouldRead_data();
    void leadingNumberReadsWhatAPersonWouldRead();
};

void MapCellValueTest::typedTextBecomesAStep_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("stored");
    QTest::addColumn<int>("v");
    QTest::addColumn<QString>("shown");
    QTest::newRow("decimal point still to come") << "12." << false << 0 << "";
    QTest::newRow("decimal comma still to come") << "3," << false << 0 << "";
    QTest::newRow("empty") << "" << false << 0 << "";
    QTest::newRow("a lone minus: a negative value on its way") << "-" << false << 0 << "";
    QTest::newRow("truncated toward zero") << "1.3" << true << 6 << "1.2";
    QTest::newRow("negative truncated toward zero") << "-0.3" << true << -1 << "-0.2";
    QTest::newRow("comma as the decimal separator") << "2,4" << true << 12 << "2.4";
    QTest::newRow("below the range") << "-30" << true << -128 << "-25.6";
    QTest::newRow("above the range") << "99" << true << 127 << "25.4";
    QTest::newRow("top of the range lands on its step") << "25.4" << true << 127 << "25.4";
    QTest::newRow("every 0.2 step lands on itself") << "-7.8" << true << -39 << "-7.8";
    // Text that is no number as a whole stores nothing (never a 0 or its leading digits).
    QTest::newRow("not a number") << "abc" << false << 0 << "";
    QTest::newRow("a number and more") << "4x" << false << 0 << "";
    QTest::newRow("two separators") << "1.2.3" << false << 0 << "";
    QTest::newRow("exponent") << "1e1" << true << 50 << "10";
    QTest::newRow("blanks around") << " 2 " << true << 10 << "2";
    QTest::newRow("too large to hold") << "1e999" << false << 0 << "";
}

void MapCellValueTest::strayTextIsToldFromANumberOnItsWay_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("stray");
    QTest::newRow("a letter") << "a" << true;
    QTest::newRow("digits then a letter") << "12x" << true;
    QTest::newRow("two separators") << "1.2.3" << true;
    QTest::newRow("two signs") << "--1" << true;
    QTest::newRow("a digit of another script") << QStringLiteral("\u0663") << true;
    QTest::newRow("too large to hold") << "1e999" << true;
    QTest::newRow("empty") << "" << false;
    QTest::newRow("a lone minus") << "-" << false;
    QTest::newRow("a trailing comma") << "1," << false;
    QTest::newRow("an exponent without digits") << "1e-" << false;
    QTest::newRow("a point alone") << "." << false;
    QTest::newRow("a number") << "-2,4" << false;
}

void MapCellValueTest::strayTextIsToldFromANumberOnItsWay() {
    QFETCH(QString, text);
    QTEST(MapCellValue::notANumber(text), "stray");
}

void MapCellValueTest::typedTextBecomesAStep() {
    QFETCH(QString, text);
    QFETCH(bool, stored);
    const auto t = MapCellValue::typed(text);
    QCOMPARE(t.has_value(), stored);
    if (stored) {
        QTEST(t->v, "v");
        QTEST(MapCellValue::text(t->v), "shown");
    }
}

void MapCellValueTest::stepsStopAtTheCellLimits() {
    QCOMPARE(MapCellValue::stepped(127, true), 127);
    QCOMPARE(MapCellValue::stepped(-128, false), -128);
    QCOMPARE(MapCellValue::stepped(126, true), 127);
    QCOMPARE(MapCellValue::stepped(-127, false), -128);
    QCOMPARE(MapCellValue::chartValue(-128), 0.0);
    QCOMPARE(MapCellValue::chartValue(127), 51.0);
}

void MapCellValueTest::selectionWritesEveryCellFromItsFirstToItsLast_data() {
    QTest::addColumn<QRect>("selection");
    QTest::addColumn<int>("first");
    QTest::addColumn<int>("last");
    QTest::newRow("column 2 row 5 to column 3 row 2")
        << QRect(QPoint(2, 2), QPoint(3, 5)) << 17 << 36;
    QTest::newRow("one cell") << QRect(1, 1, 1, 1) << 0 << 0;
    QTest::newRow("whole map") << QRect(QPoint(1, 1), QPoint(15, 16)) << 0 << 239;
}

void MapCellValueTest::selectionWritesEveryCellFromItsFirstToItsLast() {
    QFETCH(QRect, selection);
    const auto r = MapCellValue::writeRange(selection);
    QTEST(r.first, "first");
    QTEST(r.last, "last");
}

void MapCellValueTest::leadingNumberReadsWhatAPersonWouldRead_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("value");
    QTest::newRow("plain") << "12.5" << 12.5;
    QTest::newRow("blanks before") << "  -3" << -3.0;
    QTest::newRow("trailing text") << "7.2abc" << 7.2;
    QTest::newRow("comma is not a separator here") << "7,2" << 7.0;
    QTest::newRow("exponent") << "1e1" << 10.0;
    QTest::newRow("dangling exponent") << "2e" << 2.0;
    QTest::newRow("only a sign") << "-" << 0.0;
    QTest::newRow("leading point") << ".5" << 0.5;
    QTest::newRow("no digits") << "." << 0.0;
    QTest::newRow("signed exponent") << "1.5e-1" << 0.15;
    QTest::newRow("too large to hold") << "1e999" << 0.0;
    // Characters beyond Latin-1 are never digits, whatever their low byte.
    QTest::newRow("dotless i is no 1") << QStringLiteral("\u0131") << 0.0;
    QTest::newRow("another script's separator ends the number")
        << QStringLiteral("4\u066B5") << 4.0;
}

void MapCellValueTest::leadingNumberReadsWhatAPersonWouldRead() {
    QFETCH(QString, text);
    QTEST(MapCellValue::leadingNumber(text), "value");
}

QTEST_MAIN(MapCellValueTest)
#include "tst_mapcellvalue.moc"
