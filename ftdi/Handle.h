// One open FT232R, whichever way the driver reaches it: through the kernel's serial driver (its
// tty, TtyHandle) or through libusb (UsbHandle). The calls are those of the entry points that take
// a handle, with their statuses.
//
// Every member may be called from several threads at once, Close included. A read waiting for
// its bytes when Close comes is woken at once and answers FT_INVALID_HANDLE (on the tty path a
// write waiting for room too; on the libusb path a transfer in flight ends first, within its
// time-out). Close returns once no other call is inside the device, so the device is free for the
// next open when it returns.
//
// Statuses every call may answer: FT_INVALID_HANDLE once Close has run; FT_IO_ERROR once the
// device has left the bus, until Close. A transient fault of the bus is not the device leaving.
#pragma once

#include "D2xxTypes.h"

#include <atomic>
#include <chrono>
#include <cstdint>

namespace ftdi {

// The latency timer asked for at open, from the text of ORQ_SYV_FTDI_LATENCY: a decimal number
// of milliseconds from 1 to 255. Anything else, or no text (null), gives 1.
std::uint8_t LatencyTimerSetting(const char* text);

// The time-outs of FT_SetTimeouts as a handle keeps them, for calls on any thread.
class Timeouts {
public:
    // A write time-out of 0 stands for this many milliseconds.
    static constexpr ULONG DefaultWriteMs = 5000;

    void Set(ULONG readMs, ULONG writeMs) {
        read_.store(readMs, std::memory_order_relaxed);
        write_.store(writeMs == 0 ? DefaultWriteMs : writeMs, std::memory_order_relaxed);
    }
    // When a read or a write that begins now gives up.
    std::chrono::steady_clock::time_point ReadDeadline() const { return Deadline(read_); }
    std::chrono::steady_clock::time_point WriteDeadline() const { return Deadline(write_); }

private:
    static std::chrono::steady_clock::time_point Deadline(const std::atomic<ULONG>& ms) {
        return std::chrono::steady_clock::now() +
               std::chrono::milliseconds(ms.load(std::memory_order_relaxed));
    }
    std::atomic<ULONG> read_{0};
    std::atomic<ULONG> write_{DefaultWriteMs};
};

class Handle {
public:
    virtual ~Handle() = default;

    // Releases the device: FT_OK, even when it has left the bus.
    virtual FT_STATUS Close() = 0;
    // Resets the chip (where the path can) and empties both queues.
    virtual FT_STATUS Reset() = 0;
    // FT_INVALID_BAUD_RATE outside 300 to 3000000 (the FT232R's range); the line-code checks of
    // LineCodes.h answer FT_INVALID_PARAMETER.
    virtual FT_STATUS SetBaudRate(ULONG baudRate) = 0;
    virtual FT_STATUS SetDataCharacteristics(UCHAR wordLength, UCHAR stopBits, UCHAR parity) = 0;
    virtual FT_STATUS SetFlowControl(USHORT flowControl, UCHAR xon, UCHAR xoff) = 0;
    // Read time-out as FT_Read waits it (0: return at once with what has arrived); write
    // time-out for FT_Write (0: Timeouts::DefaultWriteMs).
    virtual FT_STATUS SetTimeouts(ULONG readTimeout, ULONG writeTimeout) = 0;
    virtual FT_STATUS Purge(ULONG mask) = 0;
    // The bytes received and not yet read, at once.
    virtual FT_STATUS GetQueueStatus(DWORD* rxBytes) = 0;
    // The same, the bytes still waiting to be sent, and no events.
    virtual FT_STATUS GetStatus(DWORD* rxBytes, DWORD* txBytes, DWORD* eventStatus) = 0;
    // Waits until `count` bytes have arrived or the read time-out has passed, then takes up to
    // `count`: FT_OK with fewer bytes on a time-out. A device leaving the bus ends the wait at
    // once with FT_IO_ERROR.
    virtual FT_STATUS Read(void* buffer, DWORD count, DWORD* bytesRead) = 0;
    // Sends the bytes; on a write time-out FT_OK with the bytes the device took.
    virtual FT_STATUS Write(const void* buffer, DWORD count, DWORD* bytesWritten) = 0;
};

} // namespace ftdi
