#include "GeneralText.h"

#include "GeneralNumber.h"

#include <QLocale>
#include <QRandomGenerator>
#include <QStringBuilder>
#include <QtTest>

#include <cmath>
#include <functional>

namespace {

// The text as QString::number makes it, the way GeneralText made it before it had digits of
// its own.
QString numberText(double value) {
    if (value == 0.0 || !std::isfinite(value)) {
        return QStringLiteral("0");
    }
    QString text = QString::number(value, 'g', 15);
    if (text.contains(QLatin1Char('.'))) {
        text.replace(QLatin1Char('.'), QLocale().decimalPoint());
    }
    return text;
}

using Values = std::function<void(const std::function<void(double)>&)>;

// Every product k * scale (then * factor) for k in [first, last], as the decoders compute them.
Values products(int first, int last, double scale, double factor = 1.0) {
    return [=](const std::function<void(double)>& check) {
        for (int k = first; k <= last; ++k) {
            check(factor == 1.0 ? k * scale : k * scale * factor);
        }
    };
}

} // namespace

Q_DECLARE_METATYPE(Values)

class GeneralTextTest : public QObject {
    Q_OBJECT
private slots:
    void cleanup() { QLocale::setDefault(QLocale::c()); }
    void shortestFormWithoutTrailingZeros_data();
    void shortestFormWithoutTrailingZeros();
    void decimalSeparatorFollowsTheLocaleWithoutGrouping();
    void sameTextAsQtNumberForm_data();
    void sameTextAsQtNumberForm();
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

void GeneralTextTest::sameTextAsQtNumberForm_data() {
    QTest::addColumn<Values>("values");
    QTest::addColumn<QString>("locale");
    // The decoders' products over every byte (and the advance over every pulse angle).
    QTest::newRow("angle steps") << products(-66000, 66000, 0.2) << "C";
    QTest::newRow("angle steps, comma") << products(-300, 300, 0.2) << "pl_PL";
    QTest::newRow("volts") << products(0, 255, 0.02) << "C";
    QTest::newRow("signal volts") << products(0, 255, 0.04) << "C";
    QTest::newRow("signal volts peak to peak") << products(0, 255, 0.04, 3) << "C";
    QTest::newRow("supply volts") << products(0, 255, 0.08) << "C";
    QTest::newRow("loader version") << products(0, 255, 0.01) << "C";
    QTest::newRow("slope") << products(0, 255, 1 / 64.0) << "de_DE";
    QTest::newRow("whole numbers") << products(-100000, 100000, 1.0) << "C";
    // Exact halves at the 16th significant digit: q / 2^f with 16 digits.
    QTest::newRow("halves at the 16th digit")
        << Values([](const std::function<void(double)>& check) {
               for (int f = 4; f <= 60; ++f) {
                   for (double q = 1; q < 4000; q += 2) {
                       for (double whole : {0.0, 1.0, 12345678.0, 1234567.0, 123456789012.0}) {
                           check(std::ldexp(q, -f) + whole);
                           check(-(std::ldexp(q, -f) + whole));
                       }
                   }
               }
           })
        << "C";
    // Around the edges of the plain form, and of rounding up to a new digit.
    QTest::newRow("edges") << Values([](const std::function<void(double)>& check) {
        for (double v : {1e-4, 9.9999999999999995e-5, 0.000099999999999999991, 1e-5, 1e14, 1e15,
                         999999999999999.4, 999999999999999.5, 99999999999999.95, 9.999999999999995,
                         0.99999999999999994, 0.1, 0.3, 1.0 / 3, 2.0 / 3, 1e300, 5e-324}) {
            for (double s : {1.0, -1.0}) {
                check(s * v);
                check(std::nextafter(s * v, 0.0));
                check(std::nextafter(s * v, s * 2e300));
            }
        }
    }) << "C";
    // Any double of any size, by its bits.
    QTest::newRow("random bits") << Values([](const std::function<void(double)>& check) {
        QRandomGenerator random(1);
        for (int i = 0; i < 200000; ++i) {
            const int exponent = random.bounded(-30, 70);
            check(std::ldexp(random.generateDouble() * 2 - 1, exponent));
        }
    }) << "C";
}

// GeneralText's digits worked out on the stack are those QString::number gives, in every form
// and with the locale's separator; in a `%` expression they are the same text.
void GeneralTextTest::sameTextAsQtNumberForm() {
    QFETCH(Values, values);
    QFETCH(QString, locale);
    QLocale::setDefault(QLocale(locale));
    int failures = 0;
    values([&failures](double value) {
        const QString expected = numberText(value);
        const QString text = GeneralText(value);
        const QString built = QLatin1Char('<') % GeneralNumber(value) % QLatin1Char('>');
        if ((text != expected || built != QLatin1Char('<') + expected + QLatin1Char('>')) &&
            failures++ < 10) {
            qWarning("%.17g: %s, expected %s", value, qPrintable(built), qPrintable(expected));
        }
    });
    QCOMPARE(failures, 0);
}

QTEST_GUILESS_MAIN(GeneralTextTest)
#include "tst_generaltext.moc"
