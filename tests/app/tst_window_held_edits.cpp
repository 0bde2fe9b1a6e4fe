// Edits the controller does not hold, in the whole program against the simulated controller:
// the factory settings asked with No first, backed up and restored; a setting changed while
// the controller is silent, marked, and offered on its return; closing with edits not written;
// a fresh read while edits are held.
#include "MapBackup.h"
#include "MapCellValue.h"
#include "MapFile.h"
#include "MapGridEditor.h"
#include "SimController.h"
#include "TForm1.h"
#include "TMySerial.h"
#include "TRadioGroup.h"
#include "TUpDown.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

namespace {
constexpr int Wait = 8000;
constexpr quint8 SimDefaultTps = 40;
} // namespace

class WindowHeldEditsTest : public QObject {
    Q_OBJECT

    std::unique_ptr<SimController> sim;
    std::unique_ptr<TForm1> w;
    struct Asked {
        QString text;
        int defaultButton; // Yes/No: 0 Yes, 1 No; choices: the index
    };
    QList<Asked> asked;
    QList<int> answers; // taken in turn; Yes/No: 0 Yes
    QStringList errors;

    int nextAnswer() { return answers.isEmpty() ? -1 : answers.takeFirst(); }

    void start() {
        SimConfig config;
        config.pacing = false;
        sim = std::make_unique<SimController>(config);
        QVERIFY2(sim->start(), qPrintable(sim->errorString()));
        w = std::make_unique<TForm1>();
        w->Serial1->SetOpenErrorPresenter([](const QString&, const QString&) {});
        w->ErrorBox = [this](const QString& text) { errors << text; };
        w->NoticeBox = [this](const QString& text) { errors << text; };
        w->AskMapWrite = [this](const QString& text, bool yesIsDefault) {
            asked << Asked{text, yesIsDefault ? 0 : 1};
            return nextAnswer() == 0;
        };
        w->AskChoice = [this](const QString& text, const QStringList&, int defaultButton) {
            asked << Asked{text, defaultButton};
            return nextAnswer();
        };
        w->UseSessionDevice(sim->slavePath());
        w->resize(1000, 700);
        w->show();
        QTRY_COMPARE_WITH_TIMEOUT(w->Mirror.IdentityState, -1, Wait);
        QTRY_VERIFY_WITH_TIMEOUT(w->Mirror.MapTableRead, Wait);
        QTRY_COMPARE_WITH_TIMEOUT(w->Mirror.SettingIndex, -1, Wait);
        QTRY_COMPARE_WITH_TIMEOUT(w->Mirror.PendingWrites & 0x0800u, 0u, Wait);
    }
    quint8 controllerSetting(int k) const { return static_cast<quint8>(sim->settings().at(k)); }
    // The controller falls silent and the window shows "No connection".
    void loseTheController() {
        sim->setFault(*SimFault::parse(QStringLiteral("silence")));
        w->Mirror.LinkCounter = 16; // the next request unanswered is the loss
        QTRY_VERIFY_WITH_TIMEOUT(w->Image1->isHidden(), Wait);
    }
    static QStringList backups() { return QDir(MapBackup::folder()).entryList(QDir::Files); }
    int cellInProgram(int column, int row) const {
        return static_cast<qint8>(w->Mirror.MapTable[static_cast<std::size_t>(column * 17 + row)]);
    }
    int controllerCell(int column, int row) const {
        return static_cast<qint8>(sim->mapCells().at((column - 1) * 16 + (row - 1)));
    }
    void stepCell(int column, int row) {
        w->GridMapa->setCurrentCell(row, column);
        w->GridMapa->setFocus();
        QTest::keyClick(w->GridMapa, Qt::Key_Up, Qt::ControlModifier);
    }
    int marksOn(const QWidget* control) const {
        return int(control->findChildren<QWidget*>(QStringLiteral("NotWrittenMark")).size());
    }

private slots:
    void cleanup() {
        asked.clear();
        answers.clear();
        errors.clear();
        QDir(MapBackup::folder()).removeRecursively();
        w.reset();
        sim.reset();
    }
    void everyWayOfLosingAnEditAsksFirst_data();
    void everyWayOfLosingAnEditAsksFirst();
    void settingTheControllerRefusesIsReportedAndStaysMarked();
    void screenshots();
};

void WindowHeldEditsTest::everyWayOfLosingAnEditAsksFirst_data() {
    QTest::addColumn<QString>("scenario");
    QTest::addColumn<int>("answer");
    QTest::newRow("factory settings refused") << "defaults" << 1;
    QTest::newRow("factory settings, then restored from the backup") << "defaults" << 0;
    QTest::newRow("setting changed in a silence, written on return") << "silence" << 0;
    QTest::newRow("setting changed in a silence, dropped on return") << "silence" << 1;
    QTest::newRow("close with a held cell: stay") << "close" << 2;
    QTest::newRow("close with a held cell: close anyway") << "close" << 1;
    QTest::newRow("close with a held cell: save it first") << "close" << 0;
    QTest::newRow("refresh with held edits: keep") << "refresh" << 0;
    QTest::newRow("refresh with held edits: discard") << "refresh" << 1;
}

void WindowHeldEditsTest::everyWayOfLosingAnEditAsksFirst() {
    QFETCH(QString, scenario);
    QFETCH(int, answer);
    start();

    if (scenario == QLatin1String("defaults")) {
        if (answer == 1) {
            // Without an answering controller the button sends nothing, to nobody.
            loseTheController();
            QTest::mouseClick(w->Button2, Qt::LeftButton);
            QVERIFY(asked.isEmpty());
            QCOMPARE(w->Mirror.PendingWrites & 0x4000u, 0u);
            sim->clearFaults();
            QTRY_VERIFY_WITH_TIMEOUT(w->controllerReady(), Wait);
        }
        sim->setSetting(4, 99);
        sim->setSetting(18, 200); // beyond the 15 settings a map file holds
        w->Mirror.requestSettingsRead();
        QTRY_COMPARE_WITH_TIMEOUT(w->UpDownTPS->Position(), 99, Wait);
        QTRY_COMPARE_WITH_TIMEOUT(w->Mirror.SettingIndex, -1, Wait);
        answers << answer;
        QTest::mouseClick(w->Button2, Qt::LeftButton);
        QCOMPARE(asked.size(), 1);
        QVERIFY2(asked[0].text.startsWith(w->LangText(726).trimmed()), qPrintable(asked[0].text));
        QCOMPARE(asked[0].defaultButton, 1); // one Enter must not set the defaults
        if (answer == 1) {
            QCOMPARE(w->Mirror.PendingWrites & 0x4000u, 0u);
            QVERIFY(backups().isEmpty());
            return;
        }
        QCOMPARE(backups().size(), 1);
        QTRY_COMPARE_WITH_TIMEOUT(controllerSetting(4), SimDefaultTps, Wait);
        QTRY_COMPARE_WITH_TIMEOUT(w->UpDownTPS->Position(), int(SimDefaultTps), Wait);
        QTRY_VERIFY_WITH_TIMEOUT(w->controllerReady(), Wait);
        // Restored from the backup: the controller's values come back, after a question that
        // names what changes.
        const QString backup = QDir(MapBackup::folder()).filePath(backups().first());
        w->AskBackupToRestore = [backup] { return backup; };
        answers << 0;
        w->MenuPlikiPrzywroc->trigger();
        QCOMPARE(asked.size(), 2);
        QVERIFY2(asked[1].text.contains(QStringLiteral("→ 1.98")), qPrintable(asked[1].text));
        QTRY_COMPARE_WITH_TIMEOUT(controllerSetting(4), quint8(99), Wait);
        QTRY_COMPARE_WITH_TIMEOUT(controllerSetting(18), quint8(200), Wait);
        QTRY_COMPARE_WITH_TIMEOUT(w->UpDownTPS->Position(), 99, Wait);
        QTRY_VERIFY_WITH_TIMEOUT(w->Mirror.Held.settings().isEmpty(), Wait);
        QCOMPARE(marksOn(w->EditTPS), 0);
        return;
    }

    if (scenario == QLatin1String("silence")) {
        loseTheController();
        w->UpDownTPS->press(TUpDown::btNext);
        // Held, not queued for whichever controller answers next; marked with the
        // controller's value.
        QCOMPARE(w->Mirror.SettingIndex, 0);
        QCOMPARE(w->UpDownTPS->Position(), int(SimDefaultTps) + 1);
        QCOMPARE(w->EditTPS->text(), QStringLiteral("0.82"));
        QCOMPARE(marksOn(w->EditTPS), 1);
        QVERIFY2(w->EditTPS->toolTip().contains(w->LangText(960).arg(QStringLiteral("0.8 V"))),
                 qPrintable(w->EditTPS->toolTip()));
        answers << answer;
        sim->clearFaults();
        QTRY_COMPARE_WITH_TIMEOUT(asked.size(), 1, Wait * 2);
        QVERIFY2(asked[0].text.startsWith(w->LangText(965)), qPrintable(asked[0].text));
        QVERIFY2(asked[0].text.contains(QStringLiteral("0.8 V → 0.82 V")),
                 qPrintable(asked[0].text));
        QCOMPARE(asked[0].defaultButton, 0);
        const quint8 expected = answer == 0 ? SimDefaultTps + 1 : SimDefaultTps;
        QTRY_COMPARE_WITH_TIMEOUT(controllerSetting(4), expected, Wait);
        QTRY_COMPARE_WITH_TIMEOUT(w->UpDownTPS->Position(), int(expected), Wait);
        QCOMPARE(w->EditTPS->text(), answer == 0 ? QStringLiteral("0.82") : QStringLiteral("0.8"));
        QTRY_COMPARE_WITH_TIMEOUT(marksOn(w->EditTPS), 0, Wait);
        QVERIFY(!w->EditTPS->toolTip().contains(w->LangText(961)));
        return;
    }

    // A map cell changed while the controller is silent: held in the grid, marked.
    const int before = cellInProgram(4, 5);
    loseTheController();
    stepCell(4, 5);
    QCOMPARE(cellInProgram(4, 5), before + 1);
    QVERIFY(w->MapEditor->unwrittenCells().test((4 - 1) * 16 + (5 - 1)));
    QCOMPARE(w->MapEditor->cellToolTip(4, 5), w->LangText(960).arg(MapCellValue::text(before)));
    QCOMPARE(w->MapEditor->cellToolTip(4, 6), QString());

    if (scenario == QLatin1String("close")) {
        QTemporaryDir dir;
        const QString saved = dir.filePath(QStringLiteral("edits.orvx"));
        w->AskHeldEditsFile = [saved] { return saved; };
        answers << answer;
        w->close();
        QCOMPARE(asked.size(), 1);
        QVERIFY2(asked[0].text.startsWith(w->LangText(974)), qPrintable(asked[0].text));
        QVERIFY2(asked[0].text.contains(w->LangText(975).arg(1)), qPrintable(asked[0].text));
        QCOMPARE(asked[0].defaultButton, 2); // "do not close"
        QCOMPARE(w->isVisible(), answer == 2);
        if (answer == 0) {
            // The user's cell went to a map file and to the backups folder.
            QFile file(saved);
            QVERIFY(file.open(QIODevice::ReadOnly));
            const QByteArray bytes = file.readAll();
            QCOMPARE(bytes.size(), MapFile::FileSize);
            QCOMPARE(static_cast<qint8>(bytes.at(MapFile::HeaderSize + 4 * 17 + 5)), before + 1);
            QCOMPARE(backups().size(), 1);
        }
        return;
    }

    // Refresh: the held cell is first offered on return; "No" keeps it shown, not written.
    answers << 1;
    sim->clearFaults();
    QTRY_COMPARE_WITH_TIMEOUT(asked.size(), 1, Wait * 2);
    QVERIFY(w->MapEditor->showsUnwrittenFile());
    answers << answer << 1;
    QTest::mouseClick(w->Button1, Qt::LeftButton);
    QCOMPARE(asked.size(), 2);
    QVERIFY2(asked[1].text.startsWith(w->LangText(979)), qPrintable(asked[1].text));
    QCOMPARE(asked[1].defaultButton, 0); // keep them
    QTRY_VERIFY_WITH_TIMEOUT(w->controllerReady(), Wait);
    if (answer == 0) {
        // Kept over the fresh read, and offered again.
        QTRY_COMPARE_WITH_TIMEOUT(asked.size(), 3, Wait);
        QCOMPARE(cellInProgram(4, 5), before + 1);
        QVERIFY(w->MapEditor->unwrittenCells().test((4 - 1) * 16 + (5 - 1)));
    } else {
        QCOMPARE(cellInProgram(4, 5), before);
        QVERIFY(w->MapEditor->unwrittenCells().none());
        QCOMPARE(TForm1::Cell(w->GridMapa, 4, 5), MapCellValue::text(before));
    }
    QCOMPARE(controllerCell(4, 5), before);
}

void WindowHeldEditsTest::settingTheControllerRefusesIsReportedAndStaysMarked() {
    start();
    // A choice this controller does not have (another model's input threshold): it answers
    // every write with its old value.
    const quint8 old = controllerSetting(7);
    w->SettingEdited(7, 4);
    QTRY_COMPARE_WITH_TIMEOUT(errors.size(), 1, Wait * 2);
    QVERIFY2(errors[0].startsWith(w->LangText(968).arg(3)), qPrintable(errors[0]));
    QCOMPARE(controllerSetting(7), old);
    QCOMPARE(w->Mirror.Held.setting(7)->state, HeldWrites::SettingState::NotTaken);
    QCOMPARE(marksOn(w->RGKomKor), 1);
    // Not written again by itself; listed when the window closes.
    const quint64 requests = sim->requestCount();
    QTRY_VERIFY_WITH_TIMEOUT(sim->requestCount() > requests + 10, Wait);
    QCOMPARE(errors.size(), 1);
    answers << 2;
    w->close();
    QCOMPARE(asked.size(), 1);
    QVERIFY2(asked[0].text.contains(w->RGKomKor->caption().trimmed()), qPrintable(asked[0].text));
}

void WindowHeldEditsTest::screenshots() {
    const QString dir = qEnvironmentVariable("ORVEX_SCREENSHOT_DIR");
    if (dir.isEmpty()) {
        QSKIP("set ORVEX_SCREENSHOT_DIR to save the window pictures");
    }
    start();
    // The real boxes, each saved and then closed with Esc.
    w->AskMapWrite = nullptr;
    w->AskChoice = nullptr;
    QString boxName;
    int boxes = 0;
    QTimer closer;
    closer.setInterval(500);
    connect(&closer, &QTimer::timeout, this, [&] {
        if (QWidget* box = QApplication::activeModalWidget()) {
            box->grab().save(QStringLiteral("%1/%2-%3.png").arg(dir, boxName).arg(++boxes));
            QTest::keyClick(box, Qt::Key_Escape);
        }
    });
    closer.start();
    auto grabBoxSoon = [&boxName](const QString& name) { boxName = name; };
    loseTheController();
    w->UpDownTPS->press(TUpDown::btNext);
    stepCell(4, 5);
    for (QAction* language : {w->MunuJezykPl, w->MunuJezykGB, w->MunuJezykRU}) {
        language->trigger();
        const QString lang = language == w->MunuJezykPl   ? QStringLiteral("pl")
                             : language == w->MunuJezykGB ? QStringLiteral("en")
                                                          : QStringLiteral("ru");
        for (const QSize size : {QSize(620, 460), QSize(800, 600), QSize(1920, 1080)}) {
            w->resize(size);
            QTest::qWait(300);
            w->grab().save(dir + QStringLiteral("/held-%1-%2x%3.png")
                                     .arg(lang)
                                     .arg(size.width())
                                     .arg(size.height()));
        }
        grabBoxSoon(QStringLiteral("held-close-") + lang);
        w->close();
        QVERIFY(w->isVisible());
    }
    w->MunuJezykGB->trigger();
    grabBoxSoon(QStringLiteral("held-offer-en"));
    sim->clearFaults();
    QTRY_VERIFY_WITH_TIMEOUT(w->controllerReady(), Wait);
    QTest::qWait(1500);
    w->Mirror.Held.dropSettings();
    w->MapEditor->discardUnwritten();
    QTRY_VERIFY_WITH_TIMEOUT(!w->HoldsEdits(), Wait);
    for (QAction* language : {w->MunuJezykPl, w->MunuJezykGB, w->MunuJezykRU}) {
        language->trigger();
        grabBoxSoon(QStringLiteral("held-defaults-") + language->objectName());
        QTest::mouseClick(w->Button2, Qt::LeftButton);
    }
    QCOMPARE(w->Mirror.PendingWrites & 0x4000u, 0u); // Esc answers No
}

QTEST_MAIN(WindowHeldEditsTest)
#include "tst_window_held_edits.moc"
