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

// The unit open elsewhere is named and counts as not done; the one of another model is named
// but does not count; the device that is no unit's is left out.
TEST(ToolRack, LoadAllGivesEachVariantItsBlock) {
    const ToolRun run = RunTool({"load", WritePreset(), "--all"},
                                "bus,instant; unit,variant=0; unit,variant=1,gen=2;"
                                "device,serial=X1; unit,variant=2; unit,variant=3,gen=2;"
                                "unit,variant=4; unit,variant=5,gen=2; unit,variant=5,open;"
                                "unit,variant=1,model=731");
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.err, "SV731007: open in another program\nSV731008: not a unit of the family\n");
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

// What a run over a rack says, and its status: never a success for nothing done.
struct RackCase {
    const char* name;
    std::string bus;
    std::vector<std::string> args;
    int status;
    std::string out;
    std::string err;
};

void PrintTo(const RackCase& c, std::ostream* os) {
    *os << c.name;
}

class ToolRackOutcome : public testing::TestWithParam<RackCase> {};

TEST_P(ToolRackOutcome, SaysWhatWasDoneAndWhatNot) {
    const RackCase& c = GetParam();
    const ToolRun run = RunTool(c.args, "bus,instant;" + c.bus);
    EXPECT_EQ(run.status, c.status);
    EXPECT_EQ(run.out, c.out);
    EXPECT_EQ(run.err, c.err);
}

const std::string Loaded = "factory defaults loaded\n";

INSTANTIATE_TEST_SUITE_P(
    All, ToolRackOutcome,
    testing::Values(
        RackCase{"no_unit", "", {"factory", "--all"}, 2, "", "orq-syv: no unit found\n"},
        RackCase{"every_unit_open_elsewhere",
                 "unit,serial=A,open; unit,serial=B,open",
                 {"factory", "--all"},
                 2,
                 "",
                 "A: open in another program\nB: open in another program\n"
                 "orq-syv: no unit found\n"},
        RackCase{"only_strangers",
                 "unit,serial=A,model=731",
                 {"factory", "--all"},
                 2,
                 "",
                 "A: not a unit of the family\norq-syv: no unit found\n"},
        RackCase{"a_stranger_does_not_count",
                 "unit,serial=A; unit,serial=B,model=731",
                 {"factory", "--all"},
                 0,
                 "A: " + Loaded,
                 "B: not a unit of the family\n"},
        RackCase{"fewer_units_than_expected",
                 "unit,serial=A; unit,serial=B,model=731",
                 {"factory", "--all", "--expect", "2"},
                 2,
                 "A: " + Loaded,
                 "B: not a unit of the family\norq-syv: 1 units found, 2 expected\n"},
        RackCase{"an_expected_unit_missing",
                 "unit,serial=A; unit,serial=B",
                 {"factory", "--all", "--expect", "A,C,0x1012"},
                 2,
                 "A: " + Loaded + "B: " + Loaded,
                 "C: no such unit\n"},
        RackCase{"list_with_an_expected_unit_missing",
                 "unit,serial=A; unit,serial=B,open",
                 {"list", "--expect", "B,C"},
                 2,
                 "ORQ-SYV-730\tA\t0x1011\tvariant 0\tgeneration 1\tsoftware 1.4\tfpga 1.2  "
                 "07.12.09\n",
                 "C: no such unit\n"},
        RackCase{"a_serial_two_units_share",
                 "unit,serial=A; unit,serial=A; unit,serial=B",
                 {"factory", "B", "A"},
                 1,
                 "",
                 "A: 2 units have this serial number; name one by its location: 0x1011, "
                 "0x1012\n"},
        RackCase{"shared_serials_named_by_location",
                 "unit,serial=A; unit,serial=A",
                 {"factory", "--all"},
                 0,
                 "0x1011: " + Loaded + "0x1012: " + Loaded,
                 ""},
        RackCase{"a_unit_named_twice_is_done_once",
                 "unit,serial=A; unit,serial=B",
                 {"factory", "A", "0x1011", "B", "A"},
                 0,
                 "A: " + Loaded + "B: " + Loaded,
                 ""},
        // The first unit's answer takes 2 s to fail, the second's a moment: printed as named.
        RackCase{"printed_in_the_order_named",
                 "unit,serial=S,silent; unit,serial=A",
                 {"factory", "S", "A", "--json"},
                 3,
                 "{\"unit\":\"S\",\"serial\":\"S\",\"location\":\"0x1011\",\"outcome\":"
                 "\"skipped\",\"message\":\"USB Connection Read Failed (IO_error = 32)\","
                 "\"status\":3}\n"
                 "{\"unit\":\"A\",\"serial\":\"A\",\"location\":\"0x1012\",\"outcome\":"
                 "\"done\",\"message\":\"factory defaults loaded\",\"status\":0,\"changed\":{}}\n",
                 "S: USB Connection Read Failed (IO_error = 32)\n"}),
    [](const testing::TestParamInfo<RackCase>& info) { return std::string(info.param.name); });

// A rack brought to its rack file: the unit that matches is left alone, the other loaded, the
// missing one reported; the presets' paths are taken from the rack file's directory.
TEST(ToolApply, BringsTheRackToItsFileAndLeavesMatchingUnitsAlone) {
    const std::string preset = WritePreset();
    const std::string dir = preset.substr(0, preset.rfind('/'));
    const PresetFileBytes factory = PresetBytes(FactoryDefaultBlock());
    WriteBytes(dir + "/factory.orq730", {factory.begin(), factory.end()});
    const std::string text = "# the evening rack\n"
                             "A  \"Studio A\"  factory.orq730\n"
                             "\n"
                             "B  studio-b  " +
                             preset +
                             "   # absolute\n"
                             "C  spare  factory.orq730\n";
    WriteBytes(dir + "/rack.txt", {text.begin(), text.end()});
    const std::string bus = "bus,instant; unit,serial=A,variant=4; unit,serial=B,variant=4";

    const ToolRun dry = RunTool({"apply", dir + "/rack.txt", "--dry-run"}, bus);
    EXPECT_EQ(dry.status, 2);
    EXPECT_EQ(
        dry.out.rfind("A (Studio A): already set\nB (studio-b): output-format: AUTO (0) -> ", 0),
        0u)
        << dry.out;
    EXPECT_NE(dry.out.find("\nB (studio-b): bars: OFF (0) -> ON (1)\n"), std::string::npos);
    EXPECT_EQ(dry.frames, (std::vector<SentFrame>{Poll(0x1011), Poll(0x1012)}));

    const ToolRun run = RunTool({"apply", dir + "/rack.txt"}, bus);
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.out, "A (Studio A): already set\nB (studio-b): preset loaded\n");
    EXPECT_EQ(run.err, "C (spare): no such unit\n");
    EXPECT_EQ(run.frames, (std::vector<SentFrame>{Poll(0x1011), Poll(0x1012),
                                                  Block(0x1012, Received(true, true))}));
}

TEST(ToolApply, ABadRackFileSaysWhereAndSendsNothing) {
    const std::string preset = WritePreset();
    const std::string dir = preset.substr(0, preset.rfind('/'));
    const std::string text = "A  left  " + preset + "\nB  \"right  x.orq730\n";
    WriteBytes(dir + "/rack.txt", {text.begin(), text.end()});
    const ToolRun run = RunTool({"apply", dir + "/rack.txt"}, "bus,instant; unit,serial=A");
    EXPECT_EQ(run.status, 4);
    EXPECT_EQ(run.err, dir + "/rack.txt:2: a unit's line is SERIAL LABEL PRESET-FILE\n");
    EXPECT_TRUE(run.frames.empty());
}

} // namespace
