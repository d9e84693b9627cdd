// Bad input and units that cannot be had: a clear message, the exit status that says which, and
// nothing sent that changes a unit.
#include "DeviceRegisters.h"
#include "PresetFile.h"
#include "ToolRun.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sys/stat.h>

namespace {

const std::string Rack = "bus,instant;"
                         "unit,serial=SV730101,variant=0,gen=1;"
                         "unit,serial=SV730102,variant=2,gen=2;"
                         "device,serial=A5XK3RJT;"
                         "unit,serial=SV730104,variant=4,open;"
                         "unit,serial=SV730106,variant=1,badcrc;"
                         "unit,serial=SV730107,variant=1,deverror=3;"
                         "unit,serial=SV730108,variant=1,protocol=0x41;"
                         "unit,serial=SV730109,variant=1,stubborn;"
                         "unit,serial=SV730110,fail=FT_OpenEx";

struct BadCase {
    const char* name;
    std::vector<std::string> args;
    int status;
    std::string message;           // what standard error must hold
    std::vector<SentFrame> frames; // nothing that changes a unit
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
        BadCase{"no_command", {}, 1, "orq-syv: name a command (see orq-syv --help)\n", Nothing},
        BadCase{"unknown_command",
                {"reboot", "SV730101"},
                1,
                "orq-syv: no command \"reboot\" (see orq-syv --help)\n",
                Nothing},
        BadCase{"unknown_setting",
                {"set", "SV730101", "colour=red"},
                1,
                "no setting \"colour\"",
                Nothing},
        BadCase{"no_equals", {"set", "SV730101", "bars"}, 1, "\"bars\" is not NAME=VALUE", Nothing},
        BadCase{"gain_out_of_range",
                {"set", "SV730101", "sdi-gain-1=121"},
                1,
                "sdi-gain-1: value out of range: \"121\" (-6.0 dB to 6.0 dB in steps of 0.1 dB)\n",
                Nothing},
        BadCase{"raw_gain_out_of_range",
                {"set", "SV730101", "sdi-gain-1=raw:121"},
                1,
                "sdi-gain-1: value out of range: \"raw:121\"",
                Nothing},
        BadCase{"gain_between_steps",
                {"set", "SV730101", "sdi-gain-1=+1.55"},
                1,
                "sdi-gain-1: between two gain steps: \"+1.55\" (-6.0 dB to 6.0 dB",
                Nothing},
        BadCase{"microphone_gain_between_steps",
                {"set", "SV730101", "mic-gain-1=47.5"},
                1,
                "mic-gain-1: between two gain steps: \"47.5\" (23.00 dB to 70.25 dB in steps of "
                "0.75 dB)\n",
                Nothing},
        BadCase{"gain_beyond_range",
                {"set", "SV730101", "ext-gain-1=+6.1 dB"},
                1,
                "ext-gain-1: value out of range: \"+6.1 dB\"",
                Nothing},
        BadCase{"unknown_text",
                {"set", "SV730101", "output-format=HD 1080i/61"},
                1,
                "output-format: no such value: \"HD 1080i/61\" (AUTO, SD 625i/50, SD 525i/59.94, "
                "HD 1080i/60,",
                Nothing},
        BadCase{"unknown_text_lists_every_generations_choices",
                {"set", "SV730101", "ext-source-1=EXT 5"},
                1,
                "SDI IN CH 15/16, TEST, EXT 1/2, EXT 3/4)\n",
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
        BadCase{"serial_too_long",
                {"show", "SV73010112345678X"},
                1,
                "\"SV73010112345678X\" is no unit",
                Nothing},
        BadCase{"malformed_location", {"show", "0x10G1"}, 1, "\"0x10G1\" is no unit", Nothing},
        BadCase{"location_too_wide", {"factory", "0x123456789"}, 1, "is no unit", Nothing},
        BadCase{"units_and_all", {"factory", "--all", "SV730101"}, 1, "not both", Nothing},
        BadCase{"neither_units_nor_all", {"factory"}, 1, "not both", Nothing},
        BadCase{"expect_without_all",
                {"factory", "SV730101", "--expect", "1"},
                1,
                "--expect goes with --all",
                Nothing}),
    [](const testing::TestParamInfo<BadCase>& info) { return std::string(info.param.name); });

INSTANTIATE_TEST_SUITE_P(
    Units, ToolBadInput,
    testing::Values(
        // The unit's variant is known only from its first poll, which is all it gets.
        BadCase{"microphone_on_a_unit_without",
                {"set", "SV730101", "bars=on", "mic-gain-1=47"},
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
        BadCase{"open_fails", {"factory", "SV730110"}, 2, "SV730110: cannot be opened\n", Nothing},
        BadCase{"value_not_taken",
                {"set", "SV730109", "bars=on"},
                3,
                "SV730109: bars: not taken, kept OFF (0)\n",
                {Poll(0x1018), Command(0x1018, 5, 1)}},
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

// Preset files that cannot be read say why, in the system's words; those that were read and fail
// a check are an "Invalid File Format". Status 4, no unit touched.
TEST(ToolBadPreset, AFileThatCannotBeReadSaysWhyAndOneThatFailsACheckIsAnInvalidFileFormat) {
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
    ASSERT_TRUE(std::filesystem::create_directory(dir + "/directory"));
    ASSERT_EQ(mkfifo((dir + "/fifo").c_str(), 0600), 0);
    const std::vector<std::pair<std::string, std::string>> why = {
        {"short", "short: Invalid File Format"},
        {"long", "long: Invalid File Format"},
        {"empty", "empty: Invalid File Format"},
        {"checksum_swapped", "checksum_swapped: Invalid File Format"},
        {"reply_header", "reply_header: Invalid File Format"},
        {"missing", "cannot read " + dir + "/missing: No such file or directory"},
        {"directory", "cannot read " + dir + "/directory: Is a directory"},
        {"fifo", "cannot read " + dir + "/fifo: not a regular file"},
    };
    for (const auto& [name, message] : why) {
        const std::string path = dir + "/" + name;
        const ToolRun run = RunTool({"load", path, "--all"}, Rack);
        EXPECT_EQ(run.status, 4) << name;
        EXPECT_EQ(run.err, (message.starts_with("cannot") ? "" : dir + "/") + message + "\n");
        EXPECT_TRUE(run.frames.empty()) << name;
    }

    const ToolRun shown = RunTool({"preset", "show", dir + "/checksum_swapped"}, Rack);
    EXPECT_EQ(shown.status, 4);
    EXPECT_EQ(shown.out.rfind("checksum: wrong\n", 0), 0u) << shown.out;
    EXPECT_EQ(shown.err, dir + "/checksum_swapped: Invalid File Format\n");
}

TEST(ToolBadPreset, AFileThatCannotBeWrittenIsStatus4) {
    const std::string path = ScratchDir() + "/no/such/dir/x.orq730";
    const ToolRun run = RunTool({"save", "SV730101", path}, Rack);
    EXPECT_EQ(run.status, 4);
    EXPECT_EQ(run.err, "SV730101: Cannot Save File " + path + ": No such file or directory\n");
    EXPECT_EQ(run.frames, std::vector<SentFrame>{Poll(0x1011)});
}

// The test's shell leaves the signal as it is: the tool itself must not die of it.
TEST(ToolBadPreset, ASizeLimitIsAFailedSaveThatLeavesTheOldFileAlone) {
#if defined(__SANITIZE_THREAD__)
    GTEST_SKIP() << "the thread sanitizer's run-time writes a file before main: a size limit kills "
                    "every program built with it";
#endif
    const std::string dir = ScratchDir();
    const std::string path = dir + "/evening.orq730";
    const std::vector<std::uint8_t> old(10, 0x55);
    WriteBytes(path, old);
    // Under the limit even the tool's output files could not grow: both go through a pipe.
    const ToolRun run = RunTool({"save", "SV730101", path}, Rack,
                                "{ (ulimit -f 0; exec {tool}); echo $? >{status}; } 2>&1 | "
                                "cat >{err}");
    EXPECT_EQ(run.status, 4);
    EXPECT_EQ(run.err, "SV730101: Cannot Save File " + path + ": File too large\n");
    EXPECT_EQ(ReadBytes(path), old);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir),
                            std::filesystem::directory_iterator()),
              1);
}

TEST(ToolOutput, AFailedWriteOnStandardOutputIsAnError) {
    const ToolRun run = RunTool({"list"}, Rack, "{tool} >/dev/full 2>{err}; echo $? >{status}");
    EXPECT_EQ(run.status, 4);
    EXPECT_EQ(run.err, "orq-syv: standard output: No space left on device\n");
}

TEST(ToolSilentUnit, AUnitThatNeverAnswersIsAReadFailureWithTheTimeOutStatus) {
    const ToolRun run = RunTool({"show", "SV1"}, "bus,instant; unit,serial=SV1,silent");
    EXPECT_EQ(run.status, 3);
    EXPECT_EQ(run.err, "SV1: USB Connection Read Failed (IO_error = 32)\n");
}

} // namespace
