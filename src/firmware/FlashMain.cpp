#include "FlashTool.h"

#include <QCoreApplication>

#include <unistd.h>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QStringList arguments = QCoreApplication::arguments();
    arguments.removeFirst();
    return FlashTool::Run(arguments, stdout, stderr, stdin, isatty(STDOUT_FILENO) != 0);
}
