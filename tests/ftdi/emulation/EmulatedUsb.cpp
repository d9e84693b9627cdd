#include "EmulatedUsb.h"

#include <umockdev.h>

#include <cstdio>
#include <dlfcn.h>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace ftdiemu {

namespace {

namespace fs = std::filesystem;

constexpr const char* Controller = "/devices/pci0000:00/0000:00:14.0";

// A full-speed hub's descriptors: the root hubs and the hubs between them and the chips.
const std::vector<std::uint8_t> HubDescriptors = {
    18, 1, 0x00, 0x02, 9, 0, 1,  64,   0xE3, 0x05, 0x08, 0x06, 0x00, 0x01, 0, 1, 0, 1, //
    9,  2, 25,   0,    1, 1, 0,  0xE0, 0,                                              //
    9,  4, 0,    0,    1, 9, 0,  0,    0,                                              //
    7,  5, 0x81, 3,    1, 0, 12,
};

std::string Hex(const std::vector<std::uint8_t>& bytes) {
    std::string out;
    char digits[3];
    for (std::uint8_t b : bytes) {
        std::snprintf(digits, sizeof digits, "%02x", b);
        out += digits;
    }
    return out;
}

std::string Number(const char* format, int value) {
    char text[16];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

// The device node of a USB device, as udev names it.
std::string NodePath(int bus, int devnum) {
    return "/dev/bus/usb/" + Number("%03d", bus) + "/" + Number("%03d", devnum);
}

int BusOf(const std::string& name) {
    return std::stoi(name.substr(0, name.find('-')));
}

// The device above a chip or hub: "1-3.4" hangs off "1-3", "1-3" off the root hub "usb1".
std::string ParentOf(const std::string& name) {
    const auto dot = name.rfind('.');
    return dot != std::string::npos ? name.substr(0, dot) : "usb" + std::to_string(BusOf(name));
}

} // namespace

EmulatedUsb::EmulatedUsb() : testbed_(umockdev_testbed_new()) {
    gchar* sys = umockdev_testbed_get_sys_dir(testbed_);
    sysDir_ = sys;
    g_free(sys);
    for (const char* driver : {"ftdi_sio", "usbfs"})
        fs::create_directories(fs::path(sysDir_) / "bus/usb/drivers" / driver);
    // Where a program would write to take a chip from ftdi_sio: kept, so that a test sees it.
    std::ofstream(fs::path(sysDir_) / "bus/usb/drivers/ftdi_sio/unbind");
}

EmulatedUsb::~EmulatedUsb() {
    for (auto& [name, device] : devices_)
        if (device.ttyNode)
            device.ttyNode->Stop();
    g_object_unref(testbed_); // stops the worker thread before the nodes go
}

void EmulatedUsb::Add(const std::string& record, const std::string& what) {
    GError* error = nullptr;
    if (!umockdev_testbed_add_from_string(testbed_, record.c_str(), &error)) {
        const std::string message = error->message;
        g_error_free(error);
        throw std::runtime_error("cannot add " + what + ": " + message);
    }
}

bool EmulatedUsb::Available() {
    // The test bed's own check looks at what a test bed sets, not at whether the library that
    // routes the calls was preloaded; the library itself is what counts.
    return dlopen("libumockdev-preload.so.0", RTLD_NOW | RTLD_NOLOAD) != nullptr;
}

EmulatedUsb::Device EmulatedUsb::AddDevice(const std::string& name, const std::string& parentPath,
                                           int bus, const std::string& attributes,
                                           const std::vector<std::uint8_t>& descriptors) {
    Device device;
    device.sysPath = parentPath + "/" + name;
    device.bus = bus;
    device.devnum = ++lastDevnum_[bus];
    const std::string node = NodePath(bus, device.devnum).substr(5); // without "/dev/"
    const bool root = name.rfind("usb", 0) == 0;
    const std::string record =
        "P: " + device.sysPath + "\nN: " + node + "\nE: DEVNAME=/dev/" + node +
        "\nE: DEVTYPE=usb_device\nE: SUBSYSTEM=usb\nE: BUSNUM=" + Number("%03d", bus) +
        "\nE: DEVNUM=" + Number("%03d", device.devnum) + "\nA: busnum=" + std::to_string(bus) +
        "\nA: devnum=" + std::to_string(device.devnum) +
        "\nA: devpath=" + (root ? std::string("0") : name.substr(name.find('-') + 1)) +
        "\nA: dev=189:" + std::to_string((bus - 1) * 128 + device.devnum - 1) +
        "\nA: speed=12\nA: bConfigurationValue=1\nA: bNumConfigurations=1\nA: bNumInterfaces= 1" +
        attributes + "\nH: descriptors=" + Hex(descriptors) + "\n\n";
    Add(record, name);
    return device;
}

const EmulatedUsb::Device& EmulatedUsb::Hub(const std::string& name) {
    if (auto it = devices_.find(name); it != devices_.end())
        return it->second;
    const bool root = name.rfind("usb", 0) == 0;
    const int bus = root ? std::stoi(name.substr(3)) : BusOf(name);
    const std::string parentPath = root ? Controller : Hub(ParentOf(name)).sysPath;
    const std::string attributes = "\nA: idVendor=05e3\nA: idProduct=0608\nA: bcdDevice=0100"
                                   "\nA: bDeviceClass=09\nA: maxchild=4";
    return devices_[name] = AddDevice(name, parentPath, bus, attributes, HubDescriptors);
}

UsbNode& EmulatedUsb::Plug(const PlugSpec& spec) {
    if (devices_.count(spec.port))
        throw std::invalid_argument("a device is plugged at " + spec.port + " already");
    const std::string parentPath = Hub(ParentOf(spec.port)).sysPath;
    const ChipIdentity& id = spec.identity;
    const std::string attributes = "\nA: idVendor=0403\nA: idProduct=6001\nA: bcdDevice=0600"
                                   "\nA: bDeviceClass=00\nA: maxchild=0\nA: manufacturer=" +
                                   id.manufacturer + "\nA: product=" + id.product +
                                   "\nA: serial=" + id.serial;
    Device device =
        AddDevice(spec.port, parentPath, BusOf(spec.port), attributes, Ft232rChip::Descriptors());
    const std::string interfacePath = device.sysPath + "/" + spec.port + ":1.0";
    const std::string record = "P: " + interfacePath +
                               "\nE: DEVTYPE=usb_interface\nE: SUBSYSTEM=usb"
                               "\nA: bInterfaceNumber=00\nA: bAlternateSetting= 0"
                               "\nA: bInterfaceClass=ff\nA: bNumEndpoints=02\n\n";
    Add(record, "the interface of " + spec.port);
    auto node =
        std::make_unique<UsbNode>(id, spec.unit, spec.binding, [this, interfacePath](Binding b) {
            MirrorBinding(interfacePath, b);
        });
    MirrorBinding(interfacePath, spec.binding);
    GError* error = nullptr;
    if (!umockdev_testbed_attach_ioctl(testbed_, NodePath(device.bus, device.devnum).c_str(),
                                       node->Handler(), &error)) {
        const std::string message = error->message;
        g_error_free(error);
        throw std::runtime_error("cannot attach the node of " + spec.port + ": " + message);
    }
    device.node = std::move(node);
    if (spec.binding == Binding::FtdiSio)
        AddTty(device, interfacePath, spec.fixedLatency);
    return *(devices_[spec.port] = std::move(device)).node;
}

void EmulatedUsb::AddTty(Device& device, const std::string& interfacePath, bool fixedLatency) {
    device.tty = ttys_++;
    const std::string name = "ttyUSB" + std::to_string(device.tty);
    const std::string port = interfacePath + "/" + name;
    Add("P: " + port + "\nE: SUBSYSTEM=usb-serial\nE: DRIVER=ftdi_sio\nA: port_number=0" +
            (fixedLatency ? "" : "\nA: latency_timer=16") + "\n\nP: " + port + "/tty/" + name +
            "\nN: " + name + "\nE: SUBSYSTEM=tty\nE: DEVNAME=/dev/" + name +
            "\nA: dev=188:" + std::to_string(device.tty) + "\n\n",
        name);
    const std::string node = "/dev/" + name;
    const int master = umockdev_testbed_get_dev_fd(testbed_, node.c_str());
    device.ttyNode = std::make_unique<TtyNode>(
        *device.node, master, fixedLatency ? "" : sysDir_ + port + "/latency_timer", fixedLatency);
    GError* error = nullptr;
    if (!umockdev_testbed_attach_ioctl(testbed_, node.c_str(), device.ttyNode->Handler(), &error)) {
        const std::string message = error->message;
        g_error_free(error);
        throw std::runtime_error("cannot attach " + node + ": " + message);
    }
}

TtyNode& EmulatedUsb::Tty(const std::string& port) {
    return *devices_.at(port).ttyNode;
}

LineView EmulatedUsb::Line(const std::string& port) {
    Device& device = devices_.at(port);
    if (device.ttyNode)
        return device.ttyNode->Line();
    LineView line;
    device.node->WithChip([&](Ft232rChip& chip) { line = chip.Line(); });
    return line;
}

std::string EmulatedUsb::SysFile(const std::string& path) const {
    std::ifstream file(sysDir_ + path);
    return std::string(std::istreambuf_iterator<char>(file), {});
}

void EmulatedUsb::MirrorBinding(const std::string& interfacePath, Binding binding) {
    const fs::path link = fs::path(sysDir_) / interfacePath.substr(1) / "driver";
    std::error_code ignored;
    fs::remove(link, ignored);
    if (binding == Binding::None)
        return;
    const fs::path target = fs::path(sysDir_) / "bus/usb/drivers" /
                            (binding == Binding::FtdiSio ? "ftdi_sio" : "usbfs");
    fs::create_symlink(fs::relative(target, link.parent_path()), link);
}

std::string EmulatedUsb::DevNode(const std::string& port) const {
    const Device& device = devices_.at(port);
    return NodePath(device.bus, device.devnum);
}

void EmulatedUsb::Unplug(const std::string& port) {
    Device& device = devices_.at(port);
    device.node->Unplug();
    if (device.ttyNode)
        device.ttyNode->HangUp();
    // The files go by hand: the test bed's own removal races with its worker thread when that
    // is answering the node at the moment.
    gchar* root = umockdev_testbed_get_root_dir(testbed_);
    const fs::path sys = fs::path(root) / "sys";
    std::error_code ignored;
    for (const std::string& name : {port, port + ":1.0"})
        fs::remove(sys / "bus/usb/devices" / name, ignored);
    fs::remove_all(sys / device.sysPath.substr(1), ignored);
    fs::remove(fs::path(root) / DevNode(port).substr(1), ignored);
    if (device.ttyNode) {
        const std::string name = "ttyUSB" + std::to_string(device.tty);
        for (const std::string& link : {"class/tty/" + name, "bus/usb-serial/devices/" + name,
                                        "dev/char/188:" + std::to_string(device.tty)})
            fs::remove(sys / link, ignored);
        fs::remove(fs::path(root) / "dev" / name, ignored);
    }
    g_free(root);
}

} // namespace ftdiemu
