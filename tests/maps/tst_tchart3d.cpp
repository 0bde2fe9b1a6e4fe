// The 3-D chart: where points land on the screen, turning the view by its handles within the
// angle bounds, averaging of samples, a chart that cannot be scaled, the colour of a face seen
// from above and from below, the texts and the range checks.
#include "MapColorRamp.h"
#include "TChart3D.h"

#include <QMouseEvent>
#include <QPolygon>
#include <QtTest>

#include <climits>

class TChart3DTest : public QObject {
    Q_OBJECT

    static void drag(TChart3D& c, QPoint from, QPoint to) {
        QMouseEvent press(QEvent::MouseButtonPress, from, c.mapToGlobal(from), Qt::LeftButton,
                          Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&c, &press);
        QMouseEvent move(QEvent::MouseMove, to, c.mapToGlobal(to), Qt::NoButton, Qt::LeftButton,
                         Qt::NoModifier);
        QApplication::sendEvent(&c, &move);
        QMouseEvent release(QEvent::MouseButtonRelease, to, c.mapToGlobal(to), Qt::LeftButton,
                            Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(&c, &release);
    }

private slots:
    void axisEndsLandWhereTheDefaultViewPutsThem();
    void draggingTheAxisEndsStaysWithinTheAngleBounds();
    void sixtyFiveSamplesAverageTheLastSixtyFour();
    void aChartWithoutAZRangeOnlyBeeps();
    void facesAreColouredFromAboveAndGreyFromBelow_data();
    void facesAreColouredFromAboveAndGreyFromBelow();
    void eachTitleStandsOverItsOwnChart_data();
    void eachTitleStandsOverItsOwnChart();
    void textsAndRangeChecks();
    void draggingAnywhereTurnsAndTiltsWithinTheBounds_data();
    void draggingAnywhereTurnsAndTiltsWithinTheBounds();
    void labelsNeverOverlapAndGrowWithTheChart_data();
    void labelsNeverOverlapAndGrowWithTheChart();
};

void TChart3DTest::axisEndsLandWhereTheDefaultViewPutsThem() {
    TChart3D c;
    c.resize(400, 300);
    c.RefreshChart();
    // s = 300: 125 pixels for the 255 units of x and y, the origin in the middle.
    QCOMPARE(c.HandleOrigin(), QPoint(200, 150));
    QCOMPARE(c.HandleX(), QPoint(91, 212));  // 150 degrees: left and down
    QCOMPARE(c.HandleY(), QPoint(308, 212)); // 30 degrees: right and down
    QCOMPARE(c.HandleXY(), QPoint(200, 275));
    // z points up: 120 pixels for 255 units (the sums are truncated toward zero).
    QCOMPARE(c.Project(0, 0, 255), QPoint(199, 30));
    QCOMPARE(c.Image().size(), QSize(400, 300));
    // A grey tick hangs under every 16 units of the floor's front (x) and side (y) edges.
    for (const double t : {16.0, 128.0, 240.0}) {
        QCOMPARE(c.Image().pixelColor(c.Project(255 - t, 255, 0) + QPoint(0, 3)),
                 QColor(128, 128, 128));
        QCOMPARE(c.Image().pixelColor(c.Project(255, 255 - t, 0) + QPoint(0, 3)),
                 QColor(128, 128, 128));
    }
    // The two back walls are tinted (between their grid lines).
    QCOMPARE(c.Image().pixelColor(c.Project(100, 0, 120)), QColor(255, 255, 224));
    QCOMPARE(c.Image().pixelColor(c.Project(0, 100, 120)), QColor(255, 255, 224));
    // The side's ticks follow the y step, whatever the z step.
    c.TickStep = {16, 64, 50};
    c.RefreshChart();
    for (const double t : {64.0, 128.0, 192.0}) {
        QCOMPARE(c.Image().pixelColor(c.Project(255, 255 - t, 0) + QPoint(0, 3)),
                 QColor(128, 128, 128));
    }
    c.TickStep = {16, 16, 16};
    // The markers' tops stand at their points, counted from the far ends of the axes.
    c.CursorMarker = {200, 50, 100};
    c.SampleMarker = {40, 220, 30};
    c.RefreshChart();
    QCOMPARE(c.Image().pixelColor(c.Project(55, 205, 100)), QColor(255, 0, 255));
    QCOMPARE(c.Image().pixelColor(c.Project(215, 35, 30)), QColor(0, 128, 128));

    // Two charts side by side keep twice the margins: 100 pixels for x and y, 90 for z. The
    // handles are the left chart's; the projection is left at the right one.
    TChart3D dual;
    dual.resize(600, 300);
    dual.ViewMode = 2;
    dual.RefreshChart();
    QCOMPARE(dual.HandleOrigin(), QPoint(150, 150));
    QCOMPARE(dual.HandleX(), QPoint(63, 200));
    QCOMPARE(dual.HandleY(), QPoint(236, 199));
    QCOMPARE(dual.Project(0, 0, 255), QPoint(449, 60));
}

void TChart3DTest::draggingTheAxisEndsStaysWithinTheAngleBounds() {
    TChart3D c;
    c.resize(400, 400);
    c.RefreshChart();
    const QPoint origin = c.HandleOrigin();
    // The x end dragged straight below the origin (90 degrees) stops at 1.6.
    drag(c, c.HandleX(), origin + QPoint(0, 100));
    QCOMPARE(c.AxisAngle[0], 1.6);
    QCOMPARE(c.DragMode, 0);
    // Within the bounds the angle follows the pointer: 135 degrees.
    drag(c, c.HandleX(), origin + QPoint(-100, 100));
    QVERIFY(qAbs(c.AxisAngle[0] - 3 * M_PI / 4) < 1e-9);
    // The y end dragged above the origin (an angle beyond 3.14) snaps to 0.
    drag(c, c.HandleY(), origin + QPoint(100, -40));
    QCOMPARE(c.AxisAngle[1], 0.0);
    // ...and below it, past 1.54, holds at 1.54.
    drag(c, c.HandleY(), origin + QPoint(-5, 100));
    QCOMPARE(c.AxisAngle[1], 1.54);
    // A press away from every handle, released where it was, turns nothing.
    const auto before = c.AxisAngle;
    drag(c, origin + QPoint(3, 3), origin + QPoint(3, 3));
    QCOMPARE(c.AxisAngle, before);
}

void TChart3DTest::draggingAnywhereTurnsAndTiltsWithinTheBounds_data() {
    QTest::addColumn<QPoint>("move");
    QTest::addColumn<double>("x");
    QTest::addColumn<double>("y");
    const double x0 = 2.6179938779166667;
    const double y0 = 0.5235987755833333;
    // Sideways: both floor axes turn together by 0.01 a pixel, until one meets its bound.
    QTest::newRow("right") << QPoint(50, 0) << x0 + 0.5 << y0 + 0.5;
    QTest::newRow("far right: x stops at 3.14") << QPoint(300, 0) << 3.14 << y0 + (3.14 - x0);
    QTest::newRow("far left: y stops at 0") << QPoint(-100, 0) << x0 - y0 << 0.0;
    // Up and down: they tilt apart, down showing more from above.
    QTest::newRow("down") << QPoint(0, 30) << x0 - 0.3 << y0 + 0.3;
    QTest::newRow("far up: x stops at 3.14") << QPoint(0, -100) << 3.14 << y0 - (3.14 - x0);
    QTest::newRow("far down: y stops at 1.54") << QPoint(0, 200) << x0 - (1.54 - y0) << 1.54;
}

void TChart3DTest::draggingAnywhereTurnsAndTiltsWithinTheBounds() {
    QFETCH(QPoint, move);
    QFETCH(double, x);
    QFETCH(double, y);
    TChart3D c;
    c.resize(400, 400);
    c.RefreshChart();
    // An open hand says that the chart can be taken; over an axis end it is a cross.
    QCOMPARE(c.cursor().shape(), Qt::OpenHandCursor);
    const QPoint from = c.HandleOrigin() + QPoint(20, -60); // on the back wall, no handle
    drag(c, from, from + move);
    QVERIFY2(qAbs(c.AxisAngle[0] - x) < 1e-9, qPrintable(QString::number(c.AxisAngle[0])));
    QVERIFY2(qAbs(c.AxisAngle[1] - y) < 1e-9, qPrintable(QString::number(c.AxisAngle[1])));
    QCOMPARE(c.AxisAngle[2], 4.71238898025);
    QCOMPARE(c.DragMode, 0);
    // The render drew it that way: the x axis end lies in the new direction.
    const QPoint hx = c.HandleX() - c.HandleOrigin();
    QVERIFY(qAbs(std::atan2(double(hx.y()), double(hx.x())) - x) < 0.05);
    QMouseEvent hover(QEvent::MouseMove, c.HandleX(), c.mapToGlobal(c.HandleX()), Qt::NoButton,
                      Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(&c, &hover);
    QCOMPARE(c.cursor().shape(), Qt::SizeAllCursor);
}

void TChart3DTest::labelsNeverOverlapAndGrowWithTheChart_data() {
    QTest::addColumn<QSize>("size");
    QTest::addColumn<int>("mode");
    QTest::addColumn<QPointF>("angles"); // the two floor axes' angles; (0, 0): as designed
    QTest::newRow("small") << QSize(260, 220) << 0 << QPointF();
    QTest::newRow("smallest") << QSize(200, 170) << 0 << QPointF();
    QTest::newRow("800x600 window") << QSize(330, 420) << 0 << QPointF();
    QTest::newRow("1920x1080 window") << QSize(1200, 900) << 0 << QPointF();
    QTest::newRow("both layers, wide") << QSize(900, 400) << 2 << QPointF();
    QTest::newRow("both layers, tall") << QSize(330, 700) << 2 << QPointF();
    QTest::newRow("800x600, turned flat") << QSize(330, 420) << 0 << QPointF(1.6, 0.0);
    QTest::newRow("800x600, turned steep") << QSize(330, 420) << 0 << QPointF(2.36, 1.54);
    QTest::newRow("1920x1080, turned") << QSize(1200, 900) << 0 << QPointF(3.0, 0.9);
}

void TChart3DTest::labelsNeverOverlapAndGrowWithTheChart() {
    QFETCH(QSize, size);
    QFETCH(int, mode);
    QFETCH(QPointF, angles);
    TChart3D c;
    if (!angles.isNull()) {
        c.AxisAngle[0] = angles.x();
        c.AxisAngle[1] = angles.y();
    }
    // The map's axes as the window sets them.
    c.AxisMin = {400, 0, 0};
    c.AxisMax = {6400, 100, 50};
    c.TickStep = {1000, 10, 5};
    c.ViewMode = mode;
    c.SetChartText(20, QString::fromUtf8("Обороты двигателя|об/мин"));
    c.SetChartText(21, QString::fromUtf8("Нагрузка|%"));
    c.SetChartText(22, QString::fromUtf8("Коррекция угла|°"));
    c.SetChartText(23, QString::fromUtf8("Карта коррекции угла опережения зажигания"));
    c.SetChartText(24, QString::fromUtf8("Карта, измеренная на газе"));
    c.resize(size);
    c.RefreshChart();
    const std::vector<QRect>& labels = c.LabelRects();
    QVERIFY(labels.size() > 10);
    for (std::size_t i = 0; i < labels.size(); ++i) {
        QVERIFY2(QRect(QPoint(0, 0), size).contains(labels[i]),
                 qPrintable(QStringLiteral("label %1 leaves the picture").arg(i)));
        for (std::size_t j = i + 1; j < labels.size(); ++j) {
            const auto where = [](const QRect& r) {
                return QStringLiteral("%1,%2 %3x%4").arg(r.x()).arg(r.y()).arg(r.width()).arg(
                    r.height());
            };
            QVERIFY2(!labels[i].intersects(labels[j]),
                     qPrintable(QStringLiteral("labels %1 (%2) and %3 (%4) overlap")
                                    .arg(i)
                                    .arg(where(labels[i]))
                                    .arg(j)
                                    .arg(where(labels[j]))));
        }
    }
    // No tick mark runs through a number or a caption.
    QVERIFY(!c.TickMarks().empty());
    for (const QLine& mark : c.TickMarks()) {
        const QRect line = QRect(mark.p1(), mark.p2()).normalized();
        for (const QRect& label : labels) {
            QVERIFY2(!label.intersects(line),
                     qPrintable(QStringLiteral("a mark at %1,%2 crosses the label at %3,%4")
                                    .arg(mark.x1())
                                    .arg(mark.y1())
                                    .arg(label.x())
                                    .arg(label.y())));
        }
    }
    // Larger on a larger chart: the number labels are more than 10 pixels high at full HD.
    int height = INT_MAX;
    for (const QRect& r : labels) {
        height = std::min(height, r.height());
    }
    if (size.width() >= 1200) {
        QVERIFY2(height >= 20, qPrintable(QString::number(height)));
    }
}

void TChart3DTest::sixtyFiveSamplesAverageTheLastSixtyFour() {
    TChart3D c;
    c.resize(200, 200);
    for (int i = 1; i <= 65; ++i) {
        QCOMPARE(c.AddSample(1, 3, 4, i), 0);
    }
    QCOMPARE(c.Value(1, 4, 5), 33.5); // mean of 2..65
    QCOMPARE(c.Value(0, 4, 5), -1.0);
    QCOMPARE(c.LastLayer, 1);
    // A shorter depth averages the last few.
    c.AverageDepth = 4;
    for (int i = 1; i <= 6; ++i) {
        c.AddSample(0, 0, 0, i * 10);
    }
    QCOMPARE(c.Value(0, 1, 1), 45.0); // 30, 40, 50, 60
    // Emptied rings start again.
    QCOMPARE(c.ClearLayers(-1), 0);
    c.AddSample(0, 0, 0, 7);
    QCOMPARE(c.Value(0, 1, 1), 7.0);
    QCOMPARE(c.AddSample(2, 0, 0, 1), 1);
    QCOMPARE(c.AddSample(0, 255, 0, 1), 2);
}

void TChart3DTest::aChartWithoutAZRangeOnlyBeeps() {
    TChart3D c;
    c.resize(300, 300);
    c.RefreshChart();
    const quint64 renders = c.RenderCount();
    c.AxisMin[2] = 50;
    c.AxisMax[2] = 50;
    c.RefreshChart();
    c.SetCursor(1, 1, 1);
    QCOMPARE(c.RenderCount(), renders);
    c.AxisMin[2] = 0;
    c.RefreshChart();
    QCOMPARE(c.RenderCount(), renders + 1);
}

void TChart3DTest::facesAreColouredFromAboveAndGreyFromBelow_data() {
    QTest::addColumn<bool>("nearCornerHigh");
    QTest::addColumn<QColor>("colour");
    QTest::addColumn<int>("layer");
    QTest::addColumn<QColor>("outline");
    // One face; its four corners sum to 50, shade 50 * 64 / 50 = 64.
    QTest::newRow("far corner high: seen from above")
        << false << mapColorRamp(64) << 0 << QColor(255, 0, 0);
    QTest::newRow("near corner high: seen from below")
        << true << QColor(64, 64, 64) << 0 << QColor(255, 0, 0);
    // The second layer in the right half of the two-chart view, outlined in green.
    QTest::newRow("second layer beside the first")
        << false << mapColorRamp(64) << 1 << QColor(0, 144, 0);
}

void TChart3DTest::facesAreColouredFromAboveAndGreyFromBelow() {
    QFETCH(bool, nearCornerHigh);
    QFETCH(QColor, colour);
    QFETCH(int, layer);
    QFETCH(QColor, outline);
    TChart3D c;
    if (layer == 0) {
        c.resize(400, 400);
    } else {
        c.resize(800, 400);
        c.ViewMode = 2; // the chart drawn last, whose projection stays, is the right one
    }
    c.PointsX = 3;
    c.PointsY = 3;
    c.AxisMax[2] = 50;
    for (int ix = 1; ix <= 2; ++ix) {
        for (int iy = 1; iy <= 2; ++iy) {
            c.SetPoint(layer, ix, iy, 0);
        }
    }
    if (nearCornerHigh) {
        c.SetPoint(layer, 1, 1, 50);
    } else {
        c.SetPoint(layer, 2, 2, 50);
    }
    c.RefreshChart();
    const double step = 255 / 2.0;
    QPolygon face;
    face << c.Project(255 - step, 255 - step, c.Value(layer, 1, 1))
         << c.Project(255 - 2 * step, 255 - step, c.Value(layer, 2, 1))
         << c.Project(255 - 2 * step, 255 - 2 * step, c.Value(layer, 2, 2))
         << c.Project(255 - step, 255 - 2 * step, c.Value(layer, 1, 2));
    // A point well inside the face (off its outline).
    QPoint inside;
    for (const QPoint candidate :
         {(face[0] + face[1] + face[2] + face[3]) / 4, (face[0] + face[2]) / 2,
          (face[1] + face[3]) / 2, (face[0] + face[1] + face[3]) / 3,
          (face[1] + face[2] + face[3]) / 3}) {
        bool clear = true;
        for (const QPoint d :
             {QPoint(0, 0), QPoint(3, 0), QPoint(-3, 0), QPoint(0, 3), QPoint(0, -3)}) {
            clear = clear && face.containsPoint(candidate + d, Qt::OddEvenFill);
        }
        if (clear) {
            inside = candidate;
            break;
        }
    }
    QVERIFY(!inside.isNull());
    QCOMPARE(c.Image().pixelColor(inside), colour);
    // Outlined in the layer's colour.
    QCOMPARE(c.Image().pixelColor(face[0]), outline);
    QCOMPARE(c.Image().pixelColor(face[2]), outline);
    if (layer == 0) {
        // As a wire frame: the lines between the points, in the same colour.
        c.ViewMode = 1;
        c.RefreshChart();
        for (const QPoint mid : {(face[0] + face[1]) / 2, (face[0] + face[3]) / 2}) {
            bool on = false;
            for (int dx = -1; dx <= 1; ++dx) {
                for (int dy = -1; dy <= 1; ++dy) {
                    on = on || c.Image().pixelColor(mid + QPoint(dx, dy)) == outline;
                }
            }
            QVERIFY(on);
        }
    }
}

void TChart3DTest::eachTitleStandsOverItsOwnChart_data() {
    QTest::addColumn<QSize>("size");
    QTest::addColumn<int>("kind");
    QTest::addColumn<QRect>("half");
    // Both layers side by side in a wide chart, one over the other in a tall one.
    QTest::newRow("wide, title 1") << QSize(600, 300) << 23 << QRect(0, 0, 300, 300);
    QTest::newRow("wide, title 2") << QSize(600, 300) << 24 << QRect(300, 0, 300, 300);
    QTest::newRow("tall, title 1") << QSize(300, 600) << 23 << QRect(0, 0, 300, 300);
    QTest::newRow("tall, title 2") << QSize(300, 600) << 24 << QRect(0, 300, 300, 300);
}

void TChart3DTest::eachTitleStandsOverItsOwnChart() {
    QFETCH(QSize, size);
    QFETCH(int, kind);
    QFETCH(QRect, half);
    TChart3D c;
    c.resize(size);
    c.ViewMode = 2;
    c.RefreshChart();
    const QImage without = c.Image();
    c.SetChartText(kind, QStringLiteral("Gas"));
    c.RefreshChart();
    QRect changed;
    for (int y = 0; y < size.height(); ++y) {
        for (int x = 0; x < size.width(); ++x) {
            if (c.Image().pixel(x, y) != without.pixel(x, y)) {
                changed |= QRect(x, y, 1, 1);
            }
        }
    }
    QVERIFY(!changed.isEmpty());
    QVERIFY2(half.contains(changed), qPrintable(QStringLiteral("%1,%2 %3x%4")
                                                    .arg(changed.x())
                                                    .arg(changed.y())
                                                    .arg(changed.width())
                                                    .arg(changed.height())));
}

void TChart3DTest::textsAndRangeChecks() {
    TChart3D c;
    c.SetChartText(20, QStringLiteral("Engine RPM [rpm]"));
    QCOMPARE(c.AxisName(0), QStringLiteral("Engine RPM [rpm]"));
    QCOMPARE(c.AxisUnit(0), QString());
    c.SetChartText(22, QStringLiteral("Kąt|[ ' ]|x"));
    QCOMPARE(c.AxisName(2), QStringLiteral("Kąt"));
    QCOMPARE(c.AxisUnit(2), QStringLiteral("[ ' ]|x"));
    c.SetChartText(24, QStringLiteral("Gas"));
    c.SetChartText(25, QStringLiteral("ignored"));
    QCOMPARE(c.Title(2), QStringLiteral("Gas"));
    QCOMPARE(c.Title(1), QString());

    QCOMPARE(c.SetPoint(0, 255, 255, 3), 0);
    QCOMPARE(c.SetPoint(2, 0, 0, 3), 1);
    QCOMPARE(c.SetPoint(-1, 0, 0, 3), 1);
    QCOMPARE(c.SetPoint(0, 256, 0, 3), 2);
    QCOMPARE(c.SetPoint(1, 0, -1, 3), 2);
    c.SetPoint(1, 7, 7, 9);
    QCOMPARE(c.ClearLayers(0), 0);
    QCOMPARE(c.Value(0, 255, 255), -1.0);
    QCOMPARE(c.Value(1, 7, 7), 9.0);
    QCOMPARE(c.ClearLayers(2), 1);
    QCOMPARE(c.Value(1, 7, 7), 9.0);
}

QTEST_MAIN(TChart3DTest)
#include "tst_tchart3d.moc"
