// Where the file dialogs start and what a save dialog proposes: the user's documents the first
// time, then the folder last chosen for that kind of file (maps, recordings, reports), also in
// the next run; names from the vehicle and the date.
#include "FileFolders.h"
#include "MapFileCommands.h"
#include "TForm1.h"
#include "WindowTestSupport.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QListView>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <functional>
#include <memory>

namespace {

QString documents() {
    const QString docs = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    return QDir(!docs.isEmpty() && QFileInfo(docs).isDir() ? docs : QDir::homePath())
        .absolutePath();
}

// What a file dialog showed when it opened.
struct Seen {
    bool opened = false;
    QString folder;
    QString name;
};

// Answers the next file dialog with `file` after noting where it started and the name it
// proposed, as a user would read them.
void answerNextDialog(Seen& seen, const QString& file) {
    auto* look = new QTimer;
    look->setInterval(10);
    QObject::connect(look, &QTimer::timeout, [look, &seen, file] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        if (dialog == nullptr || !dialog->isVisible()) {
            return;
        }
        look->stop();
        look->deleteLater();
        seen.opened = true;
        seen.folder = dialog->directory().absolutePath();
        seen.name = QFileInfo(dialog->selectedFiles().value(0)).fileName();
        // Typed into the name field, as a user may type a whole path.
        auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        QVERIFY(name != nullptr);
        name->setText(file);
        static_cast<QDialog*>(dialog)->accept(); // as the dialog's own button does
    });
    look->start();
}

// The names a file dialog's list shows.
QStringList listedNames(QFileDialog* dialog) {
    const auto* view = dialog->findChild<QListView*>(QStringLiteral("listView"));
    QStringList names;
    if (view == nullptr || view->model() == nullptr) {
        return names;
    }
    const QModelIndex root = view->rootIndex();
    for (int r = 0; r < view->model()->rowCount(root); ++r) {
        names << view->model()->index(r, 0, root).data().toString();
    }
    names.sort();
    return names;
}

// What the next file dialog lists in `folder` once the user has chosen its first filter, then
// its last one; then it is cancelled. Each listing is taken once it shows what is expected, or
// after a few seconds as it is.
struct Listed {
    QStringList first;
    QStringList last;
};
void listNextDialog(Listed& listed, const QString& folder, const QStringList& first,
                    const QStringList& last) {
    auto* look = new QTimer;
    look->setInterval(10);
    auto step = std::make_shared<int>(0);
    auto ticks = std::make_shared<int>(0);
    QObject::connect(look, &QTimer::timeout, [=, &listed] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        if (dialog == nullptr || !dialog->isVisible()) {
            return;
        }
        const bool patient = ++*ticks < 500;
        switch (*step) {
        case 0:
            dialog->setDirectory(folder);
            dialog->selectNameFilter(dialog->nameFilters().first());
            *step = 1;
            return;
        case 1:
            listed.first = listedNames(dialog);
            if (listed.first != first && patient) {
                return;
            }
            dialog->selectNameFilter(dialog->nameFilters().last());
            *ticks = 0;
            *step = 2;
            return;
        default:
            listed.last = listedNames(dialog);
            if (listed.last != last && patient) {
                return;
            }
            look->stop();
            look->deleteLater();
            dialog->reject();
        }
    });
    look->start();
}

} // namespace

class FileFoldersTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir dir;

    // The command of each kind that asks for a file to save (a recording is stopped again).
    static void save(TForm1& w, FileFolders::Kind kind) {
        w.ErrorBox = [](const QString& text) { QFAIL(qPrintable(text)); };
        switch (kind) {
        case FileFolders::Kind::Maps:
            // The save button's own command: the button itself wants the map panel shown.
            w.MapFiles->ToolBtnSaveClick();
            break;
        case FileFolders::Kind::Recordings:
            w.PlikiUstawZapis->trigger();
            if (w.PlikiUstawZapis->isChecked()) {
                w.PlikiUstawZapis->trigger(); // stop the recording again
            }
            break;
        case FileFolders::Kind::Reports:
            w.MenuPlikiRaport->trigger();
            break;
        }
    }

private slots:
    void initTestCase() { QVERIFY(dir.isValid()); }

    void eachKindStartsInDocumentsThenWhereTheUserWent_data() {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("suffix");
        QTest::newRow("map") << int(FileFolders::Kind::Maps) << QStringLiteral("orvx");
        QTest::newRow("recording") << int(FileFolders::Kind::Recordings) << QStringLiteral("bin");
        QTest::newRow("report") << int(FileFolders::Kind::Reports) << QStringLiteral("pdf");
    }

    void eachKindStartsInDocumentsThenWhereTheUserWent() {
        QFETCH(int, kind);
        QFETCH(QString, suffix);
        const auto k = static_cast<FileFolders::Kind>(kind);
        const QString folder = dir.filePath(QString::fromLatin1(QTest::currentDataTag()));
        QVERIFY(QDir().mkpath(folder));
        const QString proposed = QStringLiteral("orvex_") +
                                 QDate::currentDate().toString(QStringLiteral("yyyy-MM-dd")) +
                                 QLatin1Char('.') + suffix;
        {
            auto w = WindowTest::freshWindow();
            Seen first;
            answerNextDialog(first, folder + QStringLiteral("/first.") + suffix);
            save(*w, k);
            QVERIFY(first.opened);
            QCOMPARE(first.folder, documents());
            QCOMPARE(first.name, proposed); // not the name the dialog last had, nor a map's
            QVERIFY(QFileInfo::exists(folder + QStringLiteral("/first.") + suffix));

            Seen second;
            answerNextDialog(second, folder + QStringLiteral("/second.") + suffix);
            save(*w, k);
            QCOMPARE(second.folder, QDir(folder).absolutePath());
            QCOMPARE(second.name, proposed);
            // The other kinds still start in the documents.
            for (const auto other : {FileFolders::Kind::Maps, FileFolders::Kind::Recordings,
                                     FileFolders::Kind::Reports}) {
                if (other != k) {
                    QCOMPARE(QDir(FileFolders::folder(other)).absolutePath(), documents());
                }
            }
        }
        // The next run starts there too.
        TForm1 again;
        again.Serial1->SetOpenErrorPresenter([](const QString&, const QString&) {});
        Seen third;
        answerNextDialog(third, folder + QStringLiteral("/third.") + suffix);
        save(again, k);
        QCOMPARE(third.folder, QDir(folder).absolutePath());
    }

    void allFilesListsEveryFileInEveryDialog_data() {
        QTest::addColumn<int>("command");
        QTest::addColumn<QStringList>("first"); // what the first filter lists
        QTest::newRow("open map") << 0 << QStringList{"m.orvx"};
        QTest::newRow("save map") << 1 << QStringList{"m.orvx"};
        QTest::newRow("open measured maps") << 2 << QStringList{"m.csv"};
        QTest::newRow("save measured maps") << 3 << QStringList{"m.csv"};
        QTest::newRow("open recording") << 4 << QStringList{"r.bin"};
    }

    void allFilesListsEveryFileInEveryDialog() {
        QFETCH(int, command);
        QFETCH(QStringList, first);
        const QString folder = dir.filePath(QStringLiteral("listed"));
        QVERIFY(QDir().mkpath(folder));
        const QStringList every{"README", "m.csv", "m.orvx", "notes.txt", "r.bin"};
        for (const QString& name : every) {
            QFile f(folder + QLatin1Char('/') + name);
            QVERIFY(f.open(QIODevice::WriteOnly));
        }
        auto w = WindowTest::freshWindow();
        w->ErrorBox = [](const QString& text) { QFAIL(qPrintable(text)); };
        Listed listed;
        listNextDialog(listed, folder, first, every);
        const std::function<void()> commands[] = {
            [&] { w->MapFiles->ToolBtnOpenClick(); }, [&] { w->MapFiles->ToolBtnSaveClick(); },
            [&] { w->MapFiles->MenuPikiOtworzClick(); },
            [&] { w->MapFiles->MenuPlikiZapiszClick(); }, [&] { w->MenuPikiOtworzPom->trigger(); }};
        commands[command]();
        QCOMPARE(listed.first, first);
        QCOMPARE(listed.last, every); // a name without a dot too
    }

    void aFolderThatIsGoneGivesTheDocumentsAgain() {
        WindowTest::removeSettings();
        QTemporaryDir gone;
        FileFolders::remember(FileFolders::Kind::Maps, gone.filePath(QStringLiteral("m.orvx")));
        QCOMPARE(QDir(FileFolders::folder(FileFolders::Kind::Maps)).absolutePath(),
                 QDir(gone.path()).absolutePath());
        gone.remove();
        QCOMPARE(QDir(FileFolders::folder(FileFolders::Kind::Maps)).absolutePath(), documents());
    }

    void proposedNameComesFromTheVehicleAndTheDate_data() {
        QTest::addColumn<QString>("vehicle");
        QTest::addColumn<QString>("name");
        QTest::newRow("plain") << QStringLiteral("Astra") << QStringLiteral("Astra_2026-03-07.bin");
        QTest::newRow("blanks and separators") << QStringLiteral(" Golf IV/1.6\\gas ")
                                               << QStringLiteral("Golf_IV_1.6_gas_2026-03-07.bin");
        QTest::newRow("refused characters") << QStringLiteral("a:b*c?d\"e<f>g|h")
                                            << QStringLiteral("a_b_c_d_e_f_g_h_2026-03-07.bin");
        QTest::newRow("no name") << QString() << QStringLiteral("orvex_2026-03-07.bin");
        QTest::newRow("nothing but refused")
            << QStringLiteral("/ *") << QStringLiteral("orvex_2026-03-07.bin");
        QTest::newRow("parent folder")
            << QStringLiteral("..") << QStringLiteral("orvex_2026-03-07.bin");
        QTest::newRow("Latin-1 kept")
            << QString::fromUtf8("Škoda Fábia") << QString::fromUtf8("Škoda_Fábia_2026-03-07.bin");
    }

    void proposedNameComesFromTheVehicleAndTheDate() {
        QFETCH(QString, vehicle);
        QFETCH(QString, name);
        QCOMPARE(FileFolders::proposedName(vehicle, QDate(2026, 3, 7), QStringLiteral("bin")),
                 name);
    }
};

QTEST_MAIN(FileFoldersTest)
#include "tst_file_folders.moc"
