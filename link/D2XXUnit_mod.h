// The USB link layer: the one module that talks to the D2XX driver. Module state is global and
// each operation is one driver call on it. Device operations return the driver status (0 =
// success) and, when it is nonzero and ShowLinkErrors is on, show the driver error dialog before
// they return. Nothing is retried and the device is never closed behind the caller's back.
//
// One thread at a time uses the module (no lock): the GUI thread, or the device worker alone
// while it runs. The dialog must come up on the GUI thread, which is why ShowLinkErrors is off
// whenever the worker uses the layer.
#pragma once

#include "D2xxTypes.h"
#include "LinkLine.h"
#include "WindowOwner.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

inline constexpr std::size_t LinkBufferSize = 65536;

// The one open device: set by Open_USB_Device_By_Device_Location, used by every other device
// operation. LinkClose leaves the stale handle in place.
extern FT_HANDLE DeviceHandle;
// Passed with the flow-control setting; they start as the Default characters.
inline constexpr std::uint8_t DefaultXonChar = 0x11;
inline constexpr std::uint8_t DefaultXoffChar = 0x13;
extern std::uint8_t XonChar;
extern std::uint8_t XoffChar;
// When false, no error dialog is shown. Starts true.
extern bool ShowLinkErrors;
// Status of the last transfer: the driver status of the last LinkRead or LinkWrite, or a value
// a caller stores (31 short transfer, 32 no complete reply in time).
extern std::int32_t LinkStatus;

// Line settings, stored by the callers before they apply them: baud, number of data bits, stop
// bits (0 = one), parity (0 = none), flow control (0 = none), all in the driver's codes.
extern std::uint32_t BaudRate;
extern std::uint8_t WordLength;
extern std::uint8_t StopBits;
extern std::uint8_t Parity;
extern std::uint16_t FlowControl;

// Received bytes waiting in the driver, from the last queue or status query.
extern DWORD RxQueueBytes;
// Bytes waiting to be sent and the event status word, from the last status query.
extern DWORD TxQueueBytes;
extern DWORD EventStatus;

// Number of devices from the last LinkCreateDeviceList, as updated by the last fetch, and the
// last fetched list.
extern DWORD DeviceInfoCount;
extern std::vector<FT_DEVICE_LIST_INFO_NODE> DeviceInfoList;

// Every read lands at the start of InBuffer; every write takes its bytes from the start of
// OutBuffer. Both live for the whole run.
extern std::uint8_t InBuffer[LinkBufferSize];
extern std::uint8_t OutBuffer[LinkBufferSize];

// Appended to the operation's name in the error dialog, indexed by driver status 1..17 (0 is
// success and has no text). Every text begins with a space.
inline constexpr const char* StatusTexts[18] = {
    "",
    " - Invalid handle...",
    " - Device not found...",
    " - Device not opened...",
    " - General IO error...",
    " - Insufficient resources...",
    " - Invalid parameter...",
    " - Invalid baud rate...",
    " Device not opened for erase...",
    " Device not opened for write...",
    " - Failed to write...",
    " - EEPROM read failed...",
    " - EEPROM write failed...",
    " - EEPROM erase failed...",
    " - EEPROM not present...",
    " - EEPROM not programmed...",
    " - Invalid arguments...",
    " - Other error ...",
};

// Names of the driver's device type codes. No operation shows them.
inline constexpr const char* DeviceTypeNames[10] = {
    "FT232BM", "FT232AM", "FT100AX", "Unknown", "FT2232C",
    "FT232R",  "FT2232H", "FT4232H", "FT232H",  "FT-X",
};

// The driver table the operations call. Until SetD2xxApi is called it is the unloaded table, on
// which every operation fails with FT_OTHER_ERROR. The table given must have no null entry; it
// is copied.
void SetD2xxApi(const D2xxApi& api);
const D2xxApi& CurrentD2xxApi();

// Why the calling thread's last driver call failed, as the table's LastFailure tells it: "" when
// the driver has no LastFailure or knew no more than the status. Asked right after the failing
// call, on the thread that made it.
std::string DriverFailureReason();

// The window that owns the error boxes: the one whose work the driver calls serve while the
// boxes are on (the device list, which probes and opens units). None until it is set.
void SetLinkErrorOwner(WindowOwner owner);

// Nothing when ShowLinkErrors is off or `status` is 0. Otherwise shows a modal error box owned
// by the window SetLinkErrorOwner named, caption "Error", one OK button, whose text is `name`
// directly followed by the status's StatusTexts entry (" - Unknown error (N)..." for a status
// beyond the table), and returns once the operator has closed it.
void ReportLinkError(std::string_view name, FT_STATUS status);

// FT_OpenEx(location, FT_OPEN_BY_LOCATION, &DeviceHandle). Dialog name
// "Open_USB_Device_By_Device_Location". Opening while another device is open overwrites the
// handle: close first.
FT_STATUS Open_USB_Device_By_Device_Location(DWORD location);
// FT_Close(DeviceHandle); "FT_Close". DeviceHandle is left as it was.
FT_STATUS LinkClose();

// FT_Read of `count` bytes into the start of InBuffer; "FT_Read". Stores the driver status in
// LinkStatus and returns the number of bytes read, which means nothing when LinkStatus is
// nonzero. A count above LinkBufferSize is cut to it. Both transfers are traced (FrameTrace.h).
DWORD LinkRead(DWORD count);
// FT_Write of the first `count` bytes of OutBuffer; "FT_Write". Stores the driver status in
// LinkStatus and returns the number of bytes written, as LinkRead.
DWORD LinkWrite(DWORD count);

// FT_ResetDevice(DeviceHandle); "FT_ResetDevice".
FT_STATUS LinkReset();
// FT_SetBaudRate(DeviceHandle, BaudRate); "FT_SetBaudRate".
FT_STATUS LinkSetBaudRate();
// FT_SetDataCharacteristics(DeviceHandle, WordLength, StopBits, Parity);
// "FT_SetDataCharacteristics".
FT_STATUS LinkSetDataCharacteristics();
// FT_SetFlowControl(DeviceHandle, FlowControl, XonChar, XoffChar); "FT_SetFlowControl".
FT_STATUS LinkSetFlowControl();
// FT_Purge(DeviceHandle, FT_PURGE_RX); "FT_Purge RX".
FT_STATUS LinkPurgeRx();
// FT_Purge(DeviceHandle, FT_PURGE_TX); "FT_Purge TX".
FT_STATUS LinkPurgeTx();
// FT_SetTimeouts(DeviceHandle, read, write), both in ms; "FT_SetTimeouts".
FT_STATUS LinkSetTimeouts(ULONG readTimeout, ULONG writeTimeout);
// FT_GetQueueStatus(DeviceHandle, &RxQueueBytes); "FT_GetQueueStatus".
FT_STATUS LinkGetQueueStatus();
// FT_GetStatus(DeviceHandle, &RxQueueBytes, &TxQueueBytes, &EventStatus); "FT_GetStatus".
FT_STATUS LinkGetStatus();

// FT_CreateDeviceInfoList(&DeviceInfoCount); "FT_CreateDeviceInfoList".
FT_STATUS LinkCreateDeviceList();
// Sizes DeviceInfoList to DeviceInfoCount zeroed entries (empty for 0), then
// FT_GetDeviceInfoList(DeviceInfoList.data(), &DeviceInfoCount); "FT_GetDeviceInfoList".
// Called right after LinkCreateDeviceList, whose count sizes the list.
FT_STATUS LinkGetDeviceList();
