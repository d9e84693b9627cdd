// The simulated bus through the driver table, as the link layer sees it: listing, opening, line
// timing, faults and the logs.
#include "SimDriver.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <thread>

namespace {

using namespace std::chrono_literals;
using Bytes = std::vector<std::uint8_t>;

constexpr DWORD UnitA = 0x2001;
constexpr DWORD UnitB = 0x2002;
constexpr DWORD Other = 0x2003;

class SimBusTest : public testing::Test {
protected:
    void SetUp() override { Make({}); }
    void TearDown() override { sim::InstallBus(nullptr); }

    void Make(sim::BusTiming timing) {
        bus = std::make_shared<sim::SimBus>(timing);
        bus->Plug({UnitA, FT_DEVICE_232R, "SNA", "ORQ-SYV-730", false, sim::MakeUnit(0, 1)});
        bus->Plug({UnitB, FT_DEVICE_232R, "SNB", "ORQ-SYV-730", true, sim::MakeUnit(4, 2)});
        bus->Plug({Other, FT_DEVICE_2232H, "SNC", "Dual RS232", false, std::nullopt});
        sim::InstallBus(bus);
    }

    // Opens a device by location and sets the unit's line up, as the program does.
    FT_HANDLE Open(DWORD location, ULONG baud = 115200) {
        FT_HANDLE handle = nullptr;
        EXPECT_EQ(api.OpenEx(reinterpret_cast<void*>(std::uintptr_t{location}), FT_OPEN_BY_LOCATION,
                             &handle),
                  FT_OK);
        EXPECT_EQ(api.SetBaudRate(handle, baud), FT_OK);
        EXPECT_EQ(api.SetDataCharacteristics(handle, 8, 0, 0), FT_OK);
        EXPECT_EQ(api.SetTimeouts(handle, 200, 200), FT_OK);
        return handle;
    }

    void Send(FT_HANDLE handle, Bytes frame) {
        DWORD written = 0;
        ASSERT_EQ(api.Write(handle, frame.data(), static_cast<DWORD>(frame.size()), &written),
                  FT_OK);
        ASSERT_EQ(written, frame.size());
    }

    // Waits (up to `limit`) until `count` bytes are queued and reads them.
    Bytes Receive(FT_HANDLE handle, DWORD count, std::chrono::milliseconds limit = 300ms) {
        const auto end = sim::Clock::now() + limit;
        DWORD queued = 0;
        while (api.GetQueueStatus(handle, &queued) == FT_OK && queued < count &&
               sim::Clock::now() < end)
            std::this_thread::sleep_for(1ms);
        Bytes bytes(count);
        DWORD read = 0;
        if (queued < count || api.Read(handle, bytes.data(), count, &read) != FT_OK)
            return {};
        bytes.resize(read);
        return bytes;
    }

    static Bytes Command(std::uint8_t code, std::uint8_t value) {
        const CommandFrame frame = BuildCommandFrame(code, value);
        return {frame.begin(), frame.end()};
    }

    const D2xxApi& api = sim::SimApi();
    std::shared_ptr<sim::SimBus> bus;
};

TEST_F(SimBusTest, ListsEveryDeviceWithItsNode) {
    DWORD count = 0;
    ASSERT_EQ(api.CreateDeviceInfoList(&count), FT_OK);
    ASSERT_EQ(count, 3u);
    std::vector<FT_DEVICE_LIST_INFO_NODE> nodes(count);
    ASSERT_EQ(api.GetDeviceInfoList(nodes.data(), &count), FT_OK);
    EXPECT_EQ(nodes[0].Flags, 0u);
    EXPECT_EQ(nodes[0].Type, FT_DEVICE_232R);
    EXPECT_EQ(nodes[0].LocId, UnitA);
    EXPECT_STREQ(nodes[0].SerialNumber, "SNA");
    EXPECT_STREQ(nodes[0].Description, "ORQ-SYV-730");
    EXPECT_EQ(nodes[1].Flags & FT_FLAGS_OPENED, FT_FLAGS_OPENED);
    EXPECT_EQ(nodes[2].Type, FT_DEVICE_2232H);

    FT_HANDLE handle = Open(UnitA);
    bus->Unplug(Other);
    ASSERT_EQ(api.CreateDeviceInfoList(&count), FT_OK);
    ASSERT_EQ(count, 2u);
    ASSERT_EQ(api.GetDeviceInfoList(nodes.data(), &count), FT_OK);
    EXPECT_EQ(nodes[0].Flags, FT_FLAGS_OPENED);
    EXPECT_EQ(nodes[0].ftHandle, handle);
    EXPECT_EQ(api.Close(handle), FT_OK);
}

TEST_F(SimBusTest, OpenFailsForMissingBusyAndTwiceOpenedDevices) {
    FT_HANDLE handle = nullptr;
    auto open = [&](DWORD location) {
        return api.OpenEx(reinterpret_cast<void*>(std::uintptr_t{location}), FT_OPEN_BY_LOCATION,
                          &handle);
    };
    EXPECT_EQ(open(0x9999), FT_DEVICE_NOT_FOUND);
    EXPECT_EQ(open(UnitB), FT_DEVICE_NOT_OPENED);
    ASSERT_EQ(open(UnitA), FT_OK);
    FT_HANDLE first = handle;
    EXPECT_EQ(open(UnitA), FT_DEVICE_NOT_OPENED);
    EXPECT_EQ(api.Close(first), FT_OK);
    EXPECT_EQ(api.Close(first), FT_INVALID_HANDLE);
}

TEST_F(SimBusTest, PollIsAnsweredWithAValidReplyAfterTheWireTime) {
    bus->SetTiming({false, 1000us});
    FT_HANDLE handle = Open(UnitA);
    const auto sent = sim::Clock::now();
    Send(handle, Command(0, 0));
    DWORD queued = 0;
    ASSERT_EQ(api.GetQueueStatus(handle, &queued), FT_OK);
    EXPECT_EQ(queued, 0u) << "nothing can have arrived yet";
    const Bytes bytes = Receive(handle, 58);
    const auto took = sim::Clock::now() - sent;
    ASSERT_EQ(bytes.size(), 58u);
    StatusReply reply{};
    std::copy(bytes.begin(), bytes.end(), reply.begin());
    EXPECT_EQ(ValidateReply(reply).result, ResultNone);
    // 65 characters of 10 bits at 115200 baud, plus the unit's reply delay.
    EXPECT_GE(took, 5640us + 1000us);
}

TEST_F(SimBusTest, AUnitAtTheWrongLineSpeedHearsOnlyNoise) {
    FT_HANDLE handle = Open(UnitA, 9600);
    Send(handle, Command(0, 0));
    EXPECT_TRUE(Receive(handle, 58, 50ms).empty());
}

TEST_F(SimBusTest, CommandsChangeRegistersAndTheReplyShowsThem) {
    bus->SetTiming({true, {}});
    FT_HANDLE handle = Open(UnitA);
    Send(handle, Command(4, 3));
    Bytes reply = Receive(handle, 58);
    ASSERT_EQ(reply.size(), 58u);
    EXPECT_EQ(reply[16 + RegOutputFormat], 3);
    Send(handle, Command(19, 121)); // out of range: kept at 60
    reply = Receive(handle, 58);
    ASSERT_EQ(reply.size(), 58u);
    EXPECT_EQ(reply[16 + RegSdiGain1], 60);
    EXPECT_EQ(bus->Unit(UnitA).registers[RegOutputFormat], 3);
}

TEST_F(SimBusTest, LogsFramesAndCallsInOrder) {
    bus->SetTiming({true, {}});
    FT_HANDLE handle = Open(UnitA);
    Send(handle, Command(5, 1));
    EXPECT_EQ(api.Purge(handle, FT_PURGE_RX | FT_PURGE_TX), FT_OK);
    const auto frames = bus->Frames();
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(frames[0].locationId, UnitA);
    EXPECT_EQ(frames[0].bytes, (Bytes{0x52, 0x50, 0x02, 0x05, 0x01, 0x9C, 0xEF}));
    const auto calls = bus->Calls();
    ASSERT_EQ(calls.size(), 6u);
    EXPECT_EQ(calls[0].call, sim::DriverCall::OpenEx);
    EXPECT_EQ(calls[0].args, (std::vector<std::uint64_t>{UnitA, FT_OPEN_BY_LOCATION}));
    EXPECT_EQ(calls[1].args, (std::vector<std::uint64_t>{115200}));
    EXPECT_EQ(calls[2].args, (std::vector<std::uint64_t>{8, 0, 0}));
    EXPECT_EQ(calls[4].call, sim::DriverCall::Write);
    EXPECT_EQ(calls[5].call, sim::DriverCall::Purge);
    EXPECT_EQ(calls[5].locationId, UnitA);
    EXPECT_STREQ(sim::DriverCallName(calls[5].call), "FT_Purge");
    bus->ClearLogs();
    EXPECT_TRUE(bus->Frames().empty());
    bus->KeepLogs(false);
    const std::string file = testing::TempDir() + "sim-frames.txt";
    std::remove(file.c_str());
    bus->WriteFramesTo(file);
    Send(handle, Command(0, 0));
    EXPECT_TRUE(bus->Frames().empty());
    EXPECT_TRUE(bus->Calls().empty());
    std::ifstream lines(file);
    std::string line;
    std::getline(lines, line);
    EXPECT_EQ(line, "2001 52 50 02 00 00 0C 2D");
}

struct InjectedFailure {
    sim::DriverCall call;
    FT_STATUS status;
};

class SimBusFailCall : public SimBusTest, public testing::WithParamInterface<InjectedFailure> {};

TEST_P(SimBusFailCall, AnswersTheInjectedStatusUntilSwitchedOff) {
    bus->SetTiming({true, {}});
    const InjectedFailure f = GetParam();
    FT_HANDLE handle = Open(UnitA);
    bus->FailCall(UnitA, f.call, f.status);
    Bytes buffer = Command(0, 0);
    DWORD count = 0;
    auto call = [&] {
        switch (f.call) {
        case sim::DriverCall::Read:
            return api.Read(handle, buffer.data(), 7, &count);
        case sim::DriverCall::Write:
            return api.Write(handle, buffer.data(), 7, &count);
        default:
            return api.GetQueueStatus(handle, &count);
        }
    };
    EXPECT_EQ(call(), f.status);
    bus->FailCall(UnitA, f.call, FT_OK);
    EXPECT_EQ(call(), FT_OK);
}

INSTANTIATE_TEST_SUITE_P(Calls, SimBusFailCall,
                         testing::Values(InjectedFailure{sim::DriverCall::Read, FT_IO_ERROR},
                                         InjectedFailure{sim::DriverCall::Write, 10},
                                         InjectedFailure{sim::DriverCall::GetQueueStatus, 18}));

TEST_F(SimBusTest, OpenAndListFailuresCanBeInjected) {
    bus->FailCall(UnitA, sim::DriverCall::OpenEx, FT_INSUFFICIENT_RESOURCES);
    FT_HANDLE handle = nullptr;
    EXPECT_EQ(
        api.OpenEx(reinterpret_cast<void*>(std::uintptr_t{UnitA}), FT_OPEN_BY_LOCATION, &handle),
        FT_INSUFFICIENT_RESOURCES);
    bus->FailCall(0, sim::DriverCall::CreateDeviceInfoList, FT_OTHER_ERROR);
    DWORD count = 0;
    EXPECT_EQ(api.CreateDeviceInfoList(&count), FT_OTHER_ERROR);
}

TEST_F(SimBusTest, FaultsSwitchPerUnitAtAnyTime) {
    bus->SetTiming({true, {}});
    FT_HANDLE handle = Open(UnitA);
    sim::UnitFaults faults;
    faults.replyLength = 59;
    bus->SetFaults(UnitA, faults);
    Send(handle, Command(0, 0));
    EXPECT_EQ(Receive(handle, 58).size(), 58u);
    DWORD queued = 0;
    ASSERT_EQ(api.GetQueueStatus(handle, &queued), FT_OK);
    EXPECT_EQ(queued, 1u) << "the 59th byte stays behind";

    faults = {};
    faults.noReply = true;
    bus->SetFaults(UnitA, faults);
    Send(handle, Command(4, 5));
    EXPECT_TRUE(Receive(handle, 58, 20ms).empty());
    EXPECT_EQ(bus->Unit(UnitA).registers[RegOutputFormat], 5) << "a silent unit still obeys";
}

TEST_F(SimBusTest, UnplugInTheMiddleOfAReplyFailsTheHandle) {
    FT_HANDLE handle = Open(UnitA);
    sim::UnitFaults faults;
    faults.unplugMidReply = true;
    bus->SetFaults(UnitA, faults);
    Send(handle, Command(0, 0));
    DWORD queued = 0;
    FT_STATUS status = FT_OK;
    const auto end = sim::Clock::now() + 200ms;
    while ((status = api.GetQueueStatus(handle, &queued)) == FT_OK && sim::Clock::now() < end)
        std::this_thread::sleep_for(1ms);
    EXPECT_EQ(status, FT_IO_ERROR);
    EXPECT_LT(queued, 58u);
    DWORD count = 0;
    ASSERT_EQ(api.CreateDeviceInfoList(&count), FT_OK);
    EXPECT_EQ(count, 2u) << "gone from the list too";
    EXPECT_EQ(api.Close(handle), FT_OK);
}

TEST_F(SimBusTest, ReadWaitsForItsBytesUpToTheTimeout) {
    FT_HANDLE handle = Open(UnitA);
    Send(handle, Command(0, 0));
    Bytes bytes(58);
    DWORD read = 0;
    ASSERT_EQ(api.Read(handle, bytes.data(), 58, &read), FT_OK);
    EXPECT_EQ(read, 58u);
    Send(handle, Command(0, 0));
    bytes.resize(60);
    ASSERT_EQ(api.Read(handle, bytes.data(), 60, &read), FT_OK);
    EXPECT_EQ(read, 58u) << "the 200 ms time-out ends a read that asks for too much";
}

TEST_F(SimBusTest, WithNoBusInstalledEveryCallFails) {
    sim::InstallBus(nullptr);
    DWORD count = 0;
    EXPECT_NE(api.CreateDeviceInfoList(&count), FT_OK);
}

} // namespace
