// ComPortMap: the Windows device-name rule, the same on every platform (and tested on each).
#include "ComPortMap.h"

QString ComPortMap::WindowsDeviceName(int number) {
    if (number > 8) {
        return QStringLiteral("\\\\.\\COM") + QString::number(number);
    }
    return QStringLiteral("COM") + QString::number(number);
}
