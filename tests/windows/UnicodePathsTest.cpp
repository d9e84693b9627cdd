// Preset and settings files in a folder whose name the ANSI code page cannot spell: paths are
// UTF-8 inside the program and wide at the system's calls, so the files land in that folder
// (not in one named after the UTF-8 bytes read as ANSI) and read back from it.
#include "AtomicFile.h"
#include "IniFile.h"
#include "PresetFile.h"
#include "ProgramPaths.h"
#include "TestFiles.h"
#include "Utf8Path.h"
#include "WholeFile.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// "Présets 日本" in UTF-8.
const std::string FolderName = "Pr\xC3\xA9sets \xE6\x97\xA5\xE6\x9C\xAC";

// The wide names in `folder` (UTF-8).
std::vector<std::wstring> WideListing(const std::string& folder) {
    std::vector<std::wstring> names;
    for (const auto& entry : fs::directory_iterator(PathFromUtf8(folder)))
        names.push_back(entry.path().filename().wstring());
    return names;
}

class UnicodePathsTest : public testing::Test {
protected:
    UnicodePathsTest() { fs::create_directory(PathFromUtf8(folder)); }
    // Only the folder of the right name is there: nothing went to a misspelt one.
    void ExpectOnlyTheFolder() {
        EXPECT_EQ(WideListing(Utf8FromPath(scratch.Path)),
                  std::vector<std::wstring>{WideFromUtf8(FolderName)});
    }

    TempDir scratch;
    const std::string folder = Utf8FromPath(scratch.Path) + "\\" + FolderName;
};

TEST_F(UnicodePathsTest, PresetSavesAndLoadsBack) {
    const std::string path = folder + "\\" + FolderName + ".orq730";
    RegisterBlock block{};
    for (std::uint8_t first : {1, 101}) { // a new file, then its replacement
        for (std::size_t i = 0; i < block.size(); ++i)
            block[i] = static_cast<std::uint8_t>(first + i);
        const PresetFileBytes bytes = PresetBytes(block);
        ASSERT_TRUE(WriteFileAtomically(path, bytes.data(), bytes.size()));
        const WholeFile file = ReadWholeFile(path, PresetFileSize);
        ASSERT_EQ(file.status, WholeFileStatus::Read);
        RegisterBlock loaded{};
        ASSERT_TRUE(ParsePresetBytes(reinterpret_cast<const std::uint8_t*>(file.bytes.data()),
                                     file.bytes.size(), loaded));
        EXPECT_EQ(loaded, block);
    }
    EXPECT_EQ(WideListing(folder),
              std::vector<std::wstring>{WideFromUtf8(FolderName) + L".orq730"});
    EXPECT_EQ(fs::file_size(PathFromUtf8(path)), std::uintmax_t{PresetFileSize});
    ExpectOnlyTheFolder();
}

TEST_F(UnicodePathsTest, SettingsFileSavesAndReadsBack) {
    // A program in the folder keeps its settings beside itself, in a folder it can write to.
    const ProgramPathSet paths = ProgramPathsFor(folder + "\\Panel.exe", true, "", "");
    ASSERT_EQ(paths.settingsFile, folder + "\\Panel.dat");
    EXPECT_TRUE(DirectoryWritable(folder));
    for (int left : {12, 34}) { // a new file, then its replacement
        IniFile out(paths.settingsFile);
        out.WriteInteger("WINDOW", "LEFT", left);
        out.WriteString("WINDOW", "PATH", paths.presetDir);
        ASSERT_TRUE(out.Save());
        const IniFile in(paths.settingsFile);
        EXPECT_EQ(in.ReadInteger("WINDOW", "LEFT", 0), left);
        EXPECT_EQ(in.ReadString("WINDOW", "PATH", ""), folder + "\\");
    }
    EXPECT_EQ(WideListing(folder), std::vector<std::wstring>{L"Panel.dat"});
    ExpectOnlyTheFolder();
}

TEST_F(UnicodePathsTest, SettingsSaveCreatesAMissingFolder) {
    const std::string path = folder + "\\" + FolderName + "\\Panel.dat";
    IniFile out(path);
    out.WriteInteger("WINDOW", "TOP", 5);
    ASSERT_TRUE(out.Save());
    EXPECT_EQ(IniFile(path).ReadInteger("WINDOW", "TOP", 0), 5);
    ExpectOnlyTheFolder();
}

} // namespace
