// The cases of the driver contract: listing, opening, line set-up, one poll and its reply, the
// receive queue, read time-outs, purge, close and unplug, as the program uses them.
#include "DriverContract.h"

#include "Frames.h"

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <thread>

namespace {

using namespace std::chrono_literals;

// Long enough for any reply on a loaded machine; never reached when the driver works.
constexpr auto QueueLimit = 5s;

void* LocationArg(DWORD location) {
    return reinterpret_cast<void*>(std::uintptr_t{location});
}

std::string FieldText(const char* field, std::size_t size) {
    return std::string(field, strnlen(field, size));
}

} // namespace

void DriverContract::SetUp() {
    bus = GetParam().make();
    ASSERT_NE(bus, nullptr);
    api = bus->Api();
}

void DriverContract::TearDown() {
    for (FT_HANDLE handle : opened)
        api.Close(handle);
    opened.clear();
    bus.reset();
}

FT_HANDLE DriverContract::Open(DWORD location) {
    FT_HANDLE handle = nullptr;
    EXPECT_EQ(api.OpenEx(LocationArg(location), FT_OPEN_BY_LOCATION, &handle), FT_OK);
    EXPECT_NE(handle, nullptr);
    if (handle)
        opened.push_back(handle);
    return handle;
}

FT_STATUS DriverContract::Close(FT_HANDLE handle) {
    std::erase(opened, handle);
    return api.Close(handle);
}

void DriverContract::SetUpLine(FT_HANDLE handle, ULONG readTimeout) {
    EXPECT_EQ(api.ResetDevice(handle), FT_OK);
    EXPECT_EQ(api.SetBaudRate(handle, 115200), FT_OK);
    EXPECT_EQ(api.SetDataCharacteristics(handle, 8, 0, 0), FT_OK);
    EXPECT_EQ(api.SetFlowControl(handle, 0, 0x11, 0x13), FT_OK);
    EXPECT_EQ(api.SetTimeouts(handle, readTimeout, 2000), FT_OK);
    EXPECT_EQ(api.Purge(handle, FT_PURGE_RX), FT_OK);
    EXPECT_EQ(api.Purge(handle, FT_PURGE_TX), FT_OK);
}

void DriverContract::SendPoll(FT_HANDLE handle) {
    CommandFrame poll = BuildCommandFrame(PollCode, 0);
    DWORD written = 0;
    ASSERT_EQ(api.Write(handle, poll.data(), CommandFrameSize, &written), FT_OK);
    ASSERT_EQ(written, DWORD{CommandFrameSize});
    bus->SendReply(bus->UnitLocation());
}

DWORD DriverContract::WaitForQueue(FT_HANDLE handle, DWORD count) {
    const auto end = std::chrono::steady_clock::now() + QueueLimit;
    DWORD queued = 0;
    while (api.GetQueueStatus(handle, &queued) == FT_OK && queued < count &&
           std::chrono::steady_clock::now() < end)
        std::this_thread::sleep_for(1ms);
    return queued;
}

DWORD DriverContract::AbsentLocation() {
    DWORD location = 0x0FFF;
    const std::vector<ContractDevice> devices = bus->Devices();
    while (std::any_of(devices.begin(), devices.end(),
                       [&](const ContractDevice& d) { return d.locationId == location; }))
        --location;
    return location;
}

namespace {

// The list the driver gives now, fetched as the link layer does.
std::vector<FT_DEVICE_LIST_INFO_NODE> FetchList(const D2xxApi& api) {
    DWORD count = 0;
    EXPECT_EQ(api.CreateDeviceInfoList(&count), FT_OK);
    std::vector<FT_DEVICE_LIST_INFO_NODE> nodes(count);
    DWORD fetched = count;
    EXPECT_EQ(api.GetDeviceInfoList(nodes.data(), &fetched), FT_OK);
    EXPECT_EQ(fetched, count);
    nodes.resize(std::min(fetched, count));
    return nodes;
}

const FT_DEVICE_LIST_INFO_NODE* NodeAt(const std::vector<FT_DEVICE_LIST_INFO_NODE>& nodes,
                                       DWORD location) {
    const auto it = std::find_if(nodes.begin(), nodes.end(),
                                 [&](const auto& node) { return node.LocId == location; });
    return it == nodes.end() ? nullptr : &*it;
}

TEST_P(DriverContract, ListsEveryDeviceOfTheBus) {
    const std::vector<ContractDevice> devices = bus->Devices();
    const std::vector<FT_DEVICE_LIST_INFO_NODE> nodes = FetchList(api);
    ASSERT_EQ(nodes.size(), devices.size());
    for (const ContractDevice& device : devices) {
        SCOPED_TRACE(device.serialNumber);
        const FT_DEVICE_LIST_INFO_NODE* node = NodeAt(nodes, device.locationId);
        ASSERT_NE(node, nullptr);
        EXPECT_EQ(node->Type, device.type);
        EXPECT_EQ(FieldText(node->SerialNumber, sizeof node->SerialNumber), device.serialNumber);
        EXPECT_EQ(FieldText(node->Description, sizeof node->Description), device.description);
        EXPECT_EQ((node->Flags & FT_FLAGS_OPENED) != 0, device.openElsewhere);
        if (device.type == FT_DEVICE_232R) {
            EXPECT_EQ(node->ID, 0x04036001u);
        }
    }
}

TEST_P(DriverContract, DeviceThisProgramOpenedIsListedAsOpenUntilClosed) {
    const DWORD unit = bus->UnitLocation();
    const FT_HANDLE handle = Open(unit);
    const auto whileOpen = FetchList(api);
    const FT_DEVICE_LIST_INFO_NODE* node = NodeAt(whileOpen, unit);
    ASSERT_NE(node, nullptr);
    EXPECT_EQ(node->Flags & FT_FLAGS_OPENED, FT_FLAGS_OPENED);
    EXPECT_EQ(node->ftHandle, handle);

    ASSERT_EQ(Close(handle), FT_OK);
    const auto afterClose = FetchList(api);
    node = NodeAt(afterClose, unit);
    ASSERT_NE(node, nullptr);
    EXPECT_EQ(node->Flags & FT_FLAGS_OPENED, 0u);
}

TEST_P(DriverContract, OpensOnlyByLocation) {
    const DWORD unit = bus->UnitLocation();
    char serial[] = "SN";
    const struct {
        void* arg;
        DWORD flags;
    } refused[] = {
        {serial, FT_OPEN_BY_SERIAL_NUMBER},
        {serial, FT_OPEN_BY_DESCRIPTION},
        {LocationArg(unit), 0},
        {LocationArg(unit), FT_OPEN_BY_LOCATION | FT_OPEN_BY_SERIAL_NUMBER},
    };
    for (const auto& call : refused) {
        FT_HANDLE handle = nullptr;
        EXPECT_EQ(api.OpenEx(call.arg, call.flags, &handle), FT_INVALID_PARAMETER) << call.flags;
        EXPECT_EQ(handle, nullptr);
    }
}

TEST_P(DriverContract, OpenOfAnAbsentLocationFindsNoDevice) {
    FT_HANDLE handle = nullptr;
    EXPECT_EQ(api.OpenEx(LocationArg(AbsentLocation()), FT_OPEN_BY_LOCATION, &handle),
              FT_DEVICE_NOT_FOUND);
    EXPECT_EQ(handle, nullptr);
}

TEST_P(DriverContract, DeviceOpenElsewhereCannotBeOpened) {
    for (const ContractDevice& device : bus->Devices()) {
        if (!device.openElsewhere)
            continue;
        FT_HANDLE handle = nullptr;
        EXPECT_EQ(api.OpenEx(LocationArg(device.locationId), FT_OPEN_BY_LOCATION, &handle),
                  FT_DEVICE_NOT_OPENED)
            << device.serialNumber;
        if (handle)
            opened.push_back(handle); // a driver that opened it anyway still closes it
    }
}

TEST_P(DriverContract, OpenDeviceCannotBeOpenedTwice) {
    const DWORD unit = bus->UnitLocation();
    Open(unit);
    FT_HANDLE second = nullptr;
    EXPECT_EQ(api.OpenEx(LocationArg(unit), FT_OPEN_BY_LOCATION, &second), FT_DEVICE_NOT_OPENED);
    if (second)
        opened.push_back(second);
}

TEST_P(DriverContract, LineSetUpRefusesWhatTheChipCannotDo) {
    const FT_HANDLE handle = Open(bus->UnitLocation());
    SetUpLine(handle);
    EXPECT_EQ(api.SetBaudRate(handle, 0), FT_INVALID_BAUD_RATE);
    EXPECT_EQ(api.SetBaudRate(handle, 12000000), FT_INVALID_BAUD_RATE);
    EXPECT_EQ(api.SetDataCharacteristics(handle, 5, 0, 0), FT_INVALID_PARAMETER);
    EXPECT_EQ(api.SetDataCharacteristics(handle, 8, 1, 0), FT_INVALID_PARAMETER);
    EXPECT_EQ(api.SetDataCharacteristics(handle, 8, 0, 9), FT_INVALID_PARAMETER);
}

TEST_P(DriverContract, PollIsAnsweredWithAValidReply) {
    const FT_HANDLE handle = Open(bus->UnitLocation());
    SetUpLine(handle);
    SendPoll(handle);
    ASSERT_GE(WaitForQueue(handle, StatusReplySize), DWORD{StatusReplySize});

    StatusReply reply{};
    DWORD read = 0;
    ASSERT_EQ(api.Read(handle, reply.data(), StatusReplySize, &read), FT_OK);
    ASSERT_EQ(read, DWORD{StatusReplySize});
    EXPECT_EQ(ValidateReply(reply).result, ResultNone);

    DWORD rx = 1;
    DWORD tx = 1;
    DWORD events = 1;
    EXPECT_EQ(api.GetStatus(handle, &rx, &tx, &events), FT_OK);
    EXPECT_EQ(rx, 0u);
}

TEST_P(DriverContract, QueueCountsWhatHasArrivedAndNotBeenRead) {
    const FT_HANDLE handle = Open(bus->UnitLocation());
    SetUpLine(handle);
    SendPoll(handle);
    ASSERT_EQ(WaitForQueue(handle, StatusReplySize), DWORD{StatusReplySize});

    std::uint8_t bytes[StatusReplySize] = {};
    DWORD read = 0;
    ASSERT_EQ(api.Read(handle, bytes, 20, &read), FT_OK);
    ASSERT_EQ(read, 20u);
    EXPECT_EQ(bytes[0], 'P');
    EXPECT_EQ(bytes[1], 'R');
    DWORD queued = 0;
    ASSERT_EQ(api.GetQueueStatus(handle, &queued), FT_OK);
    EXPECT_EQ(queued, DWORD{StatusReplySize - 20});
    DWORD rx = 0;
    DWORD tx = 0;
    DWORD events = 0;
    ASSERT_EQ(api.GetStatus(handle, &rx, &tx, &events), FT_OK);
    EXPECT_EQ(rx, DWORD{StatusReplySize - 20});

    ASSERT_EQ(api.Read(handle, bytes + 20, StatusReplySize - 20, &read), FT_OK);
    ASSERT_EQ(read, DWORD{StatusReplySize - 20});
    ASSERT_EQ(api.GetQueueStatus(handle, &queued), FT_OK);
    EXPECT_EQ(queued, 0u);
    StatusReply reply;
    std::copy(std::begin(bytes), std::end(bytes), reply.begin());
    EXPECT_EQ(ValidateReply(reply).result, ResultNone);
}

TEST_P(DriverContract, ReadTimeOutAnswersOkWithTheBytesThatCame) {
    const FT_HANDLE handle = Open(bus->UnitLocation());
    SetUpLine(handle, 50);

    std::uint8_t bytes[100] = {};
    DWORD read = 99;
    ASSERT_EQ(api.Read(handle, bytes, 10, &read), FT_OK);
    EXPECT_EQ(read, 0u);

    SendPoll(handle);
    ASSERT_EQ(WaitForQueue(handle, StatusReplySize), DWORD{StatusReplySize});
    ASSERT_EQ(api.Read(handle, bytes, sizeof bytes, &read), FT_OK);
    ASSERT_EQ(read, DWORD{StatusReplySize});
    StatusReply reply;
    std::copy(bytes, bytes + StatusReplySize, reply.begin());
    EXPECT_EQ(ValidateReply(reply).result, ResultNone);
}

TEST_P(DriverContract, PurgeEmptiesTheReceiveQueue) {
    const FT_HANDLE handle = Open(bus->UnitLocation());
    SetUpLine(handle, 100);
    SendPoll(handle);
    ASSERT_EQ(WaitForQueue(handle, StatusReplySize), DWORD{StatusReplySize});

    ASSERT_EQ(api.Purge(handle, FT_PURGE_RX | FT_PURGE_TX), FT_OK);
    DWORD queued = 1;
    ASSERT_EQ(api.GetQueueStatus(handle, &queued), FT_OK);
    EXPECT_EQ(queued, 0u);
    std::uint8_t bytes[StatusReplySize] = {};
    DWORD read = 1;
    ASSERT_EQ(api.Read(handle, bytes, StatusReplySize, &read), FT_OK);
    EXPECT_EQ(read, 0u);

    // The line still works after the purge.
    SendPoll(handle);
    ASSERT_EQ(WaitForQueue(handle, StatusReplySize), DWORD{StatusReplySize});
}

TEST_P(DriverContract, ClosedHandleIsRefusedByEveryCall) {
    const DWORD unit = bus->UnitLocation();
    const FT_HANDLE handle = Open(unit);
    ASSERT_EQ(Close(handle), FT_OK);

    std::uint8_t bytes[8] = {};
    DWORD a = 0;
    DWORD b = 0;
    DWORD c = 0;
    const FT_STATUS statuses[] = {
        api.Close(handle),
        api.ResetDevice(handle),
        api.SetBaudRate(handle, 115200),
        api.SetDataCharacteristics(handle, 8, 0, 0),
        api.SetFlowControl(handle, 0, 0x11, 0x13),
        api.SetTimeouts(handle, 100, 100),
        api.Purge(handle, FT_PURGE_RX),
        api.GetQueueStatus(handle, &a),
        api.GetStatus(handle, &a, &b, &c),
        api.Read(handle, bytes, sizeof bytes, &a),
        api.Write(handle, bytes, sizeof bytes, &a),
    };
    for (std::size_t i = 0; i < std::size(statuses); ++i)
        EXPECT_EQ(statuses[i], FT_INVALID_HANDLE) << "call " << i;

    // The device is free again.
    const FT_HANDLE again = Open(unit);
    SetUpLine(again);
    SendPoll(again);
    EXPECT_EQ(WaitForQueue(again, StatusReplySize), DWORD{StatusReplySize});
}

TEST_P(DriverContract, UnpluggedDeviceAnswersIoErrorAndLeavesTheList) {
    const DWORD unit = bus->UnitLocation();
    const FT_HANDLE handle = Open(unit);
    SetUpLine(handle);
    bus->Unplug(unit);

    DWORD queued = 0;
    EXPECT_EQ(api.GetQueueStatus(handle, &queued), FT_IO_ERROR);
    std::uint8_t bytes[StatusReplySize] = {};
    DWORD read = 0;
    EXPECT_EQ(api.Read(handle, bytes, StatusReplySize, &read), FT_IO_ERROR);
    CommandFrame poll = BuildCommandFrame(PollCode, 0);
    DWORD written = 0;
    EXPECT_EQ(api.Write(handle, poll.data(), CommandFrameSize, &written), FT_IO_ERROR);

    EXPECT_EQ(NodeAt(FetchList(api), unit), nullptr);
    EXPECT_EQ(Close(handle), FT_OK);
}

} // namespace
