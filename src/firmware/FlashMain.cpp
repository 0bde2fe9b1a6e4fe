#include "FlashTool.h"
#include "UserHome.h"

#include <QCoreApplication>

#include <clocale>
#include <unistd.h>

int main(int argc, char** argv) {
    UserHome::prepare(); // the firmware folder in the user's data folder
    QCoreApplication app(argc, argv);
    // The system's reasons (no such file, permission denied) in the tool's one language, where
    // the C library gives them (Windows gives them in its own language).
#ifdef LC_MESSAGES
    std::setlocale(LC_MESSAGES, "C");
#endif
    QStringList arguments = QCoreApplication::arguments();
    arguments.removeFirst();
    return FlashTool::Run(arguments, stdout, stderr, stdin, isatty(STDOUT_FILENO) != 0);
}
