// The workshop's additions on the simulated controller: the link figures in the status bar,
// the service report as a PDF, the backups before a map file is written and their folder.
#include "MapBackup.h"
#include "MapFile.h"
#include "MapFileCommands.h"
#include "PendingWrites.h"
#include "SimController.h"
#include "TForm1.h"
#include "TMySerial.h"
#include "WindowTestSupport.h"

#include <QAction>
#include <QDir>
#include <QLabel>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

namespace {

// The text of a PDF as pdftotext reads it, and its page count from pdfinfo; empty without
// the tools (install-deps installs them).
QString run(const QString& program, const QStringList& args) {
    const QString exe = QStandardPaths::findExecutable(program);
    if (exe.isEmpty())
        return {};
    QProcess p;
    p.start(exe, args);
    if (!p.waitForFinished(30000))
        return {};
    return QString::fromUtf8(p.readAllStandardOutput());
}

} // namespace

class WindowServiceTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<SimController> sim;
    std::unique_ptr<TForm1> w;
    QStringList boxes;
    QStringList notices;

    void start(int language) {
        SimConfig config;
        config.pacing = false;
        sim = std::make_unique<SimController>(config);
        QVERIFY2(sim->start(), qPrintable(sim->errorString()));
        w = std::make_unique<TForm1>();
        w->Serial1->SetOpenErrorPresenter([](const QString&, const QString&) {});
        w->ErrorBox = [this](const QString& text) { boxes << text; };
        w->NoticeBox = [this](const QString& text) { notices << text; };
        w->UseSessionDevice(sim->slavePath());
        w->show();
        QTRY_VERIFY_WITH_TIMEOUT(w->Mirror.MapTableRead, 5000);
        w->ApplyLanguage(language);
    }

private slots:
    void init() {
        WindowTest::removeSettings();
        boxes.clear();
        notices.clear();
    }
    void cleanup() {
        w.reset();
        sim.reset();
    }

    void theStatusBarShowsTheLinkFigures() {
        start(2);
        const QString port =
            "COM" + QString::number(w->Serial1->PortNumber()) + " " + sim->slavePath() + " | ";
        QTRY_VERIFY2_WITH_TIMEOUT(w->LinkHealthText->text().startsWith(port),
                                  qPrintable(w->LinkHealthText->text() + " / " + port), 3000);
        QTRY_VERIFY_WITH_TIMEOUT(w->LinkHealthText->text().contains(" polls/s"), 3000);
        QVERIFY2(w->LinkHealthText->text().contains(" | missed 0 | bad 0 | answer "),
                 qPrintable(w->LinkHealthText->text()));
        QVERIFY(w->LinkHealthText->toolTip().contains("Bad: answers that came damaged"));

        // In a narrow window the figures stay whole in their section (Polish has the longest);
        // a message gives way to them. Only when even they do not fit does the device's path
        // go, then the port.
        w->resize(620, 460);
        w->ApplyLanguage(0);
        w->SetStatusText(w->LangText(864)); // a long one
        QTRY_VERIFY_WITH_TIMEOUT(w->LinkHealthText->text().contains(" | bez odp. 0 | "), 3000);
        const QString shown = w->LinkHealthText->text();
        QVERIFY2(shown.contains(" | bez odp. 0 | błędne 0 | odp. "), qPrintable(shown));
        QTRY_VERIFY2(w->LinkHealthText->fontMetrics().horizontalAdvance(shown) <=
                         w->LinkHealthText->width(),
                     qPrintable(QString::number(w->LinkHealthText->width()) + " " + shown));
        w->ApplyLanguage(2);
        w->resize(1400, 700);
        QTRY_VERIFY_WITH_TIMEOUT(w->LinkHealthText->text().startsWith(port), 3000);

        // A damaged answer is counted and shown within the refresh.
        sim->setFault(*SimFault::parse("checksum@0x50/1"));
        QTRY_VERIFY_WITH_TIMEOUT(!w->LinkHealthText->text().contains("bad 0"), 5000);
        QVERIFY(w->LinkHealthText->text().contains("missed 0"));
        sim->clearFaults();

        // The port closed: said so, the figures gone.
        w->Serial1->SerialClose();
        QTRY_COMPARE_WITH_TIMEOUT(w->LinkHealthText->text(), w->LangText(835), 3000);
    }

    void theServiceReportIsAReadablePdf_data() {
        QTest::addColumn<int>("language");
        QTest::addColumn<QString>("title");
        QTest::newRow("Polish") << 0 << QString::fromUtf8("Raport serwisowy");
        QTest::newRow("Russian") << 4 << QString::fromUtf8("Сервисный отчёт");
    }
    void theServiceReportIsAReadablePdf() {
        QFETCH(int, language);
        QFETCH(QString, title);
        start(language);
        QTRY_VERIFY_WITH_TIMEOUT(w->LinkHealthText->text().contains("COM"), 3000);
        QTemporaryDir dir;
        const QString path = dir.path() + "/report.pdf";
        w->AskReportToSave = [&] { return path; };
        w->MenuPlikiRaport->trigger();
        QVERIFY2(boxes.isEmpty(), qPrintable(boxes.join('\n')));
        QCOMPARE(w->StatusText(), w->LangText(858).arg(path));

        QFile pdf(path);
        QVERIFY(pdf.open(QIODevice::ReadOnly));
        QVERIFY(pdf.read(5) == "%PDF-");
        const QString info = run("pdfinfo", {path});
        const QString text = run("pdftotext", {"-layout", path, "-"});
        if (info.isEmpty() || text.isEmpty())
            QSKIP("pdfinfo/pdftotext (poppler-utils) are not installed");
        const QRegularExpressionMatch pages = QRegularExpression("Pages:\\s+(\\d+)").match(info);
        QVERIFY(pages.hasMatch());
        QVERIFY2(pages.captured(1).toInt() >= 2, qPrintable(info));
        QVERIFY(text.contains(title));
        QVERIFY(text.contains("KOLVA-VX-01"));    // the identity report
        QVERIFY(text.contains(w->LangText(300))); // the map's heading
        QVERIFY(text.contains(w->LangText(852))); // the settings' heading
        QVERIFY(text.contains(w->LangText(856))); // the link's heading

        // A form: the information heading once, long lines whole (wrapped, not cut at the
        // margin), and the information's values in the column of the settings' values.
        QCOMPARE(text.count(w->LangText(851)), 1);
        if (w->LangText(101) != w->LangText(851))
            QCOMPARE(text.count(w->LangText(101)), 0);
        QVERIFY2(text.contains("konfPC]"), qPrintable(text));
        const QStringList lines = text.split('\n');
        const auto columnOf = [&lines](const QString& start, const QString& value) {
            for (const QString& line : lines) {
                if (line.trimmed().startsWith(start))
                    return int(line.indexOf(value, line.indexOf(start) + start.size()));
            }
            return -1;
        };
        const int version = columnOf("Wersja", "1.3.");
        const int valueHeading = columnOf(w->LangText(853), w->LangText(854));
        QVERIFY2(version > 0 && std::abs(version - valueHeading) <= 1,
                 qPrintable(QString("%1 %2\n%3").arg(version).arg(valueHeading).arg(text)));
    }

    void aReportThatCannotBeWrittenSaysSoAndLeavesNothing() {
        start(2);
        QTemporaryDir dir;
        const QString path = dir.path() + "/no such folder/report.pdf";
        w->AskReportToSave = [&] { return path; };
        w->MenuPlikiRaport->trigger();
        QCOMPARE(boxes.size(), 1);
        QVERIFY(boxes[0].startsWith("Cannot write the service report " + path));
        QVERIFY(!QFile::exists(path));
    }

    void aMapFileIsWrittenOnlyAfterABackup_data() {
        QTest::addColumn<bool>("writeAnswer");   // the difference question
        QTest::addColumn<bool>("folderBlocked"); // the backups folder cannot be made
        QTest::addColumn<bool>("goOnAnswer");    // the question after a failed backup
        QTest::addColumn<int>("backupsMade");
        QTest::addColumn<bool>("written");
        QTest::newRow("Yes: backup, then written") << true << false << false << 1 << true;
        QTest::newRow("No: neither") << false << false << false << 0 << false;
        QTest::newRow("no backup, user stops") << true << true << false << 0 << false;
        QTest::newRow("no backup, user goes on") << true << true << true << 0 << true;
    }
    void aMapFileIsWrittenOnlyAfterABackup() {
        QFETCH(bool, writeAnswer);
        QFETCH(bool, folderBlocked);
        QFETCH(bool, goOnAnswer);
        const QString backups = MapBackup::folder();
        QDir(backups).removeRecursively();
        QDir().mkpath(QFileInfo(backups).path());
        if (folderBlocked) {
            QFile blocker(backups); // a file where the folder should be
            QVERIFY(blocker.open(QIODevice::WriteOnly));
        }
        start(2);
        const QByteArray controllerMap(reinterpret_cast<const char*>(w->Mirror.MapTable.data()),
                                       272);
        // A file whose first cell differs from the controller's.
        ControllerMirror fileMirror = w->Mirror;
        fileMirror.MapTable[18] = std::uint8_t(fileMirror.MapTable[18] + 5);
        QTemporaryDir dir;
        const QString path = dir.path() + "/other.orvx";
        QVERIFY(MapFile::saveWhole(path, MapFile::compose(fileMirror)).isEmpty());
        QStringList questions;
        w->AskMapWrite = [&](const QString& text, bool) {
            questions << text;
            return questions.size() == 1 ? writeAnswer : goOnAnswer;
        };
        QVERIFY(w->MapFiles->OpenMapFile(path));
        QCOMPARE(questions.size(), folderBlocked && writeAnswer ? 2 : 1);
        if (questions.size() == 2)
            QVERIFY(questions[1].endsWith(w->LangText(843)));
        QFETCH(int, backupsMade);
        const QStringList made =
            folderBlocked ? QStringList() : QDir(backups).entryList({"*.orvx"}, QDir::Files);
        QCOMPARE(made.size(), backupsMade);
        if (backupsMade == 1) {
            QFile backup(backups + "/" + made[0]);
            QVERIFY(backup.open(QIODevice::ReadOnly));
            QCOMPARE(backup.readAll().mid(48), controllerMap); // the map before the file's
        }
        QFETCH(bool, written);
        QCOMPARE((w->Mirror.PendingWrites & PW_MAP_WRITE) != 0, written);
        if (written)
            QTRY_COMPARE(sim->mapCells().at(0), char(fileMirror.MapTable[18]));
        if (folderBlocked)
            QFile::remove(backups);
    }

    void theBackupsFolderIsOpenedOrNamed_data() {
        QTest::addColumn<bool>("opens");
        QTest::newRow("an opener") << true;
        QTest::newRow("no opener") << false;
    }
    void theBackupsFolderIsOpenedOrNamed() {
        QFETCH(bool, opens);
        QDir(MapBackup::folder()).removeRecursively();
        w = WindowTest::freshWindow();
        w->NoticeBox = [this](const QString& text) { notices << text; };
        QList<QUrl> opened;
        w->UrlOpener = [&](const QUrl& url) {
            opened << url;
            return opens;
        };
        w->MenuPomocKopie->trigger();
        QVERIFY(QFileInfo(MapBackup::folder()).isDir()); // made when missing
        QCOMPARE(opened, QList<QUrl>{QUrl::fromLocalFile(MapBackup::folder())});
        QCOMPARE(notices.size(), opens ? 0 : 1);
        if (!opens)
            QVERIFY(notices[0].contains(MapBackup::folder()));
    }
};

QTEST_MAIN(WindowServiceTest)
#include "tst_window_service.moc"
