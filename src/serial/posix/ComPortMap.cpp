#include "ComPortMap.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>

namespace {

constexpr int kMaxCom = 1023;

// A ttyS node exists for every possible UART; only those whose driver found hardware (type not 0,
// "unknown") are real ports.
bool hasUart(const QString& sysRoot, const QString& name) {
    QFile type(sysRoot + QLatin1Char('/') + name + QStringLiteral("/type"));
    if (!type.open(QIODevice::ReadOnly)) {
        return true; // nothing says otherwise: offer it
    }
    bool ok = false;
    int value = type.readAll().trimmed().toInt(&ok);
    return !ok || value != 0;
}

int lowestFree(const QMap<int, QString>& taken) {
    for (int n = 1; n <= kMaxCom; ++n) {
        if (!taken.contains(n)) {
            return n;
        }
    }
    return 0;
}

// Settings overrides: number -> path; an empty path reserves the number.
QMap<int, QString> readOverrides() {
    QMap<int, QString> overrides;
    QSettings settings(QStringLiteral("Merka"), QStringLiteral("Durorude"));
    settings.beginGroup(QStringLiteral("Ports"));
    const QStringList keys = settings.childKeys();
    for (const QString& key : keys) {
        if (!key.startsWith(QStringLiteral("COM"), Qt::CaseInsensitive)) {
            continue;
        }
        bool ok = false;
        int n = key.mid(3).toInt(&ok);
        if (ok && n >= 1 && n <= kMaxCom) {
            overrides.insert(n, settings.value(key).toString().trimmed());
        }
    }
    return overrides;
}

} // namespace

QMap<int, QString>& ComPortMap::sessionDevices() {
    static QMap<int, QString> devices;
    return devices;
}

QString& ComPortMap::devRoot() {
    static QString root = QStringLiteral("/dev");
    return root;
}

QString& ComPortMap::sysRoot() {
    static QString root = QStringLiteral("/sys/class/tty");
    return root;
}

void ComPortMap::SetRoots(const QString& dev, const QString& sysTty) {
    devRoot() = dev.isEmpty() ? QStringLiteral("/dev") : dev;
    sysRoot() = sysTty.isEmpty() ? QStringLiteral("/sys/class/tty") : sysTty;
}

QList<ComPortMap::Entry> ComPortMap::Scan(const QString& dev, const QString& sysTty) {
    QMap<int, QString> taken = readOverrides();
    QMap<int, bool> present;
    for (auto it = taken.cbegin(); it != taken.cend(); ++it) {
        present.insert(it.key(), !it.value().isEmpty() && QFileInfo::exists(it.value()));
    }
    const QMap<int, QString>& session = sessionDevices();
    for (auto it = session.cbegin(); it != session.cend(); ++it) {
        if (!taken.contains(it.key())) {
            taken.insert(it.key(), it.value());
            present.insert(it.key(), QFileInfo::exists(it.value()));
        }
    }
    const QStringList families = {QStringLiteral("ttyS"), QStringLiteral("ttyUSB"),
                                  QStringLiteral("ttyACM")};
    for (const QString& family : families) {
        for (int i = 0;; ++i) {
            const QString name = family + QString::number(i);
            const QString path = dev + QLatin1Char('/') + name;
            if (!QFileInfo::exists(path)) {
                break;
            }
            // A device an override already names keeps that number only.
            const QString canonical = QFileInfo(path).canonicalFilePath();
            bool mapped = false;
            for (const QString& other : std::as_const(taken)) {
                if (!other.isEmpty() &&
                    (other == path ||
                     (!canonical.isEmpty() && QFileInfo(other).canonicalFilePath() == canonical))) {
                    mapped = true;
                    break;
                }
            }
            if (mapped) {
                continue;
            }
            int n = lowestFree(taken);
            if (n == 0) {
                break;
            }
            taken.insert(n, path);
            present.insert(n, family != QStringLiteral("ttyS") || hasUart(sysTty, name));
        }
    }
    QList<Entry> entries;
    for (auto it = taken.cbegin(); it != taken.cend(); ++it) {
        if (!it.value().isEmpty()) {
            entries.append(Entry{it.key(), it.value(), present.value(it.key())});
        }
    }
    return entries;
}

QString ComPortMap::DevicePath(int number) {
    const QList<Entry> entries = Scan(devRoot(), sysRoot());
    for (const Entry& entry : entries) {
        if (entry.number == number) {
            return entry.path;
        }
    }
    return QString();
}

QList<int> ComPortMap::PresentNumbers() {
    QList<int> numbers;
    const QList<Entry> entries = Scan(devRoot(), sysRoot());
    for (const Entry& entry : entries) {
        if (entry.present) {
            numbers.append(entry.number);
        }
    }
    return numbers;
}

int ComPortMap::AddSessionDevice(const QString& path) {
    const QList<Entry> entries = Scan(devRoot(), sysRoot());
    for (const Entry& entry : entries) {
        if (entry.path == path) {
            return entry.number;
        }
    }
    // Lowest number that no override (also an empty one), session device or scanned device holds.
    QMap<int, QString> taken = readOverrides();
    for (const Entry& entry : entries) {
        taken.insert(entry.number, entry.path);
    }
    int n = lowestFree(taken);
    if (n != 0) {
        sessionDevices().insert(n, path);
    }
    return n;
}

bool ComPortMap::IsSessionNumber(int number) {
    return sessionDevices().contains(number);
}

void ComPortMap::ClearSessionDevices() {
    sessionDevices().clear();
}

bool ComPortMap::DeviceExists(const QString& path) {
    return QFileInfo::exists(path);
}
