// The preset file: its bytes, the checks of a load, the variant rules, and saves that fail
// without harming the file they were to replace.
#include "PresetFile.h"
#include "Crc16.h"
#include "TestFiles.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <vector>

#if !defined(_WIN32)
#include <csignal>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

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

std::string AsText(const Bytes& bytes) {
    return {bytes.begin(), bytes.end()};
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

std::vector<std::string> Listing(const fs::path& dir) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

TEST(PresetFile, FactoryBlockSavesAsTheKnownFile) {
    EXPECT_EQ(PresetBytes(Factory()), FactoryFile);
    TempDir dir;
    ASSERT_TRUE(SavePresetFile(dir / "factory.orq730", Factory()));
    EXPECT_EQ(ReadFile(dir / "factory.orq730"), AsText(ToBytes(FactoryFile)));
    EXPECT_EQ(Listing(dir.Path), std::vector<std::string>{"factory.orq730"});
}

TEST(PresetFile, SaveReplacesAnEarlierFile) {
    TempDir dir;
    const std::string path = dir / "p.orq730";
    WriteFile(path, std::string(500, 'x'));
    ASSERT_TRUE(SavePresetFile(path, Pattern(7)));
    EXPECT_EQ(ReadFile(path), AsText(ToBytes(PresetBytes(Pattern(7)))));
    EXPECT_EQ(Listing(dir.Path), std::vector<std::string>{"p.orq730"});
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
    TempDir dir;
    WriteFile(dir / "f.orq730", AsText(bytes));
    EXPECT_FALSE(LoadPresetFile(dir / "f.orq730", 4, StatusReply{}, block));
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
    TempDir dir;
    WriteFile(dir / "f.orq730", AsText(bytes));
    block = {};
    EXPECT_TRUE(LoadPresetFile(dir / "f.orq730", 5, StatusReply{}, block));
    EXPECT_EQ(block, Factory());
}

INSTANTIATE_TEST_SUITE_P(
    PresetFile, AcceptedFile,
    testing::Values(FileCase{"AsSaved", ToBytes(FactoryFile)},
                    FileCase{"ProtocolByte41", Changed([](Bytes& b) { b[3] = 0x41; }, true)},
                    FileCase{"IdentityBytesSet", Changed(SetUnexaminedBytes, true)}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(PresetFile, MissingFileDoesNotLoad) {
    TempDir dir;
    RegisterBlock block = Pattern(1);
    EXPECT_FALSE(LoadPresetFile(dir / "none.orq730", 4, StatusReply{}, block));
    EXPECT_FALSE(LoadPresetFile(dir.Path.string(), 4, StatusReply{}, block));
    EXPECT_EQ(block, Pattern(1));
}

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

    TempDir dir;
    ASSERT_TRUE(SavePresetFile(dir / "p.orq730", Pattern(1)));
    block = {};
    ASSERT_TRUE(LoadPresetFile(dir / "p.orq730", c.variant, reply, block));
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

// A save that cannot be made leaves the directory as it was: the earlier file, if any, with its
// bytes, and nothing else.
void ExpectUntouched(const fs::path& dir, const std::vector<std::string>& names,
                     const std::string& preset, const Bytes& bytes) {
    EXPECT_EQ(Listing(dir), names);
    EXPECT_EQ(ReadFile(preset), AsText(bytes));
}

TEST(PresetSave, FailsWhereNoFileCanBeCreated) {
    TempDir dir;
    const std::string preset = dir / "old.orq730";
    ASSERT_TRUE(SavePresetFile(preset, Factory()));
    EXPECT_FALSE(SavePresetFile(dir / "missing/new.orq730", Pattern(1)));
    EXPECT_FALSE(SavePresetFile(preset + "/new.orq730", Pattern(1))); // a file as directory
    fs::create_directory(dir / "taken.orq730");
    EXPECT_FALSE(SavePresetFile(dir / "taken.orq730", Pattern(1))); // a directory in the way
    EXPECT_TRUE(fs::is_empty(dir / "taken.orq730"));
    ExpectUntouched(dir.Path, {"old.orq730", "taken.orq730"}, preset, ToBytes(FactoryFile));
}

#if !defined(_WIN32)

// A tmpfs of its own over a fresh directory, for the life of the object. Mounting needs rights
// that a test may not have; Mounted() then says so.
class ScratchFs {
public:
    explicit ScratchFs(const char* options) : options_(options) {
        mounted_ = mount("tmpfs", dir.Path.c_str(), "tmpfs", 0, options) == 0;
    }
    ~ScratchFs() {
        if (mounted_)
            umount2(dir.Path.c_str(), MNT_DETACH);
    }
    ScratchFs(const ScratchFs&) = delete;
    ScratchFs& operator=(const ScratchFs&) = delete;

    bool Mounted() const { return mounted_; }
    bool MakeReadOnly() {
        return mount("tmpfs", dir.Path.c_str(), "tmpfs", MS_REMOUNT | MS_RDONLY, options_) == 0;
    }

    TempDir dir; // goes after the unmount

private:
    const char* options_;
    bool mounted_ = false;
};

TEST(PresetSave, ReadOnlyDirectoryKeepsTheOldPreset) {
    ScratchFs scratch("size=64k");
    if (!scratch.Mounted())
        GTEST_SKIP() << "cannot mount a tmpfs here";
    const std::string preset = scratch.dir / "old.orq730";
    ASSERT_TRUE(SavePresetFile(preset, Factory()));
    ASSERT_TRUE(scratch.MakeReadOnly());
    EXPECT_FALSE(SavePresetFile(preset, Pattern(1)));
    ExpectUntouched(scratch.dir.Path, {"old.orq730"}, preset, ToBytes(FactoryFile));
}

TEST(PresetSave, FullDiskKeepsTheOldPreset) {
    // One page: the earlier preset fills it, so the new file gets a name but no room.
    ScratchFs scratch("size=4k");
    if (!scratch.Mounted())
        GTEST_SKIP() << "cannot mount a tmpfs here";
    const std::string preset = scratch.dir / "old.orq730";
    ASSERT_TRUE(SavePresetFile(preset, Factory()));
    EXPECT_FALSE(SavePresetFile(preset, Pattern(1)));
    EXPECT_FALSE(SavePresetFile(scratch.dir / "new.orq730", Pattern(1)));
    ExpectUntouched(scratch.dir.Path, {"old.orq730"}, preset, ToBytes(FactoryFile));
}

TEST(PresetSave, FileSizeLimitKeepsTheOldPreset) {
    TempDir dir;
    const std::string preset = dir / "old.orq730";
    ASSERT_TRUE(SavePresetFile(preset, Factory()));
    // Exit codes of the child: 0 the save failed, 1 it succeeded, 2 no limit could be set.
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        std::signal(SIGXFSZ, SIG_IGN); // a write past the limit fails instead of killing
        const rlimit limit{16, 16};
        if (setrlimit(RLIMIT_FSIZE, &limit) != 0)
            _exit(2);
        _exit(SavePresetFile(preset, Pattern(1)) ? 1 : 0);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    if (WEXITSTATUS(status) == 2)
        GTEST_SKIP() << "cannot limit the file size here";
    EXPECT_EQ(WEXITSTATUS(status), 0);
    ExpectUntouched(dir.Path, {"old.orq730"}, preset, ToBytes(FactoryFile));
}

#endif

} // namespace
