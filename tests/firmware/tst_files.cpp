// Looking up firmware images in the firmware folders and refusing files of the wrong size.
#include "FirmwareCatalogue.h"
#include "FirmwareFiles.h"
#include "GeneratedImages.h"

#include <QtTest>

#ifndef Q_OS_WIN
#include <sys/stat.h>
#endif

namespace {
void writeFile(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).path());
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}
} // namespace

class FilesTest : public QObject {
    Q_OBJECT
private slots:
    void cleanup() {
        FirmwareFiles::SetSessionFolder({});
        qunsetenv("ORVEX_FIRMWARE_DIR");
    }
    void theFirstFolderHoldingTheImageWins();
    void filesOfTheWrongSizeAreRefusedNamingTheFile_data();
    void filesOfTheWrongSizeAreRefusedNamingTheFile();
    void aMissingImageSaysWhereItWasLookedFor();
    void aNamedFileThatCannotBeReadSaysWhy_data();
    void aNamedFileThatCannotBeReadSaysWhy();
    void everyCatalogueIdIsCoveredOnce();
};

void FilesTest::theFirstFolderHoldingTheImageWins() {
    QTemporaryDir session, env;
    const QString user =
        QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + "/Orvex/firmware";
    writeFile(user + "/1320.bin", GeneratedImages::Image(1));
    writeFile(env.path() + "/1320.bin", GeneratedImages::Image(2));
    writeFile(session.path() + "/1320.bin", GeneratedImages::Image(3));

    QCOMPARE(FirmwareFiles::Load(1320).bytes, GeneratedImages::Image(1)); // the user's folder
    qputenv("ORVEX_FIRMWARE_DIR", env.path().toLocal8Bit());
    QCOMPARE(FirmwareFiles::Load(1320).bytes, GeneratedImages::Image(2));
    FirmwareFiles::SetSessionFolder(session.path());
    const FirmwareFiles::Loaded l = FirmwareFiles::Load(1320);
    QCOMPARE(l.status, FirmwareFiles::Loaded::Ok);
    QCOMPARE(l.bytes, GeneratedImages::Image(3));
    QCOMPARE(l.path, session.path() + "/1320.bin");
    writeFile(session.path() + "/1.bin", GeneratedImages::Image(1)); // the smallest id there is
    QCOMPARE(FirmwareFiles::Load(1).bytes, GeneratedImages::Image(1));
    QFile::remove(user + "/1320.bin");
    QCOMPARE(FirmwareFiles::Load(1321).status, FirmwareFiles::Loaded::Missing);
}

void FilesTest::filesOfTheWrongSizeAreRefusedNamingTheFile_data() {
    QTest::addColumn<int>("size");
    QTest::newRow("empty") << 0;
    QTest::newRow("one byte short") << 8831;
    QTest::newRow("one byte more") << 8833;
    QTest::newRow("the loader's whole area") << 16384;
    QTest::newRow("beyond it") << 100000;
}

void FilesTest::filesOfTheWrongSizeAreRefusedNamingTheFile() {
    QFETCH(int, size);
    QTemporaryDir dir;
    FirmwareFiles::SetSessionFolder(dir.path());
    writeFile(dir.path() + "/1310.bin", QByteArray(size, 'x'));
    const FirmwareFiles::Loaded l = FirmwareFiles::Load(1310);
    QCOMPARE(l.status, FirmwareFiles::Loaded::WrongSize);
    QVERIFY(l.bytes.isEmpty());
    QCOMPARE(l.size, qint64(size));
    QVERIFY(FirmwareFiles::Describe(l).contains(dir.path() + "/1310.bin"));
    QVERIFY(FirmwareFiles::Describe(l).contains(QString::number(size) + " bytes"));
}

void FilesTest::aMissingImageSaysWhereItWasLookedFor() {
    QTemporaryDir dir;
    FirmwareFiles::SetSessionFolder(dir.path());
    const FirmwareFiles::Loaded l = FirmwareFiles::Load(13412);
    QCOMPARE(l.status, FirmwareFiles::Loaded::Missing);
    const QString text = FirmwareFiles::Describe(l);
    QVERIFY(text.contains("13412.bin"));
    QVERIFY(text.contains(dir.path()));
    QVERIFY(text.contains("Orvex/firmware"));
    QCOMPARE(FirmwareFiles::Load(0).status, FirmwareFiles::Loaded::Missing);
}

void FilesTest::aNamedFileThatCannotBeReadSaysWhy_data() {
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("why");
    // The system's own words for a missing file (they differ between the systems).
    QFile missing(QStringLiteral("no-such-image.bin"));
    missing.open(QIODevice::ReadOnly);
    QTest::newRow("missing") << "missing" << missing.errorString();
    QTest::newRow("a folder") << "folder"
                              << "not a regular file";
    QTest::newRow("a FIFO") << "fifo"
                            << "not a regular file";
}

// A path given on the command line is no installed image to look for: the message names the
// path and the reason, not the firmware folders. A FIFO is refused without being opened (the
// open would wait for a writer).
void FilesTest::aNamedFileThatCannotBeReadSaysWhy() {
    QFETCH(QString, kind);
    QFETCH(QString, why);
    QTemporaryDir dir;
    QString path = dir.filePath("1320.bin");
    if (kind == "folder") {
        QVERIFY(QDir().mkdir(path));
    } else if (kind == "fifo") {
#ifdef Q_OS_WIN
        path = QStringLiteral("NUL"); // Windows has no FIFO in a folder: a device name instead
#else
        QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
#endif
    }
    const FirmwareFiles::Loaded l = FirmwareFiles::LoadFile(path);
    QCOMPARE(l.status, FirmwareFiles::Loaded::Unreadable);
    QVERIFY(l.bytes.isEmpty());
    const QString text = FirmwareFiles::Describe(l);
    QVERIFY2(text.startsWith("cannot read " + path + ": " + why), qPrintable(text));
    QVERIFY(!text.contains("not installed"));
}

void FilesTest::everyCatalogueIdIsCoveredOnce() {
    QList<int> ids = FirmwareCatalogue::AllImageIds();
    std::sort(ids.begin(), ids.end());
    const QList<int> expected{1310,  1311,  1312,  1313,  1318,  1320,  1321,  1322,
                              1323,  1328,  1330,  1331,  1332,  1333,  1338,  1340,
                              1341,  1342,  1343,  1348,  13110, 13111, 13112, 13210,
                              13211, 13212, 13310, 13311, 13312, 13410, 13411, 13412};
    QCOMPARE(ids, expected);
    QTemporaryDir dir;
    QVERIFY(GeneratedImages::Install(dir.path(), ids));
    FirmwareFiles::SetSessionFolder(dir.path());
    for (int id : ids)
        QCOMPARE(FirmwareFiles::Load(id).bytes, GeneratedImages::Image(id));
    QVERIFY(GeneratedImages::Image(1310) != GeneratedImages::Image(1311));
}

QTEST_GUILESS_MAIN(FilesTest)
#include "tst_files.moc"
