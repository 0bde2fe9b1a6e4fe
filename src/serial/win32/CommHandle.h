#pragma once

#include <cstdint>

// The handle of an open port: a Win32 file handle; closed ports hold INVALID_HANDLE_VALUE.
using CommHandle = void*;
inline CommHandle const NoCommHandle = reinterpret_cast<CommHandle>(std::intptr_t{-1});
