// The open driver's own cases on the emulated USB tree, beyond the contract every driver keeps:
// location ids through hubs, the line set-up as the far end sees it, the latency timer, an
// unplug while a read waits, on both ways to a chip; and what the tty path promises: a probe pass
// leaves every node where it was, and a killed holder leaves the tty to the next program.
#include "OpenDriverFixture.h"

#include "D2XXUnit_mod.h"
#include "DeviceLine.h"
#include "TestFiles.h"
#include "UnitSession.h"

#include <csignal>
#include <future>
#include <optional>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using namespace ftdiemu;

TEST_F(OpenDriverTest, LocationIdsCountTheBusAndEveryPortOnTheWay) {
    // Port paths past one hex digit a level, or a bus above 15, take the bus-and-address form.
    const struct {
        const char* port;
        std::optional<DWORD> location; // empty: 0xF00BBDDD with the device's address
    } places[] = {
        {"1-1", 0x11},          {"1-3.4", 0x134},
        {"2-1.2.3", 0x2123},    {"3-2.4.1.3.2.1.4", 0x32413214},
        {"1-4.15", 0x14F},      {"1-4.16", std::nullopt},
        {"16-2", std::nullopt},
    };
    for (const auto& place : places)
        Plug(place.port);
    const auto nodes = List();
    ASSERT_EQ(nodes.size(), std::size(places));
    for (const auto& place : places) {
        SCOPED_TRACE(place.port);
        const std::string node = usb_.DevNode(place.port);
        const DWORD bus = static_cast<DWORD>(std::stoul(node.substr(13, 3)));
        const DWORD address = static_cast<DWORD>(std::stoul(node.substr(17, 3)));
        const DWORD expected = place.location.value_or(0xF0000000 | bus << 12 | address);
        EXPECT_EQ(std::count_if(nodes.begin(), nodes.end(),
                                [&](const auto& n) { return n.LocId == expected; }),
                  1);
    }
    // The wide form opens like any other.
    ASSERT_EQ(usb_.DevNode("16-2"), "/dev/bus/usb/016/002");
    EXPECT_EQ(Open(0xF0010002), FT_OK);
}

TEST_F(OpenDriverTest, ProbePassesLeaveEveryNodeInPlace) {
    UsbNode& unit = Plug("1-1");
    PlugSpec stranger;
    stranger.port = "1-2";
    stranger.identity.product = "FT232R USB UART";
    UsbNode& other = usb_.Plug(stranger);
    SetD2xxApi(api_);
    ShowLinkErrors = false;
    for (int pass = 0; pass < 3; ++pass) {
        ASSERT_EQ(LinkCreateDeviceList(), FT_OK);
        ASSERT_EQ(LinkGetDeviceList(), FT_OK);
        ASSERT_EQ(DeviceInfoList.size(), 2u);
        ASSERT_TRUE(IsFamilyCandidate(DeviceInfoList[0]));
        ASSERT_FALSE(IsFamilyCandidate(DeviceInfoList[1]));
        ProbedIdentity identity;
        ASSERT_TRUE(ProbeIdentity(DeviceInfoList[0].LocId, identity, SteadyExchangeClock()));
        EXPECT_TRUE(IsAcceptedIdentity(identity));
    }
    for (UsbNode* node : {&unit, &other}) {
        EXPECT_TRUE(node->Events().empty()); // never detached, never claimed
        EXPECT_EQ(node->CurrentBinding(), Binding::FtdiSio);
    }
    EXPECT_EQ(usb_.SysFile("/bus/usb/drivers/ftdi_sio/unbind"), "");
    EXPECT_EQ(access("/dev/ttyUSB0", F_OK), 0);
    unit.WithChip([](Ft232rChip& chip) { EXPECT_EQ(chip.Counters().framesReceived, 3); });
}

TEST_F(OpenDriverTest, TtyOfAKilledHolderIsFreeForTheNextProgram) {
    Plug("1-1");
    int opened[2];
    ASSERT_EQ(pipe(opened), 0);
    const pid_t holder = fork();
    ASSERT_GE(holder, 0);
    if (holder == 0) {
        const char result = Open(0x11) == FT_OK ? 'y' : 'n';
        if (write(opened[1], &result, 1) == 1)
            for (;;)
                pause();
        _exit(1);
    }
    char result = 0;
    ASSERT_EQ(read(opened[0], &result, 1), 1);
    ASSERT_EQ(result, 'y');
    EXPECT_EQ(List().at(0).Flags & FT_FLAGS_OPENED, FT_FLAGS_OPENED);
    EXPECT_EQ(Open(0x11), FT_DEVICE_NOT_OPENED);

    ASSERT_EQ(kill(holder, SIGKILL), 0);
    ASSERT_EQ(waitpid(holder, nullptr, 0), holder);
    EXPECT_EQ(List().at(0).Flags & FT_FLAGS_OPENED, 0u);
    ASSERT_EQ(Open(0x11), FT_OK);
    SetUpLine(2000);
    SendPoll();
    ReadValidReply();
}

TEST_F(OpenDriverTest, RefusedOpenLeavesTheDriversReasonWithTheLine) {
    UsbNode& claimed = Plug("1-2", Binding::None);
    Plug("1-1");
    claimed.ClaimElsewhere();
    usb_.Tty("1-1").LockElsewhere();
    SetD2xxApi(api_);
    const struct {
        DWORD location;
        std::string reason;
    } cases[] = {
        {0x11, "/dev/ttyUSB0: locked by another program"},
        {0x12, usb_.DevNode("1-2") + ": held by another driver or program"},
    };
    for (const auto& c : cases) {
        DeviceLine line;
        EXPECT_EQ(line.Open(c.location), FT_DEVICE_NOT_OPENED);
        EXPECT_EQ(line.FailureReason(), c.reason);
        // The driver forgets it at its next call; the line keeps it.
        EXPECT_EQ(List().size(), 2u);
        EXPECT_STREQ(api_.LastFailure(), "");
        EXPECT_EQ(line.FailureReason(), c.reason);
    }
}

TEST_F(OpenDriverTest, TtyThatRefusesTheLowLatencyFlagWorksAtTheChipsTimer) {
    PlugSpec spec;
    spec.port = "1-1";
    spec.fixedLatency = true;
    UsbNode& node = usb_.Plug(spec);
    ASSERT_EQ(Open(0x11), FT_OK);
    SetUpLine(2000);
    SendPoll();
    ReadValidReply();
    node.WithChip([](Ft232rChip& chip) { EXPECT_EQ(chip.LatencyMs(), FactoryLatencyMs); });
}

TEST_P(BothPaths, LineSetUpReachesTheChip) {
    Plug("1-1", GetParam());
    ASSERT_EQ(Open(0x11), FT_OK);
    const bool tty = GetParam() == Binding::FtdiSio;
    const struct {
        ULONG baud;
        UCHAR bits, stop, parity;
        USHORT flow;
        std::uint16_t chipLine;
        std::uint8_t chipFlow;
    } setups[] = {
        {115200, 8, 0, 0, 0x0000, 0x0008, 0}, {9600, 7, 2, 2, 0x0100, 0x1207, 1},
        {57600, 8, 0, 1, 0x0400, 0x0108, 4},  {250000, 8, 0, 3, 0x0000, 0x0308, 0},
        {19200, 8, 2, 4, 0x0200, 0x1408, 2},
    };
    for (const auto& s : setups) {
        SCOPED_TRACE(s.baud);
        ASSERT_EQ(api_.SetBaudRate(handle_, s.baud), FT_OK);
        ASSERT_EQ(api_.SetDataCharacteristics(handle_, s.bits, s.stop, s.parity), FT_OK);
        const FT_STATUS flow = api_.SetFlowControl(handle_, s.flow, 0x21, 0x23);
        // A tty has no DTR/DSR flow control.
        EXPECT_EQ(flow, tty && s.flow == 0x0200 ? FT_NOT_SUPPORTED : FT_OK);
        const LineView line = usb_.Line("1-1");
        // The chip's divisor comes within 0.2 % of these rates.
        EXPECT_NEAR(line.baudRate, s.baud, s.baud * 0.002);
        EXPECT_EQ(line.properties, s.chipLine);
        if (flow != FT_OK)
            continue;
        EXPECT_EQ(line.flowControl, s.chipFlow);
        if (s.flow == 0x0400) {
            EXPECT_EQ(line.xon, 0x21);
            EXPECT_EQ(line.xoff, 0x23);
        }
    }
}

TEST_P(BothPaths, ReadWithoutTimeOutAnswersAtOnceWithWhatHasArrived) {
    Plug("1-1", GetParam());
    ASSERT_EQ(Open(0x11), FT_OK);
    SetUpLine(0);
    std::uint8_t buffer[StatusReplySize];
    DWORD got = 99;
    EXPECT_EQ(api_.Read(handle_, buffer, StatusReplySize, &got), FT_OK);
    EXPECT_EQ(got, 0u);
}

TEST_P(BothPaths, UnplugEndsAWaitingReadWithIoErrorAtOnce) {
    UsbNode& node = Plug("1-1", GetParam());
    ASSERT_EQ(Open(0x11), FT_OK);
    SetUpLine(60000); // far beyond the test's patience
    std::promise<Clock::time_point> calling;
    auto read = std::async(std::launch::async, [&] {
        std::uint8_t buffer[StatusReplySize];
        DWORD got = 0;
        calling.set_value(Clock::now());
        return api_.Read(handle_, buffer, StatusReplySize, &got);
    });
    const Clock::time_point began = calling.get_future().get();
    // The chip leaves the bus; its files go only afterwards, so the read cannot learn of the
    // unplug from them before it waits.
    if (GetParam() == Binding::FtdiSio)
        usb_.Tty("1-1").HangUp();
    else
        node.Unplug();
    EXPECT_LT(began, Clock::now());
    if (read.wait_for(Patience) != std::future_status::ready) {
        Close(); // lets the read end
        FAIL() << "the read waited for its time-out";
    }
    EXPECT_EQ(read.get(), FT_IO_ERROR);
    usb_.Unplug("1-1");
    DWORD queued = 0;
    EXPECT_EQ(api_.GetQueueStatus(handle_, &queued), FT_IO_ERROR);
    EXPECT_TRUE(std::string(api_.LastFailure()).ends_with(": the device has left the bus"))
        << api_.LastFailure();
    EXPECT_TRUE(List().empty());
    EXPECT_EQ(Close(), FT_OK);
}

INSTANTIATE_TEST_SUITE_P(Path, BothPaths, ::testing::Values(Binding::FtdiSio, Binding::None),
                         PathName);

class LatencyTest
    : public OpenDriverTest,
      public ::testing::WithParamInterface<std::tuple<Binding, std::pair<const char*, int>>> {};

TEST_P(LatencyTest, TimerIsAskedForAtOpenFromTheEnvironment) {
    const auto [binding, setting] = GetParam();
    const ScopedEnv latency("ORQ_SYV_FTDI_LATENCY", setting.first
                                                        ? std::optional<std::string>(setting.first)
                                                        : std::nullopt);
    UsbNode& node = Plug("1-1", binding);
    ASSERT_EQ(Open(0x11), FT_OK);
    if (binding == Binding::None) {
        node.WithChip([&](Ft232rChip& chip) { EXPECT_EQ(chip.LatencyMs(), setting.second); });
        return;
    }
    // Through the tty: 1 ms by the serial driver's low-latency flag, another value through the
    // port's latency_timer attribute.
    EXPECT_EQ(usb_.Tty("1-1").LowLatency(), setting.second == 1);
    if (setting.second != 1) {
        EXPECT_EQ(usb_.SysFile("/bus/usb-serial/devices/ttyUSB0/latency_timer"),
                  std::to_string(setting.second) + "\n");
    }
}

std::string LatencyCaseName(const ::testing::TestParamInfo<LatencyTest::ParamType>& info) {
    const auto& setting = std::get<1>(info.param);
    return (std::get<0>(info.param) == Binding::FtdiSio ? "Tty" : "Usb") +
           std::string(setting.first ? setting.first : "Unset") + "Is" +
           std::to_string(setting.second);
}

INSTANTIATE_TEST_SUITE_P(
    Settings, LatencyTest,
    ::testing::Combine(::testing::Values(Binding::FtdiSio, Binding::None),
                       ::testing::Values(std::pair<const char*, int>{nullptr, 1},
                                         std::pair<const char*, int>{"16", 16},
                                         std::pair<const char*, int>{"255", 255},
                                         std::pair<const char*, int>{"0", 1},
                                         std::pair<const char*, int>{"8ms", 1})),
    LatencyCaseName);

} // namespace
