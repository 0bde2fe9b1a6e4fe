// The Win32 COM-port component, port list and stored values. The line tests need a COM port
// with the simulator behind it: ORVEX_TEST_COM names it (scripts/test-windows maps COM7 to
// orvex-sim's pseudo-terminal in a throw-away Wine prefix); without it they are skipped.
#include "ComPortMap.h"
#include "OpenErrorText.h"
#include "PersistedSettings.h"
#include "TCoreComm.h"
#include "TMySerial.h"

#include <QtTest>

#include <windows.h>

namespace {

QString testPort() {
    return qEnvironmentVariable("ORVEX_TEST_COM");
}

const QByteArray kLiveRequest = QByteArray::fromHex("5500505B");

// HARDWARE\... lives only while the system runs: its keys are volatile.
HKEY openKey(HKEY root, const wchar_t* path, DWORD options = REG_OPTION_NON_VOLATILE) {
    HKEY key = nullptr;
    if (RegCreateKeyExW(root, path, 0, nullptr, options, KEY_ALL_ACCESS, nullptr, &key, nullptr) !=
        ERROR_SUCCESS) {
        return nullptr;
    }
    return key;
}

void setDword(HKEY key, const wchar_t* name, DWORD value) {
    RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
}

void setString(HKEY key, const wchar_t* name, const QString& value) {
    const std::wstring text = value.toStdWString();
    RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                   static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
}

} // namespace

class Win32ComPortTest : public QObject {
    Q_OBJECT
private slots:
    void init() { RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Merka"); }

    // The stored values: DWORDs, read in order, the first that cannot be read ends the reading.
    void storedValuesFollowTheReadRule_data() {
        QTest::addColumn<QString>("comm"); // "" missing, "d:N" a DWORD, "s:T" a string
        QTest::addColumn<QString>("lang");
        QTest::addColumn<int>("wantComm");
        QTest::addColumn<int>("wantLang");
        QTest::newRow("both DWORDs") << "d:7"
                                     << "d:1" << 7 << 1;
        QTest::newRow("adapter port") << "d:1024"
                                      << "d:2" << 1024 << 2;
        QTest::newRow("no Comm: Lang is not read") << ""
                                                   << "d:1" << 1 << 0;
        QTest::newRow("Comm as text ends the reading") << "s:7"
                                                       << "d:1" << 1 << 0;
        QTest::newRow("Lang as text keeps Comm") << "d:5"
                                                 << "s:1" << 5 << 0;
        QTest::newRow("Comm only") << "d:3"
                                   << "" << 3 << 0;
    }
    void storedValuesFollowTheReadRule() {
        QFETCH(QString, comm);
        QFETCH(QString, lang);
        QFETCH(int, wantComm);
        QFETCH(int, wantLang);
        HKEY key = openKey(HKEY_CURRENT_USER, L"Software\\Merka\\Durorude");
        QVERIFY(key != nullptr);
        auto put = [key](const wchar_t* name, const QString& spec) {
            if (spec.startsWith("d:")) {
                setDword(key, name, spec.mid(2).toUInt());
            } else if (spec.startsWith("s:")) {
                setString(key, name, spec.mid(2));
            }
        };
        put(L"Comm", comm);
        put(L"Lang", lang);
        RegCloseKey(key);
        const PersistedSettings::Values values = PersistedSettings::Read();
        QCOMPARE(values.Comm, wantComm);
        QCOMPARE(values.Lang, wantLang);
    }

    void noKeyGivesTheDefaultsAndCreatesNothing() {
        const PersistedSettings::Values values = PersistedSettings::Read();
        QCOMPARE(values.Comm, 1);
        QCOMPARE(values.Lang, 0);
        HKEY key = nullptr;
        QCOMPARE(RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\Merka\\Durorude", 0, KEY_READ, &key),
                 LONG(ERROR_FILE_NOT_FOUND));
    }

    void writeStoresDwordsUnderTheKey() {
        QVERIFY(PersistedSettings::Write(9, 1));
        HKEY key = nullptr;
        QCOMPARE(RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\Merka\\Durorude", 0, KEY_READ, &key),
                 LONG(ERROR_SUCCESS));
        for (const auto& [name, want] : {std::pair{L"Comm", 9u}, std::pair{L"Lang", 1u}}) {
            DWORD type = 0;
            DWORD value = 0;
            DWORD size = sizeof value;
            QCOMPARE(
                RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size),
                LONG(ERROR_SUCCESS));
            QCOMPARE(type, DWORD(REG_DWORD));
            QCOMPARE(value, DWORD(want));
        }
        RegCloseKey(key);
        const PersistedSettings::Values values = PersistedSettings::Read();
        QCOMPARE(values.Comm, 9);
        QCOMPARE(values.Lang, 1);
    }

    // The port list: the registry's order, the number after the first three characters.
    void portListTakesTheRegistryOrderAndItsNumbers() {
        HKEY key =
            openKey(HKEY_LOCAL_MACHINE, L"HARDWARE\\DEVICEMAP\\SERIALCOMM", REG_OPTION_VOLATILE);
        if (key == nullptr) {
            QSKIP("the port list cannot be written here (needs the test's Wine prefix)");
        }
        // Ours are added after whatever the system listed; their order must be kept.
        std::vector<std::wstring> names;
        wchar_t name[256];
        for (DWORD i = 0;; ++i) {
            DWORD length = 256;
            if (RegEnumValueW(key, i, name, &length, nullptr, nullptr, nullptr, nullptr) !=
                ERROR_SUCCESS) {
                break;
            }
            names.emplace_back(name, length);
        }
        for (const std::wstring& n : names) {
            RegDeleteValueW(key, n.c_str());
        }
        setString(key, L"\\Device\\OrvexA", QStringLiteral("COM12"));
        setString(key, L"\\Device\\OrvexB", QStringLiteral("COM3"));
        setString(key, L"\\Device\\OrvexC", QStringLiteral("COMX"));
        const QList<int> present = ComPortMap::PresentNumbers();
        RegDeleteValueW(key, L"\\Device\\OrvexA");
        RegDeleteValueW(key, L"\\Device\\OrvexB");
        RegDeleteValueW(key, L"\\Device\\OrvexC");
        RegCloseKey(key);
        QCOMPARE(present, (QList<int>{12, 3, 0}));
        // Port n opens as the Windows device name of n; a port given as "COMn" is port n itself.
        QCOMPARE(ComPortMap::DevicePath(12), QStringLiteral("\\\\.\\COM12"));
        QCOMPARE(ComPortMap::DevicePath(3), QStringLiteral("COM3"));
        QCOMPARE(ComPortMap::AddSessionDevice(QStringLiteral("com7")), 7);
        QCOMPARE(ComPortMap::AddSessionDevice(QStringLiteral("\\\\.\\COM15")), 15);
        QVERIFY(!ComPortMap::IsSessionNumber(7));
    }

    void missingPortStaysClosedAndIsExplained() {
        TCoreComm comm;
        comm.SetDeviceName(QStringLiteral("\\\\.\\COM219"));
        comm.Open();
        QVERIFY(!comm.Enabled());
        QCOMPARE(comm.Read(nullptr, 4), -1);
        QCOMPARE(comm.InQueCount(), -1);
        const QString why =
            ExplainOpenError(TMySerial::OpenErrorTexts{}, comm.DeviceName(), comm.LastOpenError());
        QCOMPARE(why, QStringLiteral("\\\\.\\COM219: no such device is connected."));
    }

    void aFileIsNotAPort() {
        // A plain file, closed (a temporary file object may keep it open without sharing, which
        // fails the open another way).
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("not-a-port"));
        {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
        }
        TCoreComm comm;
        comm.SetDeviceName(QDir::toNativeSeparators(path));
        comm.Open();
        QVERIFY(!comm.Enabled());
        QCOMPARE(comm.LastOpenError(), int(ERROR_INVALID_FUNCTION));
    }

    // On the simulator's line.
    void openSetsTheControlBlockAndTimeouts_data() {
        QTest::addColumn<int>("parity");
        QTest::addColumn<int>("wantParity");
        QTest::newRow("none") << int(paNone) << 0;
        QTest::newRow("odd") << int(paOdd) << 1;
        QTest::newRow("even") << int(paEven) << 2;
    }
    void openSetsTheControlBlockAndTimeouts() {
        if (testPort().isEmpty()) {
            QSKIP("no COM port with the simulator (ORVEX_TEST_COM)");
        }
        QFETCH(int, parity);
        QFETCH(int, wantParity);
        TCoreComm comm;
        comm.SetDeviceName(ComPortMap::DevicePath(testPort().mid(3).toInt()));
        comm.Open();
        QVERIFY2(comm.Enabled(), qPrintable(QString::number(comm.LastOpenError())));
        comm.SetParity(static_cast<TParity>(parity)); // rewritten at once while open
        HANDLE handle = static_cast<HANDLE>(comm.Handle());
        DCB dcb{};
        dcb.DCBlength = sizeof dcb;
        QVERIFY(GetCommState(handle, &dcb));
        QCOMPARE(dcb.BaudRate, DWORD(9600));
        QCOMPARE(int(dcb.ByteSize), 8);
        // The block as written; a pseudo-terminal under Wine does not keep parity, so the
        // device's own value is looked at for no parity only.
        QCOMPARE(int(comm.DCB().Parity), wantParity);
        if (wantParity == 0) {
            QCOMPARE(int(dcb.Parity), 0);
        }
        QCOMPARE(int(dcb.StopBits), 0);
        COMMTIMEOUTS timeouts{};
        QVERIFY(GetCommTimeouts(handle, &timeouts));
        QCOMPARE(timeouts.ReadIntervalTimeout, DWORD(0xFFFFFFFF));
        QCOMPARE(timeouts.ReadTotalTimeoutMultiplier, DWORD(0));
        QCOMPARE(timeouts.ReadTotalTimeoutConstant, DWORD(1000));
        QCOMPARE(timeouts.WriteTotalTimeoutMultiplier, DWORD(3200));
        QCOMPARE(timeouts.WriteTotalTimeoutConstant, DWORD(0));
        comm.Close();
        QVERIFY(!comm.Enabled());
    }

    // A live request answered by the simulator, read in two parts: a read takes what is queued.
    void liveRequestIsAnsweredAndReadInParts() {
        if (testPort().isEmpty()) {
            QSKIP("no COM port with the simulator (ORVEX_TEST_COM)");
        }
        TCoreComm comm;
        comm.SetDeviceName(ComPortMap::DevicePath(testPort().mid(3).toInt()));
        comm.Open();
        QVERIFY(comm.Enabled());
        comm.PurgeIn();
        QCOMPARE(comm.Write(reinterpret_cast<const std::uint8_t*>(kLiveRequest.constData()), 4), 4);
        QTRY_VERIFY_WITH_TIMEOUT(comm.InQueCount() >= 24, 3000);
        std::uint8_t head[10] = {};
        QCOMPARE(comm.Read(head, 10), 10);
        QCOMPARE(QByteArray(reinterpret_cast<char*>(head), 3).toHex(' '), QByteArray("55 13 51"));
        std::uint8_t rest[64] = {};
        QCOMPARE(comm.Read(rest, 64), 14); // the rest of the answer, at once
        QCOMPARE(comm.InQueCount(), 0);
        QCOMPARE(comm.Read(rest, 0), 0);
    }

    // The event thread waits in WaitCommEvent and reports received bytes; after Close no
    // handler runs, also for events posted before it.
    void eventThreadReportsReceivedBytesUntilClosed() {
        if (testPort().isEmpty()) {
            QSKIP("no COM port with the simulator (ORVEX_TEST_COM)");
        }
        TCoreComm comm;
        comm.SetDeviceName(ComPortMap::DevicePath(testPort().mid(3).toInt()));
        std::uint32_t received = 0;
        int calls = 0;
        comm.OnRxChar = [&](TCoreComm*, std::uint32_t count) {
            received = count;
            ++calls;
        };
        comm.Open();
        QVERIFY(comm.Enabled());
        comm.PurgeIn();
        QCOMPARE(comm.Write(reinterpret_cast<const std::uint8_t*>(kLiveRequest.constData()), 4), 4);
        QTRY_VERIFY_WITH_TIMEOUT(calls > 0, 3000);
        QVERIFY(received > 0);
        QTRY_VERIFY_WITH_TIMEOUT(comm.InQueCount() >= 24, 3000);
        // A second answer arrives while the port closes: nothing reaches the handler after.
        QCOMPARE(comm.Write(reinterpret_cast<const std::uint8_t*>(kLiveRequest.constData()), 4), 4);
        QTest::qWait(40);
        comm.Close();
        const int atClose = calls;
        QTest::qWait(200);
        QCOMPARE(calls, atClose);
        QCOMPARE(comm.Read(nullptr, 1), -1);
    }

    void escapeOnAClosedPortRaises() {
        TCoreComm comm;
        try {
            comm.SetDTRState(true);
            QFAIL("no failure raised");
        } catch (const ECommError& error) {
            QCOMPARE(error.Code(), -1);
            QCOMPARE(QString::fromLatin1(error.what()),
                     QStringLiteral("Port not open (Error: -1)"));
        }
    }
};

QTEST_MAIN(Win32ComPortTest)
#include "tst_Win32ComPort.moc"
