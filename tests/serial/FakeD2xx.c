/* A stand-in for the D2XX library: devices with descriptions, each a loopback (bytes written are
   read back), and control functions the tests call to set it up and to see what it was asked.
   Built twice: complete, and without FT_GetDeviceInfoDetail (FAKE_D2XX_NO_DETAIL). */
#include "D2xxApi.h"

#include <stdint.h>
#include <string.h>

#define FAKE_MAX_DEVICES 8
#define FAKE_BUFFER 4096

typedef struct {
    char description[64];
    int open;
    int unplugged;
    unsigned char data[FAKE_BUFFER];
    unsigned count;
} FakeDevice;

static FakeDevice devices[FAKE_MAX_DEVICES];
static unsigned deviceCount;
static unsigned failOpenMask;
static unsigned failListMask;
static int lastDivisor = -1;
static int lastWordLength = -1, lastStopBits = -1, lastParity = -1;
static int resetCount;
static int closedHandleCalls;

/* ---- control ---- */

/* descriptions: one per line ("a\n\nb" is three devices, the second without a description). */
void fake_d2xx_configure(const char* descriptions, unsigned failOpen, unsigned failList) {
    memset(devices, 0, sizeof devices);
    deviceCount = 0;
    failOpenMask = failOpen;
    failListMask = failList;
    lastDivisor = lastWordLength = lastStopBits = lastParity = -1;
    resetCount = 0;
    closedHandleCalls = 0;
    if (descriptions == NULL) {
        return;
    }
    const char* p = descriptions;
    while (deviceCount < FAKE_MAX_DEVICES) {
        const char* end = strchr(p, '\n');
        size_t length = end ? (size_t)(end - p) : strlen(p);
        if (length > 63) {
            length = 63;
        }
        memcpy(devices[deviceCount].description, p, length);
        ++deviceCount;
        if (end == NULL) {
            break;
        }
        p = end + 1;
    }
}

void fake_d2xx_unplug(unsigned index) {
    if (index < deviceCount) {
        devices[index].unplugged = 1;
    }
}

int fake_d2xx_last_divisor(void) {
    return lastDivisor;
}
int fake_d2xx_last_word_length(void) {
    return lastWordLength;
}
int fake_d2xx_last_stop_bits(void) {
    return lastStopBits;
}
int fake_d2xx_last_parity(void) {
    return lastParity;
}
int fake_d2xx_reset_count(void) {
    return resetCount;
}
int fake_d2xx_closed_handle_calls(void) {
    return closedHandleCalls;
}
int fake_d2xx_is_open(unsigned index) {
    return index < deviceCount && devices[index].open;
}

/* ---- the library ---- */

static FakeDevice* usable(FT_HANDLE handle) {
    FakeDevice* device = (FakeDevice*)handle;
    if (device == NULL) {
        return NULL;
    }
    if (!device->open) {
        ++closedHandleCalls;
        return NULL;
    }
    return device->unplugged ? NULL : device;
}

FT_STATUS FT_ListDevices(void* arg1, void* arg2, FT_DWORD flags) {
    if (flags & FT_LIST_NUMBER_ONLY) {
        *(FT_DWORD*)arg1 = deviceCount;
        return FT_OK;
    }
    if (flags & FT_LIST_BY_INDEX) {
        unsigned index = (unsigned)(uintptr_t)arg1;
        if (index >= deviceCount || (failListMask & (1u << index))) {
            return FT_DEVICE_NOT_FOUND;
        }
        memcpy(arg2, devices[index].description, 64);
        return FT_OK;
    }
    return FT_INVALID_PARAMETER;
}

FT_STATUS FT_Open(int index, FT_HANDLE* handle) {
    if (index < 0 || (unsigned)index >= deviceCount || (failOpenMask & (1u << index))) {
        return FT_DEVICE_NOT_FOUND;
    }
    devices[index].open = 1;
    devices[index].count = 0;
    *handle = &devices[index];
    return FT_OK;
}

FT_STATUS FT_OpenEx(void* arg1, FT_DWORD flags, FT_HANDLE* handle) {
    (void)arg1;
    (void)flags;
    (void)handle;
    return FT_DEVICE_NOT_FOUND;
}

FT_STATUS FT_Close(FT_HANDLE handle) {
    FakeDevice* device = usable(handle);
    if (device == NULL) {
        return FT_INVALID_HANDLE;
    }
    device->open = 0;
    return FT_OK;
}

FT_STATUS FT_ResetDevice(FT_HANDLE handle) {
    if (usable(handle) == NULL) {
        return FT_INVALID_HANDLE;
    }
    ++resetCount;
    return FT_OK;
}

FT_STATUS FT_SetDataCharacteristics(FT_HANDLE handle, unsigned char wordLength,
                                    unsigned char stopBits, unsigned char parity) {
    if (usable(handle) == NULL) {
        return FT_INVALID_HANDLE;
    }
    lastWordLength = wordLength;
    lastStopBits = stopBits;
    lastParity = parity;
    return FT_OK;
}

FT_STATUS FT_SetBaudRate(FT_HANDLE handle, unsigned long baudRate) {
    (void)baudRate;
    return usable(handle) ? FT_OK : FT_INVALID_HANDLE;
}

FT_STATUS FT_SetDivisor(FT_HANDLE handle, unsigned short divisor) {
    if (usable(handle) == NULL) {
        return FT_INVALID_HANDLE;
    }
    lastDivisor = divisor;
    return FT_OK;
}

FT_STATUS FT_Write(FT_HANDLE handle, void* buffer, FT_DWORD count, FT_DWORD* written) {
    FakeDevice* device = usable(handle);
    if (device == NULL) {
        return FT_INVALID_HANDLE;
    }
    FT_DWORD room = FAKE_BUFFER - device->count;
    FT_DWORD n = count < room ? count : room;
    memcpy(device->data + device->count, buffer, n);
    device->count += n;
    *written = n;
    return FT_OK;
}

FT_STATUS FT_Read(FT_HANDLE handle, void* buffer, FT_DWORD count, FT_DWORD* returned) {
    FakeDevice* device = usable(handle);
    if (device == NULL) {
        return FT_INVALID_HANDLE;
    }
    FT_DWORD n = count < device->count ? count : device->count;
    memcpy(buffer, device->data, n);
    memmove(device->data, device->data + n, device->count - n);
    device->count -= n;
    *returned = n;
    return FT_OK;
}

FT_STATUS FT_GetQueueStatus(FT_HANDLE handle, FT_DWORD* queued) {
    FakeDevice* device = usable(handle);
    if (device == NULL) {
        return FT_INVALID_HANDLE;
    }
    *queued = device->count;
    return FT_OK;
}

FT_STATUS FT_Purge(FT_HANDLE handle, unsigned long mask) {
    FakeDevice* device = usable(handle);
    if (device == NULL) {
        return FT_INVALID_HANDLE;
    }
    if (mask & FT_PURGE_RX) {
        device->count = 0;
    }
    return FT_OK;
}

FT_STATUS FT_CreateDeviceInfoList(FT_DWORD* count) {
    *count = deviceCount;
    return FT_OK;
}

FT_STATUS FT_GetDeviceInfoList(FT_DEVICE_LIST_INFO_NODE* list, FT_DWORD* count) {
    for (unsigned i = 0; i < deviceCount && i < *count; ++i) {
        memset(&list[i], 0, sizeof list[i]);
        memcpy(list[i].Description, devices[i].description, 64);
    }
    *count = deviceCount;
    return FT_OK;
}

#ifndef FAKE_D2XX_NO_DETAIL
FT_STATUS FT_GetDeviceInfoDetail(FT_DWORD index, FT_DWORD* flags, FT_DWORD* type, FT_DWORD* id,
                                 FT_DWORD* locId, void* serialNumber, void* description,
                                 FT_HANDLE* handle) {
    (void)flags;
    (void)type;
    (void)id;
    (void)locId;
    (void)serialNumber;
    (void)handle;
    if (index >= deviceCount) {
        return FT_DEVICE_NOT_FOUND;
    }
    if (description != NULL) {
        memcpy(description, devices[index].description, 64);
    }
    return FT_OK;
}
#endif
