// Reads sysfs with the plain C library calls (opendir, fopen, readlink), which a preloaded test
// bed that fakes /sys intercepts.
#include "SysfsDevices.h"

#include "UsbLocation.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <dirent.h>
#include <optional>
#include <string_view>
#include <unistd.h>

namespace ftdi {

namespace {

// The first line of an attribute file without its line end; empty when it cannot be read.
std::optional<std::string> Attribute(const std::string& dir, const char* name) {
    std::FILE* file = std::fopen((dir + "/" + name).c_str(), "re");
    if (!file)
        return std::nullopt;
    std::string text;
    char chunk[256];
    while (std::fgets(chunk, sizeof chunk, file)) {
        text += chunk;
        if (!text.empty() && text.back() == '\n')
            break;
    }
    std::fclose(file);
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r'))
        text.pop_back();
    return text;
}

std::optional<unsigned> Number(const std::optional<std::string>& text, int base) {
    if (!text || text->empty())
        return std::nullopt;
    char* end = nullptr;
    const unsigned long value = std::strtoul(text->c_str(), &end, base);
    if (*end != '\0' || value > 0xFFFFFFFFul)
        return std::nullopt;
    return static_cast<unsigned>(value);
}

// A USB device's sysfs name is "<bus>-<ports>"; root hubs ("usb1") and interfaces ("1-3:1.0")
// are not devices of ours.
bool IsDeviceName(const std::string& name) {
    return name.find('-') != std::string::npos && name.find(':') == std::string::npos &&
           name[0] >= '1' && name[0] <= '9';
}

// Whether a driver is bound to the interface at `dir`.
bool Bound(const std::string& dir) {
    char target[512];
    return readlink((dir + "/driver").c_str(), target, sizeof target) > 0;
}

// The name of the tty port a serial driver made on the interface at `dir` ("ttyUSB0"), as the
// kernel lays it out: a directory of that name in the interface's. Empty when there is none.
std::string TtyPort(const std::string& dir) {
    std::string port;
    DIR* listing = opendir(dir.c_str());
    if (!listing)
        return port;
    while (const dirent* entry = readdir(listing))
        if (std::string_view(entry->d_name).starts_with("ttyUSB"))
            port = entry->d_name;
    closedir(listing);
    return port;
}

std::optional<UsbDevice> ReadDevice(const std::string& dir, const std::string& name) {
    const auto vendor = Number(Attribute(dir, "idVendor"), 16);
    const auto product = Number(Attribute(dir, "idProduct"), 16);
    const auto release = Number(Attribute(dir, "bcdDevice"), 16);
    if (vendor != Ft232rVendor || product != Ft232rProduct || release != Ft232rRelease)
        return std::nullopt;
    const auto bus = Number(Attribute(dir, "busnum"), 10);
    const auto address = Number(Attribute(dir, "devnum"), 10);
    const auto devpath = Attribute(dir, "devpath");
    if (!bus || !address || !devpath)
        return std::nullopt;
    const auto location = LocationId(*bus, *devpath, *address);
    if (!location)
        return std::nullopt;
    UsbDevice device;
    device.name = name;
    device.bus = *bus;
    device.address = *address;
    device.locationId = *location;
    device.serialNumber = Attribute(dir, "serial").value_or("");
    device.description = Attribute(dir, "product").value_or("");
    const std::string interface = dir + "/" + name + ":1.0";
    device.tty = TtyPort(interface);
    if (!device.tty.empty())
        device.ttyDir = interface + "/" + device.tty;
    device.claimed = device.tty.empty() && Bound(interface);
    return device;
}

} // namespace

std::vector<UsbDevice> ListFt232r(const std::string& sysfsRoot) {
    std::vector<UsbDevice> devices;
    const std::string base = sysfsRoot + "/bus/usb/devices";
    DIR* listing = opendir(base.c_str());
    if (!listing)
        return devices;
    while (const dirent* entry = readdir(listing)) {
        const std::string name = entry->d_name;
        if (!IsDeviceName(name))
            continue;
        if (auto device = ReadDevice(base + "/" + name, name))
            devices.push_back(std::move(*device));
    }
    closedir(listing);
    std::sort(devices.begin(), devices.end(),
              [](const UsbDevice& a, const UsbDevice& b) { return a.locationId < b.locationId; });
    return devices;
}

std::string DeviceNode(const UsbDevice& device) {
    char node[32];
    std::snprintf(node, sizeof node, "/dev/bus/usb/%03u/%03u", device.bus, device.address);
    return node;
}

std::string TtyNode(const UsbDevice& device) {
    return "/dev/" + device.tty;
}

} // namespace ftdi
