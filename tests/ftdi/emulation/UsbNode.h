// The USB device node of an emulated FT232R: answers the usbfs ioctls that libusb sends to
// /dev/bus/usb/BBB/DDD (control transfers, URBs submitted, reaped and discarded, interface claim
// and release, kernel driver disconnect and connect) from the chip model, and keeps which
// driver holds the chip's interface. Its handler runs on the testbed's worker thread; every
// public member may be called from any thread.
#pragma once

#include "Ft232rChip.h"

#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

typedef struct _UMockdevIoctlBase UMockdevIoctlBase;
typedef struct _UMockdevIoctlClient UMockdevIoctlClient;

namespace ftdiemu {

// Who holds the chip's only interface.
enum class Binding {
    None,
    FtdiSio, // the kernel's serial driver: /dev/ttyUSB* exists
    Usbfs,   // a program has claimed it through the device node
};

// What the host did to the interface, in order, for tests to check.
enum class NodeEvent {
    KernelDriverDetached,
    KernelDriverAttached,
    Claimed,
    Released,
    HaltCleared,
};

class UsbNode {
public:
    // `onBinding` is told every change of the interface's driver (to mirror it in sysfs).
    UsbNode(ChipIdentity identity, sim::UnitState unit, Binding binding,
            std::function<void(Binding)> onBinding);
    ~UsbNode();
    UsbNode(const UsbNode&) = delete;
    UsbNode& operator=(const UsbNode&) = delete;

    // The handler to attach to the device node.
    UMockdevIoctlBase* Handler() const { return handler_; }

    // Another program claims the interface: claims through the node fail with EBUSY.
    void ClaimElsewhere();
    // The device disappears: URBs in flight end with -ESHUTDOWN, every later ioctl but their
    // reaping fails with ENODEV. Its files stay until the tree removes them.
    void Unplug();
    // The next IN transfer to end ends with -`error` (EPROTO: a bus error; EPIPE: a stall).
    void FailNextIn(int error);
    // The next IN transfer that ends with data is held from the host, as if still in flight,
    // until the host discards it or sends the chip more bytes.
    void HoldNextIn();
    // Returns once a transfer is held; false when `patience` passed first.
    bool WaitHeld(std::chrono::milliseconds patience);

    Binding CurrentBinding() const;
    std::vector<NodeEvent> Events() const;
    // Runs `f` on the chip under the node's lock.
    void WithChip(const std::function<void(Ft232rChip&)>& f);

private:
    struct Urb;
    static int OnIoctl(UMockdevIoctlBase*, UMockdevIoctlClient* client, void* self);
    static void OnClientConnected(UMockdevIoctlBase*, UMockdevIoctlClient* client, void* self);
    static void OnClientNotify(UMockdevIoctlClient* client, void*, void* self);
    void Handle(UMockdevIoctlClient* client);
    long Control(UMockdevIoctlClient* client, int& error);
    long Submit(UMockdevIoctlClient* client, int& error);
    long Reap(UMockdevIoctlClient* client, bool wait, int& error);
    long Discard(UMockdevIoctlClient* client, int& error);
    long Claim(UMockdevIoctlClient* client, bool claim, int& error);
    long DriverIoctl(UMockdevIoctlClient* client, int& error);
    long GetDriver(UMockdevIoctlClient* client, int& error);
    void SetBinding(Binding binding);
    void Advance(Clock::time_point now);
    Urb* ReadyUrb(UMockdevIoctlClient* client);
    void Forget(UMockdevIoctlClient* client);

    UMockdevIoctlBase* handler_;
    std::function<void(Binding)> onBinding_;
    mutable std::mutex mutex_;
    Ft232rChip chip_;
    Binding binding_;
    UMockdevIoctlClient* claimant_ = nullptr;
    bool unplugged_ = false;
    int failNextIn_ = 0;
    bool holdNextIn_ = false;
    std::condition_variable held_; // a transfer is held
    std::vector<NodeEvent> events_;
    std::vector<std::unique_ptr<Urb>> urbs_; // in submission order
};

} // namespace ftdiemu
