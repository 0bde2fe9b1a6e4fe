// Replay of a one-hour recording (25,000 records) and the chart's redraw with that many records
// at 1920x1080: reading and decoding alone, the whole window replay (offscreen), reading the
// recording for the chart, and the redraw.
#include "BenchClock.h"
#include "ControlStates.h"
#include "ControllerMirror.h"
#include "LanguageTable.h"
#include "LiveTrace.h"
#include "Recordings.h"
#include "RecordingsHost.h"
#include "Report.h"
#include "ResponseResult.h"
#include "Samples.h"
#include "ScopeChart.h"
#include "TForm1.h"
#include "TMySerial.h"

#include <QApplication>
#include <QFile>
#include <QTemporaryDir>

#include <cmath>
#include <ctime>
#include <memory>

namespace {

constexpr int Records = 25000;

// A drive: idle, throttle blips, fuel switching to gas after two minutes.
QByteArray recording() {
    QByteArray bytes(16 * (Records + 1), '\0');
    for (int i = 0; i < 16; ++i) {
        bytes[i] = static_cast<char>(i == 0 ? 15 : 0x20 + i);
    }
    for (int k = 1; k <= Records; ++k) {
        auto* r = reinterpret_cast<std::uint8_t*>(bytes.data() + 16 * k);
        const double t = k * 0.1;
        const double rpm = 850 + 2000 * std::max(0.0, std::sin(t / 7.0));
        const int period = static_cast<int>(32000000 / rpm);
        r[0] = static_cast<std::uint8_t>(0xEE | (t > 120 ? 0x10 : 0));
        r[1] = 0x00;
        r[2] = static_cast<std::uint8_t>(static_cast<std::int8_t>(std::lround(20 * std::sin(t))));
        r[6] = static_cast<std::uint8_t>(40 + 100 * std::max(0.0, std::sin(t / 7.0)));
        r[9] = 170;
        r[10] = static_cast<std::uint8_t>(period & 0xFF);
        r[11] = static_cast<std::uint8_t>((period >> 8) & 0xFF);
        r[12] = static_cast<std::uint8_t>(period >> 16);
        r[15] = static_cast<std::uint8_t>(k % 256);
    }
    return bytes;
}

// Decoding only: every record goes to a host that shows nothing.
class QuietHost : public RecordingsHost {
public:
    ControllerMirror m;
    LanguageTable texts;
    long long shown = 0;
    ControllerMirror& mirror() override { return m; }
    const LangSource& lang() const override { return texts; }
    ControlStates controlStates() const override { return {}; }
    QString askRecordingToSave() override { return {}; }
    QString askRecordingToOpen() override { return {}; }
    void warningBox(const QString&) override {}
    void setStatusText(const QString&) override {}
    bool recordingChecked() const override { return false; }
    void setRecordingChecked(bool) override {}
    void closePort() override {}
    void stopPolling() override {}
    void startPolling() override {}
    void exchangeStarted() override {}
    void exchangeFinished() override {}
    void showReplayControls(const QString&, const QString&) override {}
    void setReplayRange(int) override {}
    void showProgress(qint64) override {}
    void setProgress(qint64) override {}
    void hideProgress() override {}
    void showRecord(const ResponseResult& r) override { shown += r.live ? 1 : 0; }
    void showRecordingTrace(std::vector<LiveTracePoint> points) override {
        shown += static_cast<long long>(points.size());
    }
    void showReplayPosition(int) override {}
};

// Processor time of this thread: on a shared machine the wall time also counts the waits for
// a core.
double threadCpuMs() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return t.tv_sec * 1000.0 + t.tv_nsec / 1e6;
}

QString perSecond(double ms) {
    return QStringLiteral("%1 ms  = %2 records/s")
        .arg(ms, 0, 'f', 0)
        .arg(Records / (ms / 1000.0), 0, 'f', 0);
}

} // namespace

double recordsPerSecond(double ms) {
    return Records / (std::max(ms, 0.001) / 1000.0);
}

int main(int argc, char** argv) {
    double decodeRate = 0;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    Report::title(QStringLiteral("bench_replay"),
                  QStringLiteral("Replay of 25,000 records and the chart's redraw at 1920x1080"));
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("hour.bin"));
    {
        QFile f(file);
        f.open(QIODevice::WriteOnly);
        f.write(recording());
    }

    Report::heading(QStringLiteral("Reading and decoding (no display), median of 3"));
    {
        Samples ms;
        Samples cpu;
        for (int round = 0; round < 3; ++round) {
            auto host = std::make_unique<QuietHost>();
            Recordings r(*host);
            const BenchClock c;
            const double start = threadCpuMs();
            r.ReplayRecording(file);
            cpu.add(threadCpuMs() - start);
            ms.add(c.elapsedMs());
        }
        Report::figure(QStringLiteral("read + decode + trace, wall"), perSecond(ms.median()));
        Report::figure(QStringLiteral("read + decode + trace, processor"), perSecond(cpu.median()));
        decodeRate = recordsPerSecond(cpu.median());
        Report::row(BenchRow::plain(QStringLiteral("recording read + decode, processor"),
                                    decodeRate, QStringLiteral("records/s")));
    }
    {
        Samples ms;
        LanguageTable lang;
        auto m = std::make_unique<ControllerMirror>();
        for (int round = 0; round < 3; ++round) {
            const BenchClock c;
            const auto points = LiveTrace::scan(*m, file, lang, ControlStates{});
            ms.add(c.elapsedMs());
        }
        Report::figure(QStringLiteral("reading for the chart alone"), perSecond(ms.median()));
    }

    Report::heading(QStringLiteral("Whole window replay (offscreen, 1920x1080, chart shown)"));
    {
        TForm1 w;
        w.Serial1->SetOpenErrorPresenter([](const QString&, const QString&) {});
        w.resize(1920, 1080);
        w.show();
        QApplication::processEvents();
        const BenchClock c;
        const double cpu = threadCpuMs();
        w.Measurements.ReplayRecording(file);
        const double cpuTotal = threadCpuMs() - cpu;
        const double total = c.elapsedMs();
        Report::figure(QStringLiteral("replay end to end, wall"), perSecond(total));
        Report::figure(QStringLiteral("replay end to end, processor"), perSecond(cpuTotal));
        // The display's share: the whole replay against reading and decoding alone.
        Report::row(BenchRow::reference(QStringLiteral("whole window replay, processor"),
                                        recordsPerSecond(cpuTotal), QStringLiteral("records/s"),
                                        decodeRate));
        Report::figure(
            QStringLiteral("chart size"),
            QStringLiteral("%1 x %2").arg(w.ChartScope->width()).arg(w.ChartScope->height()));
        w.Timer1->stop();
    }

    Report::heading(QStringLiteral("Chart redraw with 25,000 records, 1920x1080"));
    {
        ScopeChart chart;
        chart.resize(1920, 1080);
        chart.show();
        QApplication::processEvents();
        std::vector<ScopeChart::Values> points(Records);
        for (int k = 0; k < Records; ++k) {
            auto& p = points[static_cast<std::size_t>(k)];
            const double t = k * 0.1;
            p.gas = t > 120;
            p.rpm = 850 + 2000 * std::max(0.0, std::sin(t / 7.0));
            p.tps = 0.8 + 2 * std::max(0.0, std::sin(t / 7.0));
            p.angle = 4 * std::sin(t);
        }
        chart.showRecording(points);
        chart.setReplayPosition(Records / 2);
        Samples whole;
        Samples wholeCpu;
        Samples zoomed;
        Samples zoomedCpu;
        for (int i = 0; i < 40; ++i) {
            const BenchClock c;
            const double cpu = threadCpuMs();
            chart.redraw();
            wholeCpu.add(threadCpuMs() - cpu);
            whole.add(c.elapsedMs());
        }
        chart.setView(10000, 12000);
        for (int i = 0; i < 40; ++i) {
            const BenchClock c;
            const double cpu = threadCpuMs();
            chart.redraw();
            zoomedCpu.add(threadCpuMs() - cpu);
            zoomed.add(c.elapsedMs());
        }
        Report::figure(QStringLiteral("whole recording, wall"), whole.summary("ms", 2));
        Report::row(BenchRow::atMost(QStringLiteral("replay chart redraw, 25,000 records (median)"),
                                     whole.median(), QStringLiteral("ms"), 8.0));
        Report::figure(QStringLiteral("whole recording, processor"), wholeCpu.summary("ms", 2));
        Report::figure(QStringLiteral("2,000 records shown, wall"), zoomed.summary("ms", 2));
        Report::figure(QStringLiteral("2,000 records shown, processor"),
                       zoomedCpu.summary("ms", 2));
    }
    return 0;
}
