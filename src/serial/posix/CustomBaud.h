#pragma once

// Sets an arbitrary line rate (one the termios speed constants lack, e.g. 14400 or 256000).
// Returns 0 or the errno. Kept apart: the kernel's termios2 header clashes with <termios.h>.
int SetCustomBaudRate(int fd, unsigned rate);
