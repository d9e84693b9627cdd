// A line of one unit's own: its handle, buffers, queue counts and transfer status, calling the
// loaded driver table (CurrentD2xxApi) directly. It never shows a dialog: its user tells
// failures itself. Lines of different units may be used from different threads at once; one
// line belongs to one thread at a time. The driver table must not change while a line is in use.
#pragma once

#include "LinkLine.h"

#include <array>
#include <cstddef>
#include <string>

class DeviceLine final : public LinkLine {
public:
    // Room for the largest frame either way, with some to spare.
    static constexpr std::size_t BufferSize = 256;

    DeviceLine() = default;
    DeviceLine(const DeviceLine&) = delete;
    DeviceLine& operator=(const DeviceLine&) = delete;

    FT_STATUS Open(DWORD location) override;
    FT_STATUS Close() override;
    FT_STATUS Reset() override;
    FT_STATUS SetBaudRate(ULONG baudRate) override;
    FT_STATUS SetDataCharacteristics(UCHAR wordLength, UCHAR stopBits, UCHAR parity) override;
    FT_STATUS SetFlowControl(USHORT flowControl) override;
    FT_STATUS SetTimeouts(ULONG readMs, ULONG writeMs) override;
    FT_STATUS PurgeRx() override;
    FT_STATUS PurgeTx() override;
    FT_STATUS GetQueueStatus() override;
    FT_STATUS GetStatus() override;
    DWORD RxQueueBytes() const override { return rxQueueBytes_; }

    DWORD Write(const std::uint8_t* bytes, DWORD count) override;
    DWORD Read(DWORD count) override;
    const std::uint8_t* Received() const override { return in_.data(); }

    std::int32_t Status() const override { return status_; }
    void SetStatus(std::int32_t status) override { status_ = status; }

    void SilenceErrors() override {}

    std::string FailureReason() const override { return failureReason_; }

private:
    // `status`, with the driver's reason kept when it is a failure.
    FT_STATUS Noted(FT_STATUS status);

    FT_HANDLE handle_ = nullptr;
    DWORD location_ = 0; // of the last open, for the frame trace
    std::int32_t status_ = 0;
    DWORD rxQueueBytes_ = 0;
    DWORD txQueueBytes_ = 0;
    DWORD eventStatus_ = 0;
    std::array<std::uint8_t, BufferSize> in_{};
    std::array<std::uint8_t, BufferSize> out_{};
    std::string failureReason_;
};
