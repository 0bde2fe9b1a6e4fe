// Map files on the disk: the binary map file round trip, refused and short files, read-only
// files, saves that fail without harming the file they were to replace, and the text map of
// the measured grids.
#include "CsvMapFile.h"
#include "FakeMapHost.h"
#include "MapBackup.h"
#include "MapCells.h"
#include "MapDecoder.h"
#include "MapFile.h"
#include "MapFileCommands.h"
#include "MapGridEditor.h"
#include "MapUpdate.h"
#include "TChart3D.h"

#include <QDir>
#include <QFile>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QtTest>

#include <atomic>
#include <cmath>
#include <csignal>
#include <fcntl.h>
#include <memory>
#include <sys/resource.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

Q_DECLARE_METATYPE(MapFile::SaveMethod)

namespace {

QByteArray readAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeAll(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
}

// Writes beyond `bytes` fail (EFBIG) for as long as the object lives, also for root.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        getrlimit(RLIMIT_FSIZE, &old_);
        signal(SIGXFSZ, SIG_IGN);
        rlimit limit = old_;
        limit.rlim_cur = bytes;
        set = setrlimit(RLIMIT_FSIZE, &limit) == 0;
    }
    bool set = false;
    ~FileSizeLimit() { setrlimit(RLIMIT_FSIZE, &old_); }

private:
    rlimit old_{};
};

QTableWidget* makeGrid(const char* name) {
    auto* g = new QTableWidget(17, 16);
    g->setObjectName(QString::fromLatin1(name));
    return g;
}

} // namespace

class MapFilesTest : public QObject {
    Q_OBJECT

    FakeMapHost host;
    std::unique_ptr<QTableWidget> gridMapa;
    std::unique_ptr<QTableWidget> gridB;
    std::unique_ptr<QTableWidget> gridG;
    std::unique_ptr<MapGridEditor> editor;
    std::unique_ptr<MapFileCommands> files;
    QTemporaryDir dir;

    QString path(const QString& name) const { return dir.filePath(name); }
    static QString text(const QTableWidget* g, int column, int row) {
        const QTableWidgetItem* item = g->item(row, column);
        return item != nullptr ? item->text() : QString();
    }
    void fillMirror() {
        for (int i = 0; i < 32; ++i) {
            host.m.SettingsImage[static_cast<std::size_t>(i)] =
                static_cast<quint8>(i < 16 ? i * 7 : 0xFF);
        }
        for (int i = 0; i < 272; ++i) {
            host.m.MapTable[static_cast<std::size_t>(i)] = static_cast<quint8>(i * 37 + 11);
        }
        host.m.DeviceId = 0x01020304;
        host.m.DeviceVersion = 0x0A0B0C0D;
    }

private slots:
    void init();
    void cleanup();
    void mapFileSavedAndOpenedIsTheSameByteForByte();
    void mapSaveWritesTheFormatItsNameOrFilterNames_data();
    void mapSaveWritesTheFormatItsNameOrFilterNames();
    void refusedFilesChangeNothing_data();
    void refusedFilesChangeNothing();
    void shortFilesLoadWhatTheyHold();
    void readOnlyFileOpensAndAMissingOneIsNamed();
    void failedSaveSaysSoAndLeavesTheOldFile_data();
    void failedSaveSaysSoAndLeavesTheOldFile();
    void textMapRoundTrip();
    void csvMapOpensIntoTheMapGridAsAMapFileDoes_data();
    void csvMapOpensIntoTheMapGridAsAMapFileDoes();
    void measuredMapsTextIsNoMap();
    void textMapWithABadFieldLoadsNothing_data();
    void textMapWithABadFieldLoadsNothing();
    void textMapWithSeventeenRowsPerBlock();
    void textMapNumbersReadAsTheLocaleReadsThem_data();
    void textMapNumbersReadAsTheLocaleReadsThem();
    void openedMapFileAsksWithItsDifferenceFirst_data();
    void openedMapFileAsksWithItsDifferenceFirst();
    void filesThatAreNoRegularFileAreRefusedUnopened_data();
    void filesThatAreNoRegularFileAreRefusedUnopened();
    void textMapLineEndsOfEveryKind_data();
    void textMapLineEndsOfEveryKind();
    void saveMethodFollowsWhatFolderAndFileAllow_data();
    void saveMethodFollowsWhatFolderAndFileAllow();
    void replacedFileKeepsItsMode_data();
    void replacedFileKeepsItsMode();
    void inPlaceSaveKeepsACopyOfTheOldFileFirst();
};

void MapFilesTest::init() {
    QLocale::setDefault(QLocale::c());
    host = FakeMapHost{};
    gridMapa.reset(makeGrid("GridMapa"));
    gridB.reset(makeGrid("GridB"));
    gridG.reset(makeGrid("GridG"));
    editor = std::make_unique<MapGridEditor>(host, gridMapa.get());
    files = std::make_unique<MapFileCommands>(host, *editor, gridB.get(), gridG.get());
}

void MapFilesTest::cleanup() {
    files.reset();
    editor.reset();
    gridMapa.reset();
    gridB.reset();
    gridG.reset();
}

void MapFilesTest::mapFileSavedAndOpenedIsTheSameByteForByte() {
    fillMirror();
    const auto map = host.m.MapTable;
    host.nextFileName = path("a.orvx");
    files->ToolBtnSaveClick();
    QCOMPARE(host.dialogs, QStringList{"Save map file"});
    const QByteArray saved = readAll(path("a.orvx"));
    QCOMPARE(saved.size(), 320);
    QCOMPARE(saved.mid(0, 3), QByteArray::fromHex("00070e"));
    QCOMPARE(saved.mid(16, 1), QByteArray::fromHex("ff"));
    QCOMPARE(saved.mid(32, 16), QByteArray::fromHex("010203040a0b0c0d0100000000000000"));
    QCOMPARE(saved.mid(48, 2), QByteArray::fromHex("0b30"));

    host.m.MapTable.fill(0);
    host.m.IdentityState = -1;
    host.m.SettingIndex = -1;
    files->ToolBtnOpenClick();
    QVERIFY(host.errors.isEmpty());
    QCOMPARE(host.m.MapTable, map);
    QCOMPARE(host.m.PendingWrites & 0x2000u, 0x2000u);
    QCOMPARE(host.m.MapWriteFirst, 0);
    QCOMPARE(host.m.MapWriteLast, 271); // widened to every cell by the map write
    QCOMPARE(host.m.IdentityState, 0);
    QCOMPARE(host.m.SettingIndex, 0);
    // The grid shows the file's map: byte 1*17+1 holds (18*37+11) & 0xFF = 165, -91 steps.
    QCOMPARE(text(gridMapa.get(), 1, 1), QStringLiteral("-18.2"));

    host.nextFileName = path("b.orvx");
    files->ToolBtnSaveClick();
    QCOMPARE(readAll(path("b.orvx")), saved);
}

void MapFilesTest::mapSaveWritesTheFormatItsNameOrFilterNames_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("filter"); // 0 map file, 1 csv map, 2 all files
    QTest::addColumn<bool>("csv");
    QTest::newRow("csv name, map filter") << "m1.csv" << 0 << true;
    QTest::newRow("csv name in capitals") << "M1.CSV" << 2 << true;
    QTest::newRow("csv name, csv filter") << "m1.csv" << 1 << true;
    QTest::newRow("map name, csv filter") << "m1.orvx" << 1 << false;
    QTest::newRow("map name, map filter") << "m1.orvx" << 0 << false;
    QTest::newRow("other name, csv filter") << "m1.txt" << 1 << true;
    QTest::newRow("other name, all files") << "m1.txt" << 2 << false;
}

void MapFilesTest::mapSaveWritesTheFormatItsNameOrFilterNames() {
    QFETCH(QString, name);
    QFETCH(int, filter);
    QFETCH(bool, csv);
    fillMirror();
    host.nextFileName = path(name);
    host.nextFilter = filter;
    files->ToolBtnSaveClick();
    QVERIFY(host.errors.isEmpty());
    QVERIFY(host.filters.last().contains(QStringLiteral("*.csv")));
    const QByteArray saved = readAll(path(name));
    if (!csv) {
        QCOMPARE(saved.size(), 320);
        return;
    }
    QStringList lines = QString::fromUtf8(saved).split(QStringLiteral("\r\n"));
    QCOMPARE(lines.takeLast(), QString());
    QCOMPARE(lines.size(), 17);
    QCOMPARE(lines[0], QStringLiteral("#16;17;6400;100;50"));
    // Column 1 row 1 is byte 18: (18*37+11) & 0xFF = 165, -91 steps; column 2 row 1 is byte 35:
    // (35*37+11) & 0xFF = 26.
    QVERIFY2(lines[1].startsWith(QStringLiteral("-18.2;5.2;")), qPrintable(lines[1]));
    for (int i = 1; i < 17; ++i) {
        QCOMPARE(lines[i].count(';'), 15);
    }
    // The File menu's text map reader takes it back: the map in the first grid.
    host.nextFileName = path(name);
    files->MenuPikiOtworzClick();
    QVERIFY(host.errors.isEmpty());
    QCOMPARE(text(gridB.get(), 1, 1), QStringLiteral("-18.2"));
    QCOMPARE(text(gridB.get(), 15, 16), lines[16].section(';', 14, 14));
}

void MapFilesTest::refusedFilesChangeNothing_data() {
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("reason"); // the message's last line
    QByteArray wrongMarker(320, '\x05');
    wrongMarker[40] = 2;
    QByteArray shortHeader(47, '\x01');
    QTest::newRow("marker 2") << wrongMarker << "Byte 40 holds 2, not 1.";
    QTest::newRow("47 bytes") << shortHeader << "47 bytes, not 48 or more.";
    QTest::newRow("empty") << QByteArray() << "0 bytes, not 48 or more.";
    QByteArray junk(4096, '\0');
    for (int i = 0; i < junk.size(); ++i) {
        junk[i] = char(i * 37 + (i >> 3));
    }
    junk[40] = char(0xFF);
    QTest::newRow("binary junk, 4 KiB") << junk << "Byte 40 holds 255, not 1.";
}

void MapFilesTest::refusedFilesChangeNothing() {
    QFETCH(QByteArray, content);
    QFETCH(QString, reason);
    fillMirror();
    editor->showMapTable();
    const auto map = host.m.MapTable;
    writeAll(path("bad.orvx"), content);
    QVERIFY(!files->OpenMapFile(path("bad.orvx")));
    QCOMPARE(host.errors, QStringList{" Erroneous data \n" + path("bad.orvx") + "\n" + reason});
    QCOMPARE(host.m.MapTable, map);
    QCOMPARE(host.m.PendingWrites, 0u);
    QCOMPARE(text(gridMapa.get(), 1, 1), QStringLiteral("-18.2"));
}

void MapFilesTest::shortFilesLoadWhatTheyHold() {
    fillMirror();
    const auto map = host.m.MapTable;
    QByteArray header(48, '\0');
    header[40] = 1;
    writeAll(path("48.orvx"), header);
    QVERIFY(files->OpenMapFile(path("48.orvx")));
    QCOMPARE(host.m.MapTable, map);
    QCOMPARE(host.m.PendingWrites & 0x2000u, 0x2000u); // the current map is written all the same
    writeAll(path("100.orvx"), header + QByteArray(52, '\x02'));
    host.questions.clear();
    host.yesDefaults.clear();
    QVERIFY(files->OpenMapFile(path("100.orvx")));
    QCOMPARE(host.m.MapTable[51], quint8(2));
    QCOMPARE(host.m.MapTable[52], map[52]);
    QVERIFY(host.errors.isEmpty());
    // The question says the file is short and how many cells come from it (its 52 map bytes
    // hold columns 1 and 2 whole); No is its default.
    QCOMPARE(host.questions.size(), 1);
    QVERIFY2(host.questions[0].contains(QStringLiteral("text 883 [100 320 32]")),
             qPrintable(host.questions[0]));
    QCOMPARE(host.yesDefaults, QList<bool>{false});
}

void MapFilesTest::readOnlyFileOpensAndAMissingOneIsNamed() {
    fillMirror();
    const QByteArray bytes = [this] {
        host.nextFileName = path("ro.orvx");
        files->ToolBtnSaveClick();
        return readAll(path("ro.orvx"));
    }();
    QVERIFY(QFile::setPermissions(path("ro.orvx"), QFile::ReadOwner | QFile::ReadGroup));
    host.m.MapTable.fill(0);
    QVERIFY(files->OpenMapFile(path("ro.orvx")));
    QCOMPARE(QByteArray(reinterpret_cast<const char*>(host.m.MapTable.data()), 272), bytes.mid(48));

    QVERIFY(!files->OpenMapFile(path("missing.orvx")));
    QCOMPARE(host.errors.size(), 1);
    QVERIFY(host.errors[0].startsWith(" Cannot open file \n"));
    QVERIFY(host.errors[0].contains("missing.orvx"));
}

void MapFilesTest::failedSaveSaysSoAndLeavesTheOldFile_data() {
    QTest::addColumn<QString>("name");
    QTest::newRow("map file") << QStringLiteral("keep.orvx");
    QTest::newRow("text map") << QStringLiteral("keep.csv");
}

void MapFilesTest::failedSaveSaysSoAndLeavesTheOldFile() {
    QFETCH(QString, name);
    const bool text = name.endsWith(QStringLiteral(".csv"));
    const auto save = [this, text](const QString& target) {
        return text ? files->SaveCsvFile(target) : files->SaveMapFile(target);
    };
    fillMirror();
    for (int r = 1; r < 17; ++r) {
        gridB->setItem(r, 3, new QTableWidgetItem(QStringLiteral("-12.4")));
    }
    const QByteArray old = QByteArray("an older map that must survive").repeated(20);
    writeAll(path(name), old);
    {
        const FileSizeLimit limit(100); // the disk fills up after 100 bytes
        QVERIFY(limit.set);
        QVERIFY(!save(path(name)));
    }
    QCOMPARE(readAll(path(name)), old);
    QCOMPARE(host.errors.size(), 1);
    QVERIFY(host.errors[0].startsWith(" Cannot open file "));
    QCOMPARE(QDir(dir.path()).entryList({name + "*"}, QDir::Files),
             QStringList{name}); // no half-written copy left behind

    // A device that is always full: written directly, and the failure is reported.
    QVERIFY(!save(QStringLiteral("/dev/full")));
    QCOMPARE(host.errors.size(), 2);
    QVERIFY(QFileInfo(QStringLiteral("/dev/full")).exists() &&
            !QFileInfo(QStringLiteral("/dev/full")).isFile());
    QCOMPARE(host.beeps, 0); // a text map saved says so with a beep: none here

    if (geteuid() != 0) { // root writes anywhere
        QDir(dir.path()).mkdir("locked");
        writeAll(path("locked/" + name), old);
        QFile::setPermissions(path("locked"), QFile::ReadOwner | QFile::ExeOwner);
        QVERIFY(!save(path("locked/" + name)));
        QCOMPARE(readAll(path("locked/" + name)), old);
        QFile::setPermissions(path("locked"),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
}

void MapFilesTest::textMapRoundTrip() {
    for (int r = 1; r < 17; ++r) {
        for (int c = 1; c < 16; ++c) {
            const QString t =
                (r + c) % 4 == 0 ? QString() : QString::number((r - c) * 0.2, 'g', 15);
            gridB->setItem(r, c, new QTableWidgetItem(t));
            gridG->setItem(r, c, new QTableWidgetItem(t.isEmpty() ? "1" : t + "1"));
        }
    }
    host.nextFileName = path("m.csv");
    files->MenuPlikiZapiszClick();
    QCOMPARE(host.beeps, 1);
    const QString saved = QString::fromUtf8(readAll(path("m.csv")));
    QStringList lines = saved.split("\r\n");
    QCOMPARE(lines.takeLast(), QString());
    QCOMPARE(lines.size(), 33);
    QCOMPARE(lines[0], QStringLiteral("#16;17;6400;100;50"));
    for (int i = 1; i < 33; ++i) {
        QCOMPARE(lines[i].count(';'), 15);
        QVERIFY(lines[i].endsWith(';'));
    }
    QCOMPARE(lines[1], QStringLiteral("0;-0.2;;-0.6;-0.8;-1;;-1.4;-1.6;-1.8;;-2.2;-2.4;-2.6;;"));

    TChart3D chart;
    host.chart = &chart;
    chart.SetPoint(1, 9, 9, 3);
    const auto before = [this] {
        QStringList all;
        for (QTableWidget* g : {gridB.get(), gridG.get()}) {
            for (int r = 1; r < 17; ++r) {
                for (int c = 1; c < 16; ++c) {
                    all << text(g, c, r);
                }
            }
        }
        return all;
    };
    const QStringList expected = before();
    gridB->clearContents();
    gridG->clearContents();
    // Padded with empty lines to exactly the largest text map that is read: the same grids.
    QVERIFY(QFile::resize(path("m.csv"), 1 << 20));
    {
        QFile f(path("m.csv"));
        QVERIFY(f.open(QIODevice::ReadWrite));
        QVERIFY(f.seek(saved.toUtf8().size()));
        QCOMPARE(f.write(QByteArray((1 << 20) - saved.toUtf8().size(), '\n')),
                 qint64((1 << 20) - saved.toUtf8().size()));
    }
    host.nextFileName = path("m.csv");
    files->MenuPikiOtworzClick();
    QVERIFY(host.errors.isEmpty());
    QCOMPARE(before(), expected);
    QCOMPARE(host.caption, QStringLiteral("Orvex V1.03 - m.csv"));
    QCOMPARE(host.title, QStringLiteral("Orvex"));
    QCOMPARE(host.portCloses, 1);
    QCOMPARE(chart.Value(0, 2, 1), -0.2);
    QCOMPARE(chart.Value(1, 2, 1), -0.21);
    QCOMPARE(chart.Value(0, 4, 1), -0.6);
    QCOMPARE(chart.Value(0, 1, 3), -1.0); // an empty field is no point
    QCOMPARE(chart.Value(1, 9, 9), 1.0);  // the old layer was cleared first
}

void MapFilesTest::csvMapOpensIntoTheMapGridAsAMapFileDoes_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("commandLine"); // else the Open map button
    QTest::addColumn<bool>("mapRead");     // the controller's map is known when it opens
    QTest::addColumn<bool>("answer");
    QTest::newRow("Open map, yes") << "m.csv" << false << true << true;
    QTest::newRow("Open map, no") << "m.csv" << false << true << false;
    QTest::newRow("another name, all files") << "m.txt" << false << true << true;
    QTest::newRow("command line") << "M.CSV" << true << true << true;
    QTest::newRow("command line before the map was read") << "m.csv" << true << false << true;
}

void MapFilesTest::csvMapOpensIntoTheMapGridAsAMapFileDoes() {
    QFETCH(QString, name);
    QFETCH(bool, commandLine);
    QFETCH(bool, mapRead);
    QFETCH(bool, answer);
    fillMirror();
    const auto saved = host.m.MapTable;
    host.nextFileName = path(name);
    host.nextFilter = 1; // the csv map
    files->ToolBtnSaveClick();
    QVERIFY(host.errors.isEmpty());
    // Two cells change, and a byte beside the cells that a csv map does not hold.
    auto& map = host.m.MapTable;
    map[std::size_t(MapCells::byteAt(1, 1))] += 3;
    map[std::size_t(MapCells::byteAt(15, 16))] ^= 0x40;
    map[3] ^= 0x55;
    const auto changed = map;
    editor->showMapTable();
    const QString shownBefore = text(gridMapa.get(), 1, 1);
    host.answer = answer;
    host.editable = mapRead;
    if (commandLine) {
        QVERIFY(files->OpenAnyFile(path(name)));
    } else {
        host.nextFileName = path(name);
        files->ToolBtnOpenClick();
        QCOMPARE(host.filters.last(), host.mapText(885)); // the csv map is offered to open too
    }
    QVERIFY2(host.errors.isEmpty(), qPrintable(host.errors.join('\n')));
    QVERIFY(text(gridB.get(), 1, 1).isEmpty()); // never into the measured maps
    if (!mapRead) {
        // Shown, not written, until the controller's map is read; then offered.
        QVERIFY(host.questions.isEmpty());
        QVERIFY(editor->showsUnwrittenFile());
        host.editable = true;
        map = changed;
        editor->controllerMapRead();
        editor->offerUnwrittenWhenReady();
    }
    QCOMPARE(host.questions.size(), 1);
    QVERIFY2(host.questions[0].startsWith(QStringLiteral("2 cells differ")),
             qPrintable(host.questions[0]));
    QCOMPARE(host.yesDefaults, QList<bool>{true});
    // The grid shows the file's cells whatever the answer; the rest is the controller's.
    for (int n = 0; n < MapCells::CellCount; ++n) {
        const auto b = std::size_t(MapCells::byteOfCell(n));
        QCOMPARE(map[b], saved[b]);
    }
    QCOMPARE(map[3], changed[3]);
    QVERIFY(text(gridMapa.get(), 1, 1) != shownBefore);
    QCOMPARE(text(gridMapa.get(), 1, 1), QStringLiteral("-18.2"));
    QCOMPARE(host.m.PendingWrites & 0x2000u, answer ? 0x2000u : 0u);
    QCOMPARE(host.backups, answer ? 1 : 0);
    QCOMPARE(editor->showsUnwrittenFile(), !answer);
}

void MapFilesTest::measuredMapsTextIsNoMap() {
    for (int r = 1; r < 17; ++r) {
        for (int c = 1; c < 16; ++c) {
            gridB->setItem(r, c, new QTableWidgetItem(QString::number(r + c)));
        }
    }
    QVERIFY(files->SaveCsvFile(path("measured.csv")));
    fillMirror();
    const auto map = host.m.MapTable;
    gridB->clearContents();
    // Open map refuses it and says where it belongs.
    QVERIFY(!files->OpenMapFile(path("measured.csv")));
    QCOMPARE(host.errors,
             QStringList{" Erroneous data \n" + path("measured.csv") + "\nNo csv map."});
    QCOMPARE(host.m.MapTable, map);
    // Named on the command line, it goes to the measured maps as before.
    QVERIFY(files->OpenAnyFile(path("measured.csv")));
    QCOMPARE(text(gridB.get(), 15, 16), QStringLiteral("31"));
    QCOMPARE(host.m.MapTable, map);
    QVERIFY(host.questions.isEmpty());
}

void MapFilesTest::textMapWithABadFieldLoadsNothing_data() {
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<qint64>("length");   // > 0: the file made this long after the content
    QTest::addColumn<QString>("message"); // how the message starts
    QTest::addColumn<QString>("reason");  // after the first line of the message; empty: none
    const QString bad = QStringLiteral(" Erroneous data ");
    QTest::newRow("a word in line 5")
        << QByteArray("#16;17;6400;100;50\n1;2;\n3;4;\n5;6;\nseven;8;\n") << qint64{0} << bad
        << "Line 5: \"seven\" is not a number.";
    const QString noCells = QStringLiteral("The file holds no map cells.");
    QTest::newRow("zero length") << QByteArray("") << qint64{0} << bad << noCells;
    QTest::newRow("the first line only")
        << QByteArray("#16;17;6400;100;50\r\n") << qint64{0} << bad << noCells;
    QTest::newRow("binary junk without a field")
        << QByteArray("\x89PNG\r\n\x1a\n\x00\x00\x00\rIHDR\x00\xff\xfe", 19) << qint64{0} << bad
        << noCells;
    QTest::newRow("binary junk in fields") << QByteArray("#16\n\x01\x02;\xff\xfe;\n") << qint64{0}
                                           << bad << "Line 2: \"\x01\x02\" is not a number.";
    QTest::newRow("nan after the header") << QByteArray("#16;17;6400;100;50\nnan;") << qint64{0}
                                          << bad << "Line 2: \"nan\" is not a number.";
    QTest::newRow("infinities in a gas row")
        << QByteArray("#16;17;6400;100;50\n") + QByteArray("1;\n").repeated(16) +
               QByteArray("2; -inf ;\n")
        << qint64{0} << bad << "Line 18: \" -inf \" is not a number.";
    QTest::newRow("an exponent past any double")
        << QByteArray("#16;17;6400;100;50\r\n1e999;\r\n") << qint64{0} << bad
        << "Line 2: \"1e999\" is not a number.";
    QTest::newRow("truncated inside a field")
        << QByteArray("#16;17;6400;100;50\n1;2;\n3;4") + QByteArray("\n5;1e") + QByteArray(";")
        << qint64{0} << bad << "Line 4: \"1e\" is not a number.";
    // Good rows at the front, then more than any map text holds: refused unread.
    const QByteArray good("#16;17;6400;100;50\n1;2;\n3;4;\n");
    const QString tooLarge = QStringLiteral(" Cannot open file ");
    QTest::newRow("a byte over 1 MiB")
        << good << qint64{(1 << 20) + 1} << tooLarge << QStringLiteral(": 1048577 > 1048576");
    QTest::newRow("64 GiB") << good << (qint64{64} << 30) << tooLarge
                            << QStringLiteral(": 68719476736 > 1048576");
}

void MapFilesTest::textMapWithABadFieldLoadsNothing() {
    QFETCH(QByteArray, content);
    QFETCH(qint64, length);
    QFETCH(QString, message);
    QFETCH(QString, reason);
    gridB->setItem(1, 1, new QTableWidgetItem("7"));
    TChart3D chart;
    host.chart = &chart;
    chart.SetPoint(0, 1, 1, 5);
    writeAll(path("bad.csv"), content);
    if (length > 0 && !QFile::resize(path("bad.csv"), length)) {
        QSKIP("this file system keeps no sparse file that long");
    }
    QVERIFY(!files->OpenCsvFile(path("bad.csv")));
    QFile::remove(path("bad.csv"));
    QCOMPARE(host.errors.size(), 1);
    QVERIFY2(host.errors[0].startsWith(message + "\n" + path("bad.csv") + "\n"),
             qPrintable(host.errors[0]));
    if (!reason.isEmpty()) {
        QVERIFY2(host.errors[0].contains(reason), qPrintable(host.errors[0]));
    }
    QCOMPARE(text(gridB.get(), 1, 1), QStringLiteral("7"));
    QCOMPARE(chart.Value(0, 1, 1), 5.0);
    QCOMPARE(host.portCloses, 0);
    QVERIFY(host.caption.isEmpty());
}

void MapFilesTest::textMapWithSeventeenRowsPerBlock() {
    QString file = "#16;17;6400;100;50\n";
    for (int n = 1; n <= 34; ++n) {
        file += QString::number(n) + ";2,5;\n"; // a comma from a machine set up for Polish
    }
    writeAll(path("17.csv"), file.toUtf8());
    QVERIFY(files->OpenAnyFile(path("17.csv")));
    QCOMPARE(text(gridB.get(), 1, 16), QStringLiteral("16"));
    QCOMPARE(text(gridG.get(), 1, 1), QStringLiteral("18"));
    QCOMPARE(text(gridG.get(), 1, 16), QStringLiteral("33"));
    QCOMPARE(text(gridG.get(), 2, 16), QStringLiteral("2,5"));
}

void MapFilesTest::textMapNumbersReadAsTheLocaleReadsThem_data() {
    QTest::addColumn<QString>("field");
    // One text a field, between "|": signs, separators, spaces, exponents, infinities, other
    // digits and minus signs, and digit runs past what a double holds exactly.
    const QString fields = QString::fromUtf16(
        u"0|7|-0|+0|-25.6|25,4|+3.5|-0,2|007|00.50| 12 |\t-1.5\u00A0|1.|,5|.5|1,5,|1.2.3|1,2.3|"
        u"1,000|1.000|12,345.5|1e3|1E-2|-2.5e+1|1e400|-1e-400|inf|-inf|nan|NaN|Infinity|0x10|"
        u"--1|+-1|- 1|1 000|\u22121|\u2212"
        u"2,5|\uFF11|\u0661\u0662|\u0967|1\u066B5|"
        u"123456789012345|1234567890123456|12345678901234567890|0.000000000000001|"
        u"0,1234567890123456|99999999999999.9|9007199254740993|2.675|0.1|-128|127|"
        u"25.4000000000000|1000000000000000000000000000000000000000000000000000000000000000000|"
        u"|-|+|.|,|a1|1a|\u00E9");
    int n = 0;
    for (const QString& field : fields.split(u'|')) {
        QTest::addRow("%d: \"%s\"", n++, qPrintable(field)) << field;
    }
}

// What the reader converts must be what the user's locale, or failing that the C locale with
// "," read as ".", makes of the same text: the same acceptance and the same double (the sign
// of a zero included), whatever the separators and digits of the locale; a value that is not
// finite is refused.
void MapFilesTest::textMapNumbersReadAsTheLocaleReadsThem() {
    QFETCH(QString, field);
    const QLocale locales[] = {
        QLocale::c(),
        QLocale(QLocale::English, QLocale::UnitedStates),
        QLocale(QLocale::Polish, QLocale::Poland),
        QLocale(QLocale::German, QLocale::Switzerland),
        QLocale(QLocale::French, QLocale::France),
        QLocale(QLocale::Arabic, QLocale::Egypt),
        QLocale(QLocale::Hindi, QLocale::India),
        QLocale(QLocale::Swedish, QLocale::Sweden),
    };
    for (const QLocale& locale : locales) {
        QLocale::setDefault(locale);
        QLocale user;
        user.setNumberOptions(QLocale::RejectGroupSeparator);
        bool expectedOk = false;
        const QString t = field.trimmed();
        double expected = user.toDouble(t, &expectedOk);
        if (!expectedOk) {
            QString c = t;
            c.replace(QLatin1Char(','), QLatin1Char('.'));
            expected = QLocale::c().toDouble(c, &expectedOk);
        }
        // "inf", "nan" and overflowing exponents convert, but are no cell value.
        expectedOk = expectedOk && std::isfinite(expected);
        double value = 0.0;
        const bool ok = CsvMapFile::toNumber(field, &value);
        const QByteArray where = locale.name().toLatin1();
        QVERIFY2(ok == expectedOk, where.constData());
        if (ok) {
            QVERIFY2(value == expected && std::signbit(value) == std::signbit(expected),
                     qPrintable(QStringLiteral("%1: %2 instead of %3")
                                    .arg(locale.name())
                                    .arg(value, 0, 'g', 17)
                                    .arg(expected, 0, 'g', 17)));
        }
    }
}

void MapFilesTest::filesThatAreNoRegularFileAreRefusedUnopened_data() {
    QTest::addColumn<QString>("target"); // relative: made in the test's folder
    QTest::addColumn<QString>("kind");
    QTest::newRow("FIFO named as a map file") << "x.orvx"
                                              << "fifo";
    QTest::newRow("FIFO named as a text map") << "x.csv"
                                              << "fifo";
    QTest::newRow("folder named as a map file") << "d.orvx"
                                                << "folder";
    QTest::newRow("folder named as a text map") << "d.csv"
                                                << "folder";
    QTest::newRow("a device") << "/dev/zero"
                              << "device";
}

// Refused with a message that names the file, and without opening it: a FIFO nobody writes to
// would hold the window in open() for good. A writer standing by opens the FIFO's other end
// the moment a reader waits there, so a reader that opens it is seen (and set free).
void MapFilesTest::filesThatAreNoRegularFileAreRefusedUnopened() {
    QFETCH(QString, target);
    QFETCH(QString, kind);
    const QString file = target.startsWith('/') ? target : path(target);
    if (kind == "fifo") {
        QCOMPARE(::mkfifo(QFile::encodeName(file).constData(), 0600), 0);
    } else if (kind == "folder") {
        QVERIFY(QDir().mkdir(file));
    }
    fillMirror();
    const auto map = host.m.MapTable;
    std::atomic<bool> done{false};
    std::atomic<bool> readerWaited{false};
    std::thread writer([&] {
        while (kind == "fifo" && !done) {
            const int fd = ::open(QFile::encodeName(file).constData(), O_WRONLY | O_NONBLOCK);
            if (fd >= 0) {
                readerWaited = true;
                ::close(fd);
            }
            std::this_thread::yield();
        }
    });
    const bool opened = files->OpenAnyFile(file);
    done = true;
    writer.join();
    QVERIFY(!readerWaited);
    QVERIFY(!opened);
    QCOMPARE(host.errors, QStringList{" Cannot open file \n" + file + "\nNot a regular file."});
    QCOMPARE(host.m.MapTable, map);
    QCOMPARE(host.m.PendingWrites, 0u);
    QCOMPARE(host.portCloses, 0);
}

void MapFilesTest::textMapLineEndsOfEveryKind_data() {
    QTest::addColumn<QStringList>("breaks"); // used in turn
    QTest::newRow("LF") << QStringList{"\n"};
    QTest::newRow("CR LF") << QStringList{"\r\n"};
    QTest::newRow("a lone CR") << QStringList{"\r"};
    QTest::newRow("all three mixed") << QStringList{"\r", "\n", "\r\n"};
}

void MapFilesTest::textMapLineEndsOfEveryKind() {
    QFETCH(QStringList, breaks);
    QString file = "#16;17;6400;100;50";
    for (int n = 1; n <= 32; ++n) {
        file += breaks[n % breaks.size()] + QString::number(n) + ";-2;";
    }
    writeAll(path("ends.csv"), file.toUtf8());
    QVERIFY(files->OpenCsvFile(path("ends.csv")));
    QVERIFY(host.errors.isEmpty());
    QCOMPARE(text(gridB.get(), 1, 1), QStringLiteral("1"));
    QCOMPARE(text(gridB.get(), 1, 16), QStringLiteral("16"));
    QCOMPARE(text(gridG.get(), 1, 1), QStringLiteral("17"));
    QCOMPARE(text(gridG.get(), 1, 16), QStringLiteral("32"));
    QCOMPARE(text(gridG.get(), 2, 16), QStringLiteral("-2"));
}

void MapFilesTest::saveMethodFollowsWhatFolderAndFileAllow_data() {
    QTest::addColumn<bool>("exists");
    QTest::addColumn<bool>("regular");
    QTest::addColumn<bool>("folderWritable");
    QTest::addColumn<bool>("fileWritable");
    QTest::addColumn<MapFile::SaveMethod>("method");
    using M = MapFile::SaveMethod;
    QTest::newRow("new file") << false << false << true << false << M::Replace;
    QTest::newRow("new file, read-only folder") << false << false << false << false << M::Replace;
    QTest::newRow("file, writable folder") << true << true << true << true << M::Replace;
    QTest::newRow("read-only file, writable folder") << true << true << true << false << M::Replace;
    QTest::newRow("file, read-only folder") << true << true << false << true << M::InPlace;
    QTest::newRow("read-only file and folder") << true << true << false << false << M::Replace;
    QTest::newRow("device") << true << false << true << true << M::Device;
    QTest::newRow("device, read-only folder") << true << false << false << true << M::Device;
}

void MapFilesTest::saveMethodFollowsWhatFolderAndFileAllow() {
    QFETCH(bool, exists);
    QFETCH(bool, regular);
    QFETCH(bool, folderWritable);
    QFETCH(bool, fileWritable);
    QFETCH(MapFile::SaveMethod, method);
    MapFile::SaveTarget t;
    t.exists = exists;
    t.regular = regular;
    t.folderWritable = folderWritable;
    t.fileWritable = fileWritable;
    QCOMPARE(MapFile::saveMethod(t), method);
}

void MapFilesTest::replacedFileKeepsItsMode_data() {
    QTest::addColumn<int>("mode");
    QTest::newRow("0444 read-only") << 0444;
    QTest::newRow("0600 private") << 0600;
    QTest::newRow("0640 group reads") << 0640;
    QTest::newRow("0666 everyone writes") << 0666;
}

void MapFilesTest::replacedFileKeepsItsMode() {
    QFETCH(int, mode);
    if ((mode & 0200) == 0 && geteuid() != 0) {
        QSKIP("only root may replace a read-only file");
    }
    fillMirror();
    const QByteArray file = QFile::encodeName(path("mode.orvx"));
    writeAll(path("mode.orvx"), "old");
    QCOMPARE(::chmod(file.constData(), mode_t(mode)), 0);
    QVERIFY(files->SaveMapFile(path("mode.orvx")));
    QCOMPARE(readAll(path("mode.orvx")).size(), 320);
    struct stat st {};
    QCOMPARE(::stat(file.constData(), &st), 0);
    QCOMPARE(int(st.st_mode & 07777), mode);
}

// Root writes into any folder, so the read-only folder is the method chosen here; a user who
// is not root also sees the decision made for a real read-only folder.
void MapFilesTest::inPlaceSaveKeepsACopyOfTheOldFileFirst() {
    const QByteArray old = QByteArray("the map before the save ").repeated(40);
    writeAll(path("keep.orvx"), old);
    struct stat before {};
    QCOMPARE(::stat(QFile::encodeName(path("keep.orvx")).constData(), &before), 0);
    const QByteArray content(320, '\x07');
    QCOMPARE(MapFile::saveWhole(path("keep.orvx"), content, MapFile::SaveMethod::InPlace),
             QString());
    QCOMPARE(readAll(path("keep.orvx")), content); // the longer old content is cut off
    struct stat after {};
    QCOMPARE(::stat(QFile::encodeName(path("keep.orvx")).constData(), &after), 0);
    QCOMPARE(after.st_ino, before.st_ino); // the same file, written where it is
    const QDir backups(MapBackup::folder());
    const QStringList copies = backups.entryList({"*_keep.orvx"}, QDir::Files);
    QCOMPARE(copies.size(), 1);
    QCOMPARE(readAll(backups.filePath(copies[0])), old);

    if (geteuid() != 0) {
        QVERIFY(QDir(dir.path()).mkdir("ro"));
        writeAll(path("ro/keep.orvx"), old);
        QVERIFY(QFile::setPermissions(path("ro"), QFile::ReadOwner | QFile::ExeOwner));
        fillMirror();
        const bool saved = files->SaveMapFile(path("ro/keep.orvx"));
        QFile::setPermissions(path("ro"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QVERIFY(saved);
        QCOMPARE(readAll(path("ro/keep.orvx")).size(), 320);
        QCOMPARE(backups.entryList({"*_keep.orvx"}, QDir::Files).size(), 2);
    }
}

QTEST_MAIN(MapFilesTest)
#include "tst_mapfiles.moc"

void MapFilesTest::openedMapFileAsksWithItsDifferenceFirst_data() {
    QTest::addColumn<quint32>("fileDevice");
    QTest::addColumn<bool>("answer");
    QTest::addColumn<QString>("note");
    QTest::addColumn<qint64>("size");     // of the file; beyond 320 bytes it is sparse
    QTest::addColumn<bool>("yesDefault"); // of the question
    QTest::newRow("same controller, yes")
        << quint32(0x01020304) << true << QString() << qint64(320) << true;
    QTest::newRow("same controller, no")
        << quint32(0x01020304) << false << QString() << qint64(320) << true;
    QTest::newRow("another controller")
        << quint32(0x01020905) << true << QStringLiteral("Other controller 1.2.9.5, this 1.2.3.4.")
        << qint64(320) << false;
    QTest::newRow("file of no controller")
        << quint32(0) << false << QString() << qint64(320) << true;
    QTest::newRow("one byte longer")
        << quint32(0x01020304) << true << QStringLiteral("321 bytes, map file 320.") << qint64(321)
        << false;
    QTest::newRow("1 GiB, no") << quint32(0x01020304) << false
                               << QStringLiteral("1073741824 bytes, map file 320.")
                               << (qint64(1) << 30) << false;
}

void MapFilesTest::openedMapFileAsksWithItsDifferenceFirst() {
    QFETCH(quint32, fileDevice);
    QFETCH(bool, answer);
    QFETCH(QString, note);
    QFETCH(qint64, size);
    QFETCH(bool, yesDefault);
    host.m.MapTable.fill(0);
    host.m.DeviceId = 0x01020304;
    host.m.IdentityState = -1;
    host.answer = answer;
    // Three cells differ: +2, -7 and +5 steps (-1.4 degrees is the largest change).
    QByteArray file(320, '\0');
    file[32] = char(fileDevice >> 24);
    file[33] = char(fileDevice >> 16);
    file[34] = char(fileDevice >> 8);
    file[35] = char(fileDevice);
    file[40] = 1;
    file[48 + 1 * 17 + 1] = 2;
    file[48 + 4 * 17 + 9] = char(-7);
    file[48 + 15 * 17 + 16] = 5;
    file[48 + 0 * 17 + 3] = 9; // column 0 is carried along, not a cell
    writeAll(path("known.orvx"), file);
    {
        QFile longer(path("known.orvx"));
        QVERIFY(longer.resize(size)); // what follows the map file is never read
    }
    const auto controllerMap = host.m.MapTable;

    QVERIFY(files->OpenMapFile(path("known.orvx")));
    QCOMPARE(host.questions.size(), 1);
    QVERIFY2(host.questions[0].startsWith(QStringLiteral("3 cells differ, largest 1.4.")),
             qPrintable(host.questions[0]));
    QCOMPARE(host.questions[0].contains(QStringLiteral("Other controller")),
             note.startsWith(QStringLiteral("Other")));
    if (!note.isEmpty()) {
        QVERIFY2(host.questions[0].contains(note), qPrintable(host.questions[0]));
    }
    QCOMPARE(host.yesDefaults, QList<bool>{yesDefault});
    // Either way the grid shows the file.
    QCOMPARE(text(gridMapa.get(), 4, 9), QStringLiteral("-1.4"));
    QCOMPARE(int(qint8(host.m.MapTable[4 * 17 + 9])), -7);
    QCOMPARE(host.m.PendingWrites & 0x2000u, answer ? 0x2000u : 0u);
    QCOMPARE(editor->showsUnwrittenFile(), !answer);
    if (!answer) {
        QCOMPARE(editor->shownFileName(), QStringLiteral("known.orvx"));
        QCOMPARE(host.m.IdentityState, -1); // nothing read again either
        // A write acknowledgement that comes late holds the controller's cell: it is kept as
        // the controller's, while MapTable and the grid keep the file.
        const int cell = MapCells::cellAt(4, 9);
        host.m.RxBuffer.fill(0);
        host.m.RxBuffer[0] = 1;
        host.m.RxBuffer[1] = 0x01;
        host.m.RxBuffer[2] = quint8(cell);
        host.m.RxBuffer[std::size_t(3 + cell)] = 3;
        const MapUpdate ack = MapDecoder::DecodeAcknowledgement(host.m, 3 + cell + 2);
        QCOMPARE(ack.cells.size(), 1);
        QVERIFY(editor->controllerCellsAcknowledged(ack));
        QCOMPARE(int(qint8(host.m.MapTable[4 * 17 + 9])), -7);
        QCOMPARE(int(editor->controllerMap()[4 * 17 + 9]), 3);
        QCOMPARE(text(gridMapa.get(), 4, 9), QStringLiteral("-1.4"));
        // An edit of the shown file is not written; writing it sends the whole map.
        gridMapa->setCurrentCell(2, 2);
        editor->StepSelectedCells(true);
        QCOMPARE(host.m.PendingWrites & 0x2000u, 0u);
        editor->writeShownMap();
        QCOMPARE(host.m.PendingWrites & 0x2000u, 0x2000u);
        QCOMPARE(host.m.MapWriteFirst, 0);
        QCOMPARE(host.m.MapWriteLast, 239);
        QVERIFY(!editor->showsUnwrittenFile());
        QVERIFY(!editor->controllerCellsAcknowledged(ack)); // the grid is the controller's again
    }
    // The controller's map not read yet (a file named on the command line): no question and
    // no write; the file is shown as not written until the controller's map is read, then
    // offered against that map.
    host.questions.clear();
    host.m.PendingWrites = 0;
    host.editable = false;
    host.m.MapTable = controllerMap;
    QVERIFY(files->OpenMapFile(path("known.orvx")));
    QVERIFY(host.questions.isEmpty());
    QCOMPARE(host.m.PendingWrites & 0x2000u, 0u);
    QVERIFY(editor->showsUnwrittenFile());
    editor->offerUnwrittenWhenReady();
    QVERIFY(host.questions.isEmpty()); // nothing to offer against yet
    // The controller's map arrives: one of the file's cells is what it holds already.
    host.editable = true;
    host.m.MapTable = controllerMap;
    host.m.MapTable[1 * 17 + 1] = 2;
    editor->controllerMapRead();
    QCOMPARE(int(qint8(host.m.MapTable[4 * 17 + 9])), -7); // the grid keeps the file
    editor->offerUnwrittenWhenReady();
    QCOMPARE(host.questions.size(), 1);
    QVERIFY2(host.questions[0].startsWith(QStringLiteral("2 cells differ, largest 1.4.")),
             qPrintable(host.questions[0]));
    // Offered later, the file is as risky as it was when opened.
    QVERIFY(note.isEmpty() || host.questions[0].contains(note));
    QCOMPARE(host.yesDefaults.last(), yesDefault);
    QCOMPARE(host.m.PendingWrites & 0x2000u, answer ? 0x2000u : 0u);
    QCOMPARE(editor->showsUnwrittenFile(), !answer);
    editor->offerUnwrittenWhenReady();
    QCOMPARE(host.questions.size(), 1); // asked once
}
