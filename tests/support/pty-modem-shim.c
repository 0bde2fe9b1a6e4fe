/* Test support for the Windows build under Wine, preloaded into Wine (LD_PRELOAD) by
   scripts/test-windows. A pseudo-terminal has no modem lines: the modem-line and line-counter
   ioctls fail with ENOTTY, and Wine then fails WaitCommEvent and GetCommModemStatus on a COM port
   mapped to a pseudo-terminal. Where the device refuses them, these answers stand in: DSR, CTS and
   carrier on (a cable with the far end powered), setting lines accepted, no line errors counted.
   Every other ioctl, and these on a device that has them, is passed on unchanged. */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <errno.h>
#include <linux/serial.h>
#include <stdarg.h>
#include <string.h>
#include <sys/ioctl.h>

int ioctl(int fd, unsigned long request, ...) {
    static int (*real)(int, unsigned long, ...) = NULL;
    if (real == NULL) {
        real = (int (*)(int, unsigned long, ...))dlsym(RTLD_NEXT, "ioctl");
    }
    va_list ap;
    va_start(ap, request);
    void* arg = va_arg(ap, void*);
    va_end(ap);
    int result = real(fd, request, arg);
    if (result == 0 || (errno != ENOTTY && errno != EINVAL)) {
        return result;
    }
    switch (request) {
    case TIOCMGET:
        *(int*)arg = TIOCM_DSR | TIOCM_CTS | TIOCM_CAR;
        return 0;
    case TIOCMSET:
    case TIOCMBIS:
    case TIOCMBIC:
        return 0;
    case TIOCGICOUNT:
        memset(arg, 0, sizeof(struct serial_icounter_struct));
        return 0;
    default:
        return result;
    }
}
