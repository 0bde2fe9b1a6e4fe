// The Windows programs against the simulator, under Wine (scripts/test-windows): orvex-flash.exe
// programs an image through the boot loader byte for byte, and orvex.exe polls the controller
// live, stores its port and language in the registry when it closes and opens that port again
// at its next start. The simulators run on Linux pseudo-terminals mapped as COM ports; the
// environment names them (skipped without it).
#include "GeneratedImages.h"

#include <QtTest>

#include <windows.h>

namespace {

QString env(const char* name) {
    return qEnvironmentVariable(name);
}

// Requests the simulator has logged so far ("Rx" lines).
int loggedRequests(const QString& logPath) {
    QFile log(logPath);
    if (!log.open(QIODevice::ReadOnly)) {
        return 0;
    }
    return int(log.readAll().count("  Rx  "));
}

bool readDword(const wchar_t* name, DWORD& value) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\Merka\\Durorude", 0, KEY_READ, &key) !=
        ERROR_SUCCESS) {
        return false;
    }
    DWORD type = 0;
    DWORD size = sizeof value;
    const bool ok = RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&value),
                                     &size) == ERROR_SUCCESS &&
                    type == REG_DWORD;
    RegCloseKey(key);
    return ok;
}

// The window program on the display (Wine's own windows, so that closing it is a user's close).
void startWindow(QProcess& program, const QStringList& arguments) {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("windows"));
    program.setProcessEnvironment(environment);
    program.start(QStringLiteral(ORVEX_EXE), arguments);
}

} // namespace

class WindowsEndToEndTest : public QObject {
    Q_OBJECT
private slots:
    void flashProgramsTheImageByteForByte() {
        const QString com = env("ORVEX_TEST_FLASH_COM");
        const QString imageOut = env("ORVEX_TEST_FLASH_IMAGE_OUT");
        if (com.isEmpty() || imageOut.isEmpty()) {
            QSKIP("no simulator for programming (ORVEX_TEST_FLASH_COM)");
        }
        QTemporaryDir folder;
        const QString imagePath = folder.filePath(QStringLiteral("1320.bin"));
        QFile imageFile(imagePath);
        QVERIFY(imageFile.open(QIODevice::WriteOnly));
        const QByteArray image = GeneratedImages::Image(1320);
        imageFile.write(image);
        imageFile.close();

        QProcess flash;
        flash.setProcessChannelMode(QProcess::MergedChannels);
        flash.start(QStringLiteral(ORVEX_FLASH_EXE),
                    {QStringLiteral("--device"), com, QStringLiteral("--image"),
                     QDir::toNativeSeparators(imagePath), QStringLiteral("--yes")});
        QVERIFY(flash.waitForStarted(30000));
        const bool finished = flash.waitForFinished(180000);
        const QByteArray said = flash.readAll();
        QVERIFY2(finished, said.constData());
        QVERIFY2(flash.exitCode() == 0, said.constData());
        // What the boot loader received: the image, then the empty rest of its 584 blocks.
        QTRY_VERIFY_WITH_TIMEOUT(QFileInfo(imageOut).size() > 0, 10000);
        QFile received(imageOut);
        QVERIFY(received.open(QIODevice::ReadOnly));
        QCOMPARE(received.readAll(), image + QByteArray(584 * 16 - image.size(), '\0'));
    }

    void windowPollsLiveStoresItsPortAndOpensItAgain() {
        const QString com = env("ORVEX_TEST_LIVE_COM");
        const QString log = env("ORVEX_TEST_LIVE_LOG");
        if (com.isEmpty() || log.isEmpty()) {
            QSKIP("no simulator for the window (ORVEX_TEST_LIVE_COM)");
        }
        RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Merka");
        {
            QProcess window;
            startWindow(window, {QStringLiteral("--device"), com});
            QVERIFY(window.waitForStarted(30000));
            const int before = loggedRequests(log);
            QTRY_VERIFY_WITH_TIMEOUT(loggedRequests(log) >= before + 20, 60000);
            window.terminate(); // WM_CLOSE: the window closes as by the user
            QVERIFY(window.waitForFinished(30000));
        }
        DWORD comm = 0;
        DWORD lang = 99;
        QVERIFY(readDword(L"Comm", comm));
        QVERIFY(readDword(L"Lang", lang));
        QCOMPARE(comm, DWORD(com.mid(3).toUInt()));
        QCOMPARE(lang, DWORD(0));
        // The next start opens the stored port by itself.
        QProcess window;
        startWindow(window, {});
        QVERIFY(window.waitForStarted(30000));
        const int before = loggedRequests(log);
        QTRY_VERIFY_WITH_TIMEOUT(loggedRequests(log) >= before + 20, 60000);
        window.terminate();
        QVERIFY(window.waitForFinished(30000));
    }
};

QTEST_MAIN(WindowsEndToEndTest)
#include "tst_WindowsEndToEnd.moc"
