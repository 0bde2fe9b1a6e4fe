// ComPortMap on Windows: the registry's list of serial ports.
#include "ComPortMap.h"

#include <QRegularExpression>

#include <algorithm>

#include <windows.h>

namespace {

constexpr int kMaxCom = 1023;

// The COM number of a port name from the list ("COM3" gives 3): the text after its first three
// characters read as a decimal number, 0 when it is not one.
int numberOfPortName(const QString& name) {
    bool ok = false;
    const int n = name.mid(3).toInt(&ok, 10);
    return ok ? n : 0;
}

// "COM7", "com7" or "\\.\COM7": the number, else 0.
int numberOfDeviceName(const QString& path) {
    static const QRegularExpression pattern(QStringLiteral("^(?:\\\\\\\\\\.\\\\)?COM([0-9]+)$"),
                                            QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch match = pattern.match(path);
    if (!match.hasMatch()) {
        return 0;
    }
    const int n = match.captured(1).toInt();
    return n >= 1 && n <= kMaxCom ? n : 0;
}

// The port names of HKLM\HARDWARE\DEVICEMAP\SERIALCOMM in the order the registry gives them.
QStringList serialComm() {
    QStringList names;
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"HARDWARE\\DEVICEMAP\\SERIALCOMM", 0, KEY_READ, &key) !=
        ERROR_SUCCESS) {
        return names;
    }
    for (DWORD i = 0;; ++i) {
        wchar_t valueName[256];
        DWORD nameLength = 256;
        wchar_t data[256] = {};
        DWORD dataSize = sizeof data - sizeof(wchar_t); // room for a terminator of our own
        DWORD type = 0;
        const LONG result = RegEnumValueW(key, i, valueName, &nameLength, nullptr, &type,
                                          reinterpret_cast<BYTE*>(data), &dataSize);
        if (result == ERROR_NO_MORE_ITEMS) {
            break;
        }
        if (result != ERROR_SUCCESS || type != REG_SZ) {
            continue;
        }
        names << QString::fromWCharArray(data);
    }
    RegCloseKey(key);
    return names;
}

} // namespace

QMap<int, QString>& ComPortMap::sessionDevices() {
    static QMap<int, QString> devices;
    return devices;
}

QString& ComPortMap::devRoot() {
    static QString root;
    return root;
}

QString& ComPortMap::sysRoot() {
    static QString root;
    return root;
}

void ComPortMap::SetRoots(const QString& dev, const QString& sysTty) {
    devRoot() = dev;
    sysRoot() = sysTty;
}

QList<ComPortMap::Entry> ComPortMap::Scan(const QString& dev, const QString& sysTty) {
    (void)dev;
    (void)sysTty;
    QList<Entry> entries;
    const QStringList names = serialComm();
    for (const QString& name : names) {
        const int n = numberOfPortName(name);
        entries.append(Entry{n, WindowsDeviceName(n < 1 ? 1 : n), true});
    }
    // Session devices the list does not hold (a path given on the command line).
    const QMap<int, QString>& session = sessionDevices();
    for (auto it = session.cbegin(); it != session.cend(); ++it) {
        const bool listed = std::any_of(entries.cbegin(), entries.cend(),
                                        [&it](const Entry& e) { return e.number == it.key(); });
        if (!listed) {
            entries.append(Entry{it.key(), it.value(), DeviceExists(it.value())});
        }
    }
    return entries;
}

QString ComPortMap::DevicePath(int number) {
    const QMap<int, QString>& session = sessionDevices();
    if (session.contains(number)) {
        return session.value(number);
    }
    // Any number names its port, listed or not (the saved port may be an adapter not plugged in).
    return number >= 1 && number <= kMaxCom ? WindowsDeviceName(number) : QString();
}

QList<int> ComPortMap::PresentNumbers() {
    QList<int> numbers;
    const QList<Entry> entries = Scan();
    for (const Entry& entry : entries) {
        if (entry.present) {
            numbers.append(entry.number);
        }
    }
    return numbers;
}

int ComPortMap::AddSessionDevice(const QString& path) {
    // "COM7" is COM port 7 itself, the port the user could pick from the menu: no session number,
    // so it is stored as the user's port like any other.
    if (const int n = numberOfDeviceName(path); n != 0) {
        return n;
    }
    // Another device path: the lowest number neither the list nor the session uses.
    QList<int> taken;
    for (const Entry& entry : Scan()) {
        taken.append(entry.number);
    }
    for (int n = 1; n <= kMaxCom; ++n) {
        if (!taken.contains(n)) {
            sessionDevices().insert(n, path);
            return n;
        }
    }
    return 0;
}

bool ComPortMap::IsSessionNumber(int number) {
    return sessionDevices().contains(number);
}

void ComPortMap::ClearSessionDevices() {
    sessionDevices().clear();
}

bool ComPortMap::DeviceExists(const QString& path) {
    const int n = numberOfDeviceName(path);
    if (n == 0) {
        return GetFileAttributesW(path.toStdWString().c_str()) != INVALID_FILE_ATTRIBUTES;
    }
    // A COM port exists while the system has a device behind its name.
    wchar_t target[512];
    const std::wstring name = QStringLiteral("COM%1").arg(n).toStdWString();
    return QueryDosDeviceW(name.c_str(), target, 512) != 0;
}
