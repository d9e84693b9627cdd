// Bad input and units that cannot be had: a clear message, the exit status that says which, and
// nothing sent that changes a unit.
#include "DeviceRegisters.h"
#include "PresetFile.h"
#include "ToolRun.h"

#include <gtest/gtest.h>

namespace {

const std::string Rack = "bus,instant;"
                         "unit,serial=SV730101,variant=0,gen=1;"
                         "unit,serial=SV730102,variant=2,gen=2;"
                         "device,serial=A5XK3RJT;"
                         "unit,serial=SV730104,variant=4,open;"
                         "unit,serial=SV730106,variant=1,badcrc;"
                         "unit,serial=SV730107,variant=1,deverror=3;"
                         "unit,serial=SV730108,variant=1,protocol=0x41";

struct BadCase {
    const char* name;
    std::vector<std::string> args;
    int status;
    std::string message;           // what standard error must hold
    std::vector<SentFrame> frames; // at most the first poll of the unit
};

void PrintTo(const BadCase& c, std::ostream* os) {
    *os << c.name;
}

class ToolBadInput : public testing::TestWithParam<BadCase> {};

TEST_P(ToolBadInput, IsRefusedWithItsStatusAndNothingChanged) {
    const BadCase& c = GetParam();
    const ToolRun run = RunTool(c.args, Rack);
    EXPECT_EQ(run.status, c.status) << run.err;
    EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
    EXPECT_EQ(run.frames, c.frames);
    EXPECT_EQ(run.out, "");
}

const std::vector<SentFrame> Nothing;

INSTANTIATE_TEST_SUITE_P(
    Usage, ToolBadInput,
    testing::Values(
        BadCase{"no_command", {}, 1, "", Nothing},
        BadCase{"unknown_command", {"reboot", "SV730101"}, 1, "", Nothing},
        BadCase{"unknown_setting",
                {"set", "SV730101", "colour=red"},
                1,
                "no setting \"colour\"",
                Nothing},
        BadCase{"no_equals", {"set", "SV730101", "bars"}, 1, "\"bars\" is not NAME=VALUE", Nothing},
        BadCase{"gain_out_of_range",
                {"set", "SV730101", "sdi-gain-1=121"},
                1,
                "sdi-gain-1: value out of range: \"121\"",
                Nothing},
        BadCase{"gain_between_steps",
                {"set", "SV730101", "sdi-gain-1=+1.55"},
                1,
                "sdi-gain-1: no gain step of the register's range",
                Nothing},
        BadCase{"gain_beyond_range",
                {"set", "SV730101", "ext-gain-1=+6.1 dB"},
                1,
                "ext-gain-1: no gain step of the register's range",
                Nothing},
        BadCase{"unknown_text",
                {"set", "SV730101", "output-format=HD 1080i/61"},
                1,
                "output-format: no such value",
                Nothing},
        BadCase{"status_register",
                {"set", "SV730101", "input-format=1"},
                1,
                "input-format: reported by the unit, not set",
                Nothing},
        BadCase{"error_count_takes_only_reset",
                {"set", "SV730101", "edh-crc-errors=5"},
                1,
                "edh-crc-errors: value out of range",
                Nothing},
        BadCase{"later_setting_bad",
                {"set", "SV730101", "bars=on", "loss-mode=grey"},
                1,
                "loss-mode: no such value",
                Nothing},
        BadCase{"malformed_serial", {"show", "SV-7301"}, 1, "\"SV-7301\" is no unit", Nothing},
        BadCase{"malformed_location", {"show", "0x10G1"}, 1, "\"0x10G1\" is no unit", Nothing},
        BadCase{"location_too_wide", {"factory", "0x123456789"}, 1, "is no unit", Nothing},
        BadCase{"units_and_all", {"factory", "--all", "SV730101"}, 1, "not both", Nothing},
        BadCase{"neither_units_nor_all", {"factory"}, 1, "not both", Nothing}),
    [](const testing::TestParamInfo<BadCase>& info) { return std::string(info.param.name); });

INSTANTIATE_TEST_SUITE_P(
    Units, ToolBadInput,
    testing::Values(
        // The unit's variant is known only from its first poll, which is all it gets.
        BadCase{"microphone_on_a_unit_without",
                {"set", "SV730101", "bars=on", "mic-gain-1=3"},
                1,
                "SV730101: mic-gain-1: not on a unit of this variant",
                {Poll(0x1011)}},
        BadCase{"ext_on_a_unit_without",
                {"set", "SV730101", "ext-gain-2=0.0"},
                1,
                "SV730101: ext-gain-2: not on a unit of this variant",
                {Poll(0x1011)}},
        BadCase{"ext_microphone_input_without_microphones",
                {"set", "SV730102", "ext-config-1=mic in 1/2"},
                1,
                "SV730102: ext-config-1: not on a unit of this variant",
                {Poll(0x1012)}},
        BadCase{"generation_2_has_no_line_out",
                {"set", "SV730102", "ext-config-2=2"},
                1,
                "SV730102: ext-config-2: value out of range",
                {Poll(0x1012)}},
        BadCase{"no_such_unit", {"show", "SV739999"}, 2, "SV739999: no such unit", Nothing},
        BadCase{"no_such_location", {"show", "0x2000"}, 2, "0x2000: no such unit", Nothing},
        BadCase{"open_elsewhere",
                {"factory", "SV730104"},
                2,
                "SV730104: open in another program",
                Nothing},
        BadCase{
            "stranger", {"factory", "A5XK3RJT"}, 2, "A5XK3RJT: not a unit of the family", Nothing},
        BadCase{"crc", {"factory", "SV730106"}, 3, "SV730106: CRC Error\n", {Poll(0x1015)}},
        BadCase{
            "device_error", {"show", "SV730107"}, 3, "SV730107: Device Error: 3\n", {Poll(0x1016)}},
        BadCase{"protocol",
                {"show", "SV730108"},
                3,
                "SV730108: Unsupported protocol version\n",
                {Poll(0x1017)}}),
    [](const testing::TestParamInfo<BadCase>& info) { return std::string(info.param.name); });

std::vector<std::uint8_t> GoodPreset() {
    const PresetFileBytes bytes = PresetBytes(FactoryDefaultBlock());
    return {bytes.begin(), bytes.end()};
}

// Preset files that fail a check: "Invalid File Format", status 4, no unit touched.
TEST(ToolBadPreset, EveryFailedCheckIsAnInvalidFileFormat) {
    const std::string dir = ScratchDir();
    std::vector<std::pair<std::string, std::vector<std::uint8_t>>> files;
    std::vector<std::uint8_t> bytes = GoodPreset();
    bytes.pop_back();
    files.emplace_back("short", bytes);
    bytes = GoodPreset();
    bytes.push_back(0);
    files.emplace_back("long", bytes);
    files.emplace_back("empty", std::vector<std::uint8_t>{});
    bytes = GoodPreset();
    std::swap(bytes[56], bytes[57]);
    files.emplace_back("checksum_swapped", bytes);
    bytes = GoodPreset();
    std::swap(bytes[0], bytes[1]);
    files.emplace_back("reply_header", bytes);
    for (const auto& [name, content] : files)
        WriteBytes(dir + "/" + name, content);
    files.emplace_back("missing", std::vector<std::uint8_t>{});
    for (const auto& [name, content] : files) {
        const std::string path = dir + "/" + name;
        const ToolRun run = RunTool({"load", path, "--all"}, Rack);
        EXPECT_EQ(run.status, 4) << name;
        EXPECT_EQ(run.err, path + ": Invalid File Format\n") << name;
        EXPECT_TRUE(run.frames.empty()) << name;
    }
}

TEST(ToolBadPreset, AFileThatCannotBeWrittenIsStatus4) {
    const std::string path = ScratchDir() + "/no/such/dir/x.orq730";
    const ToolRun run = RunTool({"save", "SV730101", path}, Rack);
    EXPECT_EQ(run.status, 4);
    EXPECT_EQ(run.err, "SV730101: Cannot Save File\n");
    EXPECT_EQ(run.frames, std::vector<SentFrame>{Poll(0x1011)});
}

TEST(ToolSilentUnit, AUnitThatNeverAnswersIsAReadFailureWithTheTimeOutStatus) {
    const ToolRun run = RunTool({"show", "SV1"}, "bus,instant; unit,serial=SV1,silent");
    EXPECT_EQ(run.status, 3);
    EXPECT_EQ(run.err, "SV1: USB Connection Read Failed (IO_error = 32)\n");
}

} // namespace
