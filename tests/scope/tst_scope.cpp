// The scope component: where samples land on the plot, the capture with its trigger, the data
// file, and what the drawing puts where; the live chart's zoom, scroll and click.
#include "ScopeChart.h"
#include "TNvScope.h"

#include <QFile>
#include <QImage>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <sys/fsuid.h>
#include <sys/stat.h>

class TstScope : public QObject {
    Q_OBJECT

private:
    QTemporaryDir dir;

private slots:
    void initTestCase() {
        QVERIFY(dir.isValid());
        chmod(QFile::encodeName(dir.path()).constData(), 0755);
    }

    void plotGeometryFollowsTheMarginsAndTheView() {
        TNvScope s;
        QImage canvas(700, 500, QImage::Format_RGB32);
        s.ScopeResize(&canvas, 0, 0, 600, 400);
        s.FollowWrite = false;
        s.ViewStart = 0;
        s.ViewEnd = 600;
        QCOMPARE(s.PosX(s.ViewStart), 5);
        QCOMPARE(s.PosX(s.ViewEnd), 540);
        QCOMPARE(s.PosX(300), 5 + 535 / 2);
        // Channel 0's baseline; a set bit 74 pixels above it in the bit view.
        QCOMPARE(s.PosY0(0), 97);
        QCOMPARE(s.PosY0(3), 5 + 92 * 4);
        s.BitMode = true;
        s.sample(10)[0] = 1 << 2; // bit of channel 0
        QCOMPARE(s.PosY(10, 0), 97 - 74);
        QCOMPARE(s.PosY(10, 1), s.PosY0(1));
        // Analog view: 256 is a full amplitude up, -128 half of it down (toward zero).
        s.BitMode = false;
        s.sample(11)[2] = 256;
        s.sample(12)[2] = -128;
        QCOMPARE(s.PosY(11, 2), s.PosY0(2) - 74);
        QCOMPARE(s.PosY(12, 2), s.PosY0(2) + 37);
        // A negative sample index reads from the end of the ring.
        s.sample(8191)[1] = 256;
        QCOMPARE(s.PosY(-1, 1), s.PosY0(1) - 74);
        // An empty view puts everything at the left margin.
        s.ViewEnd = s.ViewStart;
        QCOMPARE(s.PosX(123), 5);
    }

    void xToTikInBothModes_data() {
        QTest::addColumn<int>("x");
        QTest::addColumn<int>("mode");
        QTest::addColumn<int>("expected");
        // Plot width 535, view 100..635, 8192 samples in all.
        QTest::newRow("left edge, view") << 5 << 0 << 100;
        QTest::newRow("middle, view") << 272 << 0 << 100 + 267;
        QTest::newRow("left of the plot, view") << 0 << 0 << 95;
        QTest::newRow("left edge, all") << 5 << 1 << 0;
        QTest::newRow("right edge, all") << 540 << 1 << 8192;
        QTest::newRow("left of the plot, all") << 0 << 1 << 76; // |trunc(-5 * 8192 / 535)|
    }
    void xToTikInBothModes() {
        QFETCH(int, x);
        QFETCH(int, mode);
        QFETCH(int, expected);
        TNvScope s;
        QImage canvas(600, 400, QImage::Format_RGB32);
        s.SetScopeBounds(&canvas, 0, 0, 600, 400);
        s.ViewStart = 100;
        s.ViewEnd = 635;
        QCOMPARE(s.XToTik(x, mode), expected);
    }

    void triggerThenAFullWrapStopsTheCaptureWithABeep() {
        TNvScope s;
        QImage canvas(600, 400, QImage::Format_RGB32);
        s.SetScopeBounds(&canvas, 0, 0, 600, 400);
        s.BitMode = true; // the capture's view
        int beeps = 0;
        s.Beep = [&] { ++beeps; };
        const std::uint8_t high[] = {0x80, 0x80};
        s.WriteToBuff(high, 2);
        QCOMPARE(s.WriteIndex, 0); // not armed: nothing taken
        s.CaptureArmed = true;
        s.WriteToBuff(high, 2);
        QVERIFY(!s.TriggerSeen);
        const std::uint8_t fall[] = {0x00};
        s.WriteToBuff(fall, 1); // bit 7 falls: trigger
        QVERIFY(s.TriggerSeen);
        QCOMPARE(s.WriteIndex, 3);
        std::vector<std::uint8_t> rest(8188, 0x01);
        s.WriteToBuff(rest.data(), static_cast<int>(rest.size()));
        QCOMPARE(s.WriteIndex, 8191);
        QCOMPARE(beeps, 0);
        s.WriteToBuff(rest.data(), 5); // wraps: the capture ends, the rest is dropped
        QCOMPARE(beeps, 1);
        QVERIFY(!s.CaptureArmed);
        QVERIFY(!s.TriggerSeen);
        QCOMPARE(s.ViewStart, 0);
        QCOMPARE(s.ViewEnd, 8192);
        QCOMPARE(s.WriteIndex, 0);
        QCOMPARE(s.sample(1)[0], 0x80);
    }

    void wrapWithoutTriggerCentresOnTheFallingEdgeOfBit1() {
        TNvScope s;
        QImage canvas(600, 400, QImage::Format_RGB32);
        s.SetScopeBounds(&canvas, 0, 0, 600, 400); // span 2 x 535 = 1070
        s.BitMode = true;
        int beeps = 0;
        s.Beep = [&] { ++beeps; };
        s.CaptureArmed = true;
        std::vector<std::uint8_t> bytes(8192, 0x02);
        bytes[3000 - 1] = 0x00; // sample 3000 (WriteIndex starts at 1) has bit 1 clear
        s.WriteToBuff(bytes.data(), static_cast<int>(bytes.size()));
        QCOMPARE(beeps, 0);
        QVERIFY(s.CaptureArmed);
        QCOMPARE(s.ViewStart, 3000 - 535);
        QCOMPARE(s.ViewEnd, 3000 + 535);
    }

    void dataFileOpensReadOnlyAndPositionsItsWindow() {
        const QString file = dir.filePath(QStringLiteral("data.bin"));
        {
            QFile f(file);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(QByteArray(8, 'h') + QByteArray(100 * 16, 'r')); // header, 100 records
        }
        chmod(QFile::encodeName(file).constData(), 0444);
        TNvScope s;
        QStringList warnings;
        s.WarningBox = [&](const QString& text, const QString&) { warnings << text; };
        const int previous = setfsuid(65534); // as an ordinary user, also under root
        s.LoadFromFile(file, 16, 8);
        setfsuid(static_cast<uid_t>(previous));
        QVERIFY(warnings.isEmpty());
        QVERIFY(s.FileLoaded());
        QCOMPARE(s.SampleCount, 100);
        QCOMPARE(s.ViewStart, 0);
        QCOMPARE(s.ViewEnd, 10);
        QCOMPARE(s.SavedEnd, 10);
        QCOMPARE(s.BufferLast(), 100);
        // A window reaching past the end starts 512 records before it (not below 0).
        QVERIFY(s.LoadFileBuf(50, 200));
        QCOMPARE(s.BufferFirst(), 0);
        QCOMPARE(s.FilePosition(), 8);
        QVERIFY(!s.LoadFileBuf(10, 20)); // already inside the window
        s.LoadFromFile(dir.filePath(QStringLiteral("missing.bin")), 16, 0);
        QVERIFY(!s.FileLoaded());
        QCOMPARE(warnings, QStringList{QStringLiteral(" Nie można otworzyć pliku ")});
    }

    void drawingPutsFrameLabelsAndTracesWhereTheyBelong() {
        TNvScope s;
        QImage canvas(600, 400, QImage::Format_RGB32);
        canvas.fill(Qt::black);
        s.SetScopeBounds(&canvas, 0, 0, 600, 400);
        s.FollowWrite = false;
        s.ViewStart = 0;
        s.ViewEnd = 535; // one sample per pixel
        for (int i = 0; i <= 535; ++i) {
            s.sample(i)[0] = 256;
            s.sample(i)[1] = i < 200 ? 0 : 128;
        }
        s.ScopeUpdate();
        const QImage& img = s.Bitmap();
        QCOMPARE(img.size(), QSize(600, 400));
        QCOMPARE(img.pixelColor(5, 200), QColor(Qt::black));   // frame, left side
        QCOMPARE(img.pixelColor(300, 375), QColor(Qt::black)); // frame, bottom
        QCOMPARE(img.pixelColor(570, 300), QColor(Qt::white)); // right margin background
        // Channel 0 full amplitude, channel 1 steps up at sample 200 with a vertical stroke.
        QCOMPARE(img.pixelColor(s.PosX(100), s.PosY0(0) - 74), s.ChannelColors[0]);
        QCOMPARE(img.pixelColor(s.PosX(100), s.PosY0(1)), s.ChannelColors[1]);
        QCOMPARE(img.pixelColor(s.PosX(300), s.PosY0(1) - 37), s.ChannelColors[1]);
        QCOMPARE(img.pixelColor(s.PosX(200) - 1, s.PosY0(1) - 20), s.ChannelColors[1]);
        // Copied onto the canvas.
        QCOMPARE(canvas.pixelColor(300, 375), QColor(Qt::black));
        QCOMPARE(canvas.pixelColor(570, 300), QColor(Qt::white));
        QCOMPARE(QString::fromLatin1("3.14"), TNvScope::DouPreToStr(3.14159));
    }

    void marginTextsLandInTheRightMarginInTheirColour() {
        TNvScope s;
        QImage canvas(600, 400, QImage::Format_RGB32);
        s.SetScopeBounds(&canvas, 0, 0, 600, 400);
        s.ScopeUpdate();
        // Text is smoothed: count the pixels of the colour's hue, not of the exact colour.
        const auto count = [&](const QRect& area, bool (*like)(const QColor&)) {
            int n = 0;
            for (int y = area.top(); y <= area.bottom(); ++y)
                for (int x = area.left(); x <= area.right(); ++x)
                    n += like(s.Bitmap().pixelColor(x, y)) ? 1 : 0;
            return n;
        };
        const auto greenish = [](const QColor& c) {
            return c.green() > c.red() + 40 && c.green() > c.blue() + 40;
        };
        const auto dark = [](const QColor& c) {
            return c.red() < 128 && c.red() == c.green() && c.green() == c.blue();
        };
        const QRect below(542, 300, 58, 16);
        QCOMPARE(count(below, greenish), 0);
        s.TextEx(QStringLiteral("U"), 2, 0.5, QStringLiteral("V"), 300, QColor(0, 128, 0));
        QVERIFY(count(below, greenish) > 5);
        QCOMPARE(count(QRect(6, 300, 530, 16), greenish), 0); // nothing on the plot
        // Row 2: the label 65 px below the top, the value 12 px lower still.
        const QRect row(542, 65, 58, 26);
        const int darkBefore = count(row, dark);
        s.RightMarginText(QStringLiteral("Obroty"), 300, 10, QStringLiteral(" rpm"), 2);
        QVERIFY(count(row, dark) > darkBefore + 10);

        QStringList told;
        s.CallOnTekst(QStringLiteral("x"), Qt::red, 1); // nobody listens: nothing happens
        s.OnTekst = [&](TNvScope* sender, const QString& text, const QColor&, int number) {
            QCOMPARE(sender, &s);
            told << text + QString::number(number);
        };
        s.CallOnTekst(QStringLiteral("trigger "), Qt::red, 7);
        QCOMPARE(told, QStringList{QStringLiteral("trigger 7")});
    }

    void chartZoomsScrollsAndTellsTheClickedRecord() {
        ScopeChart chart;
        chart.resize(800, 300);
        chart.show();
        QVERIFY(QTest::qWaitForWindowExposed(&chart));
        std::vector<ScopeChart::Values> points(1000);
        for (int k = 0; k < 1000; ++k) {
            points[static_cast<std::size_t>(k)].rpm = k * 4;
        }
        chart.showRecording(points);
        QCOMPARE(chart.ViewStart, 1);
        QCOMPARE(chart.ViewEnd, 1000);
        chart.setReplayPosition(500);
        chart.redraw();
        // The speed channel reaches 1/2 of its full scale at record 500 (value 1996 rpm).
        const int x = chart.PosX(500);
        QCOMPARE(chart.PosX(chart.recordAt(x)), x);

        QSignalSpy clicked(&chart, &ScopeChart::recordClicked);
        QTest::mouseClick(&chart, Qt::LeftButton, {}, QPoint(chart.PosX(250), 50));
        QCOMPARE(clicked.size(), 1);
        // More records than pixels: the click names a record drawn at that pixel.
        QCOMPARE(chart.PosX(clicked.at(0).at(0).toInt()), chart.PosX(250));

        // Wheel up zooms in around the pointer, the record under it stays put.
        QWheelEvent wheel(QPointF(x, 50), chart.mapToGlobal(QPointF(x, 50)), {}, {0, 120},
                          Qt::NoButton, {}, Qt::NoScrollPhase, false);
        QApplication::sendEvent(&chart, &wheel);
        QVERIFY(chart.ViewEnd - chart.ViewStart < 999);
        QVERIFY(std::abs(chart.recordAt(x) - 500) <= 2);

        // Dragging right shows earlier records; the view never leaves the recording.
        const int before = chart.ViewStart;
        QTest::mousePress(&chart, Qt::LeftButton, {}, QPoint(100, 50));
        QMouseEvent move(QEvent::MouseMove, QPointF(400, 50), chart.mapToGlobal(QPointF(400, 50)),
                         Qt::NoButton, Qt::LeftButton, {});
        QApplication::sendEvent(&chart, &move);
        QTest::mouseRelease(&chart, Qt::LeftButton, {}, QPoint(400, 50));
        QVERIFY(chart.ViewStart < before);
        QVERIFY(chart.ViewStart >= 1);
        QCOMPARE(clicked.size(), 1); // a drag is no click

        // Back to live values: the newest at the right edge.
        chart.showRecording({});
        QVERIFY(!chart.showsRecording());
        ScopeChart::Values v;
        v.gas = true;
        chart.appendLive(v);
        chart.appendLive(v);
        chart.redraw();
        QCOMPARE(chart.ViewEnd, chart.WriteIndex);
        // The newest value stands on the frame's right edge; the one before it left of it.
        const int newest = chart.WriteIndex - 1;
        QCOMPARE(chart.Bitmap().pixelColor(chart.PosX(newest), chart.PosY(newest, 0)),
                 chart.ChannelColors[0]);
        QCOMPARE(chart.PosY(newest, 0), chart.PosY0(0) - 200 * (chart.PlotHeight() / 5) / 256);
    }

    void liveChartZoomsAroundThePointerPansAndShowsAll() {
        ScopeChart chart;
        chart.resize(800, 300);
        chart.show();
        QVERIFY(QTest::qWaitForWindowExposed(&chart));
        ScopeChart::Values v;
        for (int k = 0; k < 2000; ++k) {
            v.rpm = k * 4;
            chart.appendLive(v);
        }
        chart.redraw();
        QCOMPARE(chart.ViewEnd, 2000);
        QCOMPARE(chart.ViewEnd - chart.ViewStart, chart.PlotWidth()); // one value a pixel

        // Ctrl+wheel up zooms in around the pointer: the value under it stays there.
        const int x = chart.MarginLeft + chart.PlotWidth() / 2;
        const int under = chart.XToTik(x, 0);
        auto wheel = [&chart](int at, int delta, Qt::KeyboardModifiers keys) {
            QWheelEvent e(QPointF(at, 50), chart.mapToGlobal(QPointF(at, 50)), {}, {0, delta},
                          Qt::NoButton, keys, Qt::NoScrollPhase, false);
            QApplication::sendEvent(&chart, &e);
            return e.isAccepted();
        };
        QVERIFY(wheel(x, 240, Qt::ControlModifier));
        const int span = chart.ViewEnd - chart.ViewStart;
        QVERIFY2(span < chart.PlotWidth() * 7 / 10, qPrintable(QString::number(span)));
        QVERIFY(std::abs(chart.XToTik(x, 0) - under) <= 2);
        QVERIFY(chart.liveBack() > 0);

        // Looking back, the view stays on its values while new ones come.
        const int end = chart.ViewEnd;
        for (int k = 0; k < 5; ++k) {
            chart.appendLive(v);
        }
        chart.redraw();
        QCOMPARE(chart.ViewEnd, end);

        // Dragging left brings the newest values back, and the view follows them again.
        QTest::mousePress(&chart, Qt::LeftButton, {}, QPoint(700, 50));
        QMouseEvent move(QEvent::MouseMove, QPointF(100, 50), chart.mapToGlobal(QPointF(100, 50)),
                         Qt::NoButton, Qt::LeftButton, {});
        QApplication::sendEvent(&chart, &move);
        QTest::mouseRelease(&chart, Qt::LeftButton, {}, QPoint(100, 50));
        QCOMPARE(chart.liveBack(), 0);
        QCOMPARE(chart.ViewEnd, chart.WriteIndex);
        QCOMPARE(chart.ViewEnd - chart.ViewStart, span);
        chart.appendLive(v);
        chart.redraw();
        QCOMPARE(chart.ViewEnd, chart.WriteIndex);

        // Dragging right goes back in time, never past the first value.
        QTest::mousePress(&chart, Qt::LeftButton, {}, QPoint(100, 50));
        QMouseEvent far(QEvent::MouseMove, QPointF(100 + 50 * chart.PlotWidth(), 50),
                        chart.mapToGlobal(QPointF(100 + 50 * chart.PlotWidth(), 50)), Qt::NoButton,
                        Qt::LeftButton, {});
        QApplication::sendEvent(&chart, &far);
        QTest::mouseRelease(&chart, Qt::LeftButton, {}, QPoint(700, 50));
        QCOMPARE(chart.ViewStart, 0); // the first value is sample 1, just right of the edge

        // A double click shows every value kept.
        QTest::mouseDClick(&chart, Qt::LeftButton, {}, QPoint(300, 50));
        QCOMPARE(chart.ViewEnd, chart.WriteIndex);
        QCOMPARE(chart.ViewStart, 0);
        // The wheel down zooms out no further than everything there is.
        QVERIFY(wheel(x, -480, Qt::NoModifier));
        QCOMPARE(chart.ViewEnd - chart.ViewStart, chart.WriteIndex);
    }
};

QTEST_MAIN(TstScope)
#include "tst_scope.moc"
