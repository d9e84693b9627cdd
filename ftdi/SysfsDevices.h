// The FT232R devices on the USB buses, read from sysfs without opening any of them: their
// strings, where they sit and whether another program has claimed them.
#pragma once

#include "D2xxTypes.h"

#include <string>
#include <vector>

namespace ftdi {

inline constexpr unsigned Ft232rVendor = 0x0403;
inline constexpr unsigned Ft232rProduct = 0x6001;
inline constexpr unsigned Ft232rRelease = 0x0600; // bcdDevice of the FT232R

struct UsbDevice {
    std::string name; // sysfs name, "1-3.4"
    unsigned bus = 0;
    unsigned address = 0; // devnum
    DWORD locationId = 0;
    std::string serialNumber; // empty when the device has none
    std::string description;  // the product string; empty when the device has none
    // Interface 0 is bound to usbfs: a program (libusb, the vendor's driver) has claimed it.
    bool claimed = false;
};

// The FT232R devices under `sysfsRoot` ("/sys" on a running system; tests pass a tree of their
// own), sorted by location id. A device whose attributes cannot be read or make no location is
// left out: it may be leaving the bus while it is read.
std::vector<UsbDevice> ListFt232r(const std::string& sysfsRoot);

// The usbfs node of a device, "/dev/bus/usb/001/005"; it is gone once the device is unplugged.
std::string DeviceNode(const UsbDevice& device);

} // namespace ftdi
