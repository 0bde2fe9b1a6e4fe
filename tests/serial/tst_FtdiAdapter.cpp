// The FTDI adapter and the facade's FTDI paths, on a stand-in of the D2XX library.
#include "ComPortMap.h"
#include "DynamicLibrary.h"
#include "EventPump.h"
#include "TMyFtdi.h"
#include "TMySerial.h"
#include "TestComPorts.h"

#include <QDir>
#include <QMenu>
#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>

namespace {

void noSleep(int) {}

// The stand-in's control functions (same loaded copy as the adapter's).
struct FakeControl {
    void* handle = nullptr;
    void (*configure)(const char*, unsigned, unsigned) = nullptr;
    void (*unplug)(unsigned) = nullptr;
    int (*lastDivisor)() = nullptr;
    int (*lastWordLength)() = nullptr;
    int (*lastStopBits)() = nullptr;
    int (*lastParity)() = nullptr;
    int (*resetCount)() = nullptr;
    int (*closedHandleCalls)() = nullptr;
    int (*isOpen)(unsigned) = nullptr;

    bool load() {
        handle = DynamicLibrary::Open(FAKE_D2XX_PATH);
        if (handle == nullptr) {
            return false;
        }
        get(configure, "fake_d2xx_configure");
        get(unplug, "fake_d2xx_unplug");
        get(lastDivisor, "fake_d2xx_last_divisor");
        get(lastWordLength, "fake_d2xx_last_word_length");
        get(lastStopBits, "fake_d2xx_last_stop_bits");
        get(lastParity, "fake_d2xx_last_parity");
        get(resetCount, "fake_d2xx_reset_count");
        get(closedHandleCalls, "fake_d2xx_closed_handle_calls");
        get(isOpen, "fake_d2xx_is_open");
        return configure && unplug && lastDivisor && isOpen && closedHandleCalls;
    }
    template <typename F> void get(F& slot, const char* name) {
        slot = reinterpret_cast<F>(DynamicLibrary::Symbol(handle, name));
    }
};

FakeControl fake;

QStringList menuEntries(TMySerial& serial) {
    QMenu menu;
    menu.addAction("toggle");
    menu.addSeparator();
    serial.SerialMenuList(&menu);
    QStringList entries;
    const auto actions = menu.actions();
    for (int i = 2; i < actions.size(); ++i) {
        entries
            << QString("%1=%2").arg(actions[i]->text()).arg(actions[i]->property("Tag").toInt());
    }
    return entries;
}

} // namespace

class FtdiAdapterTest : public QObject {
    Q_OBJECT
private:
    QTemporaryDir root;
    QStringList shown;

    void useLibrary(const char* path) { qputenv("ORVEX_D2XX_LIBRARY", path); }
    void capture(TMySerial& serial) {
        serial.SetOpenErrorPresenter(
            [this](const QString& text, const QString&) { shown << text; });
    }

private slots:
    void initTestCase() {
        QVERIFY(fake.load());
        EventPump::setSleepHook(noSleep);
        ListOnlyCom1(root.path());
    }

    void init() {
        useLibrary(FAKE_D2XX_PATH);
        fake.configure("Orvex Cable A\n\nOrvex Cable B", 0, 0);
        shown.clear();
    }

    void libraryWithEveryEntryPointMakesTheAdapterPresent() {
        TMyFtdi ftdi;
        QVERIFY(ftdi.Present());
    }

    void missingLibraryOrEntryPointMakesTheAdapterAbsent_data() {
        QTest::addColumn<QByteArray>("library");
        QTest::newRow("no library") << QByteArray("/nonexistent/libftd2xx.so");
        QTest::newRow("no FT_GetDeviceInfoDetail") << QByteArray(FAKE_D2XX_NO_DETAIL_PATH);
    }
    void missingLibraryOrEntryPointMakesTheAdapterAbsent() {
        QFETCH(QByteArray, library);
        useLibrary(library.constData());
        TMyFtdi ftdi;
        QVERIFY(!ftdi.Present());

        // Everything FTDI degrades: COM entries only, the open fails with the generic name.
        TMySerial serial;
        capture(serial);
        QCOMPARE(menuEntries(serial), QStringList({"Com &1=1"}));
        QVERIFY(!serial.SerialOpen(1024, 9600));
        QCOMPARE(shown,
                 QStringList({QString::fromUtf8("Nie można otworzyć portu : USB<->Serial")}));
        QVERIFY(!serial.SerialConnected());
        std::uint8_t buffer[2] = {};
        QCOMPARE(serial.SerialRead(buffer, 2), -1);
    }

    void divisorIsThreeMillionOverTheRate_data() {
        QTest::addColumn<int>("rate");
        QTest::addColumn<int>("divisor");
        QTest::newRow("9600") << 9600 << 312;
        QTest::newRow("19200") << 19200 << 156;
        QTest::newRow("115200") << 115200 << 26;
    }
    void divisorIsThreeMillionOverTheRate() {
        QFETCH(int, rate);
        QFETCH(int, divisor);
        TMyFtdi ftdi;
        QCOMPARE(ftdi.Open(0), FT_STATUS(FT_OK));
        QCOMPARE(ftdi.SetNonStandardBaudRate(rate), FT_STATUS(FT_OK));
        QCOMPARE(fake.lastDivisor(), divisor);
        QVERIFY(ftdi.SetNonStandardBaudRate(0) != FT_OK); // no division by zero
        QCOMPARE(fake.lastDivisor(), divisor);
    }

    void readOnAClosedHandleGivesZero() {
        TMyFtdi ftdi;
        QCOMPARE(ftdi.Open(0), FT_STATUS(FT_OK));
        const std::uint8_t data[] = {1, 2, 3, 4};
        QCOMPARE(ftdi.Write(data, 4), 4);
        QCOMPARE(ftdi.Close(), FT_STATUS(FT_OK));
        std::uint8_t buffer[4] = {};
        QCOMPARE(ftdi.Read(buffer, 4), 0);
        QCOMPARE(ftdi.InQueCount(), 0);
    }

    void openingAnFtdiPortSetsTheLineAndCarriesBytes() {
        TMySerial serial;
        capture(serial);
        QVERIFY(serial.SerialOpen(1024, -1));
        QVERIFY(shown.isEmpty());
        QVERIFY(serial.SerialConnected());
        QCOMPARE(fake.lastDivisor(), 312);
        QCOMPARE(fake.lastWordLength(), 8);
        QCOMPARE(fake.lastStopBits(), 0);
        QCOMPARE(fake.lastParity(), 0);
        QCOMPARE(fake.resetCount(), 1);

        const std::uint8_t request[] = {0x55, 0x00, 0x50, 0x5B};
        QCOMPARE(serial.SerialWrite(request, 4), 4);
        QCOMPARE(serial.SerialInQueCount(), 4); // the stand-in loops bytes back
        std::uint8_t buffer[4] = {};
        QCOMPARE(serial.SerialRead(buffer, 4), 4);
        QCOMPARE(int(buffer[3]), 0x5B);
        QCOMPARE(serial.SerialPurgeRx(), 0);
        QCOMPARE(serial.SerialPurgeTx(), 0);

        serial.SerialClose();
        QVERIFY(!fake.isOpen(0));
        QVERIFY(!serial.SerialConnected());
        QCOMPARE(serial.SerialRead(buffer, 4), -1);
        QCOMPARE(fake.closedHandleCalls(), 0); // a closed handle is never used again
    }

    void failedOpenAfterAnEarlierDeviceNeverTouchesItsClosedHandle() {
        fake.configure("Orvex Cable A\nOrvex Cable B", 0x2u, 0);
        TMySerial serial;
        capture(serial);
        QVERIFY(serial.SerialOpen(1024, 9600));
        QVERIFY(!serial.SerialOpen(1025, 9600));
        QCOMPARE(shown,
                 QStringList({QString::fromUtf8("Nie można otworzyć portu : Orvex Cable B")}));
        QCOMPARE(fake.closedHandleCalls(), 0);
        QCOMPARE(fake.resetCount(), 1);
    }

    void unpluggedAdapterReportsNotConnected() {
        TMySerial serial;
        QVERIFY(serial.SerialOpen(1025, 9600));
        fake.unplug(1);
        QVERIFY(!serial.SerialConnected());
        std::uint8_t buffer[1] = {};
        QCOMPARE(serial.SerialWrite(buffer, 1), -1);
    }

    void failedOpenNamesTheAdapter_data() {
        QTest::addColumn<int>("port");
        QTest::addColumn<unsigned>("failList");
        QTest::addColumn<QString>("text");
        QTest::newRow("with description") << 1024 << 0u << "Orvex Cable A";
        QTest::newRow("without description") << 1025 << 0u << "USB<->Serial";
        QTest::newRow("description from the detail query") << 1026 << 4u << "Orvex Cable B";
        QTest::newRow("index past the list") << 1030 << 0u << "USB<->Serial";
    }
    void failedOpenNamesTheAdapter() {
        QFETCH(int, port);
        QFETCH(unsigned, failList);
        QFETCH(QString, text);
        fake.configure("Orvex Cable A\n\nOrvex Cable B", 0xFFu, failList);
        TMySerial serial;
        capture(serial);
        QVERIFY(!serial.SerialOpen(port, 9600));
        QCOMPARE(serial.PortNumber(), port);
        QCOMPARE(shown, QStringList({QString::fromUtf8("Nie można otworzyć portu : ") + text}));
    }

    void menuListsFtdiDevicesAfterComPorts() {
        TMySerial serial;
        QVERIFY(serial.SerialOpen(1026, 9600));
        QCOMPARE(menuEntries(serial), QStringList({"Com &1=1", "Orvex Cable A=1024",
                                                   "USB<->Serial=1025", "Orvex Cable B=1026"}));
        QMenu menu;
        menu.addAction("toggle");
        menu.addSeparator();
        serial.SerialMenuList(&menu);
        QStringList checked;
        for (QAction* a : menu.actions()) {
            if (a->isChecked()) {
                checked << a->text();
            }
        }
        QCOMPARE(checked, QStringList({"Orvex Cable B"}));
    }

    void openByDescriptionKeepsTheLastMatch() {
        fake.configure("Twin\nOther\nTwin", 0, 0);
        TMySerial serial;
        QVERIFY(serial.SerialOpenFtdiByDescription("Twin", 9600));
        QCOMPARE(serial.PortNumber(), 1026);
        QVERIFY(!fake.isOpen(0));
        QVERIFY(fake.isOpen(2));
        QVERIFY(!serial.SerialOpenFtdiByDescription("twin", 9600)); // exact, case-sensitive
    }
};

QTEST_MAIN(FtdiAdapterTest)
#include "tst_FtdiAdapter.moc"
