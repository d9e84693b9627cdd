// The simulated driver as the program meets a real one on Windows: FTD2XX.DLL beside the
// program, found by the loader under its default name, with its entry points under their plain
// names. What differs between the widths is in Driver32Test and Driver64Test.
#include "D2XXUnit_mod.h"
#include "D2xxLoader.h"
#include "Frames.h"
#include "MessageRecorder.h"
#include "ProgramPaths.h"
#include "TestFiles.h"

#include <gtest/gtest.h>

#include <cctype>
#include <chrono>
#include <cstddef>
#include <string>
#include <thread>

#include "WindowsApi.h"

namespace {

// The default bus of the driver library, in plug order.
struct ListedDevice {
    const char* serial;
    const char* description;
    DWORD location;
    bool open;
};
constexpr ListedDevice DefaultBus[] = {
    {"SV730101", "ORQ-SYV-730", 0x1011, false}, {"SV730102", "ORQ-SYV-730", 0x1012, false},
    {"SV730103", "ORQ-SYV-730", 0x1013, false}, {"A5XK3RJT", "FT232R USB UART", 0x1014, false},
    {"SV730104", "ORQ-SYV-730", 0x1015, true},
};

std::string Lower(std::string text) {
    for (char& c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

class DriverDllTest : public ::testing::Test {
protected:
    void SetUp() override {
        // Before the first driver call: the default name, and the library's default bus.
        UnsetEnv("ORQ_SYV_D2XX");
        UnsetEnv("ORQ_SYV_SIM");
    }
    void TearDown() override {
        SetD2xxApi(UnloadedD2xxApi());
        ShowLinkErrors = true;
    }
};

TEST_F(DriverDllTest, LoaderFindsTheDriverBesideTheProgram) {
    const DriverLoad load = LoadD2xxDriver();
    ASSERT_TRUE(load.loaded) << load.error;
    EXPECT_EQ(load.library, "FTD2XX.DLL");
    EXPECT_EQ(load.error, "");
    const HMODULE module = GetModuleHandleA("FTD2XX.DLL");
    ASSERT_NE(module, nullptr);
    char path[MAX_PATH] = {};
    ASSERT_GT(GetModuleFileNameA(module, path, MAX_PATH), 0u);
    EXPECT_EQ(Lower(DirectoryOf(path)), Lower(DirectoryOf(OwnProgramPath()))) << path;
}

TEST_F(DriverDllTest, EntryPointsAreExportedUnderTheirPlainNames) {
    const HMODULE module = LoadLibraryA("FTD2XX.DLL");
    ASSERT_NE(module, nullptr) << "error " << GetLastError();
    for (const char* name : D2xxEntryNames)
        EXPECT_NE(GetProcAddress(module, name), nullptr) << name;
    FreeLibrary(module);
}

TEST_F(DriverDllTest, LinkLayerListsTheSimulatedUnits) {
    const DriverLoad load = LoadD2xxDriver();
    ASSERT_TRUE(load.loaded) << load.error;
    SetD2xxApi(load.api);
    MessageRecorder boxes;
    ASSERT_EQ(LinkCreateDeviceList(), FT_OK);
    ASSERT_EQ(DeviceInfoCount, std::size(DefaultBus));
    ASSERT_EQ(LinkGetDeviceList(), FT_OK);
    ASSERT_EQ(DeviceInfoList.size(), std::size(DefaultBus));
    for (std::size_t i = 0; i < std::size(DefaultBus); ++i) {
        const FT_DEVICE_LIST_INFO_NODE& node = DeviceInfoList[i];
        EXPECT_STREQ(node.SerialNumber, DefaultBus[i].serial) << i;
        EXPECT_STREQ(node.Description, DefaultBus[i].description) << i;
        EXPECT_EQ(node.LocId, DefaultBus[i].location) << i;
        EXPECT_EQ(node.Type, FT_DEVICE_232R) << i;
        EXPECT_EQ((node.Flags & FT_FLAGS_OPENED) != 0, DefaultBus[i].open) << i;
    }
    EXPECT_TRUE(boxes.shown.empty());
}

// Every argument reaches the library in its place and every status comes back: the table's
// call shapes match the library's.
TEST_F(DriverDllTest, CallsThroughTheLoadedTable) {
    const DriverLoad load = LoadD2xxDriver();
    ASSERT_TRUE(load.loaded) << load.error;
    const D2xxApi& api = load.api;

    DWORD count = 0;
    ASSERT_EQ(api.CreateDeviceInfoList(&count), FT_OK);
    EXPECT_EQ(count, std::size(DefaultBus));
    FT_HANDLE other = nullptr;
    EXPECT_EQ(
        api.OpenEx(reinterpret_cast<void*>(std::uintptr_t{0x1015}), FT_OPEN_BY_LOCATION, &other),
        FT_DEVICE_NOT_OPENED);

    FT_HANDLE unit = nullptr;
    ASSERT_EQ(
        api.OpenEx(reinterpret_cast<void*>(std::uintptr_t{0x1011}), FT_OPEN_BY_LOCATION, &unit),
        FT_OK);
    ASSERT_NE(unit, nullptr);
    EXPECT_EQ(api.ResetDevice(unit), FT_OK);
    EXPECT_EQ(api.SetBaudRate(unit, 1), FT_INVALID_BAUD_RATE);
    EXPECT_EQ(api.SetBaudRate(unit, 115200), FT_OK);
    EXPECT_EQ(api.SetDataCharacteristics(unit, 8, 1, 0), FT_INVALID_PARAMETER);
    EXPECT_EQ(api.SetDataCharacteristics(unit, 8, 0, 0), FT_OK);
    EXPECT_EQ(api.SetFlowControl(unit, 0, 0x11, 0x13), FT_OK);
    EXPECT_EQ(api.SetTimeouts(unit, 2000, 2000), FT_OK);
    EXPECT_EQ(api.Purge(unit, FT_PURGE_RX | FT_PURGE_TX), FT_OK);

    CommandFrame poll = BuildCommandFrame(PollCode, 0);
    DWORD written = 0;
    ASSERT_EQ(api.Write(unit, poll.data(), CommandFrameSize, &written), FT_OK);
    EXPECT_EQ(written, DWORD{CommandFrameSize});
    DWORD queued = 0;
    const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(2);
    while (queued < StatusReplySize && std::chrono::steady_clock::now() < limit) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
        ASSERT_EQ(api.GetQueueStatus(unit, &queued), FT_OK);
    }
    ASSERT_EQ(queued, DWORD{StatusReplySize});
    StatusReply reply{};
    DWORD read = 0;
    ASSERT_EQ(api.Read(unit, reply.data(), StatusReplySize, &read), FT_OK);
    EXPECT_EQ(read, DWORD{StatusReplySize});
    EXPECT_EQ(ValidateReply(reply).result, ResultNone);

    DWORD rx = 1, tx = 1, events = 1;
    EXPECT_EQ(api.GetStatus(unit, &rx, &tx, &events), FT_OK);
    EXPECT_EQ(rx, 0u);
    EXPECT_EQ(api.Close(unit), FT_OK);
    EXPECT_EQ(api.Close(unit), FT_INVALID_HANDLE);
}

} // namespace
