// The driver contract against the simulated units, at wire timing.
#include "DriverContract.h"

#include "SimDriver.h"

namespace {

class SimDriverBus : public DriverBus {
public:
    SimDriverBus() {
        for (const ContractDevice& device : Devices()) {
            const bool unit = device.description.starts_with("ORQ-SYV");
            bus_->Plug(sim::DeviceSpec{device.locationId, device.type, device.serialNumber,
                                       device.description, device.openElsewhere,
                                       unit ? std::optional(sim::MakeUnit(0, 1)) : std::nullopt});
        }
        sim::InstallBus(bus_);
    }
    ~SimDriverBus() override { sim::InstallBus(nullptr); }

    const D2xxApi& Api() override { return sim::SimApi(); }
    std::vector<ContractDevice> Devices() override {
        return {
            {0x1011, "SV7310001", "ORQ-SYV-730", FT_DEVICE_232R, false},
            {0x1012, "A5XK3RJT", "FT232R USB UART", FT_DEVICE_232R, false},
            {0x1013, "SV7310003", "ORQ-SYV-730", FT_DEVICE_232R, true},
            {0x2014, "FT4ZQ1", "Dual RS232-HS", FT_DEVICE_2232H, false},
        };
    }
    DWORD UnitLocation() override { return 0x1011; }
    void SendReply(DWORD) override {}
    void Unplug(DWORD location) override { bus_->Unplug(location); }

private:
    std::shared_ptr<sim::SimBus> bus_ = std::make_shared<sim::SimBus>();
};

std::unique_ptr<DriverBus> MakeSimBus() {
    return std::make_unique<SimDriverBus>();
}

} // namespace

INSTANTIATE_TEST_SUITE_P(Sim, DriverContract,
                         testing::Values(DriverUnderTest{"Simulator", &MakeSimBus}),
                         DriverUnderTestName);
