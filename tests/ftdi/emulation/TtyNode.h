// The kernel's serial driver (ftdi_sio) on an emulated FT232R: the chip's tty is a
// pseudo-terminal whose far end this node holds. Bytes a program writes to the tty go to the
// chip (UsbNode's, under its lock) at the line's speed; the chip's packets come back as the tty's
// input, as ftdi_sio passes them on, at the chip's latency timer: 1 ms while the program has set
// the tty's low-latency flag, else the port's latency_timer attribute (16 until written).
//
// The tty's ioctls are answered as the kernel would: termios, queue counts, flushes and
// exclusive mode by the pseudo-terminal itself; the serial-info ioctls (the low-latency flag) as
// ftdi_sio does, or refused with ENOTTY. Its handler runs on the test bed's worker thread, its
// line on a thread of its own; every public member may be called from any thread.
#pragma once

#include "UsbNode.h"

#include <atomic>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

namespace ftdiemu {

class TtyNode {
public:
    // `master` is the far end of the tty's pseudo-terminal (the test bed owns it);
    // `latencyAttribute` the path of the port's latency_timer file, empty when the port has none.
    TtyNode(UsbNode& usb, int master, std::string latencyAttribute, bool refusesSerialInfo);
    ~TtyNode();
    TtyNode(const TtyNode&) = delete;
    TtyNode& operator=(const TtyNode&) = delete;

    UMockdevIoctlBase* Handler() const { return handler_; }

    // Another program holds the tty open under an advisory lock (flock), as serial programs do.
    void LockElsewhere();
    // The chip leaves the bus: the serial driver hangs the tty up, so the program's waits end
    // and its calls fail as on a real unplug. Stops the line.
    void HangUp();
    // Stops the line; for the tree, before the test bed goes.
    void Stop();

    // The line as the program last asked the tty for it (a pseudo-terminal itself keeps only
    // 8 bits without parity), as ftdi_sio would pass it to the chip.
    LineView Line() const;
    bool LowLatency() const { return lowLatency_.load(std::memory_order_acquire); }

private:
    static int OnIoctl(UMockdevIoctlBase*, UMockdevIoctlClient* client, void* self);
    void Handle(UMockdevIoctlClient* client);
    long SerialInfo(UMockdevIoctlClient* client, bool set, int& error);
    // Moves bytes between the tty and the chip until Stop.
    void Run();
    // The chip's timer as ftdi_sio sets it now.
    int LatencyMs() const;

    UsbNode& usb_;
    const int master_;
    int slave_; // held open by the node until the hang-up, so the tty outlives the program's opens
    const int stop_; // an eventfd that ends Run
    const std::string latencyAttribute_;
    const bool refusesSerialInfo_;
    UMockdevIoctlBase* handler_;
    std::atomic<bool> lowLatency_{false};
    mutable std::mutex mutex_;
    std::optional<LineView> asked_; // under mutex_
    std::thread line_;
};

} // namespace ftdiemu
