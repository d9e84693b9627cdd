// A fake USB tree for tests of the open driver: root hubs, hubs and FT232R chips with units
// behind them, in a umockdev test bed, so that libusb and libftdi1 enumerate and open them as
// real devices; a chip that ftdi_sio holds has its tty too, in the kernel's layout (usb device
// 1-3.4, interface 1-3.4:1.0, port ttyUSB0, tty/ttyUSB0), behind which the same chip answers. Needs
// a process started under umockdev-wrapper (the preload library); the test bed's worker thread
// answers the device nodes' ioctls. Plug, unplug and destruction are for the test's own thread.
#pragma once

#include "TtyNode.h"
#include "UsbNode.h"

#include <map>
#include <memory>
#include <string>

typedef struct _UMockdevTestbed UMockdevTestbed;

namespace ftdiemu {

// One chip to plug: its place ("1-3.4": bus 1, port 3 of the root hub, port 4 of the hub
// there; hubs on the way are added as needed), its strings, its unit, who holds its interface.
struct PlugSpec {
    std::string port = "1-3";
    ChipIdentity identity;
    sim::UnitState unit = sim::MakeUnit(0, 1);
    Binding binding = Binding::FtdiSio;
    // With ftdi_sio: its tty refuses the serial-info ioctls (the low-latency flag) and its port
    // has no latency_timer attribute, so the chip keeps its own 16 ms.
    bool fixedLatency = false;
};

class EmulatedUsb {
public:
    EmulatedUsb();
    ~EmulatedUsb();
    EmulatedUsb(const EmulatedUsb&) = delete;
    EmulatedUsb& operator=(const EmulatedUsb&) = delete;

    // True when the preload library routes /sys and /dev into test beds.
    static bool Available();

    // Adds a chip; its node (and tty) live as long as this tree.
    UsbNode& Plug(const PlugSpec& spec);
    // The chip at `port` is pulled out: its node answers ENODEV, its tty hangs up, and it
    // leaves sysfs and /dev.
    void Unplug(const std::string& port);
    // The device node of the chip at `port` ("/dev/bus/usb/001/002").
    std::string DevNode(const std::string& port) const;
    // The tty of the chip at `port`, which ftdi_sio holds.
    TtyNode& Tty(const std::string& port);
    // The line of the chip at `port` as the program set it up: through its tty when it has one.
    LineView Line(const std::string& port);
    // What has been written to the sysfs file at `path` (below /sys).
    std::string SysFile(const std::string& path) const;

private:
    struct Device {
        std::string sysPath; // below /sys, e.g. /devices/pci0000:00/0000:00:14.0/usb1/1-3
        int bus = 0;
        int devnum = 0;
        std::unique_ptr<UsbNode> node; // chips only
        int tty = -1;                  // n of ttyUSBn, for chips that ftdi_sio holds
        std::unique_ptr<TtyNode> ttyNode;
    };
    const Device& Hub(const std::string& name);
    Device AddDevice(const std::string& name, const std::string& parentPath, int bus,
                     const std::string& attributes, const std::vector<std::uint8_t>& descriptors);
    void MirrorBinding(const std::string& interfacePath, Binding binding);
    void AddTty(Device& device, const std::string& interfacePath, bool fixedLatency);
    void Add(const std::string& record, const std::string& what);

    UMockdevTestbed* testbed_;
    std::string sysDir_;
    std::map<std::string, Device> devices_; // by name: "usb1", "1-3", "1-3.4"
    std::map<int, int> lastDevnum_;         // by bus
    int ttys_ = 0;
};

} // namespace ftdiemu
