// The paths the program takes from its own location, as Windows spells them: a drive letter and
// backslashes.
#include "ProgramPaths.h"
#include "IniFile.h"
#include "TestFiles.h"

#include <gtest/gtest.h>

#include <cctype>
#include <string>

namespace {

bool StartsWithDrive(const std::string& path) {
    return path.size() >= 3 && std::isalpha(static_cast<unsigned char>(path[0])) &&
           path[1] == ':' && path[2] == '\\';
}

TEST(WindowsProgramPathsTest, OwnPathHasADriveLetterAndBackslashes) {
    const std::string own = OwnProgramPath();
    EXPECT_TRUE(StartsWithDrive(own)) << own;
    EXPECT_EQ(own.find('/'), std::string::npos) << own;
    EXPECT_TRUE(own.ends_with("\\windows_tests.exe")) << own;
}

TEST(WindowsProgramPathsTest, AppDirAndSettingsFileFollowTheProgram) {
    const std::string own = OwnProgramPath();
    InitProgramPaths(own);
    // "Z:\...\tests\windows\windows_tests.exe" gives "Z:\...\tests\windows\" and
    // "Z:\...\tests\windows\windows_tests.dat".
    EXPECT_EQ(AppDir, own.substr(0, own.rfind('\\') + 1));
    EXPECT_TRUE(StartsWithDrive(AppDir)) << AppDir;
    EXPECT_EQ(AppDir.back(), '\\');
    EXPECT_EQ(PresetDir, AppDir); // the build directory is writable: a portable install
    EXPECT_EQ(SettingsFile, own.substr(0, own.size() - 4) + ".dat");
}

TEST(WindowsProgramPathsTest, DrivePaths) {
    const ProgramPathSet tools = ProgramPathsFor("C:\\Tools\\Panel.exe", true, "", "");
    EXPECT_EQ(tools.appDir, "C:\\Tools\\");
    EXPECT_EQ(tools.settingsFile, "C:\\Tools\\Panel.dat");
    const ProgramPathSet root = ProgramPathsFor("D:\\PANEL.EXE", true, "", "");
    EXPECT_EQ(root.appDir, "D:\\");
    EXPECT_EQ(root.settingsFile, "D:\\PANEL.dat");
}

TEST(WindowsProgramPathsTest, SystemWideInstallUsesTheUsersFolders) {
    const ScopedEnv appData("APPDATA", "C:\\Users\\op\\AppData\\Roaming");
    const ScopedEnv profile("USERPROFILE", "C:\\Users\\op");
    EXPECT_EQ(UserSettingsDir(), "C:\\Users\\op\\AppData\\Roaming\\ORQ-SYV Settings\\");
    EXPECT_EQ(UserHomeDir(), "C:\\Users\\op\\");
    const ProgramPathSet paths = ProgramPathsFor("C:\\Program Files\\ORQ\\Panel.exe", false,
                                                 UserSettingsDir(), UserHomeDir());
    EXPECT_EQ(paths.appDir, "C:\\Program Files\\ORQ\\");
    EXPECT_EQ(paths.settingsFile, "C:\\Users\\op\\AppData\\Roaming\\ORQ-SYV Settings\\Panel.dat");
    EXPECT_EQ(paths.presetDir, "C:\\Users\\op\\");
}

TEST(WindowsProgramPathsTest, WritableIsAskedOfTheFileSystemAndLeavesNothingBehind) {
    TempDir dir;
    WriteFile(dir / "file", "");
    EXPECT_TRUE(DirectoryWritable(dir.Path.string()));
    EXPECT_TRUE(DirectoryWritable(dir.Path.string() + "\\"));
    EXPECT_FALSE(DirectoryWritable(dir / "missing"));
    EXPECT_FALSE(DirectoryWritable(dir / "file"));
    int entries = 0;
    for ([[maybe_unused]] const auto& entry : fs::directory_iterator(dir.Path))
        ++entries;
    EXPECT_EQ(entries, 1); // the probe file is gone
}

TEST(WindowsProgramPathsTest, SettingsFileBesideAProgramKeepsItsKeys) {
    TempDir dir;
    const std::string program = dir / "Panel.exe";
    ASSERT_TRUE(StartsWithDrive(program)) << program;
    InitProgramPaths(program);
    ASSERT_EQ(SettingsFile, dir / "Panel.dat");
    IniFile out(SettingsFile);
    out.WriteInteger("WINDOW", "LEFT", 12);
    out.WriteString("WINDOW", "PATH", AppDir);
    ASSERT_TRUE(out.Save());
    EXPECT_EQ(ReadFile(SettingsFile), "[WINDOW]\r\nLEFT=12\r\nPATH=" + AppDir + "\r\n");
    const IniFile in(SettingsFile);
    EXPECT_EQ(in.ReadInteger("window", "left", 0), 12);
    EXPECT_EQ(in.ReadString("WINDOW", "PATH", ""), AppDir);
}

} // namespace
