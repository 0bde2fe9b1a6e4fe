// The two values as DWORDs under HKEY_CURRENT_USER\Software\Merka\Durorude.
#include "PersistedSettings.h"

#include <windows.h>

namespace {

const wchar_t* const kKey = L"Software\\Merka\\Durorude";

// One value: false when it is missing or not a DWORD.
bool readDword(HKEY key, const wchar_t* name, int& out) {
    DWORD type = 0;
    DWORD value = 0;
    DWORD size = sizeof value;
    if (RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) !=
            ERROR_SUCCESS ||
        type != REG_DWORD || size != sizeof value) {
        return false;
    }
    out = static_cast<int>(value);
    return true;
}

bool writeDword(HKEY key, const wchar_t* name, int value) {
    const DWORD data = static_cast<DWORD>(value);
    return RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&data),
                          sizeof data) == ERROR_SUCCESS;
}

} // namespace

// The user's own part of the registry is there for every signed-in user.
bool PersistedSettings::Storable() {
    return true;
}

QString PersistedSettings::Location() {
    return QStringLiteral("HKEY_CURRENT_USER\\Software\\Merka\\Durorude");
}

// Nothing to look at without writing: a write that fails says so (Write returns false).
bool PersistedSettings::Writable() {
    return true;
}

PersistedSettings::Values PersistedSettings::Read() {
    Values values;
    HKEY key = nullptr;
    // Read access only, and never created here.
    if (RegOpenKeyExW(HKEY_CURRENT_USER, kKey, 0, KEY_READ, &key) != ERROR_SUCCESS) {
        return values;
    }
    // A value that cannot be read ends the reading: it and the rest keep their defaults.
    int comm = values.Comm;
    if (readDword(key, L"Comm", comm)) {
        values.Comm = comm;
        int lang = values.Lang;
        if (readDword(key, L"Lang", lang)) {
            values.Lang = lang;
        }
    }
    RegCloseKey(key);
    return values;
}

bool PersistedSettings::Write(int comm, int lang) {
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, kKey, 0, nullptr, REG_OPTION_NON_VOLATILE,
                        KEY_READ | KEY_WRITE, nullptr, &key, nullptr) != ERROR_SUCCESS) {
        return false;
    }
    const bool stored = writeDword(key, L"Comm", comm) && writeDword(key, L"Lang", lang);
    RegCloseKey(key);
    return stored;
}
