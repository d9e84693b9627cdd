// The preset file: its bytes, the checks of a load, the variant rules.
#include "PresetFile.h"
#include "Crc16.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <vector>

namespace {

// The factory settings as saved.
const PresetFileBytes FactoryFile = {
    0x52, 0x50, 0x00, 0x40, 0x02, 0xDA, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
    0x00, 0x00, 0x00, 0x01, 0x00, 0x00, 0x01, 0x01, 0x01, 0x01, 0x01, 0x01, 0x02, 0x03, 0x04,
    0x05, 0x06, 0x07, 0x08, 0x3C, 0x3C, 0x3C, 0x3C, 0x3C, 0x3C, 0x3C, 0x3C, 0x20, 0x20, 0x20,
    0x20, 0x00, 0x00, 0x00, 0x00, 0x01, 0x01, 0x01, 0x02, 0x3C, 0x3C, 0x0F, 0xFD};

using Bytes = std::vector<std::uint8_t>;

Bytes ToBytes(const PresetFileBytes& file) {
    return {file.begin(), file.end()};
}

// The factory file with `change` applied to it and, when `reseal`, its checksum made right.
Bytes Changed(const std::function<void(Bytes&)>& change, bool reseal) {
    Bytes bytes = ToBytes(FactoryFile);
    change(bytes);
    if (reseal)
        StoreCrc16(bytes.data(), 56);
    return bytes;
}

RegisterBlock Factory() {
    RegisterBlock block{};
    FactoryDefaults(block);
    return block;
}

RegisterBlock Pattern(std::uint8_t first) {
    RegisterBlock block{};
    for (std::size_t i = 0; i < block.size(); ++i)
        block[i] = static_cast<std::uint8_t>(first + i);
    return block;
}

TEST(PresetFile, FactoryBlockSavesAsTheKnownFile) {
    EXPECT_EQ(PresetBytes(Factory()), FactoryFile);
}

TEST(PresetFile, BlockOfASaveParsesBack) {
    const PresetFileBytes bytes = PresetBytes(Pattern(7));
    RegisterBlock block{};
    ASSERT_TRUE(ParsePresetBytes(bytes.data(), bytes.size(), block));
    EXPECT_EQ(block, Pattern(7));
}

struct FileCase {
    const char* name;
    Bytes bytes;
};

void PrintTo(const FileCase& c, std::ostream* out) {
    *out << c.name;
}

class RejectedFile : public testing::TestWithParam<FileCase> {};

TEST_P(RejectedFile, IsNoPresetAndLeavesTheBlockAlone) {
    const Bytes& bytes = GetParam().bytes;
    RegisterBlock block = Pattern(1);
    EXPECT_FALSE(ParsePresetBytes(bytes.data(), bytes.size(), block));
    EXPECT_EQ(block, Pattern(1));
}

INSTANTIATE_TEST_SUITE_P(
    PresetFile, RejectedFile,
    testing::Values(
        FileCase{"ChecksumBytesSwapped", Changed([](Bytes& b) { std::swap(b[56], b[57]); }, false)},
        FileCase{"Bytes57", Changed([](Bytes& b) { b.pop_back(); }, false)},
        FileCase{"Bytes59", Changed([](Bytes& b) { b.push_back(0); }, false)},
        FileCase{"Empty", {}},
        FileCase{"HeaderPR", Changed([](Bytes& b) { std::swap(b[0], b[1]); }, true)},
        FileCase{"ModelBytesSwapped", Changed([](Bytes& b) { std::swap(b[4], b[5]); }, true)},
        FileCase{"OtherModel", Changed([](Bytes& b) { b[5] = 0xDB; }, true)}),
    [](const auto& info) { return std::string(info.param.name); });

// Byte 2 and bytes 6..15, which a load does not examine, all nonzero.
void SetUnexaminedBytes(Bytes& bytes) {
    bytes[2] = 0x77;
    std::fill(bytes.begin() + 6, bytes.begin() + 16, 0xA5);
}

class AcceptedFile : public testing::TestWithParam<FileCase> {};

TEST_P(AcceptedFile, LoadsTheBlock) {
    const Bytes& bytes = GetParam().bytes;
    RegisterBlock block{};
    EXPECT_TRUE(ParsePresetBytes(bytes.data(), bytes.size(), block));
    EXPECT_EQ(block, Factory());
}

INSTANTIATE_TEST_SUITE_P(
    PresetFile, AcceptedFile,
    testing::Values(FileCase{"AsSaved", ToBytes(FactoryFile)},
                    FileCase{"ProtocolByte41", Changed([](Bytes& b) { b[3] = 0x41; }, true)},
                    FileCase{"IdentityBytesSet", Changed(SetUnexaminedBytes, true)}),
    [](const auto& info) { return std::string(info.param.name); });

// Which registers a loaded block takes from the unit's newest reply, by variant.
struct VariantCase {
    std::uint32_t variant;
    bool micFromReply; // registers 26..33
    bool extFromReply; // registers 34..39
};

void PrintTo(const VariantCase& c, std::ostream* out) {
    *out << "variant " << c.variant;
}

class VariantRules : public testing::TestWithParam<VariantCase> {};

TEST_P(VariantRules, KeepTheUnitsValuesForWhatItLacks) {
    const VariantCase c = GetParam();
    StatusReply reply{};
    const RegisterBlock unit = Pattern(100);
    std::copy(unit.begin(), unit.end(), reply.begin() + 16);
    RegisterBlock expected = Pattern(1);
    for (std::size_t r = 26; r < 40; ++r)
        if (r < 34 ? c.micFromReply : c.extFromReply)
            expected[r] = unit[r];

    RegisterBlock block = Pattern(1);
    ApplyVariantRules(block, c.variant, reply);
    EXPECT_EQ(block, expected);
}

INSTANTIATE_TEST_SUITE_P(PresetFile, VariantRules,
                         testing::Values(VariantCase{0, true, true}, VariantCase{1, false, true},
                                         VariantCase{2, true, false}, VariantCase{3, true, false},
                                         VariantCase{4, false, false}, VariantCase{5, false, false},
                                         VariantCase{7, true, true}),
                         [](const auto& info) {
                             return std::string("Variant").append(
                                 std::to_string(info.param.variant));
                         });

} // namespace
