// The application icon cut from the logo: only the emblem, square, transparent around it but
// not inside it, at every size asked for.
#include "LogoEmblem.h"

#include <QPainter>
#include <QTemporaryDir>
#include <QTest>

namespace {
// A logo like the real one: on white, a rounded blue square with a white mark inside, a gap,
// then the name in large dark letters.
QImage syntheticLogo() {
    QImage logo(200, 70, QImage::Format_RGB32);
    logo.fill(Qt::white);
    QPainter p(&logo);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x1e, 0x5a, 0xa8));
    p.drawRoundedRect(QRectF(4, 10, 50, 50), 10, 10);
    p.setBrush(Qt::white);
    p.drawEllipse(QRectF(22, 28, 14, 14)); // white inside the emblem
    p.setBrush(QColor(0x10, 0x30, 0x70));
    p.drawRect(QRectF(70, 5, 120, 40)); // the "name"
    return logo;
}
} // namespace

class TestLogoEmblem : public QObject {
    Q_OBJECT

private slots:
    void emblemIsCutFromTheLeftAndMadeSquare();
    void backgroundAroundGoesTransparentWhiteInsideStays();
    void blankOrMissingLogoHasNoEmblem();
    void themeIconsAreWrittenAtEverySize();
    void realLogoGivesASquareEmblemWithoutTheName();
};

void TestLogoEmblem::emblemIsCutFromTheLeftAndMadeSquare() {
    const QImage e = LogoEmblem::extract(syntheticLogo());
    QVERIFY(!e.isNull());
    QCOMPARE(e.width(), e.height());
    // 50 px plus at most one antialiased pixel each side; nothing of the name at x >= 70.
    QVERIFY2(e.width() >= 50 && e.width() <= 52, qPrintable(QString::number(e.width())));
}

void TestLogoEmblem::backgroundAroundGoesTransparentWhiteInsideStays() {
    const QImage e = LogoEmblem::extract(syntheticLogo());
    QVERIFY(!e.isNull());
    const int c = e.width() / 2;
    QCOMPARE(qAlpha(e.pixel(0, 0)), 0); // rounded corner
    QCOMPARE(qAlpha(e.pixel(e.width() - 1, e.height() - 1)), 0);
    QCOMPARE(qAlpha(e.pixel(c, 4)), 255); // blue body
    QVERIFY(qBlue(e.pixel(c, 4)) > qRed(e.pixel(c, 4)));
    const QRgb mark = e.pixel(c, c); // the white mark inside
    QCOMPARE(qAlpha(mark), 255);
    QVERIFY(qRed(mark) > 240 && qGreen(mark) > 240);
}

void TestLogoEmblem::blankOrMissingLogoHasNoEmblem() {
    QImage blank(40, 20, QImage::Format_RGB32);
    blank.fill(Qt::white);
    QVERIFY(LogoEmblem::extract(blank).isNull());
    QVERIFY(LogoEmblem::extract(QImage()).isNull());
}

void TestLogoEmblem::themeIconsAreWrittenAtEverySize() {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QImage e = LogoEmblem::extract(syntheticLogo());
    QString error;
    QVERIFY2(
        LogoEmblem::writeThemeIcons(e, dir.path(), QStringLiteral("app.id"), {16, 48, 128}, &error),
        qPrintable(error));
    for (int n : {16, 48, 128}) {
        const QImage icon(dir.filePath(QStringLiteral("%1x%1/apps/app.id.png").arg(n)));
        QVERIFY2(!icon.isNull(), qPrintable(QString::number(n)));
        QCOMPARE(icon.size(), QSize(n, n));
        QVERIFY(icon.hasAlphaChannel());
        QVERIFY(qAlpha(icon.pixel(0, 0)) < 32); // the rounded corner, smoothed
    }
    // A folder that cannot be made is reported, not ignored.
    QVERIFY(!LogoEmblem::writeThemeIcons(e, QStringLiteral("/proc/no-such-dir"),
                                         QStringLiteral("x"), {16}, &error));
    QVERIFY(error.contains(QStringLiteral("/proc/no-such-dir")));
}

void TestLogoEmblem::realLogoGivesASquareEmblemWithoutTheName() {
    const QImage logo(QStringLiteral(ORVEX_LOGO));
    QVERIFY(!logo.isNull());
    const QImage e = LogoEmblem::extract(logo);
    QVERIFY(!e.isNull());
    QCOMPARE(e.width(), e.height());
    // The emblem is the height of the logo at most, far narrower than the logo with its name.
    QVERIFY(e.width() <= logo.height());
    QVERIFY(e.width() >= logo.height() / 2);
}

QTEST_GUILESS_MAIN(TestLogoEmblem)
#include "tst_logoemblem.moc"
