// What each command sends, byte for byte, and what it prints.
#include "DeviceRegisters.h"
#include "PresetFile.h"
#include "ToolRun.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <regex>

namespace {

// Units at 0x1011.. in this order: variant 0 generation 1, variant 4 generation 2, variant 5
// generation 1, variant 3 generation 2; a stranger at 0x1015; a unit open elsewhere at 0x1016;
// a unit with a dash in its serial number at a location of eight digits, as the open driver
// gives them.
const std::string Rack = "bus,instant;"
                         "unit,serial=SV730101,variant=0,gen=1;"
                         "unit,serial=SV730102,variant=4,gen=2;"
                         "unit,serial=SV730103,variant=5,gen=1;"
                         "unit,serial=SV730105,variant=3,gen=2;"
                         "device,serial=A5XK3RJT;"
                         "unit,serial=SV730104,variant=2,open;"
                         "unit,serial=SV-730-9,variant=1,loc=0xF0010002";
constexpr unsigned Wide = 0xF0010002;

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
                   {Poll(0x1011), Poll(0x1012), Poll(0x1013), Poll(0x1014), Poll(Wide)},
                   "ORQ-SYV-730-RK\tSV730102\t0x1012\tvariant 4\tgeneration 2\tsoftware 2.1"},
        FramesCase{"version", {"--version"}, {}, "orq-syv 1.1\n"},
        FramesCase{"show_by_eight_digit_location",
                   {"show", "0xF0010002"},
                   {Poll(Wide)},
                   "ORQ-SYV-730-K\tSV-730-9\t0xF0010002"},
        FramesCase{"show_by_serial_with_dash", {"show", "SV-730-9"}, {Poll(Wide)}, "SV-730-9"},
        FramesCase{"get_for_the_shell",
                   {"get", "SV730103", "sdi-gain-3", "output_format", "sdi-source-2"},
                   {Poll(0x1013)},
                   "sdi_gain_3=0.0\noutput_format=AUTO\nsdi_source_2='SDI IN CH 3/4'\n"},
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
                   {"set", "SV730103", "sdi-gain-8=raw:120", "mic-gain-2=raw:63", "ext-gain-2=-6",
                    "output-audio-group-4=0", "bars=raw:1"},
                   {Poll(0x1013), Command(0x1013, 26, 120), Command(0x1013, 28, 63),
                    Command(0x1013, 40, 0), Command(0x1013, 10, 0), Command(0x1013, 5, 1)},
                   "SV730103: mic-gain-2=70.25 dB (63)"},
        FramesCase{"set_bare_gains_in_decibels",
                   {"set", "SV730103", "sdi-gain-1=0", "mic-gain-1=47", "sdi-gain-2=6"},
                   {Poll(0x1013), Command(0x1013, 19, 60), Command(0x1013, 27, 32),
                    Command(0x1013, 20, 120)},
                   "SV730103: mic-gain-1=47.00 dB (32)"},
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
        FramesCase{"set_json",
                   {"set", "SV730101", "bars=on", "--json"},
                   {Poll(0x1011), Command(0x1011, 5, 1)},
                   "{\"unit\":\"SV730101\",\"serial\":\"SV730101\",\"location\":\"0x1011\","
                   "\"outcome\":\"done\",\"message\":\"bars=ON (1)\",\"status\":0,"
                   "\"changed\":{\"bars\":{\"text\":\"ON\",\"value\":1}}}\n"}),
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

    // What a load would change, after the variant rules, with nothing but the first poll sent.
    const ToolRun diff = RunTool({"diff", dir + "/changed.orq730", "SV730101"}, bus);
    EXPECT_EQ(diff.status, 5) << diff.err;
    EXPECT_EQ(diff.out, "SV730101: bars: OFF (0) -> ON (1)\n");
    EXPECT_EQ(diff.frames, std::vector<SentFrame>{Poll(0x1011)});
    const ToolRun dry = RunTool({"load", dir + "/rack.orq730", "--dry-run", "--all"}, bus);
    EXPECT_EQ(dry.status, 0) << dry.err;
    EXPECT_EQ(dry.out, "SV730101: no change\nSV730102: no change\n");
    EXPECT_EQ(dry.frames, (std::vector<SentFrame>{Poll(0x1011), Poll(0x1012)}));

    const ToolRun shown = RunTool({"preset", "show", dir + "/changed.orq730"}, bus);
    EXPECT_EQ(shown.status, 0) << shown.err;
    EXPECT_EQ(shown.out.rfind("checksum: good\ninput-format: LOSS (0)\n", 0), 0u) << shown.out;
    EXPECT_NE(shown.out.find("\nbars: ON (1)\n"), std::string::npos) << shown.out;
    EXPECT_NE(shown.out.find("\nmic-gain-1: 23.00 dB (0)\n"), std::string::npos) << shown.out;
}

TEST(ToolJson, ListAndShowWriteJson) {
    const ToolRun list = RunTool({"list", "--json"}, Rack);
    ASSERT_EQ(list.status, 0) << list.err;
    const auto units = nlohmann::json::parse(list.out);
    ASSERT_EQ(units.size(), 5u);
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

// One odd unit does not hide the rack: a serial number that is not UTF-8 is written with its
// bytes replaced, and in hexadecimal beside it.
TEST(ToolJson, TextThatIsNotUtf8IsReplacedAndGivenInHexadecimal) {
    const ToolRun list = RunTool({"list", "--json"}, "bus,instant; unit,serial=SV\xFF\xFE;"
                                                     "unit,serial=SV730102");
    ASSERT_EQ(list.status, 0) << list.err;
    const auto units = nlohmann::json::parse(list.out);
    ASSERT_EQ(units.size(), 2u);
    EXPECT_EQ(units[0]["serial"], "SV\xEF\xBF\xBD\xEF\xBF\xBD");
    EXPECT_EQ(units[0]["serial-hex"], "5356FFFE");
    EXPECT_FALSE(units[1].contains("serial-hex"));
}

// A time stamp, then the unit's state: the first line holds every register.
const std::string FirstWatchLine = "^[0-9]{4}-[0-9]{2}-[0-9]{2}T[0-9]{2}:[0-9]{2}:[0-9]{2}"
                                   "\\.[0-9]{3}Z SV730101: input-format=LOSS \\(0\\), .*"
                                   "loss-mode=BLUE \\(1\\)";

TEST(ToolWatch, EndsQuietlyWhenInterruptedAfterItsFirstLine) {
    const ToolRun run =
        RunTool({"watch", "SV730101"}, Rack,
                "{tool} >{out} 2>{err} & tool=$!; until [ -s {out} ]; do sleep 0.01; done; "
                "kill -INT $tool; wait $tool; echo $? >{status}");
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_TRUE(std::regex_search(run.out, std::regex(FirstWatchLine))) << run.out;
    ASSERT_GE(run.frames.size(), 2u);
    for (const SentFrame& frame : run.frames)
        EXPECT_EQ(frame, Poll(0x1011));
}

// The unit does not change, so no write would ever fail: the hang-up ends the watch.
TEST(ToolWatch, EndsWhenItsReaderGoes) {
    const ToolRun run = RunTool({"watch", "SV730101"}, Rack,
                                "{ {tool} 2>{err}; echo $? >{status}; } | head -n 1 >{out}");
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_TRUE(std::regex_match(run.out, std::regex(FirstWatchLine + ".*\n"))) << run.out;
    EXPECT_EQ(run.err, "");
}

TEST(ToolWatch, EndsAfterTheLinesAskedFor) {
    const ToolRun run = RunTool({"watch", "SV730101", "--json", "--count", "1"}, Rack);
    EXPECT_EQ(run.status, 0) << run.err;
    const auto line = nlohmann::json::parse(run.out);
    EXPECT_TRUE(std::regex_match(line["time"].get<std::string>(),
                                 std::regex("[0-9-]{10}T[0-9:]{8}\\.[0-9]{3}Z")))
        << line["time"];
    EXPECT_EQ(line["unit"], "SV730101");
    EXPECT_EQ(line["registers"]["loss-mode"]["text"], "BLUE");
}

} // namespace
