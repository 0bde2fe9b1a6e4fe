// Linked into every test executable of the Windows build (IsolatedHome.cpp on Linux): before
// anything else runs, the program's registry key (HKEY_CURRENT_USER\Software\Merka, where the
// stored port and language and QSettings("Merka", ...) live) is removed, and again at the end,
// and Qt's standard folders are those of its test mode, never the user's own. The Windows suite
// runs one test at a time (scripts/test-windows), so each test starts from no stored settings.
#include <QStandardPaths>

#include <windows.h>

namespace {

void removeProgramKey() {
    RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Merka");
}

class IsolatedHome {
public:
    IsolatedHome() {
        QStandardPaths::setTestModeEnabled(true);
        removeProgramKey();
    }
    ~IsolatedHome() { removeProgramKey(); }
    IsolatedHome(const IsolatedHome&) = delete;
    IsolatedHome& operator=(const IsolatedHome&) = delete;
};

const IsolatedHome isolatedHome;

} // namespace
