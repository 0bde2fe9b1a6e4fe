// Number texts put into report lines without an allocation of their own must read exactly as
// the QString forms they replace.
#include "ControllerFrame.h"
#include "NumberText.h"

#include <QtTest>

#include <limits>

class NumberTextTest : public QObject {
    Q_OBJECT
private slots:
    void decimalReadsAsQStringNumber_data();
    void decimalReadsAsQStringNumber();
    void hexReadsAsTheFrameLogForEveryByte();
    void piecesJoinInOrder();
};

void NumberTextTest::decimalReadsAsQStringNumber_data() {
    QTest::addColumn<qint64>("value");
    QTest::newRow("zero") << qint64{0};
    QTest::newRow("one digit") << qint64{7};
    QTest::newRow("a byte") << qint64{255};
    QTest::newRow("negative") << qint64{-1};
    QTest::newRow("a year") << qint64{2255};
    QTest::newRow("engine speed") << qint64{32000000};
    QTest::newRow("largest") << std::numeric_limits<qint64>::max();
    QTest::newRow("smallest") << std::numeric_limits<qint64>::min();
}

void NumberTextTest::decimalReadsAsQStringNumber() {
    QFETCH(qint64, value);
    const QString built = QString() % NumberText(value);
    QCOMPARE(built, QString::number(value));
}

void NumberTextTest::hexReadsAsTheFrameLogForEveryByte() {
    // Two upper-case digits, a leading zero kept: Qt's own hex form is the reference.
    for (int b = 0; b < 256; ++b) {
        const QString expected = QString::number(b, 16).toUpper().rightJustified(2, u'0');
        QCOMPARE(QString() % NumberText::hex2(std::uint8_t(b)), expected);
        QCOMPARE(ControllerFrame::hex2(std::uint8_t(b)), expected);
    }
}

void NumberTextTest::piecesJoinInOrder() {
    const QString line = QStringLiteral("Data :\t\t") % NumberText(2024) % QLatin1Char('-') %
                         NumberText(3) % QLatin1String(" 0x") % NumberText::hex2(0xA5);
    QCOMPARE(line, QStringLiteral("Data :\t\t2024-3 0xA5"));
}

QTEST_GUILESS_MAIN(NumberTextTest)
#include "tst_numbertext.moc"
