#pragma once

// The handle of an open port: a file descriptor.
using CommHandle = int;
inline constexpr CommHandle NoCommHandle = -1;
