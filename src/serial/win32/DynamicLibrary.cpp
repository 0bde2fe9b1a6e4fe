#include "DynamicLibrary.h"

#include <windows.h>

const char* DynamicLibrary::D2xxName() {
    return "FTD2XX.dll";
}

void* DynamicLibrary::Open(const char* name) {
    // No "cannot find the module" box when the library is missing: the adapter is then absent.
    const UINT previous = SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    HMODULE module = LoadLibraryA(name);
    SetErrorMode(previous);
    return reinterpret_cast<void*>(module);
}

void* DynamicLibrary::Symbol(void* library, const char* name) {
    return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(library), name));
}

void DynamicLibrary::Close(void* library) {
    FreeLibrary(static_cast<HMODULE>(library));
}
