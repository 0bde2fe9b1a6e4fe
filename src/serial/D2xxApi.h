#pragma once

/* The D2XX entry points the FTDI adapter resolves, with the library's documented signatures.
   Plain C so that the test double of the library can be built from the same declarations. */

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef void* FT_HANDLE;
typedef unsigned long FT_STATUS;
typedef uint32_t FT_DWORD;

enum {
    FT_OK = 0,
    FT_INVALID_HANDLE = 1,
    FT_DEVICE_NOT_FOUND = 2,
    FT_DEVICE_NOT_OPENED = 3,
    FT_INVALID_PARAMETER = 6
};

#define FT_LIST_NUMBER_ONLY 0x80000000u
#define FT_LIST_BY_INDEX 0x40000000u
#define FT_OPEN_BY_DESCRIPTION 0x00000002u
#define FT_PURGE_RX 1
#define FT_PURGE_TX 2
#define FT_BITS_8 8
#define FT_STOP_BITS_1 0
#define FT_PARITY_NONE 0

typedef struct _ft_device_list_info_node {
    FT_DWORD Flags;
    FT_DWORD Type;
    FT_DWORD ID;
    FT_DWORD LocId;
    char SerialNumber[16];
    char Description[64];
    FT_HANDLE ftHandle;
} FT_DEVICE_LIST_INFO_NODE;

typedef FT_STATUS (*PFT_ListDevices)(void* arg1, void* arg2, FT_DWORD flags);
typedef FT_STATUS (*PFT_Open)(int deviceNumber, FT_HANDLE* handle);
typedef FT_STATUS (*PFT_OpenEx)(void* arg1, FT_DWORD flags, FT_HANDLE* handle);
typedef FT_STATUS (*PFT_Close)(FT_HANDLE handle);
typedef FT_STATUS (*PFT_ResetDevice)(FT_HANDLE handle);
typedef FT_STATUS (*PFT_SetDataCharacteristics)(FT_HANDLE handle, unsigned char wordLength,
                                                unsigned char stopBits, unsigned char parity);
typedef FT_STATUS (*PFT_SetBaudRate)(FT_HANDLE handle, unsigned long baudRate);
typedef FT_STATUS (*PFT_SetDivisor)(FT_HANDLE handle, unsigned short divisor);
typedef FT_STATUS (*PFT_Write)(FT_HANDLE handle, void* buffer, FT_DWORD count, FT_DWORD* written);
typedef FT_STATUS (*PFT_Read)(FT_HANDLE handle, void* buffer, FT_DWORD count, FT_DWORD* returned);
typedef FT_STATUS (*PFT_GetQueueStatus)(FT_HANDLE handle, FT_DWORD* queued);
typedef FT_STATUS (*PFT_Purge)(FT_HANDLE handle, unsigned long mask);
typedef FT_STATUS (*PFT_CreateDeviceInfoList)(FT_DWORD* count);
typedef FT_STATUS (*PFT_GetDeviceInfoList)(FT_DEVICE_LIST_INFO_NODE* list, FT_DWORD* count);
typedef FT_STATUS (*PFT_GetDeviceInfoDetail)(FT_DWORD index, FT_DWORD* flags, FT_DWORD* type,
                                             FT_DWORD* id, FT_DWORD* locId, void* serialNumber,
                                             void* description, FT_HANDLE* handle);

#ifdef __cplusplus
}
#endif
