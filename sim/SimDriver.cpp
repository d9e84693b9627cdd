#include "SimDriver.h"

#include <mutex>
#include <utility>

namespace sim {

namespace {

std::mutex installMutex;
std::shared_ptr<SimBus> installed;

// Runs `call` on the installed bus; with none installed every call answers "not found". The bus
// is held for the length of the call, so replacing it meanwhile is safe.
template <typename Call> FT_STATUS OnBus(Call call) {
    const std::shared_ptr<SimBus> bus = InstalledBus();
    return bus ? call(*bus) : FT_DEVICE_NOT_FOUND;
}

FT_STATUS FT_API CreateDeviceInfoList(DWORD* numDevs) {
    return OnBus([&](SimBus& bus) { return bus.CreateDeviceInfoList(numDevs); });
}
FT_STATUS FT_API GetDeviceInfoList(FT_DEVICE_LIST_INFO_NODE* dest, DWORD* numDevs) {
    return OnBus([&](SimBus& bus) { return bus.GetDeviceInfoList(dest, numDevs); });
}
FT_STATUS FT_API OpenEx(void* arg1, DWORD flags, FT_HANDLE* handle) {
    return OnBus([&](SimBus& bus) { return bus.OpenEx(arg1, flags, handle); });
}
FT_STATUS FT_API Close(FT_HANDLE handle) {
    return OnBus([&](SimBus& bus) { return bus.Close(handle); });
}
FT_STATUS FT_API ResetDevice(FT_HANDLE handle) {
    return OnBus([&](SimBus& bus) { return bus.ResetDevice(handle); });
}
FT_STATUS FT_API SetBaudRate(FT_HANDLE handle, ULONG baudRate) {
    return OnBus([&](SimBus& bus) { return bus.SetBaudRate(handle, baudRate); });
}
FT_STATUS FT_API SetDataCharacteristics(FT_HANDLE handle, UCHAR wordLength, UCHAR stopBits,
                                        UCHAR parity) {
    return OnBus([&](SimBus& bus) {
        return bus.SetDataCharacteristics(handle, wordLength, stopBits, parity);
    });
}
FT_STATUS FT_API SetFlowControl(FT_HANDLE handle, USHORT flowControl, UCHAR xon, UCHAR xoff) {
    return OnBus([&](SimBus& bus) { return bus.SetFlowControl(handle, flowControl, xon, xoff); });
}
FT_STATUS FT_API SetTimeouts(FT_HANDLE handle, ULONG readTimeout, ULONG writeTimeout) {
    return OnBus([&](SimBus& bus) { return bus.SetTimeouts(handle, readTimeout, writeTimeout); });
}
FT_STATUS FT_API Purge(FT_HANDLE handle, ULONG mask) {
    return OnBus([&](SimBus& bus) { return bus.Purge(handle, mask); });
}
FT_STATUS FT_API GetQueueStatus(FT_HANDLE handle, DWORD* rxBytes) {
    return OnBus([&](SimBus& bus) { return bus.GetQueueStatus(handle, rxBytes); });
}
FT_STATUS FT_API GetStatus(FT_HANDLE handle, DWORD* rxBytes, DWORD* txBytes, DWORD* eventStatus) {
    return OnBus([&](SimBus& bus) { return bus.GetStatus(handle, rxBytes, txBytes, eventStatus); });
}
FT_STATUS FT_API Read(FT_HANDLE handle, void* buffer, DWORD count, DWORD* bytesRead) {
    return OnBus([&](SimBus& bus) { return bus.Read(handle, buffer, count, bytesRead); });
}
FT_STATUS FT_API Write(FT_HANDLE handle, void* buffer, DWORD count, DWORD* bytesWritten) {
    return OnBus([&](SimBus& bus) { return bus.Write(handle, buffer, count, bytesWritten); });
}

constexpr D2xxApi Table = {
    CreateDeviceInfoList,
    GetDeviceInfoList,
    OpenEx,
    Close,
    ResetDevice,
    SetBaudRate,
    SetDataCharacteristics,
    SetFlowControl,
    SetTimeouts,
    Purge,
    GetQueueStatus,
    GetStatus,
    Read,
    Write,
};

} // namespace

std::shared_ptr<SimBus> InstallBus(std::shared_ptr<SimBus> bus) {
    std::lock_guard lock(installMutex);
    return std::exchange(installed, std::move(bus));
}

std::shared_ptr<SimBus> InstalledBus() {
    std::lock_guard lock(installMutex);
    return installed;
}

const D2xxApi& SimApi() {
    return Table;
}

} // namespace sim
