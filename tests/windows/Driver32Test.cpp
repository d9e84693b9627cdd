// What only 32-bit Windows has: the 100-byte device node, and __stdcall entry points, which take
// their own arguments off the stack and whose plain export names carry no "@bytes" decoration.
#include "D2xxLoader.h"
#include "TestFiles.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <type_traits>

#include "WindowsApi.h"

static_assert(sizeof(void*) == 4, "the tests of the 32-bit Windows build");

// The table calls every entry point as __stdcall: a caller-cleans table would leave each call's
// arguments on the stack of a callee-cleans driver.
static_assert(std::is_same_v<decltype(D2xxApi::Close), FT_STATUS(__stdcall*)(FT_HANDLE)>);
static_assert(!std::is_same_v<decltype(D2xxApi::Close), FT_STATUS(__cdecl*)(FT_HANDLE)>);

namespace {

// The stack pointer where this is inlined; the clobber keeps the compiler from moving the read
// across the calls it brackets.
[[gnu::always_inline]] inline std::uintptr_t StackPointer() {
    std::uintptr_t pointer;
    asm volatile("movl %%esp, %0" : "=r"(pointer) : : "memory");
    return pointer;
}

class Driver32Test : public ::testing::Test {
protected:
    void SetUp() override {
        // The default name and the library's default bus.
        UnsetEnv("ORQ_SYV_D2XX");
        UnsetEnv("ORQ_SYV_SIM");
    }
};

TEST(Driver32NodeTest, NodeHasThe32BitDriverLayout) {
    EXPECT_EQ(sizeof(FT_DEVICE_LIST_INFO_NODE), 100u);
    EXPECT_EQ(offsetof(FT_DEVICE_LIST_INFO_NODE, ftHandle), 96u);
    EXPECT_EQ(sizeof(FT_DEVICE_LIST_INFO_NODE::ftHandle), 4u);
}

TEST_F(Driver32Test, ExportNamesCarryNoStdcallDecoration) {
    const HMODULE module = LoadLibraryA("FTD2XX.DLL");
    ASSERT_NE(module, nullptr) << "error " << GetLastError();
    for (const char* decorated :
         {"FT_Close@4", "_FT_Close@4", "FT_Read@16", "_FT_Read@16", "FT_OpenEx@12"})
        EXPECT_EQ(GetProcAddress(module, decorated), nullptr) << decorated;
    FreeLibrary(module);
}

// A driver entry point built caller-cleans would leave the stack lower after each call through
// the table by the size of its arguments.
TEST_F(Driver32Test, EntryPointsTakeTheirArgumentsOffTheStack) {
    const DriverLoad load = LoadD2xxDriver();
    ASSERT_TRUE(load.loaded) << load.error;
    DWORD count = 0;
    std::uintptr_t before = StackPointer();
    const FT_STATUS listed = load.api.CreateDeviceInfoList(&count);
    std::uintptr_t after = StackPointer();
    EXPECT_EQ(listed, FT_OK);
    EXPECT_EQ(after, before) << "FT_CreateDeviceInfoList";

    DWORD rx = 0, tx = 0, events = 0;
    before = StackPointer();
    const FT_STATUS status = load.api.GetStatus(nullptr, &rx, &tx, &events);
    after = StackPointer();
    EXPECT_EQ(status, FT_INVALID_HANDLE);
    EXPECT_EQ(after, before) << "FT_GetStatus";
}

} // namespace
