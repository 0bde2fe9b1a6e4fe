// The rows benchmarks print for `make bench`, the table made of them, and the program that runs
// the benchmarks and collects their rows.
#include "BenchRow.h"
#include "BenchTable.h"

#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

using Compare = BenchRow::Compare;

class TestBenchTable : public QObject {
    Q_OBJECT

private slots:
    void wellFormedRowsAreRead_data();
    void wellFormedRowsAreRead();
    void malformedRowsAreRefused_data();
    void malformedRowsAreRefused();
    void rowsSurviveTheirOwnLine();
    void limitsAndRatios_data();
    void limitsAndRatios();
    void tableNotesFailuresAndBadRowsAndMarksBrokenLimits();
    void tableColumnsLineUp();
    void notMeasuredLinesAreShownNeverCounted_data();
    void notMeasuredLinesAreShownNeverCounted();
    void runnerCollectsRowsLogsEverythingAndReportsFailures();
    void runnerSucceedsWhenEveryProgramDoes();
};

void TestBenchTable::wellFormedRowsAreRead_data() {
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("figure");
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("unit");
    QTest::addColumn<int>("compare");
    QTest::addColumn<double>("bound");

    QTest::newRow("limit at most")
        << "BENCH\tlive exchange\t37.3\tms\t<= 90"
        << "live exchange" << 37.3 << "ms" << int(Compare::AtMost) << 90.0;
    QTest::newRow("limit at least") << "BENCH\tframes\t6.5\t/s\t>= 5"
                                    << "frames" << 6.5 << "/s" << int(Compare::AtLeast) << 5.0;
    QTest::newRow("reference, spaces") << "BENCH\t tick \t 48.5 \t ms \t ref  48 "
                                       << "tick" << 48.5 << "ms" << int(Compare::Reference) << 48.0;
    QTest::newRow("nothing to compare") << "BENCH\tcount\t3\t-\t-"
                                        << "count" << 3.0 << "" << int(Compare::None) << 0.0;
    QTest::newRow("line break kept") << "BENCH\tx\t1e3\tns\t<=2000\r\n"
                                     << "x" << 1000.0 << "ns" << int(Compare::AtMost) << 2000.0;
    QTest::newRow("negative value") << "BENCH\tgrowth\t-12\tkB\t<= 1024"
                                    << "growth" << -12.0 << "kB" << int(Compare::AtMost) << 1024.0;
}

void TestBenchTable::wellFormedRowsAreRead() {
    QFETCH(QString, line);
    QVERIFY(BenchRow::isRowLine(line));
    QString error;
    const std::optional<BenchRow> r = BenchRow::parse(line, &error);
    QVERIFY2(r, qPrintable(error));
    QTEST(r->figure, "figure");
    QTEST(r->value, "value");
    QTEST(r->unit, "unit");
    QTEST(int(r->compare), "compare");
    QTEST(r->bound, "bound");
}

void TestBenchTable::malformedRowsAreRefused_data() {
    QTest::addColumn<QString>("line");
    QTest::addColumn<bool>("claimsToBeRow");

    QTest::newRow("four fields") << "BENCH\tfigure\t1\tms" << true;
    QTest::newRow("six fields") << "BENCH\tfigure\t1\tms\t<= 2\textra" << true;
    QTest::newRow("value not a number") << "BENCH\tfigure\tfast\tms\t<= 2" << true;
    QTest::newRow("value with unit glued") << "BENCH\tfigure\t12ms\tms\t<= 2" << true;
    QTest::newRow("value not finite") << "BENCH\tfigure\tnan\tms\t<= 2" << true;
    QTest::newRow("unknown comparison") << "BENCH\tfigure\t1\tms\t< 2" << true;
    QTest::newRow("limit not a number") << "BENCH\tfigure\t1\tms\t<= two" << true;
    QTest::newRow("empty figure") << "BENCH\t \t1\tms\t-" << true;
    QTest::newRow("decimal comma") << "BENCH\tfigure\t1,5\tms\t-" << true;
    QTest::newRow("space instead of tab") << "BENCH figure\t1\tms\t-" << false;
    QTest::newRow("lower case tag") << "bench\tfigure\t1\tms\t-" << false;
    QTest::newRow("report line") << "   live request ...... 37.3 ms" << false;
}

void TestBenchTable::malformedRowsAreRefused() {
    QFETCH(QString, line);
    QTEST(BenchRow::isRowLine(line), "claimsToBeRow");
    QString error;
    QVERIFY(!BenchRow::parse(line, &error));
    QVERIFY(!error.isEmpty());
}

void TestBenchTable::rowsSurviveTheirOwnLine() {
    // A tab or line break inside a name must not shift the fields of the line.
    const std::vector<BenchRow> rows = {
        BenchRow::atMost(QStringLiteral("tick\twith tab"), 1.0 / 3.0, QStringLiteral("ms"), 562),
        BenchRow::atLeast(QStringLiteral("frames\nper second"), 6.98, QStringLiteral("/s"), 5),
        BenchRow::reference(QStringLiteral("decode"), 3.0e-9, QStringLiteral("µs"), 1041.6666667),
        BenchRow::plain(QStringLiteral("count"), 12345678901.0, QString()),
    };
    for (const BenchRow& in : rows) {
        const QString line = in.toLine();
        QCOMPARE(line.count(QLatin1Char('\t')), 4);
        QVERIFY(!line.contains(QLatin1Char('\n')));
        const std::optional<BenchRow> out = BenchRow::parse(line);
        QVERIFY2(out, qPrintable(line));
        QCOMPARE(out->figure, in.figure.simplified());
        QCOMPARE(out->value, in.value);
        QCOMPARE(out->unit, in.unit);
        QCOMPARE(out->compare, in.compare);
        QCOMPARE(out->bound, in.bound);
    }
}

void TestBenchTable::limitsAndRatios_data() {
    QTest::addColumn<QString>("line");
    QTest::addColumn<bool>("breaks");
    QTest::addColumn<QString>("ratio"); // "-" for none

    QTest::newRow("under its limit") << "BENCH\tf\t45\tms\t<= 90" << false << "0.5";
    QTest::newRow("exactly at its limit") << "BENCH\tf\t90\tms\t<= 90" << false << "1";
    QTest::newRow("over its limit") << "BENCH\tf\t99\tms\t<= 90" << true << "1.1";
    QTest::newRow("reaches its minimum") << "BENCH\tf\t5\t/s\t>= 5" << false << "1";
    QTest::newRow("short of its minimum") << "BENCH\tf\t4\t/s\t>= 5" << true << "0.8";
    QTest::newRow("reference never breaks") << "BENCH\tf\t900\tms\tref 100" << false << "9";
    QTest::newRow("limit zero kept") << "BENCH\tf\t0\tcases\t<= 0" << false << "-";
    QTest::newRow("limit zero broken") << "BENCH\tf\t2\tcases\t<= 0" << true << "-";
    QTest::newRow("nothing to compare") << "BENCH\tf\t2\tms\t-" << false << "-";
}

void TestBenchTable::limitsAndRatios() {
    QFETCH(QString, line);
    const std::optional<BenchRow> r = BenchRow::parse(line);
    QVERIFY(r);
    QTEST(r->breaksLimit(), "breaks");
    const std::optional<double> ratio = r->ratio();
    QTEST(ratio ? BenchRow::number(*ratio) : QStringLiteral("-"), "ratio");
}

void TestBenchTable::tableNotesFailuresAndBadRowsAndMarksBrokenLimits() {
    BenchTable t;
    t.startProgram(QStringLiteral("bench_a"));
    QVERIFY(!t.addLine(u"== bench_a: a report line"));
    QVERIFY(t.addLine(u"BENCH\tlive exchange\t37.3\tms\t<= 90"));
    QVERIFY(t.addLine(u"BENCH\tmap read\t600\tms\t<= 536"));
    QVERIFY(t.addLine(u"BENCH\tbroken\tabc\tms\t-"));
    t.finishProgram();
    t.startProgram(QStringLiteral("bench_b"));
    t.finishProgram(QStringLiteral("crashed"));
    t.startProgram(QStringLiteral("bench_c"));
    QVERIFY(t.addLine(u"BENCH\tframes\t4\t/s\t>= 5"));
    t.finishProgram();

    QCOMPARE(t.rowCount(), 3);
    QCOMPARE(t.rowCount(QStringLiteral("bench_a")), 2);
    QCOMPARE(t.rowCount(QStringLiteral("bench_b")), 0);
    QCOMPARE(t.limitsBroken(), 2);
    QCOMPARE(t.problems(), 2);

    const QString text = t.render();
    QVERIFY(text.contains(QRegularExpression(QStringLiteral("\\| +600 ms \\| +<= 536 ms \\|"))));
    QVERIFY(text.contains(QStringLiteral("1.12 OVER")));
    QVERIFY(text.contains(QStringLiteral("0.8 UNDER")));
    QVERIFY(text.contains(QStringLiteral("(no figures)")));
    QVERIFY(text.contains(QStringLiteral("bench_a: row not understood")));
    QVERIFY(text.contains(QStringLiteral("bench_b: crashed")));
    QVERIFY(!text.contains(QStringLiteral("report line")));
    // Programs keep their order.
    QVERIFY(text.indexOf(QStringLiteral("**bench_a**")) <
            text.indexOf(QStringLiteral("**bench_b**")));
    QVERIFY(text.indexOf(QStringLiteral("**bench_b**")) <
            text.indexOf(QStringLiteral("**bench_c**")));
}

void TestBenchTable::tableColumnsLineUp() {
    BenchTable t;
    t.startProgram(QStringLiteral("bench_with_a_long_name"));
    t.addLine(u"BENCH\tx\t1\tµs\t<= 1041.6666667");
    t.addLine(u"BENCH\ta much longer figure name than the others\t123456\tms\tref 3");
    t.finishProgram();
    const QStringList lines = t.render().trimmed().split(QLatin1Char('\n'));
    QCOMPARE(lines.size(), 5); // header, separator, program, two rows
    for (const QString& l : lines) {
        QCOMPARE(l.size(), lines.front().size());
        QCOMPARE(l.count(QLatin1Char('|')), 5);
    }
    QVERIFY(lines[1].startsWith(QStringLiteral("|--")));
}

void TestBenchTable::notMeasuredLinesAreShownNeverCounted_data() {
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("shown"); // empty: the line is no part of the table

    QTest::newRow("what and why")
        << "BENCH-NOT-MEASURED\tWindows build under Wine\tWine is not installed\n"
        << "Windows build under Wine: not measured (Wine is not installed)";
    QTest::newRow("no reason") << "BENCH-NOT-MEASURED\tx"
                               << "x: not measured";
    QTest::newRow("no name") << "BENCH-NOT-MEASURED\t\twhy"
                             << "(unnamed): not measured (why)";
    QTest::newRow("tag without its tab") << "BENCH-NOT-MEASURED Windows"
                                         << "";
    QTest::newRow("tag in lower case") << "bench-not-measured\tWindows\twhy"
                                       << "";
}

void TestBenchTable::notMeasuredLinesAreShownNeverCounted() {
    QFETCH(QString, line);
    QFETCH(QString, shown);
    BenchTable t;
    t.startProgram(QStringLiteral("bench-windows"));
    QCOMPARE(t.addLine(line), !shown.isEmpty());
    t.finishProgram();
    QCOMPARE(t.rowCount(), 0);
    QCOMPARE(t.problems(), 0);
    QCOMPARE(t.limitsBroken(), 0);
    const QString text = t.render();
    if (shown.isEmpty()) {
        QVERIFY(text.contains(QStringLiteral("(no figures)")));
    } else {
        QVERIFY2(text.contains(QStringLiteral("| ") + shown + QLatin1Char(' ')), qPrintable(text));
        QVERIFY(!text.contains(QStringLiteral("(no figures)")));
    }
}

namespace {
// A stand-in benchmark: a shell script that prints `output` and exits with `code`.
QString fakeBench(const QTemporaryDir& dir, const QString& name, const QString& output, int code) {
    const QString path = dir.filePath(name);
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly)) {
        return QString();
    }
    f.write("#!/bin/sh\nprintf '" + output.toUtf8() + "'\nexit " + QByteArray::number(code) + "\n");
    f.close();
    f.setPermissions(f.permissions() | QFileDevice::ExeOwner);
    return path;
}

struct Run {
    int exitCode = -1;
    QString out;
};

Run runBenchmarks(const QStringList& args) {
    QProcess p;
    p.start(QStringLiteral(ORVEX_RUN_BENCHMARKS), args);
    Run r;
    if (p.waitForFinished(30000)) {
        r.exitCode = p.exitCode();
    }
    r.out = QString::fromUtf8(p.readAllStandardOutput());
    return r;
}
} // namespace

void TestBenchTable::runnerCollectsRowsLogsEverythingAndReportsFailures() {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString good =
        fakeBench(dir, QStringLiteral("bench_good"),
                  QStringLiteral("== report\\nBENCH\\tround trip\\t37.5\\tms\\t<= 90\\n"
                                 "BENCH\\tno newline at the end\\t2\\t-\\t-"),
                  0);
    const QString failing =
        fakeBench(dir, QStringLiteral("bench_failing"),
                  QStringLiteral("BENCH\\tbefore failing\\t1\\tms\\tref 2\\n"), 3);
    const QString log = dir.filePath(QStringLiteral("log.txt"));
    const Run r = runBenchmarks(
        {QStringLiteral("--log"), log, good, failing, dir.filePath(QStringLiteral("missing"))});

    QCOMPARE(r.exitCode, 1);
    QVERIFY2(r.out.contains(QStringLiteral("| round trip")), qPrintable(r.out));
    QVERIFY(r.out.contains(QStringLiteral("| no newline at the end")));
    QVERIFY(r.out.contains(QStringLiteral("| before failing")));
    QVERIFY(r.out.contains(QStringLiteral("bench_failing: ended with exit code 3")));
    QVERIFY(r.out.contains(QStringLiteral("missing: could not be started")));
    QVERIFY(!r.out.contains(QStringLiteral("== report")));

    QFile f(log);
    QVERIFY(f.open(QIODevice::ReadOnly));
    const QString logged = QString::fromUtf8(f.readAll());
    QVERIFY(logged.contains(QStringLiteral("== report")));
    QVERIFY(logged.contains(QStringLiteral("before failing")));
}

void TestBenchTable::runnerSucceedsWhenEveryProgramDoes() {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    // A figure beyond its limit is marked, not a failure: a loaded machine moves timings.
    const QString slow = fakeBench(dir, QStringLiteral("bench_slow"),
                                   QStringLiteral("BENCH\\tmap read\\t600\\tms\\t<= 536\\n"), 0);
    const Run r =
        runBenchmarks({QStringLiteral("--log"), dir.filePath(QStringLiteral("log.txt")), slow});
    QCOMPARE(r.exitCode, 0);
    QVERIFY2(r.out.contains(QStringLiteral("OVER")), qPrintable(r.out));
    QVERIFY(r.out.contains(QStringLiteral("1 beyond their limit")));
}

QTEST_GUILESS_MAIN(TestBenchTable)
#include "tst_benchtable.moc"
