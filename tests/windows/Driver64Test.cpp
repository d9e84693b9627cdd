// What only 64-bit Windows has: the 104-byte device node, whose handle takes the last 8 bytes,
// and handles that need all 64 bits. The driver here is the simulator with every handle moved
// above 4 GiB, so a handle the link layer narrowed on its way back names no device.
#include "D2XXUnit_mod.h"
#include "D2xxLoader.h"
#include "Frames.h"
#include "MessageRecorder.h"
#include "SimBus.h"
#include "SimDriver.h"
#include "UnitLine.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

static_assert(sizeof(void*) == 8, "the tests of the 64-bit Windows build");

namespace {

constexpr DWORD UnitLocation = 0x1011;
constexpr DWORD OtherLocation = 0x1012;

// Moves a simulator handle above 4 GiB and back again: the upper half of every handle the
// driver hands out is set, and only a handle that comes back with all 64 bits intact turns into
// the simulator's own again.
FT_HANDLE Moved(FT_HANDLE handle) {
    return reinterpret_cast<FT_HANDLE>(reinterpret_cast<std::uintptr_t>(handle) ^
                                       std::uintptr_t{0x5A5A'0000'0000'0000});
}

template <auto Entry, typename... Args>
FT_STATUS FT_API MovedHandleCall(FT_HANDLE handle, Args... args) {
    return (sim::SimApi().*Entry)(Moved(handle), args...);
}

FT_STATUS FT_API MovedOpenEx(void* arg1, DWORD flags, FT_HANDLE* handle) {
    const FT_STATUS status = sim::SimApi().OpenEx(arg1, flags, handle);
    if (status == FT_OK)
        *handle = Moved(*handle);
    return status;
}

FT_STATUS FT_API MovedGetDeviceInfoList(FT_DEVICE_LIST_INFO_NODE* dest, DWORD* numDevs) {
    const FT_STATUS status = sim::SimApi().GetDeviceInfoList(dest, numDevs);
    for (DWORD i = 0; status == FT_OK && i < *numDevs; ++i)
        if (dest[i].ftHandle != nullptr)
            dest[i].ftHandle = Moved(dest[i].ftHandle);
    return status;
}

D2xxApi WideHandleApi() {
    D2xxApi api = sim::SimApi();
    api.GetDeviceInfoList = MovedGetDeviceInfoList;
    api.OpenEx = MovedOpenEx;
    api.Close = MovedHandleCall<&D2xxApi::Close>;
    api.ResetDevice = MovedHandleCall<&D2xxApi::ResetDevice>;
    api.SetBaudRate = MovedHandleCall<&D2xxApi::SetBaudRate>;
    api.SetDataCharacteristics = MovedHandleCall<&D2xxApi::SetDataCharacteristics>;
    api.SetFlowControl = MovedHandleCall<&D2xxApi::SetFlowControl>;
    api.SetTimeouts = MovedHandleCall<&D2xxApi::SetTimeouts>;
    api.Purge = MovedHandleCall<&D2xxApi::Purge>;
    api.GetQueueStatus = MovedHandleCall<&D2xxApi::GetQueueStatus>;
    api.GetStatus = MovedHandleCall<&D2xxApi::GetStatus>;
    api.Read = MovedHandleCall<&D2xxApi::Read>;
    api.Write = MovedHandleCall<&D2xxApi::Write>;
    return api;
}

class WideHandleTest : public ::testing::Test {
protected:
    void SetUp() override {
        bus->Plug(
            {UnitLocation, FT_DEVICE_232R, "SV730101", "ORQ-SYV-730", false, sim::MakeUnit(0, 1)});
        bus->Plug(
            {OtherLocation, FT_DEVICE_232R, "SV730102", "ORQ-SYV-730", false, sim::MakeUnit(0, 1)});
        sim::InstallBus(bus);
        SetD2xxApi(WideHandleApi());
        ShowLinkErrors = true;
    }
    void TearDown() override {
        sim::InstallBus(nullptr);
        SetD2xxApi(UnloadedD2xxApi());
    }

    std::shared_ptr<sim::SimBus> bus = std::make_shared<sim::SimBus>(sim::BusTiming{true});
    MessageRecorder boxes;
};

TEST(Driver64Test, NodeHasThe64BitDriverLayout) {
    EXPECT_EQ(sizeof(FT_DEVICE_LIST_INFO_NODE), 104u);
    EXPECT_EQ(offsetof(FT_DEVICE_LIST_INFO_NODE, ftHandle), 96u);
    EXPECT_EQ(sizeof(FT_DEVICE_LIST_INFO_NODE::ftHandle), 8u);
}

// Every device call of an exchange reaches the driver with the handle it gave out, all 64 bits
// of it: the simulator knows the handle on every call.
TEST_F(WideHandleTest, HandleAbove4GiBReachesTheDriverUnchanged) {
    ASSERT_EQ(Open_USB_Device_By_Device_Location(UnitLocation), FT_OK);
    EXPECT_GT(reinterpret_cast<std::uintptr_t>(DeviceHandle), std::uintptr_t{0xFFFF'FFFF});
    StoreUnitLineSettings();
    EXPECT_EQ(LinkReset(), FT_OK);
    EXPECT_EQ(LinkSetBaudRate(), FT_OK);
    EXPECT_EQ(LinkSetDataCharacteristics(), FT_OK);
    EXPECT_EQ(LinkSetFlowControl(), FT_OK);
    EXPECT_EQ(LinkSetTimeouts(2000, 2000), FT_OK);
    EXPECT_EQ(LinkPurgeRx(), FT_OK);
    EXPECT_EQ(LinkPurgeTx(), FT_OK);
    const CommandFrame poll = BuildCommandFrame(PollCode, 0);
    std::copy(poll.begin(), poll.end(), OutBuffer);
    EXPECT_EQ(LinkWrite(CommandFrameSize), DWORD{CommandFrameSize});
    EXPECT_EQ(LinkStatus, 0);
    EXPECT_EQ(LinkGetQueueStatus(), FT_OK);
    EXPECT_EQ(RxQueueBytes, DWORD{StatusReplySize});
    EXPECT_EQ(LinkRead(StatusReplySize), DWORD{StatusReplySize});
    EXPECT_EQ(LinkStatus, 0);
    EXPECT_EQ(LinkGetStatus(), FT_OK);
    EXPECT_EQ(LinkClose(), FT_OK);

    const std::vector<sim::SimCall> calls = bus->Calls();
    ASSERT_EQ(calls.size(), 13u);
    for (const sim::SimCall& call : calls) {
        EXPECT_EQ(call.status, FT_OK) << static_cast<int>(call.call);
        EXPECT_EQ(call.locationId, UnitLocation) << static_cast<int>(call.call);
    }
    EXPECT_TRUE(boxes.shown.empty());
}

// The list comes back in 104-byte nodes: the second unit's texts where they belong, and the
// open unit's handle whole in the last 8 bytes of its node.
TEST_F(WideHandleTest, ListedHandleAbove4GiBIsTheOpenHandle) {
    ASSERT_EQ(Open_USB_Device_By_Device_Location(UnitLocation), FT_OK);
    ASSERT_EQ(LinkCreateDeviceList(), FT_OK);
    ASSERT_EQ(LinkGetDeviceList(), FT_OK);
    ASSERT_EQ(DeviceInfoList.size(), 2u);
    EXPECT_EQ(DeviceInfoList[0].ftHandle, DeviceHandle);
    EXPECT_EQ(DeviceInfoList[0].Flags & FT_FLAGS_OPENED, FT_FLAGS_OPENED);
    EXPECT_EQ(DeviceInfoList[1].ftHandle, nullptr);
    EXPECT_EQ(DeviceInfoList[1].LocId, OtherLocation);
    EXPECT_STREQ(DeviceInfoList[1].SerialNumber, "SV730102");
    EXPECT_STREQ(DeviceInfoList[1].Description, "ORQ-SYV-730");
    EXPECT_EQ(LinkClose(), FT_OK);
}

} // namespace
