#include "D2XXUnit_mod.h"
#include "D2xxLoader.h"
#include "DeviceLine.h"
#include "FrameTrace.h"
#include "Frames.h"
#include "MessageRecorder.h"
#include "SimBus.h"
#include "SimDriver.h"
#include "TestFiles.h"
#include "UnitLine.h"
#include "UnitSession.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <regex>
#include <sstream>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace {

using sim::DriverCall;

constexpr DWORD UnitLocation = 0x1011;
constexpr DWORD AbsentLocation = 0x2022;

class LinkLayerTest : public ::testing::Test {
protected:
    void SetUp() override {
        bus->Plug(sim::DeviceSpec{UnitLocation, FT_DEVICE_232R, "SN1", "ORQ-SYV-730", false,
                                  sim::MakeUnit(0, 1)});
        sim::InstallBus(bus);
        SetD2xxApi(sim::SimApi());
        ShowLinkErrors = true;
        LinkStatus = 0;
    }
    void TearDown() override {
        SetLinkErrorOwner({});
        sim::InstallBus(nullptr);
        SetD2xxApi(UnloadedD2xxApi());
        ShowLinkErrors = true;
    }

    // The calls the driver saw, without the queue polls, whose number depends on timing.
    std::vector<sim::SimCall> CallsWithoutQueuePolls() const {
        std::vector<sim::SimCall> calls = bus->Calls();
        std::erase_if(calls,
                      [](const sim::SimCall& c) { return c.call == DriverCall::GetQueueStatus; });
        return calls;
    }

    std::shared_ptr<sim::SimBus> bus = std::make_shared<sim::SimBus>(sim::BusTiming{true});
    MessageRecorder boxes;
};

void ExpectErrorBox(const MessageRecorder& boxes, const std::string& text) {
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text, text);
    EXPECT_EQ(boxes.shown[0].caption, "Error");
    EXPECT_EQ(boxes.shown[0].icon, MessageIcon::Error);
    EXPECT_EQ(boxes.shown[0].buttons, MessageButtons::Ok);
}

TEST_F(LinkLayerTest, EveryOperationReturnsAndNamesItsFailingCall) {
    // Transfers answer with LinkStatus, every other operation with its result.
    struct Case {
        DriverCall call;
        FT_STATUS (*run)();
        const char* name;
    };
    const Case cases[] = {
        {DriverCall::OpenEx, [] { return Open_USB_Device_By_Device_Location(UnitLocation); },
         "Open_USB_Device_By_Device_Location"},
        {DriverCall::Close, LinkClose, "FT_Close"},
        {DriverCall::Read,
         [] {
             LinkRead(58);
             return FT_STATUS(LinkStatus);
         },
         "FT_Read"},
        {DriverCall::Write,
         [] {
             LinkWrite(7);
             return FT_STATUS(LinkStatus);
         },
         "FT_Write"},
        {DriverCall::ResetDevice, LinkReset, "FT_ResetDevice"},
        {DriverCall::SetBaudRate, LinkSetBaudRate, "FT_SetBaudRate"},
        {DriverCall::SetDataCharacteristics, LinkSetDataCharacteristics,
         "FT_SetDataCharacteristics"},
        {DriverCall::SetFlowControl, LinkSetFlowControl, "FT_SetFlowControl"},
        {DriverCall::Purge, LinkPurgeRx, "FT_Purge RX"},
        {DriverCall::Purge, LinkPurgeTx, "FT_Purge TX"},
        {DriverCall::SetTimeouts, [] { return LinkSetTimeouts(2000, 2000); }, "FT_SetTimeouts"},
        {DriverCall::GetQueueStatus, LinkGetQueueStatus, "FT_GetQueueStatus"},
        {DriverCall::GetStatus, LinkGetStatus, "FT_GetStatus"},
        {DriverCall::CreateDeviceInfoList, LinkCreateDeviceList, "FT_CreateDeviceInfoList"},
        {DriverCall::GetDeviceInfoList, LinkGetDeviceList, "FT_GetDeviceInfoList"},
    };
    ASSERT_EQ(Open_USB_Device_By_Device_Location(UnitLocation), FT_OK);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const bool listCall =
            c.call == DriverCall::CreateDeviceInfoList || c.call == DriverCall::GetDeviceInfoList;
        const DWORD location = listCall ? 0 : UnitLocation;
        boxes.shown.clear();
        bus->FailCall(location, c.call, FT_IO_ERROR);
        EXPECT_EQ(c.run(), FT_IO_ERROR);
        bus->FailCall(location, c.call, FT_OK);
        ExpectErrorBox(boxes, std::string(c.name) + " - General IO error...");
    }
}

TEST_F(LinkLayerTest, DialogTextFollowsTheStatus) {
    struct Case {
        DriverCall call;
        FT_STATUS status;
        const char* text;
    };
    const Case cases[] = {
        {DriverCall::Read, FT_DEVICE_NOT_OPENED, "FT_Read - Device not opened..."},
        {DriverCall::Read, FT_DEVICE_NOT_OPENED_FOR_ERASE,
         "FT_Read Device not opened for erase..."},
        {DriverCall::Write, FT_DEVICE_NOT_OPENED_FOR_WRITE,
         "FT_Write Device not opened for write..."},
        {DriverCall::Read, FT_NOT_SUPPORTED, "FT_Read - Other error ..."},
        {DriverCall::Read, FT_OTHER_ERROR, "FT_Read - Unknown error (18)..."},
        {DriverCall::Write, 0xFFFFFFFF, "FT_Write - Unknown error (4294967295)..."},
    };
    ASSERT_EQ(Open_USB_Device_By_Device_Location(UnitLocation), FT_OK);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        boxes.shown.clear();
        bus->FailCall(UnitLocation, c.call, c.status);
        if (c.call == DriverCall::Read) {
            LinkRead(58);
        } else {
            LinkWrite(7);
        }
        bus->FailCall(UnitLocation, c.call, FT_OK);
        EXPECT_EQ(LinkStatus, static_cast<std::int32_t>(c.status));
        ExpectErrorBox(boxes, c.text);
    }
}

TEST_F(LinkLayerTest, OpeningAbsentDeviceReportsNotFound) {
    EXPECT_EQ(Open_USB_Device_By_Device_Location(AbsentLocation), FT_DEVICE_NOT_FOUND);
    ExpectErrorBox(boxes, "Open_USB_Device_By_Device_Location - Device not found...");
}

TEST_F(LinkLayerTest, ErrorBoxesBelongToTheWindowSetAsTheirOwner) {
    const int window = 0;
    SetLinkErrorOwner({&window});
    EXPECT_EQ(Open_USB_Device_By_Device_Location(AbsentLocation), FT_DEVICE_NOT_FOUND);
    SetLinkErrorOwner({});
    EXPECT_EQ(Open_USB_Device_By_Device_Location(AbsentLocation), FT_DEVICE_NOT_FOUND);
    ASSERT_EQ(boxes.shown.size(), 2u);
    EXPECT_EQ(boxes.shown[0].owner.window, &window);
    EXPECT_EQ(boxes.shown[1].owner.window, nullptr);
}

TEST_F(LinkLayerTest, DialogsOffShowNothingButTransfersStillStoreStatus) {
    ShowLinkErrors = false;
    EXPECT_EQ(Open_USB_Device_By_Device_Location(AbsentLocation), FT_DEVICE_NOT_FOUND);
    ASSERT_EQ(Open_USB_Device_By_Device_Location(UnitLocation), FT_OK);
    bus->FailCall(UnitLocation, DriverCall::Read, FT_DEVICE_NOT_OPENED);
    LinkRead(58);
    EXPECT_EQ(LinkStatus, FT_DEVICE_NOT_OPENED);
    EXPECT_TRUE(boxes.shown.empty());
    EXPECT_FALSE(ShowLinkErrors);
}

TEST_F(LinkLayerTest, StatusZeroNeverShowsDialog) {
    for (bool show : {true, false}) {
        ShowLinkErrors = show;
        ReportLinkError("FT_Read", FT_OK);
    }
    EXPECT_TRUE(boxes.shown.empty());
}

TEST_F(LinkLayerTest, OnlyTransfersStoreLinkStatus) {
    ASSERT_EQ(Open_USB_Device_By_Device_Location(UnitLocation), FT_OK);
    ShowLinkErrors = false;
    LinkStatus = 77;
    bus->FailCall(UnitLocation, DriverCall::GetQueueStatus, FT_IO_ERROR);
    EXPECT_EQ(LinkGetQueueStatus(), FT_IO_ERROR);
    bus->FailCall(UnitLocation, DriverCall::SetBaudRate, FT_INVALID_BAUD_RATE);
    EXPECT_EQ(LinkSetBaudRate(), FT_INVALID_BAUD_RATE);
    EXPECT_EQ(LinkStatus, 77);

    const CommandFrame poll = BuildCommandFrame(PollCode, 0);
    std::copy(poll.begin(), poll.end(), OutBuffer);
    EXPECT_EQ(LinkWrite(CommandFrameSize), static_cast<DWORD>(CommandFrameSize));
    EXPECT_EQ(LinkStatus, 0);
}

TEST_F(LinkLayerTest, EmptyBusGivesEmptyListAfterAskingTheDriver) {
    sim::InstallBus(std::make_shared<sim::SimBus>(sim::BusTiming{true}));
    DeviceInfoList.assign(3, FT_DEVICE_LIST_INFO_NODE{});
    EXPECT_EQ(LinkCreateDeviceList(), FT_OK);
    EXPECT_EQ(DeviceInfoCount, 0u);
    EXPECT_EQ(LinkGetDeviceList(), FT_OK);
    EXPECT_TRUE(DeviceInfoList.empty());
    EXPECT_EQ(DeviceInfoCount, 0u);
    const std::vector<sim::SimCall> calls = sim::InstalledBus()->Calls();
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[1].call, DriverCall::GetDeviceInfoList);
    EXPECT_EQ(calls[1].status, FT_OK);
    EXPECT_TRUE(boxes.shown.empty());
}

TEST_F(LinkLayerTest, TransferCountIsCutToTheBuffer) {
    ShowLinkErrors = false;
    ASSERT_EQ(Open_USB_Device_By_Device_Location(UnitLocation), FT_OK);
    bus->FailCall(UnitLocation, DriverCall::Read, FT_IO_ERROR);
    bus->FailCall(UnitLocation, DriverCall::Write, FT_IO_ERROR);
    LinkRead(LinkBufferSize + 1);
    LinkWrite(LinkBufferSize * 2);
    const std::vector<sim::SimCall> calls = bus->Calls();
    ASSERT_EQ(calls.size(), 3u);
    EXPECT_EQ(calls[1].args, std::vector<std::uint64_t>{LinkBufferSize});
    EXPECT_EQ(calls[2].args, std::vector<std::uint64_t>{LinkBufferSize});
}

TEST_F(LinkLayerTest, PollRoundTripWithUnit) {
    StoreUnitLineSettings();
    ASSERT_EQ(Open_USB_Device_By_Device_Location(UnitLocation), FT_OK);
    const FT_HANDLE opened = DeviceHandle;
    EXPECT_EQ(LinkReset(), FT_OK);
    EXPECT_EQ(LinkSetBaudRate(), FT_OK);
    EXPECT_EQ(LinkSetDataCharacteristics(), FT_OK);
    EXPECT_EQ(LinkSetFlowControl(), FT_OK);
    EXPECT_EQ(LinkSetTimeouts(2000, 2000), FT_OK);
    EXPECT_EQ(LinkPurgeRx(), FT_OK);
    EXPECT_EQ(LinkPurgeTx(), FT_OK);

    const CommandFrame poll = BuildCommandFrame(PollCode, 0);
    std::copy(poll.begin(), poll.end(), OutBuffer);
    EXPECT_EQ(LinkWrite(CommandFrameSize), static_cast<DWORD>(CommandFrameSize));
    EXPECT_EQ(LinkStatus, 0);

    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(2);
    do {
        ASSERT_EQ(LinkGetQueueStatus(), FT_OK);
        if (RxQueueBytes < StatusReplySize) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    } while (RxQueueBytes < StatusReplySize && std::chrono::steady_clock::now() < deadline);
    ASSERT_GE(RxQueueBytes, static_cast<DWORD>(StatusReplySize));

    EXPECT_EQ(LinkRead(StatusReplySize), static_cast<DWORD>(StatusReplySize));
    EXPECT_EQ(LinkStatus, 0);
    StatusReply reply;
    std::copy_n(InBuffer, StatusReplySize, reply.begin());
    EXPECT_EQ(reply[0], 0x50);
    EXPECT_EQ(reply[1], 0x52);
    EXPECT_EQ(ValidateReply(reply).result, ResultNone);

    EXPECT_EQ(LinkGetStatus(), FT_OK);
    EXPECT_EQ(LinkClose(), FT_OK);
    EXPECT_EQ(DeviceHandle, opened);
    EXPECT_TRUE(boxes.shown.empty());

    const std::vector<sim::SimFrame> frames = bus->Frames();
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(frames[0].bytes, std::vector<std::uint8_t>(poll.begin(), poll.end()));

    using Args = std::vector<std::uint64_t>;
    const std::pair<DriverCall, Args> expected[] = {
        {DriverCall::OpenEx, {UnitLocation, FT_OPEN_BY_LOCATION}},
        {DriverCall::ResetDevice, {}},
        {DriverCall::SetBaudRate, {115200}},
        {DriverCall::SetDataCharacteristics, {8, 0, 0}},
        {DriverCall::SetFlowControl, {0, 0x11, 0x13}},
        {DriverCall::SetTimeouts, {2000, 2000}},
        {DriverCall::Purge, {FT_PURGE_RX}},
        {DriverCall::Purge, {FT_PURGE_TX}},
        {DriverCall::Write, {CommandFrameSize}},
        {DriverCall::Read, {StatusReplySize}},
        {DriverCall::GetStatus, {}},
        {DriverCall::Close, {}},
    };
    const std::vector<sim::SimCall> calls = CallsWithoutQueuePolls();
    ASSERT_EQ(calls.size(), std::size(expected));
    for (std::size_t i = 0; i < calls.size(); ++i) {
        SCOPED_TRACE(sim::DriverCallName(expected[i].first));
        EXPECT_EQ(calls[i].call, expected[i].first);
        EXPECT_EQ(calls[i].args, expected[i].second);
        EXPECT_EQ(calls[i].locationId, UnitLocation);
        EXPECT_EQ(calls[i].status, FT_OK);
    }
}

// The trace line of `bytes` without its time: location, direction, bytes in hexadecimal.
template <typename Bytes> std::string Traced(DWORD location, char direction, const Bytes& bytes) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%X %c", static_cast<unsigned>(location), direction);
    std::string line = text;
    for (const std::uint8_t byte : bytes) {
        std::snprintf(text, sizeof text, " %02X", byte);
        line += text;
    }
    return line;
}

TEST_F(LinkLayerTest, TraceHoldsEveryFrameOfBothLinesInTurn) {
    constexpr DWORD OtherLocation = 0x1012;
    bus->Plug(sim::DeviceSpec{OtherLocation, FT_DEVICE_232R, "SN2", "ORQ-SYV-730", false,
                              sim::MakeUnit(4, 2)});
    ShowLinkErrors = false;
    const TempDir dir;
    TraceFramesTo((dir / "trace").c_str());
    DeviceLine own;
    struct Turn {
        LinkLine& line;
        DWORD location;
        CommandFrame frame;
    };
    const Turn turns[] = {{ModuleLine(), UnitLocation, BuildCommandFrame(PollCode, 0)},
                          {own, OtherLocation, BuildCommandFrame(4, 3)}};
    std::vector<std::string> expected;
    for (const Turn& turn : turns) {
        ASSERT_TRUE(OpenForExchange(turn.location, turn.line));
        UnitSession session(turn.line, SteadyExchangeClock(), std::chrono::microseconds(100));
        StatusReply reply{};
        std::uint8_t deviceError = 0;
        ASSERT_EQ(session.Turn(turn.frame, reply, deviceError), ResultNone);
        CloseAfterExchange(turn.line);
        expected.push_back(Traced(turn.location, '>', turn.frame));
        expected.push_back(Traced(turn.location, '<', reply));
    }
    TraceFramesTo(nullptr);

    std::istringstream trace(ReadFile(dir / "trace"));
    const std::regex time(R"(\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d\.\d{3}Z )");
    std::vector<std::string> traced;
    for (std::string line; std::getline(trace, line);) {
        std::smatch at;
        ASSERT_TRUE(std::regex_search(line, at, time, std::regex_constants::match_continuous))
            << line;
        traced.push_back(at.suffix());
    }
    EXPECT_EQ(traced, expected);
}

} // namespace
