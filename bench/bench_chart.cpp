// Drawing the 3-D map chart: one render into the off-screen image at common window sizes, the
// copy to the screen, and how many redraws a second dragging an axis end gives. Offscreen, with
// the map of the program's own chart set-up (16 x 17 points, about 500 faces in view 2).
#include "BenchClock.h"
#include "Report.h"
#include "Samples.h"
#include "TChart3D.h"

#include <QApplication>
#include <QMouseEvent>
#include <QPainter>

#include <cmath>
#include <ctime>

namespace {

// Processor time of this thread: what a frame costs, whatever else the machine is doing.
double threadCpuMs() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return t.tv_sec * 1000.0 + t.tv_nsec / 1e6;
}

void configure(TChart3D& c) {
    c.PointsX = 16;
    c.PointsY = 17;
    c.AxisMin = {400, 0, 0};
    c.AxisMax = {6400, 100, 50};
    c.TickStep = {1000, 10, 5};
    c.SetChartText(23, QStringLiteral("Mapa korekty zapłonu gazu"));
    c.SetChartText(24, QStringLiteral("Mapa zapłonu gazu"));
    c.SetChartText(20, QStringLiteral("RPM|[obr/min]"));
    c.SetChartText(21, QStringLiteral("Obciążenie|[%]"));
    c.SetChartText(22, QStringLiteral("Kąt|[ ' ]"));
    for (int i = 1; i <= 15; ++i) {
        for (int j = 1; j <= 16; ++j) {
            // A hilly map across the whole range of values.
            const int v = static_cast<int>(100 * std::sin(i * 0.4) * std::cos(j * 0.3));
            c.SetPoint(0, i, j, (v + 128) * 0.2);
            c.SetPoint(1, i, j, (v / 2 + 128) * 0.2);
        }
    }
    c.SetCursor(2400, 50, 25.6);
}

// Returns the median processor time of one render.
double renders(const QString& label, TChart3D& c, int frames) {
    Samples ms;
    Samples cpu;
    for (int i = 0; i < frames; ++i) {
        const BenchClock clock;
        const double cpu0 = threadCpuMs();
        c.Render();
        cpu.add(threadCpuMs() - cpu0);
        ms.add(clock.elapsedMs());
    }
    Report::figure(
        label, ms.summary("ms", 2) +
                   QStringLiteral("  (%1 fps at the median)").arg(1000.0 / ms.median(), 0, 'f', 0));
    Report::figure(QStringLiteral("  processor time"), cpu.summary("ms", 2));
    return cpu.median();
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    Report::title(QStringLiteral("bench_chart"),
                  QStringLiteral("3-D map chart: render, copy and dragging an axis end"));

    TChart3D c;
    configure(c);
    Report::heading(QStringLiteral("Render into the off-screen image (median / p95 / max)"));
    for (const QSize size :
         {QSize(1920, 1080), QSize(1280, 1016), QSize(640, 1016), QSize(800, 600)}) {
        c.resize(size);
        c.Render(); // the image is sized once
        for (const int mode : {0, 2}) {
            c.ViewMode = mode;
            const QString label =
                QStringLiteral("%1x%2, view %3").arg(size.width()).arg(size.height()).arg(mode);
            const double cpuMs = renders(label, c, 200);
            if (size == QSize(1920, 1080))
                Report::row(BenchRow::atMost(QStringLiteral("chart render ") + label +
                                                 QStringLiteral(", processor (median)"),
                                             cpuMs, QStringLiteral("ms"), 4.0));
        }
    }

    Report::heading(QStringLiteral("Copy of the image to a window-sized surface"));
    c.resize(1920, 1080);
    c.ViewMode = 0;
    c.Render();
    QImage screen(1920, 1080, QImage::Format_RGB32);
    Samples copy;
    for (int i = 0; i < 200; ++i) {
        const BenchClock clock;
        QPainter p(&screen);
        p.drawImage(0, 0, c.Image());
        p.end();
        copy.add(clock.elapsedMs());
    }
    Report::figure(QStringLiteral("1920x1080 image"), copy.summary("ms", 2));

    Report::heading(
        QStringLiteral("Dragging the x-axis end at 1920x1080 (render and copy per move)"));
    c.show();
    c.RefreshChart();
    const QPoint origin = c.HandleOrigin();
    QMouseEvent press(QEvent::MouseButtonPress, c.HandleX(), c.mapToGlobal(c.HandleX()),
                      Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&c, &press);
    const quint64 before = c.RenderCount();
    const BenchClock clock;
    Samples perMove;
    const double cpuStart = threadCpuMs();
    int moves = 0;
    while (clock.elapsedMs() < 3000) {
        // Sweep the x axis between 95 and 175 degrees.
        const double a = (95 + 80 * (0.5 + 0.5 * std::sin(moves * 0.05))) * M_PI / 180;
        const QPoint at = origin + QPoint(static_cast<int>(300 * std::cos(a)),
                                          static_cast<int>(300 * std::sin(a)));
        const BenchClock one;
        QMouseEvent move(QEvent::MouseMove, at, c.mapToGlobal(at), Qt::NoButton, Qt::LeftButton,
                         Qt::NoModifier);
        QApplication::sendEvent(&c, &move);
        c.repaint(); // the copy to the screen, as the window system would ask for it
        perMove.add(one.elapsedMs());
        ++moves;
    }
    const double seconds = clock.elapsedMs() / 1000.0;
    const double cpuPerMove = (threadCpuMs() - cpuStart) / std::max(1, moves);
    Report::figure(QStringLiteral("one move"), perMove.summary("ms", 2));
    Report::figure(QStringLiteral("processor time per move (mean)"),
                   QString::number(cpuPerMove, 'f', 2) + QStringLiteral(" ms"));
    const double redraws = (c.RenderCount() - before) / seconds;
    Report::figure(QStringLiteral("redraws per second"), QString::number(redraws, 'f', 0));
    Report::row(BenchRow::plain(QStringLiteral("chart redraws while dragging, 1920x1080"), redraws,
                                QStringLiteral("/s")));
    return 0;
}
