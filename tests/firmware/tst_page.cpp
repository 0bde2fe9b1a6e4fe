// The update tab without the main window: catalogue per controller, selection rules, the
// signal pictures, and the checks before a programming run sends anything.
#include "ControllerMirror.h"
#include "FakeLink.h"
#include "FirmwareCatalogue.h"
#include "FirmwareFiles.h"
#include "FirmwareHost.h"
#include "FirmwarePage.h"
#include "GeneratedImages.h"
#include "LanguageTable.h"
#include "ScriptedLoader.h"
#include "SignalPicture.h"
#include "TFormUpg.h"

#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QTextEdit>
#include <QTimer>
#include <QTreeWidget>
#include <QtTest>

#include <memory>

namespace {

struct Host : FirmwareHost {
    LanguageTable lang;
    std::unique_ptr<ControllerMirror> m = std::make_unique<ControllerMirror>();
    FakeLink line;
    bool service = false;
    bool busy = false;
    QString status;
    int beeps = 0;
    int stops = 0;
    int finishes = 0;
    QWidget window;

    QString langText(int id) const override { return lang.LangText(id); }
    bool serviceMode() const override { return service; }
    void setStatusText(const QString& text) override { status = text; }
    void beep() override { ++beeps; }
    QWidget* mainWindow() override { return &window; }
    ControllerMirror& mirror() override { return *m; }
    SerialLink* link() override { return &line; }
    bool exchangeRunning() const override { return busy; }
    void stopPolling() override { ++stops; }
    void finishProgramming() override { ++finishes; }
    bool backupSaved = true;
    int backups = 0;
    bool saveBackup(QString* problem) override {
        ++backups;
        if (!backupSaved)
            *problem = QStringLiteral("no backup");
        return backupSaved;
    }
};

struct Box {
    QMessageBox::Icon icon;
    QString text;
};

struct Fixture {
    Host host;
    QTreeWidget tree;
    QLabel opis;
    QWidget paint;
    QPushButton button;
    QTextEdit log;
    std::unique_ptr<FirmwarePage> page;
    QList<Box> boxes;
    QStringList questions;
    QTemporaryDir images;

    explicit Fixture(std::uint32_t deviceId) {
        host.m->DeviceId = deviceId;
        button.setProperty("Tag", 2);
        page = std::make_unique<FirmwarePage>(
            host, FirmwarePage::Widgets{&tree, &opis, &paint, &button, &log});
        page->ShowBox = [this](QMessageBox::Icon i, const QString& t, const QString&) {
            boxes << Box{i, t};
        };
        page->AskYesNo = [this](const QString& t, const QString&) {
            questions << t;
            return false;
        };
        GeneratedImages::Install(images.path(), FirmwareCatalogue::ImageIds(deviceId));
        FirmwareFiles::SetSessionFolder(images.path());
    }
    ~Fixture() { FirmwareFiles::SetSessionFolder({}); }

    // The item at an absolute position, counting groups and their children in order.
    QTreeWidgetItem* at(int position) {
        int n = 0;
        for (int g = 0; g < tree.topLevelItemCount(); ++g) {
            QTreeWidgetItem* group = tree.topLevelItem(g);
            if (n++ == position)
                return group;
            for (int c = 0; c < group->childCount(); ++c)
                if (n++ == position)
                    return group->child(c);
        }
        return nullptr;
    }
    void select(QTreeWidgetItem* item) {
        tree.setCurrentItem(item);
        page->TreeView1Change();
    }
};

// Counts the paint events a widget gets (seen before the page's own filter).
struct PaintCount : QObject {
    int n = 0;
    bool eventFilter(QObject*, QEvent* e) override {
        n += e->type() == QEvent::Paint;
        return false;
    }
};

} // namespace

class PageTest : public QObject {
    Q_OBJECT
private slots:
    void catalogueFollowsTheControllerAndServiceMode_data();
    void catalogueFollowsTheControllerAndServiceMode();
    void selectionRulesEnableWriteOnlyForAnInstalledVersion();
    void aLanguageSwitchRetranslatesTheCatalogueInPlace();
    void aMissingOrBrokenImageIsGreyedAndNeverSent();
    void aRunningEngineOrNoChoiceSendsNothing();
    void aStartDuringAnotherExchangeWaitsForItsEnd();
    void theBackupComesAfterYesAndItsFailureIsAsked_data();
    void theBackupComesAfterYesAndItsFailureIsAsked();
    void aSecondRunStartsItsProgressFromZero();
    void everyBoxStandsOverTheWindowAndAfterTheProgress();
    void signalPicturesDrawTheirTraces_data();
    void signalPicturesDrawTheirTraces();
    void doubleClickOnThePictureTogglesTheZoom();
};

void PageTest::catalogueFollowsTheControllerAndServiceMode_data() {
    QTest::addColumn<uint>("deviceId");
    QTest::addColumn<bool>("service");
    QTest::addColumn<QStringList>("groups");
    QTest::addColumn<int>("children");
    QTest::addColumn<QString>("lastEntry");
    QTest::addColumn<QString>("opis");
    const QString vx01 = "KOLVA-VX-01  Pojazdy z indukcyjnym czujnikiem położenia wału korbowego";
    QTest::newRow("VX-01 E0") << 0x0801E0E0u << false
                              << QStringList{" Sygnał  Bosch (60-2) lub  Ford (36-1) zębów",
                                             " Sygnał  Bosch (60-2) zębów",
                                             " Sygnał  Ford (36-1) zębów",
                                             " Sygnał  Toyota (36-2) zębów"}
                              << 3 << "V1.3.3.3 - Mapa korekty zapłonu gazu" << vx01;
    QTest::newRow("VX-01 E0, service")
        << 0x0801E0E0u << true
        << QStringList{" Sygnał  Bosch (60-2) lub  Ford (36-1) zębów",
                       " Sygnał  Bosch (60-2) zębów", " Sygnał  Ford (36-1) zębów",
                       " Sygnał  Toyota (36-2) zębów"}
        << 4 << "V1.3.4.3 - Admin" << vx01;
    QTest::newRow("VX-01 C0") << 0x0801C0C0u << false
                              << QStringList{" Sygnał  Bosch (60-2) lub  Ford (36-1) zębów"} << 3
                              << "V1.3.3.8 - Mapa korekty zapłonu gazu" << vx01;
    QTest::newRow("VX-02, service")
        << 0x08026060u << true
        << QStringList{" Sygnał  Bosch (60-2) zębów", "Daewoo Matiz 0.8 DAC", "Honda (12+1)"} << 4
        << "V1.3.4.12 - Admin"
        << "KOLVA-VX-02  Pojazdy z czujnikiem hala położenia wału korbowego";
    QTest::newRow("unknown") << 0x0801E0E1u << true << QStringList{} << 0 << ""
                             << "";
}

void PageTest::catalogueFollowsTheControllerAndServiceMode() {
    QFETCH(uint, deviceId);
    QFETCH(bool, service);
    QFETCH(QStringList, groups);
    QFETCH(int, children);
    QFETCH(QString, lastEntry);
    QFETCH(QString, opis);
    Fixture f(deviceId);
    f.host.service = service;
    f.opis.hide();
    f.page->BuildFirmwareCatalogue();
    QStringList shown;
    for (int g = 0; g < f.tree.topLevelItemCount(); ++g) {
        shown << f.tree.topLevelItem(g)->text(0);
        QCOMPARE(f.tree.topLevelItem(g)->childCount(), children);
    }
    QCOMPARE(shown, groups);
    QCOMPARE(f.tree.property("Tag").toUInt(), groups.isEmpty() ? 0u : deviceId);
    QCOMPARE(f.opis.isHidden(), groups.isEmpty());
    if (!groups.isEmpty()) {
        QCOMPARE(f.opis.text(), opis);
        QTreeWidgetItem* last = f.tree.topLevelItem(f.tree.topLevelItemCount() - 1);
        QCOMPARE(last->child(children - 1)->text(0), lastEntry);
        // Groups start every 4 positions, every 5 in service mode.
        QCOMPARE(f.at((children + 1) * (groups.size() - 1)), last);
    }
    if (deviceId == 0x0801E0E0u && service)
        QCOMPARE(f.at(14)->text(0), QStringLiteral("V1.3.4.2 - Admin"));
}

void PageTest::selectionRulesEnableWriteOnlyForAnInstalledVersion() {
    Fixture f(0x08026060u);
    f.page->BuildFirmwareCatalogue();
    f.select(f.at(8)); // the "Honda (12+1)" group
    QVERIFY(!f.button.isEnabled());
    QVERIFY(!f.paint.isHidden());
    QCOMPARE(f.host.status, f.host.langText(730));
    QCOMPARE(f.page->PictureZoom, 0);
    f.select(f.at(6)); // V1.3.2.11
    QVERIFY(f.button.isEnabled());
    QCOMPARE(f.host.status, QStringLiteral("Kliknij przycisk [Wgraj] aby rozpocząć programowanie"));
    f.select(nullptr);
    QVERIFY(f.paint.isHidden());
    QVERIFY(!f.button.isEnabled());
}

void PageTest::aLanguageSwitchRetranslatesTheCatalogueInPlace() {
    Fixture f(0x0801E0E0u);
    QFile::remove(f.images.path() + "/1310.bin");
    f.tree.show();
    f.page->BuildFirmwareCatalogue();
    f.select(f.at(2)); // V1.3.2.0
    f.host.lang.Language = LanguageEnglish;
    f.page->Retranslate();
    QCOMPARE(f.tree.currentItem(), f.at(2));
    QCOMPARE(f.at(0)->text(0), QStringLiteral(" Bosch (60-2) or Ford (36-1) teeth"));
    QCOMPARE(f.at(2)->text(0),
             QStringLiteral("V1.3.2.0 - Permanent shift angle, setting via switches and PC"));
    QCOMPARE(f.at(1)->text(0),
             QStringLiteral("V1.3.1.0 - Permanent shift angle value, setting only via "
                            "switches  (software file not installed)"));
    QCOMPARE(f.opis.text(), QStringLiteral("KOLVA-VX-01  Vehicles equipped with an inductive "
                                           "crankshaft position sensor"));
    QCOMPARE(f.host.status, QStringLiteral("Click [Write] button to load the software"));
    QVERIFY(f.button.isEnabled());
}

void PageTest::aMissingOrBrokenImageIsGreyedAndNeverSent() {
    Fixture f(0x0801E0E0u);
    QFile::remove(f.images.path() + "/1311.bin");
    QFile broken(f.images.path() + "/1312.bin");
    QVERIFY(broken.open(QIODevice::WriteOnly | QIODevice::Truncate));
    broken.write(QByteArray(4096, 'x'));
    broken.close();
    f.page->BuildFirmwareCatalogue();

    QTreeWidgetItem* missing = f.at(5); // V1.3.1.1
    QVERIFY(missing->text(0).endsWith(f.host.langText(760)));
    QCOMPARE(missing->foreground(0).color(), QColor(128, 128, 128));
    QVERIFY(missing->toolTip(0).contains("1311.bin"));
    f.select(missing);
    QVERIFY(!f.button.isEnabled());
    QCOMPARE(f.host.status, f.host.langText(761));
    QTreeWidgetItem* wrongSize = f.at(9); // V1.3.1.2
    QVERIFY(wrongSize->text(0).endsWith(f.host.langText(760)));
    QVERIFY(wrongSize->toolTip(0).contains(f.images.path() + "/1312.bin"));
    QVERIFY(wrongSize->toolTip(0).contains("4096"));
    f.select(wrongSize);
    QVERIFY(!f.button.isEnabled());
    QVERIFY(!f.at(6)->text(0).endsWith(f.host.langText(760)));

    // The file went away after the catalogue was built: refused with the file named.
    f.select(f.at(6)); // V1.3.2.1
    QVERIFY(f.button.isEnabled());
    QFile::remove(f.images.path() + "/1321.bin");
    f.page->Button1Click();
    QCOMPARE(f.boxes.size(), 1);
    QCOMPARE(f.boxes[0].icon, QMessageBox::Critical);
    QVERIFY(f.boxes[0].text.contains("1321.bin"));
    QVERIFY(f.questions.isEmpty());
    QVERIFY(f.host.line.writes.isEmpty());
    QCOMPARE(f.host.stops, 0);
}

void PageTest::aRunningEngineOrNoChoiceSendsNothing() {
    Fixture f(0x0801E0E0u);
    f.page->BuildFirmwareCatalogue();
    f.select(f.at(1));
    f.host.m->LiveStatus = 0x04;
    f.page->TreeView1DblClick();
    QCOMPARE(f.boxes.size(), 1);
    QCOMPARE(f.boxes[0].icon, QMessageBox::Warning);
    QCOMPARE(f.boxes[0].text, f.host.langText(740));
    QVERIFY(f.questions.isEmpty());

    f.host.m->LiveStatus = 0x03;
    f.select(f.at(0)); // a group
    f.page->Button1Click();
    QCOMPARE(f.host.beeps, 1);
    QVERIFY(f.questions.isEmpty());

    // Answered No: nothing sent, the poll cycle never stopped.
    f.select(f.at(1));
    f.page->Button1Click();
    QCOMPARE(f.questions.size(), 1);
    QCOMPARE(f.questions[0], QStringLiteral("V1.3.1.0 - Stały kąt przesunięcia, konfiguracja "
                                            "tylko z przełączników\n\rCzy rozpocząć wgrywanie "
                                            "oprogramowania ?"));
    QVERIFY(f.host.line.writes.isEmpty());
    QCOMPARE(f.host.stops, 0);
    QCOMPARE(f.host.finishes, 0);
    QVERIFY(f.button.isEnabled());

    // The parameters tab's Button1 is not ours.
    f.button.setProperty("Tag", 0);
    f.page->Button1Click();
    QCOMPARE(f.questions.size(), 1);
}

void PageTest::aStartDuringAnotherExchangeWaitsForItsEnd() {
    Fixture f(0x0801E0E0u);
    f.page->BuildFirmwareCatalogue();
    f.select(f.at(2));
    f.host.busy = true;
    f.page->Button1Click();
    f.page->Button1Click();
    QTest::qWait(60);
    QVERIFY(f.questions.isEmpty());
    f.host.busy = false;
    QTRY_COMPARE(f.questions.size(), 1); // once, not twice
    QTest::qWait(60);
    QCOMPARE(f.questions.size(), 1);

    // A second start from inside a run is refused.
    int nestedBeeps = -1;
    f.page->AskYesNo = [&](const QString&, const QString&) {
        f.page->Button1Click();
        nestedBeeps = f.host.beeps;
        return false;
    };
    f.page->Button1Click();
    QCOMPARE(nestedBeeps, 1);
}

void PageTest::theBackupComesAfterYesAndItsFailureIsAsked_data() {
    QTest::addColumn<bool>("startYes");
    QTest::addColumn<bool>("backupSaved");
    QTest::addColumn<bool>("continueYes");
    QTest::addColumn<int>("backups");
    QTest::addColumn<int>("questions");
    QTest::addColumn<bool>("runs");
    QTest::newRow("No to the update: no backup") << false << true << false << 0 << 1 << false;
    QTest::newRow("backup saved: runs without asking") << true << true << false << 1 << 1 << true;
    QTest::newRow("backup failed, user stops") << true << false << false << 1 << 2 << false;
    QTest::newRow("backup failed, user goes on") << true << false << true << 1 << 2 << true;
}

void PageTest::theBackupComesAfterYesAndItsFailureIsAsked() {
    QFETCH(bool, startYes);
    QFETCH(bool, backupSaved);
    QFETCH(bool, continueYes);
    Fixture f(0x0801E0E0u);
    f.host.backupSaved = backupSaved;
    f.page->AskYesNo = [&](const QString& t, const QString&) {
        f.questions << t;
        return f.questions.size() == 1 ? startYes : continueYes;
    };
    f.page->BuildFirmwareCatalogue();
    f.select(f.at(1));
    f.page->Button1Click();
    QTEST(f.host.backups, "backups");
    QTEST(int(f.questions.size()), "questions");
    if (f.questions.size() == 2) {
        QVERIFY(f.questions[1].startsWith("no backup"));
        QVERIFY(f.questions[1].endsWith(f.host.langText(843)));
    }
    QFETCH(bool, runs);
    QCOMPARE(f.host.stops, runs ? 1 : 0);
    QCOMPARE(f.host.finishes, runs ? 1 : 0);
    QCOMPARE(!f.host.line.writes.isEmpty(), runs);
    QVERIFY(!f.page->Running());
}

void PageTest::aSecondRunStartsItsProgressFromZero() {
    Fixture f(0x0801E0E0u);
    ScriptedLoader loader;
    f.host.line.responder = [&loader](const QByteArray& r) { return loader.answer(r); };
    f.page->AskYesNo = [](const QString&, const QString&) { return true; };
    QList<int> progress; // the progress bar when each run's box comes up
    f.page->ShowBox = [&f, &progress](QMessageBox::Icon, const QString&, const QString&) {
        progress << f.page->FormUpg()->ProgressBar2->value();
    };
    f.page->BuildFirmwareCatalogue();
    f.select(f.at(1));
    loader.silentFromBlock = 5;
    f.page->Button1Click();
    // The loader answers again but never asks for a block.
    loader = ScriptedLoader{};
    loader.silentFromBlock = 0;
    f.page->Button1Click();
    QCOMPARE(progress, (QList<int>{4, 0}));
    QCOMPARE(f.page->FormUpg()->ProgressBar2->maximum(), 584);
    // The window's picture is shown at its own size, as far from the top as the text and the
    // bar are from the left; the board's five pins stand upright, 12 pixels apart.
    const TFormUpg* u = f.page->FormUpg();
    QCOMPARE(u->Image1->size(), u->Image1->pixmap().size());
    QCOMPARE(u->Image1->pos(), QPoint(u->Label1->x(), u->Label1->x()));
    const QImage picture = u->Image1->pixmap().toImage();
    for (int pin = 0; pin < 5; ++pin) {
        for (int y : {83, 85})
            QCOMPARE(picture.pixelColor(20 + 12 * pin, y), QColor(200, 170, 60));
    }
}

void PageTest::everyBoxStandsOverTheWindowAndAfterTheProgress() {
    Fixture f(0x0801E0E0u);
    ScriptedLoader loader;
    f.host.line.responder = [&loader](const QByteArray& r) { return loader.answer(r); };
    // The page's own boxes, not the fixture's recorder.
    FirmwarePage page(f.host, FirmwarePage::Widgets{&f.tree, &f.opis, &f.paint, &f.button, &f.log});
    page.AskYesNo = [](const QString&, const QString&) { return true; };
    page.BuildFirmwareCatalogue();
    f.tree.setCurrentItem(f.at(1));
    page.TreeView1Change();
    struct Seen {
        QWidget* parent;
        bool progressShown;
    };
    QList<Seen> seen;
    QTimer closer;
    connect(&closer, &QTimer::timeout, [&] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            seen << Seen{box->parentWidget(), page.FormUpg()->isVisible()};
            box->accept();
        }
    });
    closer.start(5);
    f.host.m->LiveStatus = 0x04; // the engine runs: refused
    page.TreeView1DblClick();
    f.host.m->LiveStatus = 0x03;
    loader.silentFromBlock = 5; // the run ends in a box after the progress window opened
    page.Button1Click();
    QCOMPARE(seen.size(), 2);
    for (const Seen& s : seen) {
        QCOMPARE(s.parent, &f.host.window);
        QVERIFY(!s.progressShown);
    }
    QVERIFY(page.FormUpg()->ProgressBar2->value() > 0); // the window had been open
}

void PageTest::signalPicturesDrawTheirTraces_data() {
    QTest::addColumn<int>("code");
    QTest::addColumn<int>("zoom");
    QTest::addColumn<QPoint>("blue");       // a pixel of the trace
    QTest::addColumn<QPoint>("clear");      // a background pixel
    QTest::addColumn<QList<int>>("dotted"); // the rows of the sine traces' dotted baselines
    // 60-2 sine at baseline 40, amplitude 30: tooth 30 starts at x 0 and dips to (4, 14).
    QTest::newRow("60-2 sine") << 1 << 1 << QPoint(4, 14) << QPoint(2, 10) << QList<int>{40};
    QTest::newRow("60-2 sine, zoom 2")
        << 1 << 2 << QPoint(4, 65) << QPoint(4, 14) << QList<int>{40};
    // 36-1: pitch 10, tooth 18 at x 0; (2, 40 + trunc(sin(1.256) * 30)) = (2, 68).
    QTest::newRow("36-1 sine") << 2 << 1 << QPoint(2, 68) << QPoint(2, 12) << QList<int>{40};
    QTest::newRow("36-2 sine") << 3 << 1 << QPoint(2, 68) << QPoint(2, 12) << QList<int>{40};
    // Both traces: 60-2 at baseline 20 (amplitude 18: (2, 35)), 36-1 at baseline 60.
    QTest::newRow("60-2 over 36-1")
        << 0 << 1 << QPoint(2, 35) << QPoint(2, 5) << QList<int>{20, 60};
    QTest::newRow("60-2 over 36-1 (C0)")
        << 8 << 1 << QPoint(2, 77) << QPoint(2, 45) << QList<int>{20, 60};
    // Hall 60-2: low to x + 3, high from x + 3 to x + 6.
    QTest::newRow("Hall 60-2") << 10 << 1 << QPoint(4, 20) << QPoint(4, 40) << QList<int>{};
    // 17 + 3: pitch 9 from x -180; pulse 20 (at 0) is high from 4 to 9.
    QTest::newRow("17+3") << 11 << 1 << QPoint(6, 20) << QPoint(6, 40) << QList<int>{};
    // The 17 pulses end at 153; the line stays low to 180.
    QTest::newRow("17+3, the gap") << 11 << 1 << QPoint(170, 60) << QPoint(170, 20) << QList<int>{};
    // 12 + 1: pitch 30 from x -180; pitch 6 starts at 0, high to 24.
    QTest::newRow("12+1") << 12 << 1 << QPoint(10, 20) << QPoint(10, 60) << QList<int>{};
    // Tooth 11 (at 150) holds the extra one: low from 156, high again from 162 to 174.
    QTest::newRow("12+1, the extra tooth")
        << 12 << 1 << QPoint(168, 20) << QPoint(168, 60) << QList<int>{};
    QTest::newRow("unknown code") << -1 << 1 << QPoint(-1, -1) << QPoint(2, 65) << QList<int>{};
}

void PageTest::signalPicturesDrawTheirTraces() {
    QFETCH(int, code);
    QFETCH(int, zoom);
    QFETCH(QPoint, blue);
    QFETCH(QPoint, clear);
    QFETCH(QList<int>, dotted);
    const QImage img = SignalPictureImage(code, 800, 80, zoom);
    QList<int> greyRows;
    for (int y = 0; y < 80; ++y) {
        bool grey = false;
        for (int x = 0; x < 800 && !grey; ++x)
            grey = img.pixelColor(x, y) == QColor(128, 128, 128);
        if (grey)
            greyRows << y;
    }
    QCOMPARE(greyRows, dotted);
    QCOMPARE(img.size(), QSize(800, 80));
    if (blue.x() >= 0)
        QCOMPARE(img.pixelColor(blue), QColor(0, 0, 255));
    QCOMPARE(img.pixelColor(clear), QColor(255, 255, 202));
    if (code == -1) {
        QCOMPARE(img.pixelColor(799, 79), QColor(255, 255, 202));
    } else {
        // Traces reach the right edge.
        bool rightEdge = false;
        for (int y = 0; y < 80; ++y)
            rightEdge = rightEdge || img.pixelColor(799, y) == QColor(0, 0, 255);
        QVERIFY(rightEdge);
    }
}

void PageTest::doubleClickOnThePictureTogglesTheZoom() {
    Fixture f(0x0801E0E0u);
    f.host.window.resize(800, 200);
    f.paint.setParent(&f.host.window);
    f.paint.setGeometry(0, 100, 800, 80);
    f.host.window.show();
    f.page->BuildFirmwareCatalogue();
    f.select(f.at(5));                    // 60-2 sine
    QTRY_COMPARE(f.page->PictureZoom, 1); // drawn once at zoom 1
    QTRY_COMPARE(f.paint.grab().toImage().pixelColor(4, 14), QColor(0, 0, 255));
    QTest::mouseDClick(&f.paint, Qt::LeftButton, {}, QPoint(10, 10));
    QCOMPARE(f.page->PictureZoom, 2);
    // A 60-tooth revolution is now 720 pixels wide.
    QTRY_COMPARE(f.paint.grab().toImage().pixelColor(4, 65), QColor(0, 0, 255));
    QCOMPARE(f.paint.grab().toImage().pixelColor(4, 14), QColor(255, 255, 202));
    QTest::mouseDClick(&f.paint, Qt::LeftButton, {}, QPoint(10, 10));
    QCOMPARE(f.page->PictureZoom, 1);
    // Another version on the same picture: it is drawn again for its own signal.
    PaintCount paints;
    f.paint.installEventFilter(&paints);
    QTRY_VERIFY(paints.n > 0);
    paints.n = 0;
    f.select(f.at(9)); // 36-1 sine
    QTRY_VERIFY(paints.n > 0);
}

QTEST_MAIN(PageTest)
#include "tst_page.moc"
