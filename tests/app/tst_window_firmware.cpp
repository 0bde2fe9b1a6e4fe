// Programming from the update tab against the simulated controller over a pseudo-terminal:
// a controller running its application, one left in its boot loader, and faults mid-transfer.
#include "FirmwareCatalogue.h"
#include "FirmwareFiles.h"
#include "FirmwarePage.h"
#include "FirmwareTab.h"
#include "GeneratedImages.h"
#include "MapBackup.h"
#include "SimController.h"
#include "TForm1.h"
#include "TFormUpg.h"
#include "TMySerial.h"
#include "WindowTestSupport.h"

#include <QDir>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QTextEdit>
#include <QToolButton>
#include <QTreeWidget>

namespace {
struct Shown {
    QMessageBox::Icon icon;
    QString text;
    bool progressVisible;
    QString progressLabel;
    int progressValue;
    int progressMaximum;
};
} // namespace

class WindowFirmwareTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<SimController> sim;
    std::unique_ptr<TForm1> w;
    QTemporaryDir images;
    QStringList errorBoxes;
    QList<Shown> shown;
    QString fault;            // set on the simulator once the user has said Yes
    bool startAnswer = true;  // the answer to "start programming?"
    QStringList backupsAtYes; // the backups folder when the question was answered

    static QStringList backups() {
        return QDir(MapBackup::folder()).entryList({"*.orvx"}, QDir::Files);
    }

    FirmwarePage& page() { return w->Firmware->page(); }

    void start(SimConfig config) {
        config.pacing = false;
        config.engineRunning = false;
        sim = std::make_unique<SimController>(config);
        QVERIFY2(sim->start(), qPrintable(sim->errorString()));
        w = std::make_unique<TForm1>();
        w->Serial1->SetOpenErrorPresenter([](const QString&, const QString&) {});
        w->ErrorBox = [this](const QString& text) { errorBoxes << text; };
        page().AskYesNo = [this](const QString&, const QString&) {
            if (!fault.isEmpty()) // once: a second question (no backup yet) adds no second fault
                sim->setFault(*SimFault::parse(fault));
            fault.clear();
            backupsAtYes = backups();
            return startAnswer;
        };
        page().ShowBox = [this](QMessageBox::Icon icon, const QString& text, const QString&) {
            TFormUpg* u = page().FormUpg();
            shown << Shown{icon,
                           text,
                           u->isVisible(),
                           u->Label1->text(),
                           u->ProgressBar2->value(),
                           u->ProgressBar2->maximum()};
        };
        w->UseSessionDevice(sim->slavePath());
        w->show();
    }
    // Chooses V1.3.2.<code> of the first group on the update tab and presses Write.
    void writeFirstGroupVersion2() {
        QTRY_VERIFY(!w->TreeView1->isHidden());
        QTRY_VERIFY(w->TreeView1->topLevelItemCount() > 0);
        QTreeWidgetItem* item = w->TreeView1->topLevelItem(0)->child(1);
        w->TreeView1->setCurrentItem(item);
        QVERIFY(w->Button1->isEnabled());
        QTest::mouseClick(w->Button1, Qt::LeftButton);
    }
    QByteArray expectedAtLoader(int imageId) {
        const QByteArray image = GeneratedImages::Image(imageId);
        return image + QByteArray(584 * 16 - image.size(), '\0');
    }

private slots:
    void initTestCase() {
        QVERIFY(GeneratedImages::Install(images.path(), FirmwareCatalogue::AllImageIds()));
        FirmwareFiles::SetSessionFolder(images.path());
    }
    void init() {
        WindowTest::removeSettings();
        errorBoxes.clear();
        shown.clear();
        fault.clear();
        startAnswer = true;
        QDir(MapBackup::folder()).removeRecursively();
    }
    void cleanup() {
        w.reset();
        sim.reset();
    }

    void programmingFromTheUpdateTabBringsTheApplicationBack() {
        start({});
        QTRY_VERIFY_WITH_TIMEOUT(w->windowTitle().contains("KOLVA-VX-01"), 5000);
        QTRY_COMPARE(w->Mirror.SettingIndex, -1);
        QTRY_VERIFY(w->Mirror.MapTableRead);
        const QByteArray settings(reinterpret_cast<const char*>(w->Mirror.SettingsImage.data()),
                                  16);
        w->ZakladkaParamClick(w->ZakladkaProg);
        QCOMPARE(w->TreeView1->topLevelItemCount(), 4);
        writeFirstGroupVersion2();
        QTRY_COMPARE_WITH_TIMEOUT(shown.size(), 1, 60000);
        // The backup was taken after Yes, before the run: the settings and map of the
        // controller as they were, under its DeviceId.
        QVERIFY(backupsAtYes.isEmpty());
        const QStringList saved = backups();
        QCOMPARE(saved.size(), 1);
        QVERIFY2(saved[0].endsWith("_0801E0E0.orvx"), qPrintable(saved[0]));
        QFile file(MapBackup::folder() + "/" + saved[0]);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray backup = file.readAll();
        QCOMPARE(backup.size(), 320);
        QCOMPARE(backup.left(16), settings);
        QCOMPARE(backup.mid(32, 4), QByteArray("\x08\x01\xE0\xE0", 4));
        const QByteArray cells = sim->mapCells();
        QCOMPARE(backup.at(48 + 18), cells.at(0));    // column 1, row 1
        QCOMPARE(backup.at(48 + 271), cells.at(239)); // column 15, row 16
        QCOMPARE(shown[0].icon, QMessageBox::Information);
        QCOMPARE(shown[0].text, w->LangText(911));
        // The progress window went before the result box, showing the end of the transfer.
        QVERIFY(!shown[0].progressVisible);
        QCOMPARE(shown[0].progressMaximum, 584);
        QCOMPARE(shown[0].progressValue, 584);
        QCOMPARE(shown[0].progressLabel, QStringLiteral("Czas do zakończenia : 0 s"));
        QVERIFY(!page().FormUpg()->isVisible());
        QVERIFY(w->RichEdit1->toPlainText().startsWith("Rx: 55 00 50 - - 5B"));
        QCOMPARE(sim->receivedImage(), expectedAtLoader(1320));

        // Back on the parameters tab; identity and settings are read again from the restarted
        // application.
        QCOMPARE(w->Button1->property("Tag").toInt(), 0);
        QVERIFY(w->TreeView1->isHidden());
        QVERIFY(w->ZakladkaParam->isChecked());
        QTRY_VERIFY(!sim->inLoader());
        QTRY_COMPARE(w->Mirror.IdentityState, -1);
        QTRY_COMPARE(w->Mirror.SettingIndex, -1);
        // The controller now runs the image it was given, and says so.
        QVERIFY2(w->windowTitle().contains("KOLVA-VX-01 V1.3.2.0"), qPrintable(w->windowTitle()));
        QVERIFY(errorBoxes.isEmpty());
    }

    void noBackupAndNoRunWhenTheUserSaysNo() {
        start({});
        QTRY_VERIFY_WITH_TIMEOUT(w->Mirror.MapTableRead, 5000);
        startAnswer = false;
        w->ZakladkaParamClick(w->ZakladkaProg);
        writeFirstGroupVersion2();
        QCOMPARE(backupsAtYes, QStringList());
        QCOMPARE(backups(), QStringList());
        QVERIFY(shown.isEmpty());
        QVERIFY(!sim->inLoader());
    }

    void aControllerLeftInItsLoaderIsRecovered() {
        SimConfig c;
        c.startInLoader = true;
        c.loaderMarker = 1;
        start(c);
        // The identity from the loader opens the update tab with the catalogue of its model.
        QTRY_COMPARE_WITH_TIMEOUT(errorBoxes.size(), 1, 5000);
        QVERIFY(errorBoxes[0].contains(w->LangText(920).trimmed()));
        QVERIFY(!w->TreeView1->isHidden());
        writeFirstGroupVersion2();
        QTRY_COMPARE_WITH_TIMEOUT(shown.size(), 1, 60000);
        QCOMPARE(shown[0].text, w->LangText(911));
        QCOMPARE(sim->receivedImage(), expectedAtLoader(1320));
        QTRY_VERIFY(!sim->inLoader());
        QTRY_VERIFY_WITH_TIMEOUT(w->windowTitle().contains("KOLVA-VX-01"), 5000);
        QTRY_COMPARE(w->Mirror.SettingIndex, -1);
        QCOMPARE(errorBoxes.size(), 1);
    }

    // The loader stands still longer than the grace: the transfer starts again by itself, the
    // progress window and the log say which attempt runs, and only success is shown.
    void aStalledTransferIsResumedAndSucceeds() {
        start({});
        QTRY_COMPARE_WITH_TIMEOUT(w->Mirror.SettingIndex, -1, 5000);
        w->ZakladkaParamClick(w->ZakladkaProg);
        fault = "late:1800@block300";
        writeFirstGroupVersion2();
        QTRY_COMPARE_WITH_TIMEOUT(shown.size(), 1, 60000);
        QCOMPARE(shown[0].icon, QMessageBox::Information);
        QCOMPARE(shown[0].text, w->LangText(911));
        QCOMPARE(shown[0].progressLabel, QStringLiteral("Próba 2 z 3   Czas do zakończenia : 0 s"));
        QVERIFY2(
            w->RichEdit1->toPlainText().contains("Próba 2 z 3 (bootloader przestał odpowiadać)"),
            qPrintable(w->RichEdit1->toPlainText().left(400)));
        QCOMPARE(page().Programmer().Attempt, 2);
        QCOMPARE(sim->receivedImage(), expectedAtLoader(1320));
        QCOMPARE(sim->completedTransfers(), 1);
        QTRY_VERIFY(!sim->inLoader());
    }

    void aFaultMidTransferEndsInItsBoxAndPollingResumes_data() {
        QTest::addColumn<QString>("faultName");
        QTest::addColumn<int>("box");
        QTest::addColumn<int>("reason");
        QTest::newRow("silence") << "silence:200" << 6 << 909;
        QTest::newRow("bad checksum") << "checksum@0x54/200" << 5 << 910;
    }
    void aFaultMidTransferEndsInItsBoxAndPollingResumes() {
        QFETCH(QString, faultName);
        QFETCH(int, box);
        QFETCH(int, reason);
        start({});
        QTRY_COMPARE_WITH_TIMEOUT(w->Mirror.SettingIndex, -1, 5000);
        w->ZakladkaParamClick(w->ZakladkaProg);
        fault = faultName;
        writeFirstGroupVersion2();
        QTRY_COMPARE_WITH_TIMEOUT(shown.size(), 1, 60000);
        QCOMPARE(shown[0].icon, QMessageBox::Critical);
        QCOMPARE(shown[0].text, w->LangText(722) + QString(" %1\n").arg(box) + w->LangText(reason));
        QVERIFY(!shown[0].progressVisible); // closed before the box, at the block it reached
        QVERIFY(shown[0].progressValue > 100 && shown[0].progressValue < 584);
        QVERIFY(!page().FormUpg()->isVisible());
        QCOMPARE(w->Button1->property("Tag").toInt(), 0);
        // The poll cycle is back: it finds the controller still in its loader.
        sim->clearFaults();
        QTRY_COMPARE_WITH_TIMEOUT(errorBoxes.size(), 1, 5000);
        QVERIFY(sim->inLoader());
        QTRY_VERIFY(!w->TreeView1->isHidden());
        QCOMPARE(sim->completedTransfers(), 0);
    }
};

QTEST_MAIN(WindowFirmwareTest)
#include "tst_window_firmware.moc"
