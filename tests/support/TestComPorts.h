#pragma once

#include <QString>

// Makes COM1 the machine's only listed serial port for a test, with no port behind it:
// Linux: a plain file as ttyUSB0 in a /dev-like folder under `root` (ComPortMap's roots);
// Windows: the registry's SERIALCOMM list holds COM1 alone (`root` is not used).
void ListOnlyCom1(const QString& root);
