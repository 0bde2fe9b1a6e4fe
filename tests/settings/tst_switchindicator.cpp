// The four-switch picture: slots, knob positions and colours from the live mode byte, the "ON"
// mark, and what actually lands on screen.
#include "BgrColor.h"
#include "SwitchIndicator.h"
#include "SwitchPicture.h"

#include <QImage>
#include <QtTest>

class SwitchIndicatorTest : public QObject {
    Q_OBJECT
private slots:
    void knobsFollowTheModeBits_data();
    void knobsFollowTheModeBits();
    void slotsSplitTheWidthInFifths();
    void onMarkNeedsMoreThanSixteenPixels_data();
    void onMarkNeedsMoreThanSixteenPixels();
    void paintedKnobsShowTheirColours();
};

void SwitchIndicatorTest::knobsFollowTheModeBits_data() {
    QTest::addColumn<int>("mode");
    QTest::addColumn<QString>("ups");    // bit 3, 2, 1, 0 from left to right: U or D
    QTest::addColumn<uint>("rightBgr");  // colour of the rightmost knob
    QTest::addColumn<uint>("othersBgr"); // colour of the three others
    QTest::newRow("all clear: four down, right one green")
        << 0x00 << "DDDD" << 0x008000u << 0xC0C0C0u;
    QTest::newRow("switches configure: right one red and up, others white")
        << 0x01 << "DDDU" << 0x0000D0u << 0xFFFFFFu;
    QTest::newRow("all four set") << 0x0F << "UUUU" << 0x0000D0u << 0xFFFFFFu;
    QTest::newRow("bits 1 and 3 under PC configuration")
        << 0x0A << "UDUD" << 0x008000u << 0xC0C0C0u;
    QTest::newRow("upper bits of the byte do not show") << 0xF4 << "DUDD" << 0x008000u << 0xC0C0C0u;
}

void SwitchIndicatorTest::knobsFollowTheModeBits() {
    QFETCH(int, mode);
    QFETCH(QString, ups);
    QFETCH(uint, rightBgr);
    QFETCH(uint, othersBgr);
    // 105 x 42: w = 20, h = 40.
    const auto p = SwitchPicture::compute(105, 42, static_cast<std::uint8_t>(mode));
    for (int i = 0; i < 4; ++i) {
        const bool up = ups[i] == QLatin1Char('U');
        QCOMPARE(p.knobs[i].up, up);
        QCOMPARE(p.knobs[i].box.top, up ? 2 : 20);
        QCOMPARE(p.knobs[i].box.bottom, up ? 20 : 39);
        QCOMPARE(p.knobs[i].box.left, (i + 1) * 20 + 2);
        QCOMPARE(p.knobs[i].box.right, (i + 2) * 20 - 1);
        QCOMPARE(p.knobs[i].bgr, i == 3 ? rightBgr : othersBgr);
    }
}

void SwitchIndicatorTest::slotsSplitTheWidthInFifths() {
    const auto p = SwitchPicture::compute(105, 42, 0);
    QCOMPARE(p.slotBoxes[0], (SwitchPicture::Box{21, 1, 40, 40}));
    QCOMPARE(p.slotBoxes[3], (SwitchPicture::Box{81, 1, 100, 40}));
}

void SwitchIndicatorTest::onMarkNeedsMoreThanSixteenPixels_data() {
    QTest::addColumn<int>("height");
    QTest::addColumn<bool>("shown");
    QTest::newRow("16 px high paint box: h = 14") << 16 << false;
    QTest::newRow("18 px high: h = 16, still too low") << 18 << false;
    QTest::newRow("19 px high: h = 17") << 19 << true;
}

void SwitchIndicatorTest::onMarkNeedsMoreThanSixteenPixels() {
    QFETCH(int, height);
    const auto p = SwitchPicture::compute(105, height, 0);
    QTEST(p.showOnText, "shown");
    QCOMPARE(p.onTextX, 0); // at the left edge, in the fifth left of the slots
    QCOMPARE(p.onFontSize, 10);
    QCOMPARE(p.onTextY, 11);
}

void SwitchIndicatorTest::paintedKnobsShowTheirColours() {
    // On a panel coloured for a state the picture keeps the face of a button around its slots.
    QWidget panel;
    setBackgroundColor(&panel, QColor(0xFF, 0x00, 0x00));
    SwitchIndicator box(&panel);
    box.resize(105, 42);
    box.setLiveMode(0x02);
    QImage img = box.grab().toImage();
    // Rightmost knob: bit 0 clear, green and down; bit 1 knob up in silver.
    QCOMPARE(img.pixelColor(90, 30), QColor(0x00, 0x80, 0x00));
    QCOMPARE(img.pixelColor(70, 10), QColor(0xC0, 0xC0, 0xC0));
    QCOMPARE(img.pixelColor(70, 30), QColor(0x80, 0x80, 0x80)); // empty half of the slot
    QCOMPARE(img.pixelColor(2, 38), buttonFaceColor());

    box.setLiveMode(0x01);
    img = box.grab().toImage();
    QCOMPARE(img.pixelColor(90, 10), QColor(0xD0, 0x00, 0x00));
    QCOMPARE(img.pixelColor(70, 30), QColor(Qt::white));
}

QTEST_MAIN(SwitchIndicatorTest)
#include "tst_switchindicator.moc"
