// Recording live answers to a file and replaying it, with the window replaced by plain fields:
// the file layout, appending, failures while writing, and what a replay decodes in which order.
#include "ControlStates.h"
#include "ControllerMirror.h"
#include "FakeLang.h"
#include "LiveTrace.h"
#include "Recordings.h"
#include "RecordingsHost.h"
#include "ResponseResult.h"
#include "SettingsView.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <QDir>
#include <QFileInfo>

#include <QDeadlineTimer>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <sys/fsuid.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace {

class FakeHost : public RecordingsHost {
public:
    ControllerMirror m;
    FakeLang texts;
    QString saveAnswer;
    QString openAnswer;
    bool checked = false;
    QStringList boxes;
    QString status;
    int portCloses = 0;
    bool polling = true;
    int busy = 0;
    QString caption;
    int range = -1;
    bool progressShown = false;
    // What was shown: the command of each decoded record and RxBuffer byte 2 at that time.
    QList<int> commands;
    QList<int> byte2;
    QList<int> positions;
    std::vector<LiveTracePoint> trace;

    ControllerMirror& mirror() override { return m; }
    const LangSource& lang() const override { return texts; }
    ControlStates controlStates() const override { return {}; }
    QString askRecordingToSave() override { return saveAnswer; }
    QString askRecordingToOpen() override { return openAnswer; }
    void warningBox(const QString& text) override { boxes << text; }
    void setStatusText(const QString& text) override { status = text; }
    bool recordingChecked() const override { return checked; }
    void setRecordingChecked(bool c) override { checked = c; }
    void closePort() override { ++portCloses; }
    void stopPolling() override { polling = false; }
    void startPolling() override { polling = true; }
    void exchangeStarted() override { ++busy; }
    void exchangeFinished() override { --busy; }
    void showReplayControls(const QString& c, const QString&) override { caption = c; }
    void setReplayRange(int maximum) override { range = maximum; }
    void showProgress(qint64) override { progressShown = true; }
    void setProgress(qint64) override {}
    void hideProgress() override { progressShown = false; }
    void showRecord(const ResponseResult& r) override {
        QCOMPARE(r.outcome, ResponseResult::Outcome::Accepted);
        commands << r.command;
        byte2 << m.RxBuffer[2];
    }
    void showRecordingTrace(std::vector<LiveTracePoint> points) override {
        trace = std::move(points);
    }
    void showReplayPosition(int record) override { positions << record; }
};

QByteArray record(int first) {
    QByteArray r(16, '\0');
    for (int i = 0; i < 16; ++i) {
        r[i] = static_cast<char>(first + i);
    }
    return r;
}

QByteArray readAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<cannot read>");
}

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(f.write(bytes), bytes.size());
}

// Starts a recording into `path` with the settings image and appends `count` live answers,
// each RxBuffer starting with 0x40 + its number.
void record(FakeHost& host, Recordings& r, const QString& path, int count) {
    host.saveAnswer = path;
    host.checked = true;
    r.PlikiUstawZapisClick();
    for (int k = 1; k <= count; ++k) {
        std::fill(host.m.RxBuffer.begin(), host.m.RxBuffer.begin() + 32,
                  static_cast<std::uint8_t>(0x40 + k));
        r.AppendLiveRecord();
    }
}

} // namespace

class TstRecordings : public QObject {
    Q_OBJECT

private:
    QTemporaryDir dir;
    QString path(const char* name) const { return dir.filePath(QString::fromLatin1(name)); }

private slots:
    void initTestCase() {
        QVERIFY(dir.isValid());
        chmod(QFile::encodeName(dir.path()).constData(), 0755);
    }

    void newRecordingIsSettingsRecordThenOneRecordPerLiveAnswer() {
        FakeHost host;
        for (int i = 0; i < 32; ++i) {
            host.m.SettingsImage[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(i);
        }
        Recordings r(host);
        record(host, r, path("new.bin"), 5);
        QVERIFY(r.Recording());
        // Answers while the item is unchecked are not recorded.
        host.checked = false;
        r.AppendLiveRecord();
        host.checked = true;
        r.AppendLiveRecord();
        host.checked = false;
        r.PlikiUstawZapisClick();
        QVERIFY(!r.Recording());

        const QByteArray bytes = readAll(path("new.bin"));
        QCOMPARE(bytes.size(), 16 * (6 + 1));
        QCOMPARE(bytes.left(16), record(0)); // settings image bytes 0..15, not 16..31
        QCOMPARE(bytes.mid(16, 16), QByteArray(16, '\x41'));
        QCOMPARE(bytes.mid(16 * 6, 16), QByteArray(16, '\x45'));
    }

    void appendingToARecordingAddsNoSecondSettingsRecord() {
        FakeHost host;
        host.m.SettingsImage.fill(0x11);
        writeFile(path("old.bin"), QByteArray(16, '\x22') + QByteArray(16, '\x33'));
        Recordings r(host);
        record(host, r, path("old.bin"), 2);
        r.StopRecording();
        const QByteArray bytes = readAll(path("old.bin"));
        QCOMPARE(bytes.size(), 16 * 4);
        QCOMPARE(bytes.left(32), QByteArray(16, '\x22') + QByteArray(16, '\x33'));
        QVERIFY(!bytes.contains('\x11'));
        QVERIFY(!host.checked);
    }

    void cancelledSaveDialogLeavesTheItemUnchecked() {
        FakeHost host;
        Recordings r(host);
        host.checked = true;
        host.saveAnswer.clear();
        r.PlikiUstawZapisClick();
        QVERIFY(!host.checked);
        QVERIFY(!r.Recording());
        QVERIFY(host.status.isEmpty());
    }

    void recordingThatCannotBeCreatedSaysSoAndUnchecks() {
        FakeHost host;
        Recordings r(host);
        record(host, r, path("no/such/folder/x.bin"), 1);
        QVERIFY(!host.checked);
        QVERIFY(!r.Recording());
        QVERIFY2(host.status.startsWith(QStringLiteral("#606")), qPrintable(host.status));
        QVERIFY(host.status.contains(QStringLiteral("x.bin")));
    }

    void fullDeviceStopsTheRecordingAtOnce() {
        FakeHost host;
        Recordings r(host);
        record(host, r, QStringLiteral("/dev/full"), 0); // the settings record already fails
        QVERIFY(!host.checked);
        QVERIFY(!r.Recording());
        QVERIFY2(host.status.startsWith(QStringLiteral("#602")), qPrintable(host.status));
    }

    void fullDiskStopsTheRecordingAndKeepsWhatWasWritten() {
        // The file may not grow beyond 3 records and a half: the settings record and two live
        // records fit, the third live record is cut off by the "disk".
        FakeHost host;
        host.m.SettingsImage.fill(0x01);
        Recordings r(host);
        const QString file = path("full.bin");
        QFile::remove(file);
        rlimit old{};
        getrlimit(RLIMIT_FSIZE, &old);
        const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit small = old;
        small.rlim_cur = 16 * 3 + 8;
        setrlimit(RLIMIT_FSIZE, &small);
        record(host, r, file, 5);
        setrlimit(RLIMIT_FSIZE, &old);
        std::signal(SIGXFSZ, oldHandler);

        QVERIFY(!host.checked);
        QVERIFY(!r.Recording());
        QVERIFY2(host.status.startsWith(QStringLiteral("#602")), qPrintable(host.status));
        QVERIFY(host.status.contains(QStringLiteral("full.bin")));
        // Whole records only: the half-written third one is taken back.
        const QByteArray bytes = readAll(file);
        QCOMPARE(bytes.size(), 16 * 3);
        QCOMPARE(bytes.mid(16, 16), QByteArray(16, '\x41'));
        QCOMPARE(bytes.mid(32, 16), QByteArray(16, '\x42'));
    }

    void fullReplayDecodesSettingsThenEveryLiveRecord() {
        FakeHost host;
        const QString file = path("three.bin");
        writeFile(file, record(0x10) + record(0x20) + record(0x30));
        Recordings r(host);
        host.checked = true; // a recording runs: the replay stops it first
        r.ReplayRecording(file);
        QVERIFY(!host.checked);
        QCOMPARE(host.portCloses, 1);
        QVERIFY(host.polling);
        QCOMPARE(host.busy, 0);
        QVERIFY(!host.progressShown);
        QCOMPARE(host.caption, QStringLiteral("Orvex V1.03 - three.bin"));
        QCOMPARE(host.range, 3);
        QCOMPARE(host.commands, (QList<int>{0x56, 0x50, 0x50}));
        QCOMPARE(host.byte2, (QList<int>{0x12, 0x22, 0x32}));
        QCOMPARE(host.positions, (QList<int>{1, 2}));
        QCOMPARE(host.trace.size(), std::size_t{2});
        // The chart's points carry what each live record says (fuel: bit 4 of its first byte).
        QCOMPARE(host.trace[0].gas, false);
        QCOMPARE(host.trace[1].gas, true);
        QVERIFY(host.boxes.isEmpty());
    }

    void settingsBeyondTheSettingsRecordAreNotTakenFromOlderAnswers_data() {
        QTest::addColumn<int>("position"); // -1: the full replay
        QTest::newRow("full replay") << -1;
        QTest::newRow("scroll bar at record 1") << 1;
    }

    void settingsBeyondTheSettingsRecordAreNotTakenFromOlderAnswers() {
        QFETCH(int, position);
        class SettingsHost : public FakeHost {
        public:
            QList<SettingsView> views;
            void showRecord(const ResponseResult& r) override {
                if (r.settings) {
                    views << *r.settings;
                }
            }
        };
        SettingsHost host;
        host.m.OpcjeH = 0x80; // a controller with rise and fall times
        // What an earlier answer left behind the record: rise 4, fall 1, limits 0x20 and 0x30.
        host.m.RxBuffer[16] = 4;
        host.m.RxBuffer[17] = 1;
        host.m.RxBuffer[18] = 0x20;
        host.m.RxBuffer[19] = 0x30;
        QByteArray settings(16, '\0');
        settings[0] = 20; // 19 settings: all four would be decoded from bytes 16..19
        settings[4] = 7;  // the set angle, inside the record
        const QString file = path("settings.bin");
        writeFile(file, settings + record(0x40));
        Recordings r(host);
        if (position < 0) {
            r.ReplayRecording(file);
        } else {
            r.ReplayFileName = file;
            r.ScrollBar1Change(position);
        }
        QCOMPARE(host.views.size(), 1);
        const SettingsView& v = host.views.first();
        QCOMPARE(v.UpDownKat, 7);
        QVERIFY(!v.Nar);
        QVERIFY(!v.Opa);
        QVERIFY(!v.MIN);
        QVERIFY(!v.MAP);
    }

    void scrollBarPositionsShowTheirRecord_data() {
        QTest::addColumn<int>("position");
        QTest::addColumn<QList<int>>("commands");
        QTest::addColumn<QList<int>>("byte2");
        // Position 0 decodes the settings record a second time, as live values.
        QTest::newRow("0") << 0 << QList<int>{0x56, 0x50} << QList<int>{0x12, 0x12};
        QTest::newRow("1") << 1 << QList<int>{0x56, 0x50} << QList<int>{0x12, 0x22};
        QTest::newRow("2") << 2 << QList<int>{0x56, 0x50} << QList<int>{0x12, 0x32};
        QTest::newRow("3 is past the end") << 3 << QList<int>{} << QList<int>{};
    }
    void scrollBarPositionsShowTheirRecord() {
        QFETCH(int, position);
        QFETCH(QList<int>, commands);
        QFETCH(QList<int>, byte2);
        FakeHost host;
        const QString file = path("three.bin");
        writeFile(file, record(0x10) + record(0x20) + record(0x30));
        Recordings r(host);
        r.ScrollBar1Change(position); // nothing before a replay
        QVERIFY(host.commands.isEmpty());
        QCOMPARE(host.portCloses, 0);
        record(host, r, path("stepped.bin"), 0); // a recording runs
        QVERIFY(r.Recording());
        r.ReplayFileName = file;
        r.ScrollBar1Change(position);
        QCOMPARE(host.commands, commands);
        QCOMPARE(host.byte2, byte2);
        QCOMPARE(host.portCloses, 1);
        QVERIFY(host.polling);
        QVERIFY(host.boxes.isEmpty());
        // The step ended the recording: the port it recorded from is closed.
        QVERIFY(!r.Recording());
        QVERIFY(!host.checked);
    }

    void aPositionChosenWhileARecordIsShownFollowsIt() {
        class SteppingHost : public FakeHost {
        public:
            Recordings* r = nullptr;
            void showRecord(const ResponseResult& result) override {
                FakeHost::showRecord(result);
                if (m.RxBuffer[0] == 0x20) {
                    r->ScrollBar1Change(2); // the scroll bar moved on meanwhile
                }
            }
        } host;
        const QString file = path("three.bin");
        writeFile(file, record(0x10) + record(0x20) + record(0x30));
        Recordings r(host);
        host.r = &r;
        r.ReplayFileName = file;
        r.ScrollBar1Change(1);
        QCOMPARE(host.byte2, (QList<int>{0x12, 0x22, 0x12, 0x32}));
        QCOMPARE(host.busy, 0);
    }

    void partialLastRecordKeepsTheBytesOfTheRecordBefore() {
        FakeHost host;
        const QString file = path("partial.bin");
        writeFile(file, record(0x10) + record(0x20) + QByteArray("\x77\x77\x77", 3));
        Recordings r(host);
        r.ReplayRecording(file);
        QCOMPARE(host.commands, (QList<int>{0x56, 0x50, 0x50}));
        // Bytes 0..2 from the short record, byte 3 onwards still those of record 1.
        QCOMPARE(host.byte2, (QList<int>{0x12, 0x22, 0x77}));
        QCOMPARE(host.m.RxBuffer[3], std::uint8_t{0x23});
        QCOMPARE(host.range, 2);
    }

    void replayOfAShortMissingOrOversizedFileSaysSoAndDecodesNothing_data() {
        QTest::addColumn<QByteArray>("content"); // null: no file at all
        QTest::addColumn<qint64>("length");      // > 0: the file made this long (sparse)
        QTest::addColumn<QString>("message");    // how the message box starts
        QTest::newRow("missing") << QByteArray() << qint64{0} << QStringLiteral("#702short.bin (");
        QTest::newRow("empty") << QByteArray("") << qint64{0} << QStringLiteral("#603");
        QTest::newRow("15 bytes") << QByteArray(15, 'x') << qint64{0} << QStringLiteral("#603");
        // Good records at the front, and far more of the file than any recording holds.
        QTest::newRow("a byte over 16 MiB") << record(0x10) + record(0x20) << (qint64{16} << 20) + 1
                                            << QStringLiteral("#702huge.bin (");
        QTest::newRow("64 GiB") << record(0x10) << (qint64{64} << 30)
                                << QStringLiteral("#702huge.bin (");
    }
    void replayOfAShortMissingOrOversizedFileSaysSoAndDecodesNothing() {
        QFETCH(QByteArray, content);
        QFETCH(qint64, length);
        QFETCH(QString, message);
        FakeHost host;
        const QString file = path(length > 0 ? "huge.bin" : "short.bin");
        QFile::remove(file);
        if (!content.isNull()) {
            writeFile(file, content);
        }
        if (length > 0 && !QFile::resize(file, length)) {
            QSKIP("this file system keeps no sparse file that long");
        }
        Recordings r(host);
        r.ReplayRecording(file);
        QFile::remove(file);
        QCOMPARE(host.boxes.size(), 1);
        QVERIFY2(host.boxes[0].startsWith(message), qPrintable(host.boxes[0]));
        if (length > 0) {
            QVERIFY2(host.boxes[0].contains(QStringLiteral(" > 16777216")),
                     qPrintable(host.boxes[0]));
        }
        QVERIFY(host.commands.isEmpty());
        QVERIFY(host.trace.empty()); // the chart read nothing either
        QCOMPARE(host.range, -1);    // no scroll range for records that are not read
        QVERIFY(host.polling);       // the poll cycle goes on (on the closed port)
        QCOMPARE(host.busy, 0);
    }

    void aFileThatIsNoRegularFileIsNeverWaitedFor_data() {
        QTest::addColumn<bool>("fifo");     // else a folder
        QTest::addColumn<bool>("replay");   // else a recording into it
        QTest::addColumn<QString>("shown"); // how the message starts
        QTest::addColumn<QString>("why");   // and what it says after the file's name
        QTest::newRow("replay of a FIFO") << true << true << "#702"
                                          << "#862";
        QTest::newRow("replay of a folder") << false << true << "#702"
                                            << "#862";
        QTest::newRow("recording into a FIFO nobody reads")
            << true << false << "#606" << qt_error_string(ENXIO);
        QTest::newRow("recording into a folder") << false << false << "#606" << QString();
    }
    // A FIFO is refused as a recording to replay without being opened, and one to record into
    // fails at once when nobody reads it: opening it the usual way would wait for the other end
    // for good. The test holds the other end so that an open that waits is seen and set free.
    void aFileThatIsNoRegularFileIsNeverWaitedFor() {
        QFETCH(bool, fifo);
        QFETCH(bool, replay);
        QFETCH(QString, shown);
        QFETCH(QString, why);
        const QString file = path(fifo ? "pipe.bin" : "folder.bin");
        const QByteArray name = QFile::encodeName(file);
        if (fifo) {
            QCOMPARE(::mkfifo(name.constData(), 0600), 0);
        } else {
            QVERIFY(QDir().mkdir(file));
        }
        std::atomic<bool> done{false};
        std::atomic<bool> waited{false};
        std::thread otherEnd([&] {
            if (!fifo) {
                return;
            }
            if (!replay) {
                // A reader is the only way to free a writer waiting in open(), and it would
                // let the open succeed: it comes only after a bound far above any open.
                const QDeadlineTimer bound(10000);
                while (!done && !bound.hasExpired()) {
                    std::this_thread::sleep_for(std::chrono::milliseconds(1));
                }
                if (!done) {
                    waited = true;
                    const int fd = ::open(name.constData(), O_RDONLY | O_NONBLOCK);
                    while (!done) {
                        std::this_thread::yield();
                    }
                    ::close(fd);
                }
                return;
            }
            while (!done) {
                // Succeeds only while a reader has the FIFO open, i.e. waits in open().
                const int fd = ::open(name.constData(), O_WRONLY | O_NONBLOCK);
                if (fd >= 0) {
                    waited = true;
                    ::close(fd);
                }
                std::this_thread::yield();
            }
        });
        FakeHost host;
        Recordings r(host);
        if (replay) {
            r.ReplayRecording(file);
        } else {
            record(host, r, file, 1);
        }
        done = true;
        otherEnd.join();
        QFile::remove(file);
        QDir().rmdir(file);
        QVERIFY(!waited);
        const QString text = replay ? host.boxes.value(0) : host.status;
        QVERIFY2(text.startsWith(shown + QFileInfo(file).fileName()), qPrintable(text));
        QVERIFY2(text.contains(why), qPrintable(text));
        QVERIFY(host.commands.isEmpty());
        QVERIFY(!host.checked);
    }

    void readOnlyRecordingReplays() {
        FakeHost host;
        const QString file = path("readonly.bin");
        writeFile(file, record(0x10) + record(0x20));
        chmod(QFile::encodeName(file).constData(), 0444);
        // As an ordinary user even when the tests run as root, who may write anywhere.
        const int previous = setfsuid(65534);
        Recordings r(host);
        r.ReplayRecording(file);
        r.ScrollBar1Change(1);
        setfsuid(static_cast<uid_t>(previous));
        QVERIFY2(host.boxes.isEmpty(), qPrintable(host.boxes.join(u',')));
        QCOMPARE(host.commands, (QList<int>{0x56, 0x50, 0x56, 0x50}));
    }

    void recordingStartedDuringAReplayGetsNoReplayedRecordAndACloseEndsTheReplay() {
        // At record 1 the user starts a recording; at record 2 closes the window.
        class BusyUserHost : public FakeHost {
        public:
            Recordings* r = nullptr;
            bool closing = false;
            void showRecord(const ResponseResult& result) override {
                FakeHost::showRecord(result);
                r->AppendLiveRecord(); // as the window does after every live answer
                if (m.RxBuffer[0] == 0x20) {
                    checked = true;
                    r->PlikiUstawZapisClick();
                } else if (m.RxBuffer[0] == 0x30) {
                    closing = true;
                }
            }
            bool closeRequested() const override { return closing; }
        } host;
        const QString file = path("four.bin");
        const QString side = path("side.bin");
        QFile::remove(side);
        writeFile(file, record(0x10) + record(0x20) + record(0x30) + record(0x40));
        host.saveAnswer = side;
        Recordings r(host);
        host.r = &r;
        r.ReplayRecording(file);
        QCOMPARE(host.byte2, (QList<int>{0x12, 0x22, 0x32})); // record 3 never shown
        QCOMPARE(host.busy, 0);
        QVERIFY(r.Recording());
        QCOMPARE(readAll(side).size(), 16); // the settings record only
    }

    void aReplayIgnoresASecondReplayAndJumpsWhereTheScrollBarAsks_data() {
        QTest::addColumn<int>("position");
        QTest::addColumn<QList<int>>("shown");
        // While record 1 is shown, the user asks for another record.
        QTest::newRow("record 4: 2 and 3 skipped") << 4 << QList<int>{0x12, 0x22, 0x52};
        QTest::newRow("record 1 again") << 1 << QList<int>{0x12, 0x22, 0x22, 0x32, 0x42, 0x52};
        // The file's end is no record: the replay goes on as before.
        QTest::newRow("the end of the file") << 5 << QList<int>{0x12, 0x22, 0x32, 0x42, 0x52};
        QTest::newRow("the settings record") << 0 << QList<int>{0x12, 0x22, 0x32, 0x42, 0x52};
    }
    void aReplayIgnoresASecondReplayAndJumpsWhereTheScrollBarAsks() {
        QFETCH(int, position);
        QFETCH(QList<int>, shown);
        class JumpingHost : public FakeHost {
        public:
            Recordings* r = nullptr;
            int position = 0;
            void showRecord(const ResponseResult& result) override {
                FakeHost::showRecord(result);
                if (m.RxBuffer[0] == 0x20 && byte2.size() == 2) {
                    r->ReplayRecording(QStringLiteral("/nonexistent")); // ignored
                    r->ScrollBar1Change(position);
                }
            }
        } host;
        host.position = position;
        const QString file = path("five.bin");
        writeFile(file, record(0x10) + record(0x20) + record(0x30) + record(0x40) + record(0x50));
        Recordings r(host);
        host.r = &r;
        r.ReplayRecording(file);
        QCOMPARE(host.byte2, shown);
        QVERIFY(host.boxes.isEmpty());
        QCOMPARE(r.ReplayFileName, file);
    }
};

QTEST_GUILESS_MAIN(TstRecordings)
#include "tst_recordings.moc"
