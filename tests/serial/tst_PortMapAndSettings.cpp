// COM numbers for Linux devices, and the stored port and language.
#include "ComPortMap.h"
#include "PersistedSettings.h"

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>

namespace {

void touch(const QString& path, const QByteArray& content = QByteArray()) {
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(content);
}

QString settingsFile() {
    return QSettings("Merka", "Durorude").fileName();
}

void writeSettingsFile(const QByteArray& text) {
    QFile::remove(settingsFile());
    if (text.isNull()) {
        return;
    }
    touch(settingsFile(), text);
}

// The bytes of a literal that has a NUL inside.
template <std::size_t N>
QByteArray withNul(const char (&text)[N]) {
    return QByteArray(text, qsizetype(N - 1));
}

} // namespace

class PortMapAndSettingsTest : public QObject {
    Q_OBJECT
private:
    QTemporaryDir root;
    QString dev() const { return root.path() + "/dev"; }
    QString sys() const { return root.path() + "/sys"; }

private slots:
    void init() {
        QVERIFY(root.isValid());
        QDir(root.path()).removeRecursively();
        QDir().mkpath(dev());
        QDir().mkpath(sys());
        writeSettingsFile(QByteArray());
        ComPortMap::ClearSessionDevices();
        ComPortMap::SetRoots(dev(), sys());
    }

    void familiesAreNumberedInOrderUpToTheirFirstGap() {
        for (const char* name : {"ttyS0", "ttyS1", "ttyUSB0", "ttyUSB1", "ttyACM0", "ttyACM2"}) {
            touch(dev() + "/" + name);
        }
        const auto entries = ComPortMap::Scan(dev(), sys());
        QStringList got;
        for (const auto& e : entries) {
            got << QString("%1=%2").arg(e.number).arg(QFileInfo(e.path).fileName());
        }
        QCOMPARE(got, QStringList({"1=ttyS0", "2=ttyS1", "3=ttyUSB0", "4=ttyUSB1", "5=ttyACM0"}));
    }

    void overridesKeepTheirNumbersAndOthersTakeTheLowestFree() {
        for (const char* name : {"ttyS0", "ttyUSB0", "ttyUSB1"}) {
            touch(dev() + "/" + name);
        }
        touch(root.path() + "/by-id/cable");
        writeSettingsFile("[Ports]\nCOM1=" + (root.path() + "/by-id/cable").toUtf8() +
                          "\nCOM3=\nCOM9=" + (dev() + "/ttyUSB1").toUtf8() + "\n");
        QStringList got;
        for (const auto& e : ComPortMap::Scan(dev(), sys())) {
            got << QString("%1=%2").arg(e.number).arg(QFileInfo(e.path).fileName());
        }
        // COM3 is kept free by its empty value; ttyUSB1 is named by COM9 only, never twice.
        QCOMPARE(got, QStringList({"1=cable", "2=ttyS0", "4=ttyUSB0", "9=ttyUSB1"}));
    }

    void overrideKeysOutsideCom1ToCom1023AreIgnored_data() {
        QTest::addColumn<QByteArray>("key");
        QTest::addColumn<int>("number"); // 0: ignored
        QTest::newRow("COM1") << QByteArray("COM1") << 1;
        QTest::newRow("COM1023") << QByteArray("COM1023") << 1023;
        QTest::newRow("lower case") << QByteArray("com12") << 12;
        QTest::newRow("COM0") << QByteArray("COM0") << 0;
        QTest::newRow("COM1024") << QByteArray("COM1024") << 0;
        QTest::newRow("COM-5") << QByteArray("COM-5") << 0;
        QTest::newRow("no number") << QByteArray("COM") << 0;
        QTest::newRow("not COM") << QByteArray("TTY5") << 0;
        QTest::newRow("letters after the number") << QByteArray("COM5x") << 0;
    }
    void overrideKeysOutsideCom1ToCom1023AreIgnored() {
        QFETCH(QByteArray, key);
        QFETCH(int, number);
        touch(root.path() + "/by-id/cable");
        writeSettingsFile("[Ports]\n" + key + "=" + (root.path() + "/by-id/cable").toUtf8() + "\n");
        const auto entries = ComPortMap::Scan(dev(), sys());
        if (number == 0) {
            QVERIFY(entries.isEmpty());
        } else {
            QCOMPARE(entries.size(), 1);
            QCOMPARE(entries.first().number, number);
        }
    }

    void onlySerialNodesWithAUartBehindThemArePresent() {
        for (const char* name : {"ttyS0", "ttyS1", "ttyS2", "ttyUSB0"}) {
            touch(dev() + "/" + name);
        }
        touch(sys() + "/ttyS0/type", "4\n");
        touch(sys() + "/ttyS1/type", "0\n");
        // ttyS2 has no type file: nothing says it is empty, so it is offered.
        writeSettingsFile("[Ports]\nCOM7=/nowhere/gone\n");
        QCOMPARE(ComPortMap::PresentNumbers(), QList<int>({1, 3, 4}));
        QCOMPARE(ComPortMap::DevicePath(2), dev() + "/ttyS1");
        QCOMPARE(ComPortMap::DevicePath(7), QString("/nowhere/gone"));
        QCOMPARE(ComPortMap::DevicePath(8), QString());
    }

    void sessionDeviceTakesTheLowestFreeNumberOnceAndIsNotStored() {
        touch(dev() + "/ttyS0");
        writeSettingsFile("[Ports]\nCOM2=\n");
        const QString pty = root.path() + "/pts/4";
        touch(pty);
        const int n = ComPortMap::AddSessionDevice(pty);
        QCOMPARE(n, 3);
        QCOMPARE(ComPortMap::AddSessionDevice(pty), 3);
        QVERIFY(ComPortMap::IsSessionNumber(3));
        QVERIFY(!ComPortMap::IsSessionNumber(1));
        QCOMPARE(ComPortMap::DevicePath(3), pty);
        QVERIFY(!QSettings("Merka", "Durorude").childGroups().isEmpty());
        QSettings settings("Merka", "Durorude");
        QVERIFY(!settings.contains("Ports/COM3"));
        // A device that shows up later does not take the session's number.
        touch(dev() + "/ttyUSB0");
        QCOMPARE(ComPortMap::DevicePath(4), dev() + "/ttyUSB0");
    }

    void windowsDeviceNameSwitchesToTheLongFormAtNine_data() {
        QTest::addColumn<int>("port");
        QTest::addColumn<QString>("name");
        QTest::newRow("1") << 1 << "COM1";
        QTest::newRow("8") << 8 << "COM8";
        QTest::newRow("9") << 9 << "\\\\.\\COM9";
        QTest::newRow("12") << 12 << "\\\\.\\COM12";
    }
    void windowsDeviceNameSwitchesToTheLongFormAtNine() {
        QFETCH(int, port);
        QFETCH(QString, name);
        QCOMPARE(ComPortMap::WindowsDeviceName(port), name);
    }

    void storedValuesAreReadInOrderAndTheFirstBadOneEndsTheReading_data() {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<int>("comm");
        QTest::addColumn<int>("lang");
        QTest::newRow("no file") << QByteArray() << 1 << 0;
        QTest::newRow("both") << QByteArray("[General]\nComm=5\nLang=2\n") << 5 << 2;
        QTest::newRow("ftdi port") << QByteArray("[General]\nComm=1025\nLang=4\n") << 1025 << 4;
        QTest::newRow("lang without comm") << QByteArray("[General]\nLang=2\n") << 1 << 0;
        QTest::newRow("comm not a number") << QByteArray("[General]\nComm=abc\nLang=2\n") << 1 << 0;
        // A number is a number: a port below 1 is the opener's to fix, and the language after it
        // is still read.
        QTest::newRow("comm zero") << QByteArray("[General]\nComm=0\nLang=2\n") << 0 << 2;
        QTest::newRow("comm negative") << QByteArray("[General]\nComm=-3\nLang=4\n") << -3 << 4;
        QTest::newRow("comm past 32 bits")
            << QByteArray("[General]\nComm=99999999999\nLang=2\n") << 1 << 0;
        QTest::newRow("lang naming no language")
            << QByteArray("[General]\nComm=3\nLang=9\n") << 3 << 9;
        QTest::newRow("lang a list") << QByteArray("[General]\nComm=3\nLang=1, 2\n") << 3 << 0;
        QTest::newRow("garbage file") << QByteArray("\x01\x02garbage\n==\n[") << 1 << 0;
        QTest::newRow("good values before a broken line")
            << QByteArray("[General]\nComm=5\nLang=2\n\x01\x02=\n[broken") << 5 << 2;
        QTest::newRow("binary junk after good lines")
            << withNul("Comm=6\nLang=1\n\xff\xfe\x00\x01junk\n[[[\n") << 6 << 1;
        QTest::newRow("broken group header between the values")
            << QByteArray("[General]\nComm=4\n[Ports\nLang=3\n") << 4 << 0;
    }
    void storedValuesAreReadInOrderAndTheFirstBadOneEndsTheReading() {
        QFETCH(QByteArray, file);
        QFETCH(int, comm);
        QFETCH(int, lang);
        writeSettingsFile(file);
        const auto values = PersistedSettings::Read();
        QCOMPARE(values.Comm, comm);
        QCOMPARE(values.Lang, lang);
    }

    void readingNeverCreatesTheFileAndWritingStoresBoth() {
        QFile::remove(settingsFile());
        (void)PersistedSettings::Read();
        QVERIFY(!QFile::exists(settingsFile()));
        QVERIFY(PersistedSettings::Write(1026, 2));
        QVERIFY(QFile::exists(settingsFile()));
        const auto values = PersistedSettings::Read();
        QCOMPARE(values.Comm, 1026);
        QCOMPARE(values.Lang, 2);
    }

    void writingOverADamagedFileStoresBoth() {
        writeSettingsFile(withNul("Comm=6\n\xff\xfe\x00\x01junk\n[[[\n"));
        QVERIFY(PersistedSettings::Write(9, 3));
        const auto values = PersistedSettings::Read();
        QCOMPARE(values.Comm, 9);
        QCOMPARE(values.Lang, 3);
    }

    // Root ignores permission bits, so the store is made unwritable by its shape.
    void writingWhereTheStoreCannotBeReportsFailure_data() {
        QTest::addColumn<bool>("folderIsAFile");
        QTest::newRow("settings folder is a file") << true;
        QTest::newRow("settings file is a folder") << false;
    }
    void writingWhereTheStoreCannotBeReportsFailure() {
        QFETCH(bool, folderIsAFile);
        const QString file = settingsFile();
        const QString folder = QFileInfo(file).path();
        QDir(folder).removeRecursively();
        if (folderIsAFile) {
            touch(folder, "not a folder");
        } else {
            QVERIFY(QDir().mkpath(file));
        }
        QVERIFY(!PersistedSettings::Write(4, 1));
        QFile::remove(folder);
        QDir(folder).removeRecursively();
    }

    void writingKeepsThePortOverrides() {
        writeSettingsFile("[Ports]\nCOM7=/dev/serial/by-id/cable\n");
        QVERIFY(PersistedSettings::Write(7, 0));
        QSettings settings("Merka", "Durorude");
        QCOMPARE(settings.value("Ports/COM7").toString(), QString("/dev/serial/by-id/cable"));
        QCOMPARE(settings.value("Comm").toInt(), 7);
    }
};

QTEST_MAIN(PortMapAndSettingsTest)
#include "tst_PortMapAndSettings.moc"
