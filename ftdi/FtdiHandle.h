// One open FT232R: its libftdi1 context, the reader thread that keeps a bulk read pending on it
// and the bytes received so far. Every member takes the handle's one mutex; the reader takes it
// only to hand over what a transfer brought.
//
// Statuses: FT_INVALID_HANDLE once Close has run; FT_IO_ERROR from the first call after the
// device has left the bus (or failed a transfer), until Close.
#pragma once

#include "D2xxTypes.h"
#include "SysfsDevices.h"

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

struct ftdi_context;

namespace ftdi {

// The latency timer set at open, from the text of ORQ_SYV_FTDI_LATENCY: a decimal number of
// milliseconds from 1 to 255. Anything else, or no text (null), gives 1.
std::uint8_t LatencyTimerSetting(const char* text);

class Handle {
public:
    // Opens `device`: detaches ftdi_sio from it (given back at Close, so /dev/ttyUSB* returns),
    // claims it, sets the latency timer and starts the reader. FT_DEVICE_NOT_FOUND when it is no
    // longer on the bus, FT_DEVICE_NOT_OPENED when it cannot be claimed (another program holds
    // it, or access is denied), FT_IO_ERROR when the chip refuses the set-up.
    static FT_STATUS Open(const UsbDevice& device, std::uint8_t latencyTimer,
                          std::unique_ptr<Handle>& opened);
    ~Handle();
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;

    DWORD LocationId() const { return device_.locationId; }

    // Stops the reader, releases the device and gives ftdi_sio back. FT_OK even when the device
    // is gone; every later call answers FT_INVALID_HANDLE.
    FT_STATUS Close();
    // Resets the chip and empties both queues.
    FT_STATUS Reset();
    FT_STATUS SetBaudRate(ULONG baudRate);
    FT_STATUS SetDataCharacteristics(UCHAR wordLength, UCHAR stopBits, UCHAR parity);
    FT_STATUS SetFlowControl(USHORT flowControl, UCHAR xon, UCHAR xoff);
    // Read time-out as FT_Read waits it (0: return at once with what has arrived); write
    // time-out for each USB transfer out (0: the library's default of 5 s).
    FT_STATUS SetTimeouts(ULONG readTimeout, ULONG writeTimeout);
    FT_STATUS Purge(ULONG mask);
    // The bytes received and not yet read, at once.
    FT_STATUS GetQueueStatus(DWORD* rxBytes);
    // The same, with nothing waiting to be sent (writes are taken whole or fail) and no events.
    FT_STATUS GetStatus(DWORD* rxBytes, DWORD* txBytes, DWORD* eventStatus);
    // Waits until `count` bytes have arrived or the read time-out has passed, then takes up to
    // `count`: FT_OK with fewer bytes on a time-out.
    FT_STATUS Read(void* buffer, DWORD count, DWORD* bytesRead);
    // Sends the bytes; on a write time-out FT_OK with the bytes the chip took.
    FT_STATUS Write(const void* buffer, DWORD count, DWORD* bytesWritten);

private:
    explicit Handle(const UsbDevice& device);
    // The reader's loop, and starting and stopping it. Stop waits for the transfer in flight
    // (the chip ends it within a latency period) and must be called without the mutex held.
    void ReadLoop();
    void StartReader();
    void StopReader(std::unique_lock<std::mutex>& lock);
    // FT_INVALID_HANDLE after Close, FT_IO_ERROR once the device is gone, else FT_OK.
    FT_STATUS Usable();
    // The status of a failed libftdi1 or libusb call: FT_IO_ERROR, with the device marked gone
    // when its node has disappeared.
    FT_STATUS Failed();

    const UsbDevice device_;
    const std::string node_;
    ftdi_context* context_ = nullptr;
    std::mutex mutex_;
    std::condition_variable arrived_;
    std::deque<std::uint8_t> rx_;
    std::thread reader_;
    bool stopReader_ = false;
    bool gone_ = false;
    bool closed_ = false;
    ULONG readTimeout_ = 0;
};

} // namespace ftdi
