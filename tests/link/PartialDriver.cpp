// A driver library that lacks FT_GetStatus. Every entry it has answers FT_OK without touching
// its arguments, so a table that leaked any of them would show up as a success.
#include "D2xxTypes.h"

extern "C" {

FT_STATUS FT_API FT_CreateDeviceInfoList(DWORD*) {
    return FT_OK;
}
FT_STATUS FT_API FT_GetDeviceInfoList(FT_DEVICE_LIST_INFO_NODE*, DWORD*) {
    return FT_OK;
}
FT_STATUS FT_API FT_OpenEx(void*, DWORD, FT_HANDLE*) {
    return FT_OK;
}
FT_STATUS FT_API FT_Close(FT_HANDLE) {
    return FT_OK;
}
FT_STATUS FT_API FT_ResetDevice(FT_HANDLE) {
    return FT_OK;
}
FT_STATUS FT_API FT_SetBaudRate(FT_HANDLE, ULONG) {
    return FT_OK;
}
FT_STATUS FT_API FT_SetDataCharacteristics(FT_HANDLE, UCHAR, UCHAR, UCHAR) {
    return FT_OK;
}
FT_STATUS FT_API FT_SetFlowControl(FT_HANDLE, USHORT, UCHAR, UCHAR) {
    return FT_OK;
}
FT_STATUS FT_API FT_SetTimeouts(FT_HANDLE, ULONG, ULONG) {
    return FT_OK;
}
FT_STATUS FT_API FT_Purge(FT_HANDLE, ULONG) {
    return FT_OK;
}
FT_STATUS FT_API FT_GetQueueStatus(FT_HANDLE, DWORD*) {
    return FT_OK;
}
FT_STATUS FT_API FT_Read(FT_HANDLE, void*, DWORD, DWORD*) {
    return FT_OK;
}
FT_STATUS FT_API FT_Write(FT_HANDLE, void*, DWORD, DWORD*) {
    return FT_OK;
}

} // extern "C"
