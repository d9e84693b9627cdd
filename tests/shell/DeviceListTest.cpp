// Which USB devices the list shows, how it names them, and what the probe says on the wire.
#include "ShellFixture.h"

#include <QAccessible>

#include <functional>

namespace {

constexpr DWORD Location = 0x4101;

struct ListingCase {
    const char* name;
    std::function<void(sim::DeviceSpec&)> change; // applied to a healthy free unit
    bool opened;
    bool listed;
    int generation; // of the listed unit
};

class Listing : public ShellTest, public testing::WithParamInterface<ListingCase> {};

TEST_P(Listing, FollowsTheRules) {
    const ListingCase& c = GetParam();
    sim::DeviceSpec device = Unit(Location);
    c.change(device);
    bus->Plug(device);
    Window().TimerTimer(nullptr);

    bool opened = false;
    for (const sim::SimCall& call : bus->Calls())
        opened |= call.call == sim::DriverCall::OpenEx && call.status == FT_OK;
    EXPECT_EQ(opened, c.opened);
    ASSERT_EQ(Window().UnitCount, c.listed ? 1 : 0);
    ASSERT_EQ(Window().LView->topLevelItemCount(), Window().UnitCount);
    if (c.listed) {
        EXPECT_EQ(Window().Units[0].DeviceGeneration, c.generation);
        EXPECT_EQ(Window().Units[0].LocationId, Location);
    }
    EXPECT_TRUE(messages.shown.empty());
}

void Versions(sim::DeviceSpec& d, std::uint8_t software, std::uint8_t fpga) {
    d.unit->softwareMajor = software;
    d.unit->fpga[0] = fpga;
}

INSTANTIATE_TEST_SUITE_P(
    Devices, Listing,
    testing::Values(
        ListingCase{"healthy", [](auto&) {}, true, true, 1},
        ListingCase{"lowerCase", [](auto& d) { d.description = "orq-syv box"; }, true, true, 1},
        ListingCase{"midText", [](auto& d) { d.description = "Rack 3 ORQ-SYV-730 B"; }, true, true,
                    1},
        ListingCase{"otherDescription", [](auto& d) { d.description = "USB Serial"; }, false, false,
                    0},
        ListingCase{"otherChip", [](auto& d) { d.type = FT_DEVICE_2232H; }, false, false, 0},
        ListingCase{"openElsewhere", [](auto& d) { d.openElsewhere = true; }, false, false, 0},
        ListingCase{"model731", [](auto& d) { d.unit->modelNumber = 731; }, true, false, 0},
        ListingCase{"modelBytesSwapped", [](auto& d) { d.unit->modelNumber = 0xDA02; }, true, false,
                    0},
        ListingCase{"generation1", [](auto& d) { Versions(d, 1, 1); }, true, true, 1},
        ListingCase{"generation2", [](auto& d) { Versions(d, 2, 2); }, true, true, 2},
        ListingCase{"generation2ByFpga", [](auto& d) { Versions(d, 0, 4); }, true, true, 2},
        ListingCase{"sumOfThree", [](auto& d) { Versions(d, 1, 2); }, true, false, 0},
        ListingCase{"badChecksum", [](auto& d) { d.unit->faults.wrongChecksum = true; }, true, true,
                    1},
        ListingCase{"badHeader", [](auto& d) { d.unit->faults.wrongHeader = true; }, true, true, 1},
        ListingCase{"protocol41", [](auto& d) { d.unit->faults.protocolByte = 0x41; }, true, true,
                    1},
        ListingCase{"deviceError", [](auto& d) { d.unit->faults.deviceError = 3; }, true, true, 1},
        ListingCase{"shortReply", [](auto& d) { d.unit->faults.replyLength = 57; }, true, false,
                    0}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(ShellTest, NamesUnitsWithTheirVariantSuffix) {
    for (int variant = 0; variant <= 7; ++variant)
        bus->Plug(Unit(Location + static_cast<DWORD>(variant), variant));
    Window().TimerTimer(nullptr);
    const std::vector<std::pair<std::string, std::string>> expected = {
        {"ORQ-SYV-730", "SN16641"},   {"ORQ-SYV-730-K", "SN16642"},  {"ORQ-SYV-730-R", "SN16643"},
        {"ORQ-SYV-730-T", "SN16644"}, {"ORQ-SYV-730-RK", "SN16645"}, {"ORQ-SYV-730-TK", "SN16646"},
        {"ORQ-SYV-730-6", "SN16647"}, {"ORQ-SYV-730-7", "SN16648"}};
    EXPECT_EQ(Rows(), expected);
}

TEST_F(ShellTest, ProbeMakesExactlyTheseCalls) {
    bus->Plug(Unit(Location));
    Window().TimerTimer(nullptr);
    using C = sim::DriverCall;
    using Args = std::vector<std::uint64_t>;
    const std::vector<std::pair<C, Args>> probe = {
        {C::OpenEx, {Location, 4}},
        {C::ResetDevice, {}},
        {C::SetBaudRate, {115200}},
        {C::SetDataCharacteristics, {8, 0, 0}},
        {C::SetFlowControl, {0, 0x11, 0x13}},
        {C::SetTimeouts, {3000, 3000}},
        {C::Purge, {1}},
        {C::Purge, {2}},
        {C::Write, {7}},
        {C::GetQueueStatus, {}},
        {C::Read, {58}},
        {C::Close, {}},
    };
    // A pass that finds a new unit probes it twice: once to compare, once to list.
    std::vector<std::pair<C, Args>> expected = {{C::CreateDeviceInfoList, {}},
                                                {C::GetDeviceInfoList, {1}}};
    expected.insert(expected.end(), probe.begin(), probe.end());
    expected.insert(expected.end(), probe.begin(), probe.end());
    std::vector<std::pair<C, Args>> actual;
    for (const sim::SimCall& call : bus->Calls())
        actual.emplace_back(call.call, call.args);
    EXPECT_EQ(actual, expected);
    const auto frames = bus->Frames();
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_EQ(frames[0].bytes,
              (std::vector<std::uint8_t>{0x52, 0x50, 0x02, 0x00, 0x00, 0x0C, 0x2D}));
    EXPECT_FALSE(ShowLinkErrors);
}

TEST_F(ShellTest, ASilentCandidateIsNotListedAndShowsNothing) {
    sim::DeviceSpec silent = Unit(Location);
    silent.unit->faults.noReply = true;
    bus->Plug(silent);
    bus->Plug(Unit(Location + 1, 4, 2));
    Window().TimerTimer(nullptr);
    ASSERT_EQ(Rows().size(), 1u);
    EXPECT_EQ(Rows()[0].first, "ORQ-SYV-730-RK");
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(ShellTest, AFailingProbeCallShowsItsDialog) {
    bus->Plug(Unit(Location));
    bus->FailCall(Location, sim::DriverCall::SetBaudRate, FT_INVALID_BAUD_RATE);
    Window().TimerTimer(nullptr);
    EXPECT_EQ(Window().UnitCount, 0);
    ASSERT_FALSE(messages.shown.empty());
    EXPECT_EQ(messages.shown[0].text, "FT_SetBaudRate - Invalid baud rate...");
    EXPECT_EQ(WindowOf(messages.shown[0].owner), &Window()) << "the list probes";
    EXPECT_EQ(bus->Calls().back().call, sim::DriverCall::Close) << "the device is closed again";
    EXPECT_FALSE(ShowLinkErrors);
}

TEST_F(ShellTest, ToAssistiveTechnologyTheWindowIsAWindowNamedByItsCaption) {
    Window().show();
    QAccessibleInterface* window = QAccessible::queryAccessibleInterface(&Window());
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->role(), QAccessible::Window); // "frame" on AT-SPI
    EXPECT_EQ(window->text(QAccessible::Name), "ORQ-SYV Settings v1.1");
    EXPECT_EQ(window->childCount(), 1) << "the list";
}

} // namespace
