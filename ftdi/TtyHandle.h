// An FT232R reached through the kernel's serial driver: its tty (/dev/ttyUSBn), driven with
// termios. The kernel keeps the chip's bytes, so there is no thread of ours: a read waits in
// poll on the calling thread. Nothing is ever detached from the chip, and a process that dies
// with the tty open leaves it to the next one as it was.
//
// A tty open here is held exclusively (TIOCEXCL, where the tty allows it) and under an advisory
// lock, flock(LOCK_EX) on the node, as serial programs hold theirs: a tty another program holds
// by either means is refused.
#pragma once

#include "Handle.h"
#include "SysfsDevices.h"
#include "TtyLine.h"

#include <atomic>
#include <chrono>
#include <memory>
#include <mutex>
#include <shared_mutex>
#include <string>

namespace ftdi {

// Whether any process, this one included, holds a lock on the node at `path` (as /proc/locks
// lists them). Asks nothing of the tty itself, so it disturbs nobody who has it open.
bool NodeLocked(const std::string& path);

class TtyHandle final : public Handle {
public:
    // Opens the tty of `device` in raw mode at 9600 baud, 8N1, no flow control, and asks the
    // serial driver for `latencyTimer`: the low-latency flag for 1 ms, else the port's
    // latency_timer attribute, each where the driver and this user's rights allow (a tty that
    // refuses both works at the timer it has). FT_DEVICE_NOT_FOUND when the tty is gone,
    // FT_DEVICE_NOT_OPENED when another program holds it or access is denied.
    static FT_STATUS Open(const UsbDevice& device, std::uint8_t latencyTimer,
                          std::unique_ptr<Handle>& opened);
    ~TtyHandle() override;
    TtyHandle(const TtyHandle&) = delete;
    TtyHandle& operator=(const TtyHandle&) = delete;

    FT_STATUS Close() override;
    // The chip cannot be sent its reset through the tty: both queues are emptied.
    FT_STATUS Reset() override;
    FT_STATUS SetBaudRate(ULONG baudRate) override;
    FT_STATUS SetDataCharacteristics(UCHAR wordLength, UCHAR stopBits, UCHAR parity) override;
    // FT_NOT_SUPPORTED for DTR/DSR flow control, which a tty does not have; the line is left as
    // it was.
    FT_STATUS SetFlowControl(USHORT flowControl, UCHAR xon, UCHAR xoff) override;
    FT_STATUS SetTimeouts(ULONG readTimeout, ULONG writeTimeout) override;
    FT_STATUS Purge(ULONG mask) override;
    FT_STATUS GetQueueStatus(DWORD* rxBytes) override;
    FT_STATUS GetStatus(DWORD* rxBytes, DWORD* txBytes, DWORD* eventStatus) override;
    FT_STATUS Read(void* buffer, DWORD count, DWORD* bytesRead) override;
    FT_STATUS Write(const void* buffer, DWORD count, DWORD* bytesWritten) override;

private:
    using Clock = std::chrono::steady_clock;
    // How a wait in poll ended: FT_OK when the tty is ready, Timeout when `deadline` passed;
    // else the status to answer (FT_INVALID_HANDLE when Close began, FT_IO_ERROR when the tty
    // hung up or poll failed).
    static constexpr FT_STATUS Timeout = ~FT_STATUS{0};
    FT_STATUS Await(short events, Clock::time_point deadline);

    TtyHandle(std::string node, int fd, int wake);
    // Runs `call` under the shared lifecycle lock once the handle is usable.
    template <typename Call> FT_STATUS Use(Call call) {
        std::shared_lock lifecycle(lifecycle_);
        if (closed_.load(std::memory_order_acquire))
            return FT_INVALID_HANDLE;
        if (const FT_STATUS status = Usable())
            return status;
        return call();
    }
    // FT_IO_ERROR when the tty has hung up (its device left the bus), else FT_OK.
    FT_STATUS Usable();
    // The status of a failed tty call, FT_IO_ERROR, with the system's reason noted; the device is
    // gone when the error says so.
    FT_STATUS Failed(int error);
    // The device is gone (the tty hung up): FT_IO_ERROR, with that noted.
    FT_STATUS Gone();
    // Applies `change` to a copy of the line; keeps it when the tty took it.
    template <typename Change> FT_STATUS ChangeLine(Change change);

    const std::string node_; // the tty's node, for the reasons of failures
    const int fd_;
    const int wake_; // an eventfd, readable once Close has begun
    // Shared by every call; Close takes it exclusively before it closes the descriptors.
    std::shared_mutex lifecycle_;
    std::mutex lineMutex_; // one line change at a time
    tty::Line line_;       // under lineMutex_: the line as last applied
    std::atomic<bool> closed_{false};
    std::atomic<bool> gone_{false};
    Timeouts timeouts_;
};

} // namespace ftdi
