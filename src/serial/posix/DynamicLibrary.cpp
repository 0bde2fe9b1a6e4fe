#include "DynamicLibrary.h"

#include <dlfcn.h>

const char* DynamicLibrary::D2xxName() {
    return "libftd2xx.so";
}

void* DynamicLibrary::Open(const char* name) {
    return dlopen(name, RTLD_NOW | RTLD_LOCAL);
}

void* DynamicLibrary::Symbol(void* library, const char* name) {
    return dlsym(library, name);
}

void DynamicLibrary::Close(void* library) {
    dlclose(library);
}
