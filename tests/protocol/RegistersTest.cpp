#include "DeviceRegisters.h"

#include <gtest/gtest.h>

#include <string>

namespace {

const RegisterBlock Defaults = {0,  0,  1, 0, 0,  1,  1,  1,  1,  1,  1,  2,  3,  4,
                                5,  6,  7, 8, 60, 60, 60, 60, 60, 60, 60, 60, 32, 32,
                                32, 32, 0, 0, 0,  0,  1,  1,  1,  2,  60, 60};

// Registers of one kind: a numbered family when count > 1.
struct Family {
    int first, count;
    const char* stem;
    std::uint8_t maxGen1, maxGen2;
};

const Family Families[] = {
    {0, 1, "InputFormat", 255, 255},
    {1, 1, "InputAudioGroups", 255, 255},
    {2, 1, "EdhCrcErrors", 255, 255},
    {3, 1, "OutputFormat", 16, 16},
    {4, 1, "Bars", 1, 1},
    {5, 1, "LossMode", 3, 3},
    {6, 4, "OutputAudioGroup", 1, 1},
    {10, 8, "SdiSource", 11, 11},
    {18, 8, "SdiGain", 120, 120},
    {26, 4, "MicGain", 63, 63},
    {30, 4, "MicPhantom", 1, 1},
    {34, 2, "ExtConfig", 2, 1},
    {36, 2, "ExtSource", 9, 11},
    {38, 2, "ExtGain", 120, 120},
};

TEST(RegistersTest, TableRows) {
    int covered = 0;
    for (const Family& f : Families)
        for (int i = f.first; i < f.first + f.count; ++i, ++covered) {
            const RegisterInfo& r = DeviceRegisters[static_cast<std::size_t>(i)];
            const std::string name =
                f.stem + (f.count > 1 ? std::to_string(i - f.first + 1) : std::string());
            EXPECT_EQ(r.offset, i);
            EXPECT_EQ(r.name, name) << i;
            EXPECT_EQ(r.commandCode, i < 2 ? 0 : i + 1) << name;
            EXPECT_EQ(r.factoryDefault, Defaults[static_cast<std::size_t>(i)]) << name;
            EXPECT_EQ(r.minValue, 0) << name;
            EXPECT_EQ(RegisterMax(i, 1), f.maxGen1) << name;
            EXPECT_EQ(RegisterMax(i, 2), f.maxGen2) << name;
            EXPECT_EQ(RegisterMax(i, 0), f.maxGen1) << name;
        }
    EXPECT_EQ(covered, RegisterCount);
    EXPECT_EQ(FactoryDefaultBlock(), Defaults);
}

struct AcceptCase {
    int offset;
    std::uint8_t value;
    int generation;
    bool accepted;
};

TEST(RegistersTest, CommandValueAccepted) {
    const AcceptCase cases[] = {
        {0, 0, 1, false},   {1, 1, 1, false},   {2, 1, 1, true},     {2, 0, 1, false},
        {2, 2, 2, false},   {3, 16, 1, true},   {3, 17, 1, false},   {4, 2, 1, false},
        {5, 3, 2, true},    {9, 1, 1, true},    {9, 2, 1, false},    {17, 11, 1, true},
        {17, 12, 2, false}, {25, 120, 1, true}, {25, 121, 1, false}, {29, 63, 2, true},
        {29, 64, 2, false}, {33, 2, 1, false},  {34, 2, 1, true},    {35, 2, 2, false},
        {36, 9, 1, true},   {36, 10, 1, false}, {37, 11, 2, true},   {37, 12, 2, false},
        {39, 120, 2, true}, {-1, 0, 1, false},  {40, 0, 1, false},
    };
    for (const AcceptCase& c : cases)
        EXPECT_EQ(CommandValueAccepted(c.offset, c.value, c.generation), c.accepted)
            << "offset " << c.offset << " value " << int(c.value) << " gen " << c.generation;
}

TEST(RegistersTest, VariantFlags) {
    struct Flags {
        int variant;
        bool ext, aes, mic;
    };
    const Flags cases[] = {
        {0, false, false, false}, {1, false, false, true},    {2, true, false, false},
        {3, true, true, false},   {4, true, false, true},     {5, true, true, true},
        {6, false, false, false}, {255, false, false, false}, {-1, false, false, false},
    };
    for (const Flags& c : cases) {
        EXPECT_EQ(ExtVariant(c.variant), c.ext) << c.variant;
        EXPECT_EQ(AesVariant(c.variant), c.aes) << c.variant;
        EXPECT_EQ(MicVariant(c.variant), c.mic) << c.variant;
    }
}

TEST(RegistersTest, GenerationOfSumsSoftwareMajorAndFpgaByte) {
    const int cases[][3] = {{1, 1, 1}, {2, 2, 2}, {0, 4, 2}, {2, 0, 1},
                            {1, 2, 0}, {0, 0, 0}, {3, 3, 0}, {255, 3, 0}};
    for (const auto& c : cases)
        EXPECT_EQ(GenerationOf(static_cast<std::uint8_t>(c[0]), static_cast<std::uint8_t>(c[1])),
                  c[2])
            << c[0] << "+" << c[1];
}

TEST(RegistersTest, ModelNumberIsBigEndian) {
    EXPECT_EQ(ModelNumberOf(0x02, 0xDA), FamilyModelNumber);
    EXPECT_NE(ModelNumberOf(0xDA, 0x02), FamilyModelNumber);
    EXPECT_EQ(ModelNumberOf(0xFF, 0xFF), 65535);
}

TEST(RegistersTest, UnitsLackTheMicrophoneAndExtRegistersOfTheirVariant) {
    struct Case {
        int variant;
        int offset;
        bool on;
    };
    const Case cases[] = {
        {0, RegOutputFormat, true},     {0, RegSdiGain1 + 7, true}, {0, RegMicGain1, false},
        {0, RegMicPhantom1 + 3, false}, {0, RegExtConfig1, false},  {0, RegExtGain1 + 1, false},
        {1, RegMicPhantom1 + 3, true},  {1, RegExtSource1, false},  {2, RegMicGain1, false},
        {3, RegExtGain1 + 1, true},     {5, RegMicGain1, true},     {5, RegExtConfig1, true},
        {6, RegMicGain1, false},        {6, RegExtConfig1, false},  {4, RegisterCount, false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(RegisterOnVariant(c.offset, c.variant), c.on) << c.variant << "/" << c.offset;
}

TEST(RegistersTest, TheExtConnectorsMicrophoneInputIsAChoiceOnlyWithMicrophones) {
    for (const int offset : {int{RegExtConfig1}, RegExtConfig1 + 1}) {
        EXPECT_FALSE(ChoiceOnVariant(offset, 0, 2));
        EXPECT_FALSE(ChoiceOnVariant(offset, 0, 3));
        EXPECT_TRUE(ChoiceOnVariant(offset, 1, 3));
        EXPECT_TRUE(ChoiceOnVariant(offset, 0, 4));
        EXPECT_TRUE(ChoiceOnVariant(offset, 0, 5));
        EXPECT_FALSE(ChoiceOnVariant(offset, 1, 1)) << "no EXT connectors at all";
    }
    EXPECT_TRUE(ChoiceOnVariant(RegExtSource1, 0, 2)) << "code 0 of a source is MUTE";
}

} // namespace
