// An FT232R reached through libusb, for a chip that no kernel driver holds: its libftdi1 context,
// the reader thread that keeps a bulk read pending on it and the bytes received so far.
//
// Locks: the lifecycle lock is taken exclusively by what starts or stops the reader or frees the
// context (Close, Reset, a purge of the receive side) and shared by every other call that
// reaches the device; it is never needed by reads and queue queries, which take only the queue's
// mutex. No mutex is held across a transfer but the shared lifecycle lock.
#pragma once

#include "Handle.h"
#include "SysfsDevices.h"

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <shared_mutex>
#include <string>
#include <thread>

struct ftdi_context;

namespace ftdi {

// The receive queue holds at most this many bytes (the most one read may ask for); beyond it the
// bytes wait in the chip, as they would for a program that does not read.
inline constexpr std::size_t ReceiveQueueCapacity = 65536;

class UsbHandle final : public Handle {
public:
    // Opens `device`, which no kernel driver may hold (nothing is ever detached), claims it,
    // sets the latency timer and starts the reader. FT_DEVICE_NOT_FOUND when it is no longer
    // on the bus, FT_DEVICE_NOT_OPENED when it cannot be claimed (a driver or another program
    // holds it, or access is denied), FT_IO_ERROR when the chip refuses the set-up.
    static FT_STATUS Open(const UsbDevice& device, std::uint8_t latencyTimer,
                          std::unique_ptr<Handle>& opened);
    ~UsbHandle() override;
    UsbHandle(const UsbHandle&) = delete;
    UsbHandle& operator=(const UsbHandle&) = delete;

    FT_STATUS Close() override;
    // Resets the chip, sets its latency timer again and empties both queues.
    FT_STATUS Reset() override;
    FT_STATUS SetBaudRate(ULONG baudRate) override;
    FT_STATUS SetDataCharacteristics(UCHAR wordLength, UCHAR stopBits, UCHAR parity) override;
    FT_STATUS SetFlowControl(USHORT flowControl, UCHAR xon, UCHAR xoff) override;
    FT_STATUS SetTimeouts(ULONG readTimeout, ULONG writeTimeout) override;
    FT_STATUS Purge(ULONG mask) override;
    FT_STATUS GetQueueStatus(DWORD* rxBytes) override;
    // Nothing is ever waiting to be sent: a write returns once the chip has taken its bytes.
    FT_STATUS GetStatus(DWORD* rxBytes, DWORD* txBytes, DWORD* eventStatus) override;
    FT_STATUS Read(void* buffer, DWORD count, DWORD* bytesRead) override;
    FT_STATUS Write(const void* buffer, DWORD count, DWORD* bytesWritten) override;

private:
    UsbHandle(const UsbDevice& device, std::uint8_t latencyTimer);
    // The reader's loop, and starting and stopping it, under the exclusive lifecycle lock.
    // Stopping waits for the transfer in flight, which the chip ends within a latency period.
    void ReadLoop();
    void StartReader();
    void StopReader();
    // Runs `call` under the lifecycle lock, exclusive or shared, once the handle is usable.
    template <typename Call> FT_STATUS Exclusive(Call call) {
        std::unique_lock lifecycle(lifecycle_);
        const FT_STATUS status = Usable();
        return status != FT_OK ? status : call();
    }
    template <typename Call> FT_STATUS Shared(Call call) {
        std::shared_lock lifecycle(lifecycle_);
        const FT_STATUS status = Usable();
        return status != FT_OK ? status : call();
    }
    // FT_INVALID_HANDLE after Close, FT_IO_ERROR once the device is gone, else FT_OK.
    FT_STATUS Usable();
    bool NodeExists() const;
    void MarkGone();
    // FT_IO_ERROR for a device that has left the bus, with that noted.
    FT_STATUS LeftTheBus();
    // The status of a failed libftdi1 call: FT_IO_ERROR, with libftdi1's reason noted and the
    // device marked gone when its node has disappeared.
    FT_STATUS Failed();

    const std::string node_;
    const std::uint8_t latencyTimer_;
    ftdi_context* context_ = nullptr;
    std::shared_mutex lifecycle_;
    std::thread reader_;
    std::mutex queueMutex_;
    std::condition_variable arrived_; // bytes came, the device went, or Close began
    std::condition_variable room_;    // the queue has room again, or the reader must stop
    std::deque<std::uint8_t> rx_;     // under queueMutex_
    bool stopReader_ = false;         // under queueMutex_
    // Set once and never cleared; set under queueMutex_ so that a waiting read cannot miss them.
    std::atomic<bool> gone_{false};
    std::atomic<bool> closed_{false};
    Timeouts timeouts_;
};

} // namespace ftdi
