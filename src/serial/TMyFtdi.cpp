#include "TMyFtdi.h"

#include "DynamicLibrary.h"

#include <cstdlib>

namespace {

// Resolved entry points: one set for the whole process.
struct D2xx {
    PFT_ListDevices NumDevices = nullptr;
    PFT_ListDevices ListDevices = nullptr;
    PFT_Open Open = nullptr;
    PFT_OpenEx OpenEx = nullptr;
    PFT_Close Close = nullptr;
    PFT_ResetDevice ResetDevice = nullptr;
    PFT_SetDataCharacteristics SetDataCharacteristics = nullptr;
    PFT_SetBaudRate SetBaudRate = nullptr;
    PFT_SetDivisor SetDivisor = nullptr;
    PFT_Write Write = nullptr;
    PFT_Read Read = nullptr;
    PFT_GetQueueStatus GetQueueStatus = nullptr;
    PFT_Purge Purge = nullptr;
    PFT_CreateDeviceInfoList CreateDeviceInfoList = nullptr;
    PFT_GetDeviceInfoList GetDeviceInfoList = nullptr;
    PFT_GetDeviceInfoDetail GetDeviceInfoDetail = nullptr;
};
D2xx api;

template <typename F> bool resolve(void* library, const char* name, F& slot) {
    slot = reinterpret_cast<F>(DynamicLibrary::Symbol(library, name));
    return slot != nullptr;
}

// All sixteen, in order; false at the first one missing.
bool resolveAll(void* lib) {
    return resolve(lib, "FT_ListDevices", api.NumDevices) &&
           resolve(lib, "FT_ListDevices", api.ListDevices) && resolve(lib, "FT_Open", api.Open) &&
           resolve(lib, "FT_OpenEx", api.OpenEx) && resolve(lib, "FT_Close", api.Close) &&
           resolve(lib, "FT_ResetDevice", api.ResetDevice) &&
           resolve(lib, "FT_SetDataCharacteristics", api.SetDataCharacteristics) &&
           resolve(lib, "FT_SetBaudRate", api.SetBaudRate) &&
           resolve(lib, "FT_SetDivisor", api.SetDivisor) && resolve(lib, "FT_Write", api.Write) &&
           resolve(lib, "FT_Read", api.Read) &&
           resolve(lib, "FT_GetQueueStatus", api.GetQueueStatus) &&
           resolve(lib, "FT_Purge", api.Purge) &&
           resolve(lib, "FT_CreateDeviceInfoList", api.CreateDeviceInfoList) &&
           resolve(lib, "FT_GetDeviceInfoList", api.GetDeviceInfoList) &&
           resolve(lib, "FT_GetDeviceInfoDetail", api.GetDeviceInfoDetail);
}

} // namespace

TMyFtdi::TMyFtdi() {
    const char* name = std::getenv("ORVEX_D2XX_LIBRARY");
    if (name == nullptr || *name == '\0') {
        name = DynamicLibrary::D2xxName();
    }
    FLibrary = DynamicLibrary::Open(name);
    if (FLibrary != nullptr && !resolveAll(FLibrary)) {
        DynamicLibrary::Close(FLibrary);
        FLibrary = nullptr;
        api = D2xx{};
    }
}

TMyFtdi::~TMyFtdi() {
    if (FLibrary != nullptr) {
        DynamicLibrary::Close(FLibrary);
    }
}

FT_STATUS TMyFtdi::NumDevices(void* pointer1, void* pointer2, std::uint32_t flags) {
    return api.NumDevices(pointer1, pointer2, flags);
}

FT_STATUS TMyFtdi::ListDevices(std::uint32_t index, void* buffer, std::uint32_t flags) {
    // With FT_LIST_BY_INDEX the first argument carries the index itself, not an address.
    return api.ListDevices(reinterpret_cast<void*>(static_cast<std::uintptr_t>(index)), buffer,
                           flags);
}

FT_STATUS TMyFtdi::CreateDeviceInfoList() {
    FT_DWORD count = 0;
    return api.CreateDeviceInfoList(&count);
}

FT_STATUS TMyFtdi::GetDeviceInfoList(FT_DEVICE_LIST_INFO_NODE* list, FT_DWORD* count) {
    return api.GetDeviceInfoList(list, count);
}

FT_STATUS TMyFtdi::GetDeviceInfoDetail(std::uint32_t index, FT_DWORD* flags, FT_DWORD* type,
                                       FT_DWORD* id, FT_DWORD* locId, void* serialNumber,
                                       void* description, FT_HANDLE* handle) {
    return api.GetDeviceInfoDetail(index, flags, type, id, locId, serialNumber, description,
                                   handle);
}

FT_STATUS TMyFtdi::Open(int index) {
    return api.Open(index, &FHandle);
}

FT_STATUS TMyFtdi::Close() {
    return api.Close(FHandle);
}

FT_STATUS TMyFtdi::ResetDevice() {
    return api.ResetDevice(FHandle);
}

FT_STATUS TMyFtdi::SetDataCharacteristics(int wordLength, int stopBits, int parity) {
    return api.SetDataCharacteristics(FHandle, static_cast<unsigned char>(wordLength),
                                      static_cast<unsigned char>(stopBits),
                                      static_cast<unsigned char>(parity));
}

FT_STATUS TMyFtdi::SetBaudRate(int rate) {
    return api.SetBaudRate(FHandle, static_cast<unsigned long>(rate));
}

FT_STATUS TMyFtdi::SetNonStandardBaudRate(int rate) {
    if (rate <= 0) {
        return FT_INVALID_PARAMETER; // no divisor for it (and no division by zero)
    }
    return api.SetDivisor(FHandle, static_cast<unsigned short>(3000000 / rate));
}

int TMyFtdi::Read(std::uint8_t* buffer, int count) {
    FT_DWORD returned = 0;
    if (api.Read(FHandle, buffer, static_cast<FT_DWORD>(count), &returned) != FT_OK) {
        return 0;
    }
    return static_cast<int>(returned);
}

int TMyFtdi::Write(const std::uint8_t* buffer, int count) {
    FT_DWORD written = 0;
    if (api.Write(FHandle, const_cast<std::uint8_t*>(buffer), static_cast<FT_DWORD>(count),
                  &written) != FT_OK) {
        return 0;
    }
    return static_cast<int>(written);
}

int TMyFtdi::InQueCount() {
    FT_DWORD queued = 0;
    if (api.GetQueueStatus(FHandle, &queued) != FT_OK) {
        return 0;
    }
    return static_cast<int>(queued);
}

FT_STATUS TMyFtdi::QueueStatus() {
    FT_DWORD queued = 0;
    return api.GetQueueStatus(FHandle, &queued);
}

FT_STATUS TMyFtdi::Purge(int mask) {
    return api.Purge(FHandle, static_cast<unsigned long>(mask));
}
