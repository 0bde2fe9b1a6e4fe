#include "GeneralText.h"

#include <QLocale>
#include <QtTest>

class GeneralTextTest : public QObject {
    Q_OBJECT
private slots:
    void cleanup() { QLocale::setDefault(QLocale::c()); }
    void shortestFormWithoutTrailingZeros_data();
    void shortestFormWithoutTrailingZeros();
    void decimalSeparatorFollowsTheLocaleWithoutGrouping();
};

void GeneralTextTest::shortestFormWithoutTrailingZeros_data() {
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("text");
    QTest::newRow("binary rounding noise of 3 * 0.2") << 3 * 0.2 << "0.6";
    QTest::newRow("whole number") << 100 * 0.02 << "2";
    QTest::newRow("two decimals") << 249 * 0.02 << "4.98";
    QTest::newRow("negative") << -128 * 0.2 << "-25.6";
    QTest::newRow("hundredths") << 105 * 0.01 << "1.05";
    QTest::newRow("slope") << 96 / 64.0 << "1.5";
    QTest::newRow("zero from a negative product") << -0.0 << "0";
    QTest::newRow("large value stays plain") << 32000000.0 << "32000000";
}

void GeneralTextTest::shortestFormWithoutTrailingZeros() {
    QFETCH(double, value);
    QFETCH(QString, text);
    QCOMPARE(GeneralText(value), text);
}

void GeneralTextTest::decimalSeparatorFollowsTheLocaleWithoutGrouping() {
    QLocale::setDefault(QLocale(QLocale::Polish, QLocale::Poland));
    QCOMPARE(GeneralText(249 * 0.02), QStringLiteral("4,98"));
    QCOMPARE(GeneralText(12345.5), QStringLiteral("12345,5"));
    QCOMPARE(GeneralText(-25.6), QStringLiteral("-25,6"));
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    QCOMPARE(GeneralText(12345.5), QStringLiteral("12345.5"));
}

QTEST_GUILESS_MAIN(GeneralTextTest)
#include "tst_generaltext.moc"
