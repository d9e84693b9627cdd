#include "RegisterTexts.h"
#include "DeviceRegisters.h"

#include <gtest/gtest.h>

#include <clocale>
#include <locale>
#include <stdexcept>
#include <string>
#include <utility>

namespace {

TEST(RegisterTextsTest, VersionTexts) {
    EXPECT_EQ(ProtocolVersionText(0x40), "4.0");
    EXPECT_EQ(ProtocolVersionText(0xBC), "11.12");
    EXPECT_EQ(SoftwareVersionText(2, 5), "2.5");
    EXPECT_EQ(SoftwareVersionText(10, 0), "10.0");
    const std::uint8_t fpga[][5] = {{1, 3, 7, 12, 9}, {1, 0, 5, 3, 10}, {0, 9, 100, 0, 255}};
    EXPECT_EQ(FpgaVersionText(fpga[0]), "1.3  07.12.09");
    EXPECT_EQ(FpgaVersionText(fpga[1]), "1.0  05.03.10");
    EXPECT_EQ(FpgaVersionText(fpga[2]), "0.9  100.00.255");
}

// Both format tables in full: the same formats in different orders.
TEST(RegisterTextsTest, FormatTables) {
    const char* const rows[][2] = {
        {"LOSS", "AUTO"},
        {"SD 625i/50", "SD 625i/50"},
        {"SD 525i/59.94", "SD 525i/59.94"},
        {"HD 1080i/50", "HD 1080i/60"},
        {"HD 1080i/59.94", "HD 1080i/59.94"},
        {"HD 1080i/60", "HD 1080i/50"},
        {"HD 1080p/23.98", "HD 1080p/30"},
        {"HD 1080p/24", "HD 1080p/29.97"},
        {"HD 1080p/25", "HD 1080p/25"},
        {"HD 1080p/29.97", "HD 1080p/24"},
        {"HD 1080p/30", "HD 1080p/23.98"},
        {"HD 720p/50", "HD 720p/60"},
        {"HD 720p/59.94", "HD 720p/59.94"},
        {"HD 720p/60", "HD 720p/50"},
        {"3G-A 1080p/50", "3G-A 1080p/60"},
        {"3G-A 1080p/59.94", "3G-A 1080p/59.94"},
        {"3G-A 1080p/60", "3G-A 1080p/50"},
    };
    for (std::uint8_t code = 0; code <= 16; ++code) {
        const InputFormatText input = InputFormatTextOf(code);
        EXPECT_EQ(input.text, rows[code][0]) << int(code);
        EXPECT_EQ(input.alarm, code == 0) << int(code);
        EXPECT_EQ(OutputFormatText(code), rows[code][1]) << int(code);
    }
    for (std::uint8_t code : {17, 18, 255}) {
        EXPECT_EQ(InputFormatTextOf(code).text, "Unknown") << int(code);
        EXPECT_TRUE(InputFormatTextOf(code).alarm) << int(code);
    }
    EXPECT_EQ(OutputFormatText(17), "17");
}

// The eight SDI input pairs read alike in every source table.
TEST(RegisterTextsTest, SdiInputSources) {
    for (std::uint8_t n = 1; n <= 8; ++n) {
        const std::string text =
            "SDI IN CH " + std::to_string(2 * n - 1) + "/" + std::to_string(2 * n);
        EXPECT_EQ(SdiSourceText(false, n), text);
        EXPECT_EQ(SdiSourceText(true, n), text);
        EXPECT_EQ(ExtSourceText(1, n), text);
        EXPECT_EQ(ExtSourceText(2, n), text);
    }
}

// Each table's entries against their listing; a code past the end shows the code itself.
TEST(RegisterTextsTest, TableLookups) {
    struct Case {
        std::string actual;
        const char* expected;
    };
    const Case cases[] = {
        {BarsText(0), "OFF"},
        {BarsText(1), "ON"},
        {BarsText(2), "2"},
        {LossModeText(0), "BLACK"},
        {LossModeText(1), "BLUE"},
        {LossModeText(2), "BARS"},
        {LossModeText(3), "NONE"},
        {LossModeText(200), "200"},
        {SdiSourceText(false, 0), "MUTE"},
        {SdiSourceText(true, 0), "MUTE"},
        {ExtSourceText(1, 0), "MUTE"},
        {ExtSourceText(2, 0), "MUTE"},
        {SdiSourceText(false, 9), "EXT 1/2"},
        {SdiSourceText(false, 10), "EXT 3/4"},
        {SdiSourceText(true, 9), "EXT 1"},
        {SdiSourceText(true, 10), "EXT 2"},
        {SdiSourceText(true, 11), "TEST"},
        {SdiSourceText(true, 12), "12"},
        {ExtSourceText(1, 9), "TEST"},
        {ExtSourceText(1, 10), "10"},
        {ExtSourceText(2, 9), "EXT 1/2"},
        {ExtSourceText(2, 10), "EXT 3/4"},
        {ExtSourceText(2, 11), "TEST"},
        {ExtSourceText(2, 12), "12"},
        {ExtConfigText(1, 1, false, 0), "MIC IN 1/2"},
        {ExtConfigText(1, 2, false, 0), "MIC IN 3/4"},
        {ExtConfigText(1, 1, false, 1), "LINE IN"},
        {ExtConfigText(1, 2, false, 2), "LINE OUT"},
        {ExtConfigText(1, 2, true, 2), "AES OUT"},
        {ExtConfigText(1, 1, true, 1), "AES IN"},
        {ExtConfigText(1, 1, true, 3), "3"},
        {ExtConfigText(2, 2, false, 1), "LINE IN"},
        {ExtConfigText(2, 2, true, 1), "AES IN"},
        {ExtConfigText(2, 1, false, 0), "MIC IN 1/2"},
        {ExtConfigText(2, 2, true, 0), "MIC IN 3/4"},
        {ExtConfigText(2, 1, true, 2), "2"},
        {ExtConfigText(1, 3, false, 0), "0"},
        {ExtOutLabel(false, 1), "OUT 1/2"},
        {ExtOutLabel(false, 2), "OUT 3/4"},
        {ExtOutLabel(true, 1), "OUT 1"},
        {ExtOutLabel(true, 2), "OUT 2"},
        {ModelSuffix(0), ""},
        {ModelSuffix(1), "-K"},
        {ModelSuffix(2), "-R"},
        {ModelSuffix(3), "-T"},
        {ModelSuffix(4), "-RK"},
        {ModelSuffix(5), "-TK"},
        {ModelSuffix(6), "-6"},
        {UnitName(730, 4), "ORQ-SYV-730-RK"},
        {UnitName(730, 0), "ORQ-SYV-730"},
        {AudioGroupText(0x0A, 1), ""},
        {AudioGroupText(0x0A, 2), "2"},
        {AudioGroupText(0xF8, 4), "4"},
        {AudioGroupText(0xF0, 3), ""},
        {ErrorCountText(255), "255"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.actual, c.expected);
    EXPECT_EQ(ExtSourceCount(1), 10);
    EXPECT_EQ(ExtSourceCount(2), 12);
    EXPECT_EQ(ExtConfigCount(1), 3);
    EXPECT_EQ(ExtConfigCount(2), 2);
}

TEST(RegisterTextsTest, VariantPicksExtTexts) {
    const char* const sdiSource9[] = {"EXT 1/2", "EXT 1/2", "EXT 1/2", "EXT 1", "EXT 1/2", "EXT 1"};
    for (int variant = 0; variant <= 5; ++variant)
        EXPECT_EQ(SdiSourceText(AesVariant(variant), 9), sdiSource9[variant]) << variant;
    EXPECT_EQ(ExtConfigText(1, 2, AesVariant(2), 2), "LINE OUT");
    EXPECT_EQ(ExtConfigText(1, 2, AesVariant(5), 2), "AES OUT");
}

// The register table's data against the texts: a menu's range (what the unit and the tool take)
// must be exactly its text table on every unit, and each register must read its own table row.
TEST(RegisterTextsTest, MenuRegistersNameEveryValueOfTheirRangeAndNoMore) {
    for (const RegisterInfo& info : DeviceRegisters)
        for (int variant = 0; variant < KnownVariantCount; ++variant)
            for (int generation = 1; generation <= 2; ++generation) {
                const UnitKind unit{variant, generation};
                const int max = RegisterMax(info.offset, generation);
                const bool menu = info.kind == RegisterKind::Menu;
                EXPECT_EQ(ChoiceCount(info.offset, unit), menu ? max + 1 : 0) << info.name;
                for (int v = 0; menu && v <= max + 1; ++v)
                    EXPECT_EQ(ChoiceText(info.offset, static_cast<std::uint8_t>(v), unit) ==
                                  std::to_string(v),
                              v > max)
                        << info.name << " value " << v;
            }
    struct Case {
        int offset;
        std::uint8_t value;
        UnitKind unit;
        const char* text;
    };
    const Case cases[] = {
        {RegSdiSource1 + 2, 9, {3, 1}, "EXT 1"},      {RegSdiSource1 + 7, 10, {4, 2}, "EXT 3/4"},
        {RegExtSource1 + 1, 9, {5, 2}, "EXT 1/2"},    {RegExtSource1, 9, {5, 1}, "TEST"},
        {RegExtConfig1 + 1, 0, {2, 2}, "MIC IN 3/4"}, {RegExtConfig1 + 1, 2, {5, 1}, "AES OUT"},
        {RegExtSource1, 9, {2, 0}, "EXT 1/2"},        {RegLossMode, 2, {0, 1}, "BARS"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ChoiceText(c.offset, c.value, c.unit), c.text) << c.offset;
    EXPECT_EQ(DecibelText(RegMicGain1 + 1, 63), "70.25");
    EXPECT_EQ(DecibelText(RegExtGain1 + 1, 120), "6.0");
    EXPECT_EQ(DecibelText(RegSdiGain1 + 2, 75, ','), "1,5");
}

TEST(RegisterTextsTest, OnOffRegisters) {
    EXPECT_FALSE(RegisterIsOn(0));
    EXPECT_TRUE(RegisterIsOn(1));
    EXPECT_TRUE(RegisterIsOn(2));
    EXPECT_EQ(ToggleValue(0), 1);
    EXPECT_EQ(ToggleValue(1), 0);
    EXPECT_EQ(ToggleValue(2), 1);
}

void ExpectGainTexts() {
    const std::pair<int, const char*> gains[] = {{0, "-6.0"},  {59, "-0.1"},    {60, "0.0"},
                                                 {61, "0.1"},  {120, "6.0"},    {55, "-0.5"},
                                                 {50, "-1.0"}, {-100, "-16.0"}, {255, "19.5"}};
    for (const auto& [value, text] : gains)
        EXPECT_EQ(GainText(value), text) << value;
    const std::pair<int, const char*> micGains[] = {{0, "23.00"},  {1, "23.75"},   {32, "47.00"},
                                                    {63, "70.25"}, {-31, "-0.25"}, {-40, "-7.00"}};
    for (const auto& [value, text] : micGains)
        EXPECT_EQ(MicGainText(value), text) << value;
}

TEST(RegisterTextsTest, GainTexts) {
    ExpectGainTexts();
}

// A decimal comma in the process locale must not reach the texts. On Windows the C library's
// locale is the one printf consults; MinGW's C++ library knows no locale but "C".
TEST(RegisterTextsTest, GainTextsIgnoreTheLocale) {
#if defined(_WIN32)
    constexpr const char* Comma = "German_Germany.1252";
    constexpr bool CppLocaleNeeded = false;
#else
    constexpr const char* Comma = "de_DE.UTF-8";
    constexpr bool CppLocaleNeeded = true;
#endif
    const std::string oldC = std::setlocale(LC_ALL, nullptr);
    const std::locale oldGlobal;
    if (std::setlocale(LC_ALL, Comma) == nullptr)
        GTEST_SKIP() << "locale " << Comma << " is not installed";
    try {
        std::locale::global(std::locale(Comma));
    } catch (const std::runtime_error&) {
        if (CppLocaleNeeded) {
            std::setlocale(LC_ALL, oldC.c_str());
            GTEST_SKIP() << "locale " << Comma << " is not available to the C++ library";
        }
    }
    ExpectGainTexts();
    const std::uint8_t fpga[5] = {1, 0, 5, 3, 10};
    EXPECT_EQ(FpgaVersionText(fpga), "1.0  05.03.10");
    std::locale::global(oldGlobal);
    std::setlocale(LC_ALL, oldC.c_str());
}

} // namespace
