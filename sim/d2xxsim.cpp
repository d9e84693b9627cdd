// The simulator as a driver library: the fourteen entry points under their exported names,
// acting on the bus that ORQ_SYV_SIM describes (the default bus when it is unset). The bus is
// built on the first call.
#include "SimConfig.h"
#include "SimDriver.h"

#include <cstdio>
#include <cstdlib>
#include <mutex>

namespace {

const D2xxApi& Driver() {
    static std::once_flag built;
    std::call_once(built, [] {
        const char* config = std::getenv("ORQ_SYV_SIM");
        std::shared_ptr<sim::SimBus> bus;
        if (!config) {
            bus = sim::DefaultBus();
        } else {
            std::string error;
            bus = sim::BusFromConfig(config, error);
            if (!bus) {
                std::fprintf(stderr, "ORQ_SYV_SIM: %s; no devices simulated\n", error.c_str());
                bus = std::make_shared<sim::SimBus>();
            }
        }
        bus->KeepLogs(false);
        if (const char* frames = std::getenv("ORQ_SYV_SIM_FRAMES"))
            bus->WriteFramesTo(frames);
        sim::InstallBus(bus);
    });
    return sim::SimApi();
}

} // namespace

#if defined(_WIN32)
#define SIM_EXPORT extern "C" __declspec(dllexport)
#else
#define SIM_EXPORT extern "C" __attribute__((visibility("default")))
#endif

SIM_EXPORT FT_STATUS FT_API FT_CreateDeviceInfoList(DWORD* numDevs) {
    return Driver().CreateDeviceInfoList(numDevs);
}
SIM_EXPORT FT_STATUS FT_API FT_GetDeviceInfoList(FT_DEVICE_LIST_INFO_NODE* dest, DWORD* numDevs) {
    return Driver().GetDeviceInfoList(dest, numDevs);
}
SIM_EXPORT FT_STATUS FT_API FT_OpenEx(void* arg1, DWORD flags, FT_HANDLE* handle) {
    return Driver().OpenEx(arg1, flags, handle);
}
SIM_EXPORT FT_STATUS FT_API FT_Close(FT_HANDLE handle) {
    return Driver().Close(handle);
}
SIM_EXPORT FT_STATUS FT_API FT_ResetDevice(FT_HANDLE handle) {
    return Driver().ResetDevice(handle);
}
SIM_EXPORT FT_STATUS FT_API FT_SetBaudRate(FT_HANDLE handle, ULONG baudRate) {
    return Driver().SetBaudRate(handle, baudRate);
}
SIM_EXPORT FT_STATUS FT_API FT_SetDataCharacteristics(FT_HANDLE handle, UCHAR wordLength,
                                                      UCHAR stopBits, UCHAR parity) {
    return Driver().SetDataCharacteristics(handle, wordLength, stopBits, parity);
}
SIM_EXPORT FT_STATUS FT_API FT_SetFlowControl(FT_HANDLE handle, USHORT flowControl, UCHAR xon,
                                              UCHAR xoff) {
    return Driver().SetFlowControl(handle, flowControl, xon, xoff);
}
SIM_EXPORT FT_STATUS FT_API FT_SetTimeouts(FT_HANDLE handle, ULONG readTimeout,
                                           ULONG writeTimeout) {
    return Driver().SetTimeouts(handle, readTimeout, writeTimeout);
}
SIM_EXPORT FT_STATUS FT_API FT_Purge(FT_HANDLE handle, ULONG mask) {
    return Driver().Purge(handle, mask);
}
SIM_EXPORT FT_STATUS FT_API FT_GetQueueStatus(FT_HANDLE handle, DWORD* rxBytes) {
    return Driver().GetQueueStatus(handle, rxBytes);
}
SIM_EXPORT FT_STATUS FT_API FT_GetStatus(FT_HANDLE handle, DWORD* rxBytes, DWORD* txBytes,
                                         DWORD* eventStatus) {
    return Driver().GetStatus(handle, rxBytes, txBytes, eventStatus);
}
SIM_EXPORT FT_STATUS FT_API FT_Read(FT_HANDLE handle, void* buffer, DWORD count, DWORD* bytesRead) {
    return Driver().Read(handle, buffer, count, bytesRead);
}
SIM_EXPORT FT_STATUS FT_API FT_Write(FT_HANDLE handle, void* buffer, DWORD count,
                                     DWORD* bytesWritten) {
    return Driver().Write(handle, buffer, count, bytesWritten);
}
