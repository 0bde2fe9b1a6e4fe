#include "TestComPorts.h"

#include <string>
#include <vector>

#include <windows.h>

void ListOnlyCom1(const QString& root) {
    (void)root;
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, L"HARDWARE\\DEVICEMAP\\SERIALCOMM", 0, nullptr,
                        REG_OPTION_VOLATILE, KEY_ALL_ACCESS, nullptr, &key,
                        nullptr) != ERROR_SUCCESS) {
        return;
    }
    std::vector<std::wstring> names;
    wchar_t name[256];
    for (DWORD i = 0;; ++i) {
        DWORD length = 256;
        if (RegEnumValueW(key, i, name, &length, nullptr, nullptr, nullptr, nullptr) !=
            ERROR_SUCCESS) {
            break;
        }
        names.emplace_back(name, length);
    }
    for (const std::wstring& n : names) {
        RegDeleteValueW(key, n.c_str());
    }
    const wchar_t port[] = L"COM1";
    RegSetValueExW(key, L"\\Device\\Serial0", 0, REG_SZ, reinterpret_cast<const BYTE*>(port),
                   sizeof port);
    RegCloseKey(key);
}
