// The open driver as a library: the fourteen entry points under their exported names.
#include "FtdiDriver.h"

#define FT_EXPORT extern "C" __attribute__((visibility("default")))

FT_EXPORT FT_STATUS FT_CreateDeviceInfoList(DWORD* numDevs) {
    return ftdi::FtdiApi().CreateDeviceInfoList(numDevs);
}

FT_EXPORT FT_STATUS FT_GetDeviceInfoList(FT_DEVICE_LIST_INFO_NODE* dest, DWORD* numDevs) {
    return ftdi::FtdiApi().GetDeviceInfoList(dest, numDevs);
}

FT_EXPORT FT_STATUS FT_OpenEx(void* arg1, DWORD flags, FT_HANDLE* handle) {
    return ftdi::FtdiApi().OpenEx(arg1, flags, handle);
}

FT_EXPORT FT_STATUS FT_Close(FT_HANDLE handle) {
    return ftdi::FtdiApi().Close(handle);
}

FT_EXPORT FT_STATUS FT_ResetDevice(FT_HANDLE handle) {
    return ftdi::FtdiApi().ResetDevice(handle);
}

FT_EXPORT FT_STATUS FT_SetBaudRate(FT_HANDLE handle, ULONG baudRate) {
    return ftdi::FtdiApi().SetBaudRate(handle, baudRate);
}

FT_EXPORT FT_STATUS FT_SetDataCharacteristics(FT_HANDLE handle, UCHAR wordLength, UCHAR stopBits,
                                              UCHAR parity) {
    return ftdi::FtdiApi().SetDataCharacteristics(handle, wordLength, stopBits, parity);
}

FT_EXPORT FT_STATUS FT_SetFlowControl(FT_HANDLE handle, USHORT flowControl, UCHAR xon, UCHAR xoff) {
    return ftdi::FtdiApi().SetFlowControl(handle, flowControl, xon, xoff);
}

FT_EXPORT FT_STATUS FT_SetTimeouts(FT_HANDLE handle, ULONG readTimeout, ULONG writeTimeout) {
    return ftdi::FtdiApi().SetTimeouts(handle, readTimeout, writeTimeout);
}

FT_EXPORT FT_STATUS FT_Purge(FT_HANDLE handle, ULONG mask) {
    return ftdi::FtdiApi().Purge(handle, mask);
}

FT_EXPORT FT_STATUS FT_GetQueueStatus(FT_HANDLE handle, DWORD* rxBytes) {
    return ftdi::FtdiApi().GetQueueStatus(handle, rxBytes);
}

FT_EXPORT FT_STATUS FT_GetStatus(FT_HANDLE handle, DWORD* rxBytes, DWORD* txBytes,
                                 DWORD* eventStatus) {
    return ftdi::FtdiApi().GetStatus(handle, rxBytes, txBytes, eventStatus);
}

FT_EXPORT FT_STATUS FT_Read(FT_HANDLE handle, void* buffer, DWORD count, DWORD* bytesRead) {
    return ftdi::FtdiApi().Read(handle, buffer, count, bytesRead);
}

FT_EXPORT FT_STATUS FT_Write(FT_HANDLE handle, void* buffer, DWORD count, DWORD* bytesWritten) {
    return ftdi::FtdiApi().Write(handle, buffer, count, bytesWritten);
}
