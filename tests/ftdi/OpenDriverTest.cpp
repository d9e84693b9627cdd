// The open driver's own cases on the emulated USB tree, beyond the contract every driver keeps:
// location ids through hubs, the kernel driver given back, line set-up and purge as the chip
// receives them, the latency timer, an unplug while a read waits.
#include "OpenDriver.h"
#include "EmulatedUsb.h"
#include "Frames.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <future>
#include <optional>
#include <thread>

namespace {

using namespace ftdiemu;
using namespace std::chrono_literals;

constexpr auto Patience = 5s; // never reached when the driver works

class OpenDriverTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(EmulatedUsb::Available()) << "run under umockdev-wrapper"; }
    void TearDown() override {
        if (handle_)
            api_.Close(handle_);
    }

    UsbNode& Plug(const std::string& port, Binding binding = Binding::FtdiSio) {
        PlugSpec spec;
        spec.port = port;
        spec.binding = binding;
        return usb_.Plug(spec);
    }
    FT_STATUS Open(DWORD location) {
        return api_.OpenEx(reinterpret_cast<void*>(std::uintptr_t{location}), FT_OPEN_BY_LOCATION,
                           &handle_);
    }
    void SetUpLine(ULONG readTimeout) {
        ASSERT_EQ(api_.SetBaudRate(handle_, 115200), FT_OK);
        ASSERT_EQ(api_.SetDataCharacteristics(handle_, 8, 0, 0), FT_OK);
        ASSERT_EQ(api_.SetFlowControl(handle_, 0, 0x11, 0x13), FT_OK);
        ASSERT_EQ(api_.SetTimeouts(handle_, readTimeout, 1000), FT_OK);
        ASSERT_EQ(api_.Purge(handle_, FT_PURGE_RX | FT_PURGE_TX), FT_OK);
    }
    void SendPoll() {
        CommandFrame poll = BuildCommandFrame(PollCode, 0);
        DWORD written = 0;
        ASSERT_EQ(api_.Write(handle_, poll.data(), CommandFrameSize, &written), FT_OK);
        ASSERT_EQ(written, DWORD{CommandFrameSize});
    }
    // Asks the queue until `done` holds for its count or the patience runs out.
    template <typename Done> DWORD QueueUntil(Done done) {
        const auto end = std::chrono::steady_clock::now() + Patience;
        DWORD queued = 0;
        while (api_.GetQueueStatus(handle_, &queued) == FT_OK && !done(queued) &&
               std::chrono::steady_clock::now() < end)
            std::this_thread::sleep_for(1ms);
        return queued;
    }

    EmulatedUsb usb_;
    const D2xxApi& api_ = OpenDriverApi();
    FT_HANDLE handle_ = nullptr;
};

std::vector<FT_DEVICE_LIST_INFO_NODE> List(const D2xxApi& api) {
    DWORD count = 0;
    EXPECT_EQ(api.CreateDeviceInfoList(&count), FT_OK);
    std::vector<FT_DEVICE_LIST_INFO_NODE> nodes(count);
    EXPECT_EQ(api.GetDeviceInfoList(nodes.data(), &count), FT_OK);
    return nodes;
}

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
    const auto nodes = List(api_);
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

TEST_F(OpenDriverTest, KernelDriverIsDetachedAtOpenAndGivenBackAtClose) {
    UsbNode& node = Plug("1-2.3");
    ASSERT_EQ(Open(0x123), FT_OK);
    EXPECT_EQ(node.CurrentBinding(), Binding::Usbfs);
    EXPECT_EQ(node.Events(),
              (std::vector<NodeEvent>{NodeEvent::KernelDriverDetached, NodeEvent::Claimed}));
    ASSERT_EQ(api_.Close(std::exchange(handle_, nullptr)), FT_OK);
    EXPECT_EQ(node.CurrentBinding(), Binding::FtdiSio);
    EXPECT_EQ(node.Events(),
              (std::vector<NodeEvent>{NodeEvent::KernelDriverDetached, NodeEvent::Claimed,
                                      NodeEvent::Released, NodeEvent::KernelDriverAttached}));
}

TEST_F(OpenDriverTest, DeviceClaimedElsewhereIsFlaggedAndLeftAlone) {
    UsbNode& node = Plug("1-1");
    node.ClaimElsewhere();
    const auto nodes = List(api_);
    ASSERT_EQ(nodes.size(), 1u);
    EXPECT_EQ(nodes[0].Flags & FT_FLAGS_OPENED, FT_FLAGS_OPENED);
    EXPECT_EQ(Open(0x11), FT_DEVICE_NOT_OPENED);
    EXPECT_EQ(node.CurrentBinding(), Binding::Usbfs);
    EXPECT_TRUE(node.Events().empty()); // nobody's claim was broken
}

TEST_F(OpenDriverTest, LineSetUpReachesTheChip) {
    UsbNode& node = Plug("1-1");
    ASSERT_EQ(Open(0x11), FT_OK);
    const struct {
        ULONG baud;
        UCHAR bits, stop, parity;
        USHORT flow;
        std::uint16_t chipLine;
        std::uint8_t chipFlow;
    } setups[] = {
        {115200, 8, 0, 0, 0x0000, 0x0008, 0},
        {9600, 7, 2, 2, 0x0100, 0x1207, 1},
        {57600, 8, 0, 1, 0x0200, 0x0108, 2},
        {19200, 8, 2, 0, 0x0400, 0x1008, 4},
    };
    for (const auto& s : setups) {
        SCOPED_TRACE(s.baud);
        ASSERT_EQ(api_.SetBaudRate(handle_, s.baud), FT_OK);
        ASSERT_EQ(api_.SetDataCharacteristics(handle_, s.bits, s.stop, s.parity), FT_OK);
        ASSERT_EQ(api_.SetFlowControl(handle_, s.flow, 0x11, 0x13), FT_OK);
        node.WithChip([&](Ft232rChip& chip) {
            // The chip's divisor comes within 0.2 % of these rates.
            EXPECT_NEAR(chip.BaudRate(), s.baud, s.baud * 0.002);
            EXPECT_EQ(chip.LineProperties(), s.chipLine);
            EXPECT_EQ(chip.FlowControl(), s.chipFlow);
        });
    }
}

TEST_F(OpenDriverTest, PurgeEmptiesTheBufferItNames) {
    UsbNode& node = Plug("1-1");
    ASSERT_EQ(Open(0x11), FT_OK);
    const struct {
        ULONG mask;
        int rx, tx; // the chip's buffers emptied: towards the host, towards the line
    } purges[] = {{FT_PURGE_RX, 1, 0}, {FT_PURGE_TX, 0, 1}, {FT_PURGE_RX | FT_PURGE_TX, 1, 1}};
    for (const auto& purge : purges) {
        SCOPED_TRACE(purge.mask);
        ChipCounters before, after;
        node.WithChip([&](Ft232rChip& chip) { before = chip.Counters(); });
        ASSERT_EQ(api_.Purge(handle_, purge.mask), FT_OK);
        node.WithChip([&](Ft232rChip& chip) { after = chip.Counters(); });
        EXPECT_EQ(after.rxPurges - before.rxPurges, purge.rx);
        EXPECT_EQ(after.txPurges - before.txPurges, purge.tx);
    }
}

TEST_F(OpenDriverTest, PurgeWhileAReplyArrivesLeavesOnlyItsTailAndTheNextTurnIsWhole) {
    UsbNode& node = Plug("1-1");
    ASSERT_EQ(Open(0x11), FT_OK);
    SetUpLine(2000);
    SendPoll();
    ASSERT_GT(QueueUntil([](DWORD n) { return n > 0; }), 0u);
    ASSERT_EQ(api_.Purge(handle_, FT_PURGE_RX), FT_OK);
    // The rest of the reply still comes; wait until the chip has passed all of it on.
    const auto end = std::chrono::steady_clock::now() + Patience;
    for (std::size_t waiting = 1; waiting > 0 && std::chrono::steady_clock::now() < end;) {
        std::this_thread::sleep_for(20ms);
        node.WithChip([&](Ft232rChip& chip) { waiting = chip.Waiting(Clock::now() + 1s); });
    }
    std::this_thread::sleep_for(20ms); // one latency period and more: the last packet is in
    DWORD tail = 0;
    ASSERT_EQ(api_.GetQueueStatus(handle_, &tail), FT_OK);
    EXPECT_LT(tail, DWORD{StatusReplySize});

    ASSERT_EQ(api_.Purge(handle_, FT_PURGE_RX), FT_OK);
    SendPoll();
    StatusReply reply{};
    DWORD got = 0;
    ASSERT_EQ(api_.Read(handle_, reply.data(), StatusReplySize, &got), FT_OK);
    ASSERT_EQ(got, DWORD{StatusReplySize});
    EXPECT_EQ(ValidateReply(reply).result, ResultNone);
}

TEST_F(OpenDriverTest, ReadWithoutTimeOutAnswersAtOnceWithWhatHasArrived) {
    Plug("1-1");
    ASSERT_EQ(Open(0x11), FT_OK);
    SetUpLine(0);
    std::uint8_t buffer[StatusReplySize];
    DWORD got = 99;
    EXPECT_EQ(api_.Read(handle_, buffer, StatusReplySize, &got), FT_OK);
    EXPECT_EQ(got, 0u);
}

TEST_F(OpenDriverTest, UnplugWhileAReadWaitsAnswersIoError) {
    Plug("1-1");
    ASSERT_EQ(Open(0x11), FT_OK);
    SetUpLine(3000);
    auto read = std::async(std::launch::async, [this] {
        std::uint8_t buffer[StatusReplySize];
        DWORD got = 0;
        return api_.Read(handle_, buffer, StatusReplySize, &got);
    });
    usb_.Unplug("1-1");
    EXPECT_EQ(read.get(), FT_IO_ERROR);
    DWORD queued = 0;
    EXPECT_EQ(api_.GetQueueStatus(handle_, &queued), FT_IO_ERROR);
    EXPECT_TRUE(List(api_).empty());
    EXPECT_EQ(api_.Close(std::exchange(handle_, nullptr)), FT_OK);
}

class LatencyTest : public OpenDriverTest,
                    public ::testing::WithParamInterface<std::pair<const char*, int>> {
protected:
    void TearDown() override {
        unsetenv("ORQ_SYV_FTDI_LATENCY");
        OpenDriverTest::TearDown();
    }
};

TEST_P(LatencyTest, TimerIsSetAtOpenFromTheEnvironment) {
    const auto [text, expected] = GetParam();
    if (text)
        setenv("ORQ_SYV_FTDI_LATENCY", text, 1);
    UsbNode& node = Plug("1-1");
    ASSERT_EQ(Open(0x11), FT_OK);
    node.WithChip([&](Ft232rChip& chip) { EXPECT_EQ(chip.LatencyMs(), expected); });
}

INSTANTIATE_TEST_SUITE_P(Settings, LatencyTest,
                         ::testing::Values(std::pair<const char*, int>{nullptr, 1},
                                           std::pair<const char*, int>{"16", 16},
                                           std::pair<const char*, int>{"255", 255},
                                           std::pair<const char*, int>{"0", 1},
                                           std::pair<const char*, int>{"256", 1},
                                           std::pair<const char*, int>{"8ms", 1}));

} // namespace
