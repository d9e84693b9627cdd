// The configuration text of the simulator's shared library.
#include "SimConfig.h"
#include "SimDriver.h"

#include <gtest/gtest.h>

namespace {

// Lists the bus through the driver table.
std::vector<FT_DEVICE_LIST_INFO_NODE> List(const std::shared_ptr<sim::SimBus>& bus) {
    DWORD count = 0;
    EXPECT_EQ(bus->CreateDeviceInfoList(&count), FT_OK);
    std::vector<FT_DEVICE_LIST_INFO_NODE> nodes(count);
    EXPECT_EQ(bus->GetDeviceInfoList(nodes.data(), &count), FT_OK);
    return nodes;
}

TEST(SimConfig, DefaultBusHasThreeUnitsAStrangerAndABusyUnit) {
    const auto bus = sim::DefaultBus();
    const auto nodes = List(bus);
    ASSERT_EQ(nodes.size(), 5u);
    const int variants[] = {0, 4, 5};
    const int generations[] = {1, 2, 1};
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(nodes[i].Type, FT_DEVICE_232R);
        EXPECT_EQ(nodes[i].Flags, 0u);
        EXPECT_STREQ(nodes[i].Description, "ORQ-SYV-730");
        const sim::UnitState unit = bus->Unit(nodes[i].LocId);
        EXPECT_EQ(unit.variant, variants[i]);
        EXPECT_EQ(GenerationOf(unit.softwareMajor, unit.fpga[0]), generations[i]);
        EXPECT_TRUE(unit.liveInput);
    }
    EXPECT_EQ(nodes[3].Type, FT_DEVICE_232R);
    EXPECT_EQ(std::string(nodes[3].Description).find("ORQ-SYV"), std::string::npos);
    EXPECT_EQ(nodes[4].Flags & FT_FLAGS_OPENED, FT_FLAGS_OPENED);
    EXPECT_FALSE(bus->Timing().instant);
}

TEST(SimConfig, FieldsSetEverythingTheyName) {
    std::string error;
    const auto bus = sim::BusFromConfig(
        " bus, instant, delay=2500 ;"
        "unit, serial=AB12, loc=0x3001, variant=3, gen=2, desc=orq-syv box, model=731,"
        " protocol=0x41, deverror=3, reply=57, badheader, badcrc, silent;"
        "unit, loc=0x3002, sw=2.5, fpga=1.0.5.3.10, unplug=2;"
        "device, loc=12291, type=6, desc=USB Serial, open",
        error);
    ASSERT_TRUE(bus) << error;
    EXPECT_TRUE(bus->Timing().instant);
    EXPECT_EQ(bus->Timing().replyDelay, std::chrono::microseconds(2500));
    const auto nodes = List(bus);
    ASSERT_EQ(nodes.size(), 3u);
    EXPECT_STREQ(nodes[0].SerialNumber, "AB12");
    EXPECT_STREQ(nodes[0].Description, "orq-syv box");
    const sim::UnitState a = bus->Unit(0x3001);
    EXPECT_EQ(a.variant, 3);
    EXPECT_EQ(a.modelNumber, 731);
    EXPECT_EQ(a.Generation(), 2);
    EXPECT_EQ(a.faults.protocolByte, 0x41);
    EXPECT_EQ(a.faults.deviceError, 3);
    EXPECT_EQ(a.faults.replyLength, 57);
    EXPECT_TRUE(a.faults.wrongHeader && a.faults.wrongChecksum && a.faults.noReply);
    const sim::UnitState b = bus->Unit(0x3002);
    EXPECT_EQ(b.softwareMajor, 2);
    EXPECT_EQ(b.softwareMinor, 5);
    EXPECT_EQ(b.fpga, (std::array<std::uint8_t, 5>{1, 0, 5, 3, 10}));
    EXPECT_EQ(b.faults.framesBeforeUnplug, 2);
    EXPECT_EQ(nodes[2].LocId, 12291u);
    EXPECT_EQ(nodes[2].Type, 6u);
    EXPECT_EQ(nodes[2].Flags, FT_FLAGS_OPENED);
}

TEST(SimConfig, AnEmptyTextIsAnEmptyBus) {
    std::string error;
    const auto bus = sim::BusFromConfig("", error);
    ASSERT_TRUE(bus);
    EXPECT_TRUE(List(bus).empty());
}

class SimConfigError : public testing::TestWithParam<const char*> {};

TEST_P(SimConfigError, IsRefusedWithAReason) {
    std::string error;
    EXPECT_FALSE(sim::BusFromConfig(GetParam(), error));
    EXPECT_FALSE(error.empty());
}

INSTANTIATE_TEST_SUITE_P(Texts, SimConfigError,
                         testing::Values("units", "unit,gen=3", "unit,variant=256", "unit,loc=0xZZ",
                                         "device,variant=1", "unit,sw=1", "unit,fpga=1.2.3.4.300",
                                         "bus,delay=fast", "unit,loc=5;device,loc=5",
                                         "unit,unplug=0", "unit,colour=red"));

} // namespace
