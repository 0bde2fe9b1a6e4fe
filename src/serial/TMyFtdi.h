#pragma once

#include "D2xxApi.h"

#include <cstdint>

// USB serial adapters through the D2XX library, loaded at run time. The library is optional: when
// it is missing, or lacks one of the sixteen entry points, the adapter is absent (FLibrary null)
// and the program runs with COM ports only. Every operation is one D2XX call; none checks that the
// library is present: the facade does.
//
// The library is "libftd2xx.so" on Linux, "FTD2XX.dll" on Windows; the environment variable
// ORVEX_D2XX_LIBRARY names another file (tests load a double of the library that way).
class TMyFtdi {
public:
    TMyFtdi();
    ~TMyFtdi();
    TMyFtdi(const TMyFtdi&) = delete;
    TMyFtdi& operator=(const TMyFtdi&) = delete;

    bool Present() const { return FLibrary != nullptr; }

    FT_STATUS NumDevices(void* pointer1, void* pointer2, std::uint32_t flags);
    FT_STATUS ListDevices(std::uint32_t index, void* buffer, std::uint32_t flags);
    FT_STATUS CreateDeviceInfoList();
    FT_STATUS GetDeviceInfoList(FT_DEVICE_LIST_INFO_NODE* list, FT_DWORD* count);
    FT_STATUS GetDeviceInfoDetail(std::uint32_t index, FT_DWORD* flags, FT_DWORD* type,
                                  FT_DWORD* id, FT_DWORD* locId, void* serialNumber,
                                  void* description, FT_HANDLE* handle);
    FT_STATUS Open(int index);
    FT_STATUS Close();
    FT_STATUS ResetDevice();
    FT_STATUS SetDataCharacteristics(int wordLength, int stopBits, int parity);
    FT_STATUS SetBaudRate(int rate);
    // Rate through the divisor 3000000 / rate (9600 gives 312).
    FT_STATUS SetNonStandardBaudRate(int rate);
    int Read(std::uint8_t* buffer, int count);
    int Write(const std::uint8_t* buffer, int count);
    int InQueCount();
    // Status of the queue query alone: the facade's connection test.
    FT_STATUS QueueStatus();
    FT_STATUS Purge(int mask);

private:
    void* FLibrary = nullptr;
    FT_HANDLE FHandle = nullptr;
};
