// The driver contract against the open driver, with its devices on the emulated USB tree: a
// unit, an FT232R that is no unit, and a unit behind a hub that another program holds. Run twice:
// with ftdi_sio holding the chips (the driver goes through their ttys; the one held elsewhere is
// locked by another open) and with no kernel driver (through libusb; the one held elsewhere is
// claimed through usbfs).
#include "DriverContract.h"

#include "EmulatedUsb.h"
#include "OpenDriver.h"

#include <map>

namespace {

using namespace ftdiemu;

struct Placed {
    const char* port;
    ContractDevice device;
};

const Placed Placement[] = {
    {"1-1", {0x11, "OS730011", "ORQ-SYV-730", FT_DEVICE_232R, false}},
    {"1-2", {0x12, "A5XK3RJT", "FT232R USB UART", FT_DEVICE_232R, false}},
    {"1-3.2", {0x132, "OS730132", "ORQ-SYV-730", FT_DEVICE_232R, true}},
};

template <Binding Free> class FtdiDriverBus : public DriverBus {
public:
    FtdiDriverBus() {
        for (const Placed& placed : Placement) {
            PlugSpec spec;
            spec.port = placed.port;
            spec.identity.product = placed.device.description;
            spec.identity.serial = placed.device.serialNumber;
            spec.unit.faults.noReply = !placed.device.description.starts_with("ORQ-SYV");
            spec.binding = Free;
            UsbNode& node = usb_.Plug(spec);
            if (placed.device.openElsewhere && Free == Binding::FtdiSio)
                usb_.Tty(placed.port).LockElsewhere();
            else if (placed.device.openElsewhere)
                node.ClaimElsewhere();
            ports_[placed.device.locationId] = placed.port;
        }
    }

    const D2xxApi& Api() override { return OpenDriverApi(); }
    std::vector<ContractDevice> Devices() override {
        std::vector<ContractDevice> devices;
        for (const Placed& placed : Placement)
            devices.push_back(placed.device);
        return devices;
    }
    DWORD UnitLocation() override { return 0x11; }
    void SendReply(DWORD) override {}
    void Unplug(DWORD location) override { usb_.Unplug(ports_.at(location)); }

private:
    EmulatedUsb usb_;
    std::map<DWORD, std::string> ports_;
};

template <Binding Free> std::unique_ptr<DriverBus> MakeFtdiBus() {
    return std::make_unique<FtdiDriverBus<Free>>();
}

} // namespace

INSTANTIATE_TEST_SUITE_P(
    Ftdi, DriverContract,
    testing::Values(DriverUnderTest{"OpenDriverTty", &MakeFtdiBus<Binding::FtdiSio>},
                    DriverUnderTest{"OpenDriverUsb", &MakeFtdiBus<Binding::None>}),
    DriverUnderTestName);
