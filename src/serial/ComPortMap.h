#pragma once

#include <QList>
#include <QMap>
#include <QString>

// Which device is COM port n. A Windows program names serial ports by number.
// On Windows (win32/) the ports are those of the registry's SERIALCOMM list, in the registry's
// order, and COM port n is the device WindowsDeviceName(n); a device given as "COMn" is port n.
// On Linux (posix/) the numbers are given out here, the way Wine does it:
//   1. overrides in the settings file, group "Ports", e.g. COM7=/dev/serial/by-id/usb-...
//      (an empty value keeps that number free of any device);
//   2. session devices (a path given on the command line or the demo's pseudo-terminal);
//   3. /dev/ttyS0, ttyS1, ... then /dev/ttyUSB0, ... then /dev/ttyACM0, ...: each family up to
//      its first missing number; each device takes the lowest COM number still free.
// A number is "present" when its device exists (for ttyS*, only with a real UART behind it).
class ComPortMap {
public:
    struct Entry {
        int number = 0;
        QString path;
        bool present = false;
    };

    // Scans the machine (Windows: the SERIALCOMM list; the roots are not used). The roots are for
    // tests: a /dev-like folder and a /sys/class/tty-like one.
    static QList<Entry> Scan(const QString& devRoot = QStringLiteral("/dev"),
                             const QString& sysTtyRoot = QStringLiteral("/sys/class/tty"));

    // The device of COM port n, empty when n names no device.
    static QString DevicePath(int number);
    // The present COM numbers, ascending.
    static QList<int> PresentNumbers();

    // Gives `path` a COM number for this run only (nothing is stored): its number when the path is
    // mapped already, else the lowest number no device, override or session device uses.
    static int AddSessionDevice(const QString& path);
    static bool IsSessionNumber(int number);
    static void ClearSessionDevices();

    // Replaces the real folders, for tests; empty strings restore /dev and /sys/class/tty.
    static void SetRoots(const QString& devRoot, const QString& sysTtyRoot);

    // The device name of COM port n for the Windows build: "COM8", but "\\.\COM9" from 9 on.
    static QString WindowsDeviceName(int number);
    // Whether the device `path` is there now (a device that vanished is waited for).
    static bool DeviceExists(const QString& path);

private:
    static QMap<int, QString>& sessionDevices();
    static QString& devRoot();
    static QString& sysRoot();
};
