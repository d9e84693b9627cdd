// What each command sends, byte for byte, and what it prints.
#include "DeviceRegisters.h"
#include "PresetFile.h"
#include "ToolRun.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

namespace {

// Units at 0x1011.. in this order: variant 0 generation 1, variant 4 generation 2, variant 5
// generation 1, variant 3 generation 2; a stranger at 0x1015; a unit open elsewhere at 0x1016.
const std::string Rack = "bus,instant;"
                         "unit,serial=SV730101,variant=0,gen=1;"
                         "unit,serial=SV730102,variant=4,gen=2;"
                         "unit,serial=SV730103,variant=5,gen=1;"
                         "unit,serial=SV730105,variant=3,gen=2;"
                         "device,serial=A5XK3RJT;"
                         "unit,serial=SV730104,variant=2,open";

struct FramesCase {
    const char* name;
    std::vector<std::string> args;
    std::vector<SentFrame> frames;
    std::string printed; // a line the output must hold
};

void PrintTo(const FramesCase& c, std::ostream* os) {
    *os << c.name;
}

class ToolFrames : public testing::TestWithParam<FramesCase> {};

TEST_P(ToolFrames, SendsExactlyTheseFramesAndSaysSo) {
    const FramesCase& c = GetParam();
    const ToolRun run = RunTool(c.args, Rack);
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(run.frames, c.frames);
    EXPECT_NE(run.out.find(c.printed), std::string::npos) << run.out;
}

INSTANTIATE_TEST_SUITE_P(
    Commands, ToolFrames,
    testing::Values(
        FramesCase{"list",
                   {"list"},
                   {Poll(0x1011), Poll(0x1012), Poll(0x1013), Poll(0x1014)},
                   "ORQ-SYV-730-RK\tSV730102\t0x1012\tvariant 4\tgeneration 2\tsoftware 2.1"},
        FramesCase{
            "show", {"show", "SV730101"}, {Poll(0x1011)}, "sdi-source-8: SDI IN CH 15/16 (8)"},
        FramesCase{
            "show_by_location", {"show", "0x1013"}, {Poll(0x1013)}, "mic-gain-4: 47.00 dB (32)"},
        FramesCase{"set_by_texts",
                   {"set", "SV730102", "output-format=hd 1080i/60", "bars=ON", "sdi-gain-3=+1.5",
                    "mic-phantom-2=on", "ext-config-1=MIC IN 1/2", "loss-mode=none"},
                   {Poll(0x1012), Command(0x1012, 4, 3), Command(0x1012, 5, 1),
                    Command(0x1012, 21, 75), Command(0x1012, 32, 1), Command(0x1012, 35, 0),
                    Command(0x1012, 6, 3)},
                   "SV730102: sdi-gain-3=1.5 dB (75)"},
        FramesCase{"set_by_numbers",
                   {"set", "SV730103", "sdi-gain-8=120", "mic-gain-2=63", "ext-gain-2=-6",
                    "output-audio-group-4=0"},
                   {Poll(0x1013), Command(0x1013, 26, 120), Command(0x1013, 28, 63),
                    Command(0x1013, 40, 0), Command(0x1013, 10, 0)},
                   "SV730103: mic-gain-2=70.25 dB (63)"},
        FramesCase{
            "set_texts_of_the_generation_and_variant",
            {"set", "SV730105", "ext-source-1=TEST", "sdi-source-1=EXT 2", "ext-config-2=aes in"},
            {Poll(0x1014), Command(0x1014, 37, 11), Command(0x1014, 11, 10),
             Command(0x1014, 36, 1)},
            "SV730105: sdi-source-1=EXT 2 (10)"},
        FramesCase{"set_generation_1_test_source",
                   {"set", "SV730103", "ext-source-2=test"},
                   {Poll(0x1013), Command(0x1013, 38, 9)},
                   "SV730103: ext-source-2=TEST (9)"},
        FramesCase{"reset_the_error_count",
                   {"set", "SV730101", "edh-crc-errors=reset"},
                   {Poll(0x1011), Command(0x1011, 3, 1)},
                   "SV730101: edh-crc-errors=0 (0)"},
        FramesCase{"factory",
                   {"factory", "SV730101", "0x1012"},
                   {Poll(0x1011), Block(0x1011, FactoryDefaultBlock()), Poll(0x1012),
                    Block(0x1012, FactoryDefaultBlock())},
                   "SV730102: factory defaults loaded"},
        FramesCase{"factory_all",
                   {"factory", "--all"},
                   {Poll(0x1011), Block(0x1011, FactoryDefaultBlock()), Poll(0x1012),
                    Block(0x1012, FactoryDefaultBlock()), Poll(0x1013),
                    Block(0x1013, FactoryDefaultBlock()), Poll(0x1014),
                    Block(0x1014, FactoryDefaultBlock())},
                   "SV730105: factory defaults loaded"}),
    [](const testing::TestParamInfo<FramesCase>& info) { return std::string(info.param.name); });

TEST(ToolPresets, ASavedPresetIsTheUnitsBlockAndLoadsBackByTheVariantRules) {
    const std::string dir = ScratchDir();
    // Each run starts a fresh bus, whose units hold the factory settings.
    const std::string bus = "bus,instant; unit,serial=SV730101,variant=0;"
                            "unit,serial=SV730102,variant=4,gen=2";
    const ToolRun save = RunTool({"save", "SV730102", dir + "/rack.orq730"}, bus);
    EXPECT_EQ(save.status, 0) << save.err;
    EXPECT_EQ(save.frames, (std::vector<SentFrame>{Poll(0x1012)}));
    const std::vector<std::uint8_t> saved = ReadBytes(dir + "/rack.orq730");
    const PresetFileBytes factory = PresetBytes(FactoryDefaultBlock());
    EXPECT_EQ(saved, std::vector<std::uint8_t>(factory.begin(), factory.end()));

    RegisterBlock preset = FactoryDefaultBlock();
    preset[4] = 1;  // bars
    preset[26] = 0; // mic-gain-1
    preset[38] = 0; // ext-gain-1
    const PresetFileBytes file = PresetBytes(preset);
    WriteBytes(dir + "/changed.orq730", {file.begin(), file.end()});
    const ToolRun load = RunTool({"load", dir + "/changed.orq730", "SV730101", "SV730102"}, bus);
    EXPECT_EQ(load.status, 0) << load.err;
    RegisterBlock withoutMicAndExt = preset;
    withoutMicAndExt[26] = 32;
    withoutMicAndExt[38] = 60;
    EXPECT_EQ(load.frames, (std::vector<SentFrame>{Poll(0x1011), Block(0x1011, withoutMicAndExt),
                                                   Poll(0x1012), Block(0x1012, preset)}));
    EXPECT_EQ(load.out, "SV730101: preset loaded\nSV730102: preset loaded\n");
}

TEST(ToolJson, ListAndShowWriteJson) {
    const ToolRun list = RunTool({"list", "--json"}, Rack);
    ASSERT_EQ(list.status, 0) << list.err;
    const auto units = nlohmann::json::parse(list.out);
    ASSERT_EQ(units.size(), 4u);
    EXPECT_EQ(units[2]["name"], "ORQ-SYV-730-TK");
    EXPECT_EQ(units[2]["serial"], "SV730103");
    EXPECT_EQ(units[2]["location"], "0x1013");
    EXPECT_EQ(units[2]["fpga"], "1.2  07.12.09");

    const ToolRun show = RunTool({"show", "SV730105", "--json"}, Rack);
    ASSERT_EQ(show.status, 0) << show.err;
    const auto unit = nlohmann::json::parse(show.out);
    EXPECT_EQ(unit["protocol"], "4.0");
    EXPECT_EQ(unit["registers"]["ext-config-1"]["text"], "AES IN");
    EXPECT_EQ(unit["registers"]["sdi-gain-1"]["text"], "0.0 dB");
    EXPECT_EQ(unit["registers"]["sdi-gain-1"]["value"], 60);
    EXPECT_FALSE(unit["registers"].contains("mic-gain-1")) << "variant 3 has no microphones";
}

TEST(ToolWatch, PrintsTheUnitsStateAndEndsQuietlyWhenInterrupted) {
    const ToolRun run = RunTool({"watch", "SV730101"}, Rack, "timeout --preserve-status -s INT 1");
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out.rfind("SV730101: input-format=LOSS (0), ", 0), 0u) << run.out;
    EXPECT_NE(run.out.find("loss-mode=BLUE (1)"), std::string::npos);
    ASSERT_GE(run.frames.size(), 2u);
    for (const SentFrame& frame : run.frames)
        EXPECT_EQ(frame, Poll(0x1011));
}

} // namespace
