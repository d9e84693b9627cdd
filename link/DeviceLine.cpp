#include "DeviceLine.h"

#include "D2XXUnit_mod.h"
#include "FrameTrace.h"

#include <algorithm>
#include <cstdint>

namespace {

DWORD Cut(DWORD count) {
    return std::min<DWORD>(count, static_cast<DWORD>(DeviceLine::BufferSize));
}

} // namespace

FT_STATUS DeviceLine::Noted(FT_STATUS status) {
    if (status != FT_OK)
        failureReason_ = DriverFailureReason();
    return status;
}

FT_STATUS DeviceLine::Open(DWORD location) {
    void* locationArg = reinterpret_cast<void*>(static_cast<std::uintptr_t>(location));
    location_ = location;
    return Noted(CurrentD2xxApi().OpenEx(locationArg, FT_OPEN_BY_LOCATION, &handle_));
}

FT_STATUS DeviceLine::Close() {
    return Noted(CurrentD2xxApi().Close(handle_));
}

FT_STATUS DeviceLine::Reset() {
    return Noted(CurrentD2xxApi().ResetDevice(handle_));
}

FT_STATUS DeviceLine::SetBaudRate(ULONG baudRate) {
    return Noted(CurrentD2xxApi().SetBaudRate(handle_, baudRate));
}

FT_STATUS DeviceLine::SetDataCharacteristics(UCHAR wordLength, UCHAR stopBits, UCHAR parity) {
    return Noted(CurrentD2xxApi().SetDataCharacteristics(handle_, wordLength, stopBits, parity));
}

FT_STATUS DeviceLine::SetFlowControl(USHORT flowControl) {
    return Noted(
        CurrentD2xxApi().SetFlowControl(handle_, flowControl, DefaultXonChar, DefaultXoffChar));
}

FT_STATUS DeviceLine::SetTimeouts(ULONG readMs, ULONG writeMs) {
    return Noted(CurrentD2xxApi().SetTimeouts(handle_, readMs, writeMs));
}

FT_STATUS DeviceLine::PurgeRx() {
    return Noted(CurrentD2xxApi().Purge(handle_, FT_PURGE_RX));
}

FT_STATUS DeviceLine::PurgeTx() {
    return Noted(CurrentD2xxApi().Purge(handle_, FT_PURGE_TX));
}

FT_STATUS DeviceLine::GetQueueStatus() {
    return Noted(CurrentD2xxApi().GetQueueStatus(handle_, &rxQueueBytes_));
}

FT_STATUS DeviceLine::GetStatus() {
    return Noted(
        CurrentD2xxApi().GetStatus(handle_, &rxQueueBytes_, &txQueueBytes_, &eventStatus_));
}

DWORD DeviceLine::Write(const std::uint8_t* bytes, DWORD count) {
    count = Cut(count);
    std::copy_n(bytes, count, out_.begin());
    DWORD written = 0;
    status_ = static_cast<std::int32_t>(
        Noted(Transfer(TransferDirection::Send, handle_, location_, out_.data(), count, written)));
    return written;
}

DWORD DeviceLine::Read(DWORD count) {
    DWORD read = 0;
    status_ = static_cast<std::int32_t>(Noted(
        Transfer(TransferDirection::Receive, handle_, location_, in_.data(), Cut(count), read)));
    return read;
}
