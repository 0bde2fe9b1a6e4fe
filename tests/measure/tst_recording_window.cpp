// The window recording the simulated controller from the File menu and replaying the file:
// the file's size, the values the replay shows, the scroll bar, and the chart.
#include "LiveView.h"
#include "RecordingIndicator.h"
#include "ScopeChart.h"
#include "SimController.h"
#include "TForm1.h"
#include "TMySerial.h"
#include "TNvScope.h"
#include "TPanel.h"
#include "WindowTestSupport.h"

#include <QAction>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QProgressBar>
#include <QScrollBar>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

class TstRecordingWindow : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<SimController> sim;
    std::unique_ptr<TForm1> w;
    QTemporaryDir dir;
    QStringList boxes;

    struct Shown {
        QString rpm, tps, kat, gaz;
    };
    Shown shown() const {
        return {w->LabelRpm->text(), w->LabelTps->text(), w->LabelKat->text(), w->LabelGaz->text()};
    }

    void start() {
        SimConfig config;
        config.pacing = false;
        sim = std::make_unique<SimController>(config);
        QVERIFY2(sim->start(), qPrintable(sim->errorString()));
        w = WindowTest::freshWindow();
        w->ErrorBox = [this](const QString& text) { boxes << text; };
        w->WarningBox = [this](const QString& text) { boxes << text; };
        w->UseSessionDevice(sim->slavePath());
        w->show();
        QTRY_VERIFY_WITH_TIMEOUT(w->windowTitle().contains(QStringLiteral("KOLVA")), 5000);
        QTRY_COMPARE_WITH_TIMEOUT(w->Mirror.SettingIndex, -1, 5000);
        QTRY_VERIFY_WITH_TIMEOUT(w->LabelRpm->text().contains(QStringLiteral("obr/min")), 5000);
    }

private slots:
    void init() { boxes.clear(); }
    void cleanup() {
        w.reset();
        sim.reset();
    }

    void bothFileCommandsAreVisibleInEveryLanguage() {
        w = WindowTest::freshWindow();
        for (int language : {0, 1, 2, 4}) {
            w->ApplyLanguage(language);
            for (QAction* a : {w->PlikiUstawZapis, w->MenuPikiOtworzPom, w->WidokWykres}) {
                QVERIFY(a->isVisible());
                QVERIFY2(!a->text().trimmed().isEmpty(), qPrintable(a->objectName()));
            }
            // German lacks the fuel caption: the chart keeps its own label there.
            QCOMPARE(w->ChartScope->AnalogLabels.size(), 4);
            for (const QString& label : w->ChartScope->AnalogLabels) {
                QVERIFY2(!label.isEmpty(), qPrintable(QString::number(language)));
            }
        }
        w->ApplyLanguage(0);
        QCOMPARE(w->PlikiUstawZapis->text(), QStringLiteral("Zapis do pliku"));
        QCOMPARE(w->MenuPikiOtworzPom->text(), QString::fromUtf8("Otwórz pomiary"));
        w->ApplyLanguage(2);
        QCOMPARE(w->ChartScope->AnalogLabels, (QStringList{"Fuel", "TPS", "Rpm", "Angle"}));
        // The hidden scope exists from the start.
        QVERIFY(w->Scope1 != nullptr);
        QCOMPARE(w->Scope1->objectName(), QStringLiteral("Scope1"));
        QVERIFY(w->Scope1->isHidden());
    }

    void recordTheSimulatorThenReplayAndStepThroughIt() {
        start();
        const QString file = dir.filePath(QStringLiteral("drive.bin"));
        // Count the live answers the window shows while recording, and what it showed.
        int answers = 0;
        Shown first;
        auto inner = w->LiveViewHandler;
        w->LiveViewHandler = [&](const LiveView& v) {
            inner(v);
            if (w->PlikiUstawZapis->isChecked()) {
                if (++answers == 1) {
                    QTimer::singleShot(0, [&] { first = shown(); });
                }
            }
        };
        w->AskRecordingToSave = [&] { return file; };
        w->resize(1400, 800);
        w->PlikiUstawZapis->trigger();
        QVERIFY(w->PlikiUstawZapis->isChecked());
        // The status bar says that a recording runs, into which file, since when.
        QVERIFY(!w->RecordingMark->isHidden());
        QCOMPARE(w->RecordingMark->text(), w->LangText(865).arg("drive.bin", "0:00"));
        QVERIFY(w->RecordingMark->toolTip().contains(file));
        // In a narrow window the mark keeps its sign and the time; the file is in the tooltip.
        w->resize(600, 500);
        QTRY_VERIFY(!w->RecordingMark->text().contains("drive.bin"));
        QVERIFY(w->RecordingMark->text().startsWith(w->LangText(865).left(1)));
        QVERIFY(w->RecordingMark->text().contains(":0"));
        QVERIFY(w->RecordingMark->toolTip().contains(file));
        w->resize(1400, 800);
        QTRY_VERIFY_WITH_TIMEOUT(answers >= 8, 10000);
        w->PlikiUstawZapis->trigger();
        QVERIFY(!w->PlikiUstawZapis->isChecked());
        QVERIFY(w->RecordingMark->isHidden());
        const Shown last = shown();
        const int recorded = answers;
        QVERIFY(!first.rpm.isEmpty());

        QFile f(file);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QByteArray bytes = f.readAll();
        QCOMPARE(bytes.size(), 16 * (recorded + 1));
        QCOMPARE(bytes.left(16),
                 QByteArray(reinterpret_cast<const char*>(w->Mirror.SettingsImage.data()), 16));

        // The replay ends on the last record: the window shows what it showed at the stop.
        w->AskRecordingToOpen = [&] { return file; };
        w->MenuPikiOtworzPom->trigger();
        QVERIFY(boxes.isEmpty());
        QCOMPARE(w->windowTitle(), QStringLiteral("Orvex V1.03 - drive.bin"));
        QVERIFY(!w->Serial1->SerialConnected());
        QVERIFY(!w->ScrollBar1->isHidden());
        // Plainly a file, not a controller; the times the settings record does not hold show
        // nothing rather than the last controller's.
        QCOMPARE(w->RecordingMark->mode(), RecordingIndicator::Mode::Replay);
        QCOMPARE(w->RecordingMark->text(), w->LangText(867).arg("drive.bin"));
        QVERIFY(!w->RecordingMark->isHidden());
        QCOMPARE(w->EditNar->text(), QString());
        QCOMPARE(w->EditOpa->text(), QString());
        QCOMPARE(w->ScrollBar1->maximum(), recorded + 1);
        QCOMPARE(w->LabelRpm->text(), last.rpm);
        QCOMPARE(w->LabelTps->text(), last.tps);
        QCOMPARE(w->LabelKat->text(), last.kat);
        QCOMPARE(w->LabelGaz->text(), last.gaz);
        QVERIFY(w->Timer1->isActive());
        // The progress went to the status bar and is gone again.
        QCOMPARE(w->ProgressBar1->parentWidget(), static_cast<QWidget*>(w->StatusBar1));
        QCOMPARE(w->ProgressBar1->maximum(), bytes.size());
        QVERIFY(w->ProgressBar1->isHidden());

        // Record 1 through the scroll bar.
        w->ScrollBar1->setValue(1);
        QCOMPARE(w->LabelRpm->text(), first.rpm);
        QCOMPARE(w->LabelTps->text(), first.tps);
        QCOMPARE(w->LabelKat->text(), first.kat);
        QCOMPARE(w->ChartScope->replayPosition(), 1);

        // The chart shows the whole recording; each channel's trace passes through the point
        // of a record in the channel's colour.
        ScopeChart* chart = w->ChartScope;
        QVERIFY(!w->PanelScope->isHidden());
        QCOMPARE(chart->recordCount(), recorded);
        chart->redraw();
        const int k = recorded / 2 + 1;
        for (int c = 0; c < 4; ++c) {
            const QColor painted = chart->Bitmap().pixelColor(chart->PosX(k), chart->PosY(k, c));
            QVERIFY2(painted == chart->ChannelColors[static_cast<std::size_t>(c)],
                     qPrintable(QStringLiteral("channel %1: %2").arg(c).arg(painted.name())));
        }

        // A click on the chart shows the record under the pointer, as the scroll bar does.
        QTest::mouseClick(chart, Qt::LeftButton, {}, QPoint(chart->PosX(recorded), 40));
        QCOMPARE(w->ScrollBar1->value(), recorded);
        QCOMPARE(w->LabelRpm->text(), last.rpm);

        // Connecting again: the chart follows live values once more.
        w->MenuPortZmienClick();
        QTRY_VERIFY_WITH_TIMEOUT(!chart->showsRecording(), 10000);
        QTRY_VERIFY(w->RecordingMark->isHidden());
        w->LiveViewHandler = inner;

        // The scope goes with the window.
        w->close();
        QVERIFY(w->Scope1 == nullptr);
    }
};

QTEST_MAIN(TstRecordingWindow)
#include "tst_recording_window.moc"
