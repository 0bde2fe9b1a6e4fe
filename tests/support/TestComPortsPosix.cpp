#include "TestComPorts.h"

#include "ComPortMap.h"

#include <QDir>
#include <QFile>

void ListOnlyCom1(const QString& root) {
    QDir().mkpath(root + "/dev");
    QFile(root + "/dev/ttyUSB0").open(QIODevice::WriteOnly);
    ComPortMap::SetRoots(root + "/dev", root + "/sys");
}
