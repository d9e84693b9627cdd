// A preset recalled on a rack: every variant gets the block its rules make, and a unit that
// fails on the way does not stop the others.
#include "DeviceRegisters.h"
#include "PresetFile.h"
#include "ToolRun.h"

#include <gtest/gtest.h>

namespace {

// A preset that differs from the factory settings in every register, so that each register the
// variant rules keep shows up as the unit's own value in the block sent.
RegisterBlock Preset() {
    RegisterBlock block = FactoryDefaultBlock();
    for (std::size_t i = 3; i < block.size(); ++i)
        block[i] = static_cast<std::uint8_t>(block[i] == 0 ? 1 : block[i] - 1);
    return block;
}

// The preset as a unit of a variant receives it: microphone registers 26..33 and EXT
// registers 34..39 from the preset when the unit has them, else the unit's own (factory).
RegisterBlock Received(bool microphones, bool ext) {
    RegisterBlock block = Preset();
    const RegisterBlock own = FactoryDefaultBlock();
    for (std::size_t i = 26; i < 34 && !microphones; ++i)
        block[i] = own[i];
    for (std::size_t i = 34; i < 40 && !ext; ++i)
        block[i] = own[i];
    return block;
}

std::string WritePreset() {
    const std::string path = ScratchDir() + "/rack.orq730";
    const PresetFileBytes bytes = PresetBytes(Preset());
    WriteBytes(path, {bytes.begin(), bytes.end()});
    return path;
}

TEST(ToolRack, LoadAllGivesEachVariantItsBlock) {
    const ToolRun run = RunTool({"load", WritePreset(), "--all"},
                                "bus,instant; unit,variant=0; unit,variant=1,gen=2;"
                                "device,serial=X1; unit,variant=2; unit,variant=3,gen=2;"
                                "unit,variant=4; unit,variant=5,gen=2; unit,variant=5,open;"
                                "unit,variant=1,model=731");
    EXPECT_EQ(run.status, 0) << run.err;
    const std::vector<SentFrame> expected = {
        Poll(0x1011), Block(0x1011, Received(false, false)),
        Poll(0x1012), Block(0x1012, Received(true, false)),
        Poll(0x1014), Block(0x1014, Received(false, true)),
        Poll(0x1015), Block(0x1015, Received(false, true)),
        Poll(0x1016), Block(0x1016, Received(true, true)),
        Poll(0x1017), Block(0x1017, Received(true, true)),
        Poll(0x1019), // another model: asked who it is, passed over
    };
    EXPECT_EQ(run.frames, expected);
    EXPECT_EQ(run.out, "SV731000: preset loaded\nSV731001: preset loaded\n"
                       "SV731003: preset loaded\nSV731004: preset loaded\n"
                       "SV731005: preset loaded\nSV731006: preset loaded\n");
}

struct UnplugCase {
    const char* name;
    std::vector<std::string> units; // empty: --all
};

class ToolUnplug : public testing::TestWithParam<UnplugCase> {};

TEST_P(ToolUnplug, TheOthersAreStillLoadedAndTheStatusIs3) {
    std::vector<std::string> args = {"load", WritePreset()};
    const std::vector<std::string>& units = GetParam().units;
    args.insert(args.end(), units.begin(), units.end());
    if (units.empty())
        args.push_back("--all");
    // The second unit is pulled out halfway through its reply to the block write.
    const ToolRun run = RunTool(args, "bus,instant; unit,serial=A,variant=4;"
                                      "unit,serial=B,variant=4,unplug=2; unit,serial=C,variant=4");
    EXPECT_EQ(run.status, 3);
    EXPECT_EQ(run.out, "A: preset loaded\nC: preset loaded\n");
    EXPECT_EQ(run.err, "B: USB Connection Read Failed (IO_error = 4)\n");
    const RegisterBlock block = Received(true, true);
    EXPECT_EQ(run.frames,
              (std::vector<SentFrame>{Poll(0x1011), Block(0x1011, block), Poll(0x1012),
                                      Block(0x1012, block), Poll(0x1013), Block(0x1013, block)}));
}

INSTANTIATE_TEST_SUITE_P(
    Rack, ToolUnplug, testing::Values(UnplugCase{"named", {"A", "B", "C"}}, UnplugCase{"all", {}}),
    [](const testing::TestParamInfo<UnplugCase>& info) { return std::string(info.param.name); });

TEST(ToolRack, AUnitNotFoundDoesNotStopTheOthers) {
    const ToolRun run =
        RunTool({"factory", "A", "GONE", "B"}, "bus,instant; unit,serial=A; unit,serial=B");
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.out, "A: factory defaults loaded\nB: factory defaults loaded\n");
    EXPECT_EQ(run.err, "GONE: no such unit\n");
    EXPECT_EQ(run.frames.size(), 4u);
}

} // namespace
