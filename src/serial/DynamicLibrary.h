#pragma once

// Loading a library at run time: dlopen on Linux, LoadLibrary on Windows (posix/, win32/).
namespace DynamicLibrary {

// The D2XX library's file name on this system: "libftd2xx.so", "FTD2XX.dll".
const char* D2xxName();
// Loads `name` (the system's search order); nullptr when it does not load.
void* Open(const char* name);
// The entry point `name` of a loaded library; nullptr when it has none.
void* Symbol(void* library, const char* name);
void Close(void* library);

} // namespace DynamicLibrary
