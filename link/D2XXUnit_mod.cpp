#include "D2XXUnit_mod.h"

#include "D2xxLoader.h"
#include "FrameTrace.h"
#include "MessageSeam.h"

#include <algorithm>
#include <iterator>
#include <string>

FT_HANDLE DeviceHandle = nullptr;
std::uint8_t XonChar = DefaultXonChar;
std::uint8_t XoffChar = DefaultXoffChar;
bool ShowLinkErrors = true;
std::int32_t LinkStatus = 0;

std::uint32_t BaudRate = 0;
std::uint8_t WordLength = 0;
std::uint8_t StopBits = 0;
std::uint8_t Parity = 0;
std::uint16_t FlowControl = 0;

DWORD RxQueueBytes = 0;
DWORD TxQueueBytes = 0;
DWORD EventStatus = 0;

DWORD DeviceInfoCount = 0;
std::vector<FT_DEVICE_LIST_INFO_NODE> DeviceInfoList;

std::uint8_t InBuffer[LinkBufferSize] = {};
std::uint8_t OutBuffer[LinkBufferSize] = {};

namespace {

// Held in a function so that the unloaded table is in place before the first call, whatever
// the order in which static objects come to life.
D2xxApi& ApiInUse() {
    static D2xxApi api = UnloadedD2xxApi();
    return api;
}

// The location of the device last opened, for the frame trace; used as DeviceHandle is.
DWORD OpenLocation = 0;

WindowOwner& ErrorOwner() {
    static WindowOwner owner;
    return owner;
}

FT_STATUS Reported(std::string_view name, FT_STATUS status) {
    ReportLinkError(name, status);
    return status;
}

DWORD BufferCount(DWORD count) {
    return std::min<DWORD>(count, static_cast<DWORD>(LinkBufferSize));
}

} // namespace

void SetD2xxApi(const D2xxApi& api) {
    ApiInUse() = api;
}

const D2xxApi& CurrentD2xxApi() {
    return ApiInUse();
}

std::string DriverFailureReason() {
    const char* reason = ApiInUse().LastFailure ? ApiInUse().LastFailure() : nullptr;
    return reason ? reason : "";
}

void SetLinkErrorOwner(WindowOwner owner) {
    ErrorOwner() = owner;
}

void ReportLinkError(std::string_view name, FT_STATUS status) {
    if (!ShowLinkErrors || status == FT_OK) {
        return;
    }
    std::string text(name);
    if (status < std::size(StatusTexts)) {
        text += StatusTexts[status];
    } else {
        text += " - Unknown error (" + std::to_string(status) + ")...";
    }
    ShowMessage({text, "Error", MessageIcon::Error, MessageButtons::Ok, ErrorOwner()});
}

FT_STATUS Open_USB_Device_By_Device_Location(DWORD location) {
    void* locationArg = reinterpret_cast<void*>(static_cast<std::uintptr_t>(location));
    OpenLocation = location;
    return Reported("Open_USB_Device_By_Device_Location",
                    ApiInUse().OpenEx(locationArg, FT_OPEN_BY_LOCATION, &DeviceHandle));
}

FT_STATUS LinkClose() {
    return Reported("FT_Close", ApiInUse().Close(DeviceHandle));
}

DWORD LinkRead(DWORD count) {
    DWORD bytesRead = 0;
    const FT_STATUS status = Transfer(TransferDirection::Receive, DeviceHandle, OpenLocation,
                                      InBuffer, BufferCount(count), bytesRead);
    LinkStatus = static_cast<std::int32_t>(status);
    ReportLinkError("FT_Read", status);
    return bytesRead;
}

DWORD LinkWrite(DWORD count) {
    DWORD bytesWritten = 0;
    const FT_STATUS status = Transfer(TransferDirection::Send, DeviceHandle, OpenLocation,
                                      OutBuffer, BufferCount(count), bytesWritten);
    LinkStatus = static_cast<std::int32_t>(status);
    ReportLinkError("FT_Write", status);
    return bytesWritten;
}

FT_STATUS LinkReset() {
    return Reported("FT_ResetDevice", ApiInUse().ResetDevice(DeviceHandle));
}

FT_STATUS LinkSetBaudRate() {
    return Reported("FT_SetBaudRate", ApiInUse().SetBaudRate(DeviceHandle, BaudRate));
}

FT_STATUS LinkSetDataCharacteristics() {
    return Reported("FT_SetDataCharacteristics",
                    ApiInUse().SetDataCharacteristics(DeviceHandle, WordLength, StopBits, Parity));
}

FT_STATUS LinkSetFlowControl() {
    return Reported("FT_SetFlowControl",
                    ApiInUse().SetFlowControl(DeviceHandle, FlowControl, XonChar, XoffChar));
}

FT_STATUS LinkPurgeRx() {
    return Reported("FT_Purge RX", ApiInUse().Purge(DeviceHandle, FT_PURGE_RX));
}

FT_STATUS LinkPurgeTx() {
    return Reported("FT_Purge TX", ApiInUse().Purge(DeviceHandle, FT_PURGE_TX));
}

FT_STATUS LinkSetTimeouts(ULONG readTimeout, ULONG writeTimeout) {
    return Reported("FT_SetTimeouts",
                    ApiInUse().SetTimeouts(DeviceHandle, readTimeout, writeTimeout));
}

FT_STATUS LinkGetQueueStatus() {
    return Reported("FT_GetQueueStatus", ApiInUse().GetQueueStatus(DeviceHandle, &RxQueueBytes));
}

FT_STATUS LinkGetStatus() {
    return Reported("FT_GetStatus",
                    ApiInUse().GetStatus(DeviceHandle, &RxQueueBytes, &TxQueueBytes, &EventStatus));
}

FT_STATUS LinkCreateDeviceList() {
    return Reported("FT_CreateDeviceInfoList", ApiInUse().CreateDeviceInfoList(&DeviceInfoCount));
}

FT_STATUS LinkGetDeviceList() {
    // Every entry starts zeroed, so none keeps what an earlier fetch left in it.
    DeviceInfoList.assign(DeviceInfoCount, FT_DEVICE_LIST_INFO_NODE{});
    return Reported("FT_GetDeviceInfoList",
                    ApiInUse().GetDeviceInfoList(DeviceInfoList.data(), &DeviceInfoCount));
}
