// The FT232R devices on the USB buses, read from sysfs without opening any of them: their
// strings, where they sit, and which driver holds them: the kernel's serial driver (with its tty),
// another driver or program, or none.
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
    // The tty the kernel's serial driver made for the chip ("ttyUSB0") and its port's sysfs
    // directory; empty when no serial driver holds the chip.
    std::string tty;
    std::string ttyDir;
    // Interface 0 is held by a driver other than a serial driver with its tty: usbfs (a program,
    // through libusb or the vendor's driver, has claimed it) or any other kernel driver.
    bool claimed = false;
};

// The FT232R devices under `sysfsRoot` ("/sys" on a running system; tests pass a tree of their
// own), sorted by location id. A device whose attributes cannot be read or make no location is
// left out: it may be leaving the bus while it is read.
std::vector<UsbDevice> ListFt232r(const std::string& sysfsRoot);

// The usbfs node of a device, "/dev/bus/usb/001/005"; it is gone once the device is unplugged.
std::string DeviceNode(const UsbDevice& device);
// The node of its tty, "/dev/ttyUSB0"; meaningful when it has one.
std::string TtyNode(const UsbDevice& device);

} // namespace ftdi
