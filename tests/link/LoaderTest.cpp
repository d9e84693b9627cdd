#include "D2XXUnit_mod.h"
#include "D2xxLoader.h"
#include "MessageRecorder.h"
#include "ProgramPaths.h"
#include "TestFiles.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr DWORD Mark = 0xA5A5A5A5;

// Calls all fourteen entries of a table with every output primed to a mark. Returns the
// statuses in table order; `wroteOutput` tells whether any output lost its mark.
std::vector<FT_STATUS> CallEveryEntry(const D2xxApi& api, bool& wroteOutput) {
    DWORD a = Mark;
    DWORD b = Mark;
    DWORD c = Mark;
    FT_HANDLE handle = &a;
    FT_HANDLE opened = &b;
    FT_DEVICE_LIST_INFO_NODE node;
    std::memset(&node, 0xA5, sizeof node);
    unsigned char buffer[8];
    std::memset(buffer, 0xA5, sizeof buffer);

    std::vector<FT_STATUS> statuses = {
        api.CreateDeviceInfoList(&a),
        api.GetDeviceInfoList(&node, &a),
        api.OpenEx(reinterpret_cast<void*>(std::uintptr_t{0x1011}), FT_OPEN_BY_LOCATION, &opened),
        api.Close(handle),
        api.ResetDevice(handle),
        api.SetBaudRate(handle, 115200),
        api.SetDataCharacteristics(handle, 8, 0, 0),
        api.SetFlowControl(handle, 0, 0x11, 0x13),
        api.SetTimeouts(handle, 2000, 2000),
        api.Purge(handle, FT_PURGE_RX),
        api.GetQueueStatus(handle, &a),
        api.GetStatus(handle, &a, &b, &c),
        api.Read(handle, buffer, sizeof buffer, &b),
        api.Write(handle, buffer, sizeof buffer, &c),
    };

    FT_DEVICE_LIST_INFO_NODE markedNode;
    std::memset(&markedNode, 0xA5, sizeof markedNode);
    wroteOutput = a != Mark || b != Mark || c != Mark || opened != &b ||
                  std::memcmp(&node, &markedNode, sizeof node) != 0 ||
                  std::count(buffer, buffer + sizeof buffer, 0xA5) != sizeof buffer;
    return statuses;
}

void ExpectRefusesEverything(const D2xxApi& api) {
    bool wroteOutput = true;
    const std::vector<FT_STATUS> statuses = CallEveryEntry(api, wroteOutput);
    for (std::size_t i = 0; i < statuses.size(); ++i) {
        EXPECT_NE(statuses[i], FT_OK) << D2xxEntryNames[i];
    }
    EXPECT_FALSE(wroteOutput);
}

class LoaderTest : public ::testing::Test {
protected:
    void TearDown() override {
        UnsetEnv("ORQ_SYV_D2XX");
        UnsetEnv("ORQ_SYV_SIM");
        SetD2xxApi(UnloadedD2xxApi());
    }
};

TEST_F(LoaderTest, LinkLayerWithoutDriverFailsEveryCall) {
    ExpectRefusesEverything(CurrentD2xxApi());
    ShowLinkErrors = false;
    EXPECT_EQ(LinkCreateDeviceList(), FT_OTHER_ERROR);
    ShowLinkErrors = true;
}

TEST_F(LoaderTest, MissingLibraryYieldsRefusingTable) {
    const std::string file = "/nonexistent/libnothing-d2xx.so";
    SetEnv("ORQ_SYV_D2XX", file);
    const DriverLoad load = LoadD2xxDriver();
    EXPECT_FALSE(load.loaded);
    EXPECT_EQ(load.library, file);
    EXPECT_NE(load.error.find(file), std::string::npos) << load.error;
    ExpectRefusesEverything(load.api);
}

TEST_F(LoaderTest, LibraryLackingAnEntryPointIsNotUsed) {
    SetEnv("ORQ_SYV_D2XX", D2XX_PARTIAL_PATH);
    const DriverLoad load = LoadD2xxDriver();
    EXPECT_FALSE(load.loaded);
    EXPECT_NE(load.error.find("FT_GetStatus"), std::string::npos) << load.error;
    EXPECT_EQ(load.error.find("FT_GetQueueStatus"), std::string::npos) << load.error;
    ExpectRefusesEverything(load.api);
}

TEST_F(LoaderTest, UnsetOrEmptyVariableMeansTheDefaultSearch) {
    const std::string programDir = DirectoryOf(OwnProgramPath());
    for (const char* value : {static_cast<const char*>(nullptr), ""}) {
        if (value == nullptr) {
            UnsetEnv("ORQ_SYV_D2XX");
        } else {
            SetEnv("ORQ_SYV_D2XX", value);
        }
        const std::vector<std::string> order = DriverSearchOrder(value, programDir);
        ASSERT_FALSE(order.empty());
        EXPECT_EQ(order.back().substr(order.back().size() - DefaultDriverLibrary().size()),
                  DefaultDriverLibrary());
        EXPECT_EQ(LoadD2xxDriver().library, order.front());
    }
}

TEST_F(LoaderTest, VariableAloneIsTried) {
    EXPECT_EQ(DriverSearchOrder("libftd2xx.so", "/opt/orq/bin/"),
              std::vector<std::string>{"libftd2xx.so"});
}

#if defined(__linux__)
// Places copies of driver libraries where the loader looks for the open driver, and removes
// them at the end. A library once loaded stays loaded for the process under its path, so the
// case that expects nothing found comes first.
class LoaderSearchTest : public LoaderTest {
protected:
    void TearDown() override {
        for (const fs::path& file : placed) {
            fs::remove(file);
        }
        for (const fs::path& dir : created) {
            fs::remove(dir);
        }
        LoaderTest::TearDown();
    }

    void Place(const std::string& library, const std::string& as) {
        fs::path dir = fs::path(as).lexically_normal().parent_path();
        std::vector<fs::path> missing;
        for (; !fs::exists(dir); dir = dir.parent_path()) {
            missing.push_back(dir);
        }
        fs::create_directories(fs::path(as).lexically_normal().parent_path());
        created.insert(created.end(), missing.begin(), missing.end());
        fs::copy_file(library, as, fs::copy_options::overwrite_existing);
        placed.push_back(as);
    }

    const std::string programDir = DirectoryOf(OwnProgramPath());
    const std::vector<std::string> order = DriverSearchOrder(nullptr, programDir);
    std::vector<fs::path> placed;
    std::vector<fs::path> created; // innermost first
};

TEST_F(LoaderSearchTest, NothingFoundNamesEveryPlaceTried) {
    const DriverLoad load = LoadD2xxDriver();
    EXPECT_FALSE(load.loaded);
    for (const std::string& file : order) {
        EXPECT_NE(load.error.find(file), std::string::npos) << load.error;
    }
    ExpectRefusesEverything(load.api);
}

TEST_F(LoaderSearchTest, OpenDriverBesideTheProgramThenInThePrivateLibraryDirectory) {
    ASSERT_EQ(order.size(), 2u);
    EXPECT_EQ(order[0], programDir + "libd2xxftdi.so");
    EXPECT_EQ(order[1].substr(0, programDir.size()), programDir);
    EXPECT_TRUE(order[1].ends_with("/orq-syv-settings/libd2xxftdi.so")) << order[1];
}

TEST_F(LoaderSearchTest, PrivateLibraryDirectoryServesWhenNothingIsBesideTheProgram) {
    Place(D2XXSIM_PATH, order[1]);
    const DriverLoad load = LoadD2xxDriver();
    EXPECT_TRUE(load.loaded) << load.error;
    EXPECT_EQ(load.library, order[1]);
    EXPECT_EQ(load.error, "");
}

TEST_F(LoaderSearchTest, CopyBesideTheProgramWins) {
    Place(D2XX_PARTIAL_PATH, order[1]);
    Place(D2XXSIM_PATH, order[0]);
    const DriverLoad load = LoadD2xxDriver();
    EXPECT_TRUE(load.loaded) << load.error;
    EXPECT_EQ(load.library, order[0]);
}

TEST_F(LoaderSearchTest, VariableChoosesTheVendorsLibraryOverTheOpenDriver) {
    Place(D2XXSIM_PATH, order[0]);
    SetEnv("ORQ_SYV_D2XX", "libftd2xx.so");
    const DriverLoad load = LoadD2xxDriver();
    EXPECT_EQ(load.library, "libftd2xx.so");
    if (!load.loaded) {
        EXPECT_NE(load.error.find("libftd2xx.so"), std::string::npos) << load.error;
        EXPECT_EQ(load.error.find(order[0]), std::string::npos) << load.error;
    }
}
#endif

TEST_F(LoaderTest, SimulatorLibraryListsConfiguredDevices) {
    SetEnv("ORQ_SYV_SIM", "bus,instant;"
                          "unit,serial=A1,loc=0x1011,desc=ORQ-SYV-730 A,variant=4,gen=2;"
                          "unit,serial=B2,loc=0x1012,desc=ORQ-SYV-730 B");
    SetEnv("ORQ_SYV_D2XX", D2XXSIM_PATH);
    const DriverLoad load = LoadD2xxDriver();
    ASSERT_TRUE(load.loaded) << load.error;
    EXPECT_EQ(load.error, "");
    EXPECT_EQ(load.api.LastFailure, nullptr); // the simulator tells no more than statuses
    SetD2xxApi(load.api);

    MessageRecorder boxes;
    ASSERT_EQ(LinkCreateDeviceList(), FT_OK);
    ASSERT_EQ(DeviceInfoCount, 2u);
    ASSERT_EQ(LinkGetDeviceList(), FT_OK);
    ASSERT_EQ(DeviceInfoList.size(), 2u);

    struct Expected {
        const char* serial;
        const char* description;
        DWORD location;
    };
    const Expected expected[] = {{"A1", "ORQ-SYV-730 A", 0x1011}, {"B2", "ORQ-SYV-730 B", 0x1012}};
    for (std::size_t i = 0; i < std::size(expected); ++i) {
        const FT_DEVICE_LIST_INFO_NODE& node = DeviceInfoList[i];
        EXPECT_STREQ(node.SerialNumber, expected[i].serial);
        EXPECT_STREQ(node.Description, expected[i].description);
        EXPECT_EQ(node.LocId, expected[i].location);
        EXPECT_EQ(node.Type, FT_DEVICE_232R);
        EXPECT_EQ(node.Flags & FT_FLAGS_OPENED, 0u);
    }
    EXPECT_TRUE(boxes.shown.empty());
}

} // namespace
