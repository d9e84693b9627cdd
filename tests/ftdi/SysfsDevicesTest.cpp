// The sysfs listing on a tree of the kernel's shape in a scratch directory.
#include "SysfsDevices.h"

#include "TestFiles.h"

#include <gtest/gtest.h>

#include <map>

namespace {

using Attributes = std::map<std::string, std::string>;

Attributes Ft232r(const std::string& busnum, const std::string& devnum,
                  const std::string& devpath) {
    return {{"idVendor", "0403"},    {"idProduct", "6001"}, {"bcdDevice", "0600"},
            {"busnum", busnum},      {"devnum", devnum},    {"devpath", devpath},
            {"manufacturer", "FTDI"}};
}

class SysfsDevicesTest : public testing::Test {
protected:
    // A device as the kernel shows it: its directory under /sys/devices, the link to it from
    // /sys/bus/usb/devices, and its first interface inside it, bound to `driver` unless empty,
    // with the port of a serial driver in it when `tty` is given.
    void AddDevice(const std::string& name, Attributes attributes, const std::string& driver = "",
                   const std::string& tty = "") {
        const fs::path dir = root.Path / "devices/pci0000:00/0000:00:14.0" / name;
        fs::create_directories(dir);
        for (const auto& [attribute, value] : attributes)
            WriteFile((dir / attribute).string(), value + "\n");
        const fs::path interface = dir / (name + ":1.0");
        fs::create_directories(interface);
        if (!driver.empty()) {
            fs::create_directories(root.Path / "bus/usb/drivers" / driver);
            fs::create_symlink("../../../../../../bus/usb/drivers/" + driver, interface / "driver");
        }
        if (!tty.empty())
            fs::create_directories(interface / tty / "tty" / tty);
        fs::create_symlink("../../../devices/pci0000:00/0000:00:14.0/" + name,
                           root.Path / "bus/usb/devices" / name);
    }

    void SetUp() override { fs::create_directories(root.Path / "bus/usb/devices"); }

    TempDir root;
};

TEST_F(SysfsDevicesTest, ListsFt232rDevicesByLocationWithTheirStrings) {
    Attributes unit = Ft232r("1", "7", "3.4");
    unit["product"] = "ORQ-SYV-730";
    unit["serial"] = "SV7310001";
    AddDevice("1-3.4", unit, "ftdi_sio", "ttyUSB3");
    Attributes bare = Ft232r("2", "3", "1"); // no product or serial strings
    AddDevice("2-1", bare);
    Attributes claimed = Ft232r("1", "4", "2");
    claimed["product"] = "FT232R USB UART";
    claimed["serial"] = "A50285BI";
    AddDevice("1-2", claimed, "usbfs");
    Attributes binding = Ft232r("2", "4", "2"); // ftdi_sio bound, its tty not made yet
    AddDevice("2-2", binding, "ftdi_sio");

    const std::vector<ftdi::UsbDevice> devices = ftdi::ListFt232r(root.Path.string());
    ASSERT_EQ(devices.size(), 4u);
    const struct {
        const char* name;
        unsigned bus;
        unsigned address;
        DWORD location;
        const char* serial;
        const char* description;
        const char* tty;
        bool claimed;
    } expected[] = {
        {"1-2", 1, 4, 0x12, "A50285BI", "FT232R USB UART", "", true},
        {"2-1", 2, 3, 0x21, "", "", "", false},
        {"2-2", 2, 4, 0x22, "", "", "", true},
        {"1-3.4", 1, 7, 0x134, "SV7310001", "ORQ-SYV-730", "ttyUSB3", false},
    };
    for (std::size_t i = 0; i < std::size(expected); ++i) {
        SCOPED_TRACE(expected[i].name);
        EXPECT_EQ(devices[i].name, expected[i].name);
        EXPECT_EQ(devices[i].bus, expected[i].bus);
        EXPECT_EQ(devices[i].address, expected[i].address);
        EXPECT_EQ(devices[i].locationId, expected[i].location);
        EXPECT_EQ(devices[i].serialNumber, expected[i].serial);
        EXPECT_EQ(devices[i].description, expected[i].description);
        EXPECT_EQ(devices[i].tty, expected[i].tty);
        EXPECT_EQ(devices[i].claimed, expected[i].claimed);
    }
    EXPECT_EQ(ftdi::DeviceNode(devices[3]), "/dev/bus/usb/001/007");
    EXPECT_EQ(ftdi::TtyNode(devices[3]), "/dev/ttyUSB3");
}

TEST_F(SysfsDevicesTest, LeavesOutOtherChipsHubsInterfacesAndBrokenEntries) {
    Attributes ft2232 = Ft232r("1", "2", "1");
    ft2232["idProduct"] = "6010";
    AddDevice("1-1", ft2232);
    Attributes ftx = Ft232r("1", "3", "2");
    ftx["bcdDevice"] = "1000"; // same ids, another chip
    AddDevice("1-2", ftx);
    Attributes otherVendor = Ft232r("1", "4", "3");
    otherVendor["idVendor"] = "1d6b";
    AddDevice("1-3", otherVendor);
    Attributes noBus = Ft232r("", "5", "4");
    AddDevice("1-4", noBus);
    Attributes badPath = Ft232r("1", "6", "5.x");
    AddDevice("1-5", badPath);
    AddDevice("usb1", Ft232r("1", "1", "0")); // a root hub's name
    fs::create_directories(root.Path / "bus/usb/devices/1-6:1.0");

    EXPECT_TRUE(ftdi::ListFt232r(root.Path.string()).empty());
}

TEST_F(SysfsDevicesTest, NoUsbTreeMeansNoDevices) {
    EXPECT_TRUE(ftdi::ListFt232r((root.Path / "absent").string()).empty());
}

TEST_F(SysfsDevicesTest, FullLengthStringsAreKeptWhole) {
    Attributes unit = Ft232r("3", "9", "1.2");
    unit["serial"] = std::string(20, 'S');
    unit["product"] = std::string(80, 'P');
    AddDevice("3-1.2", unit);
    const auto devices = ftdi::ListFt232r(root.Path.string());
    ASSERT_EQ(devices.size(), 1u);
    EXPECT_EQ(devices[0].serialNumber, std::string(20, 'S'));
    EXPECT_EQ(devices[0].description, std::string(80, 'P'));
    EXPECT_EQ(devices[0].locationId, 0x312u);
}

} // namespace
