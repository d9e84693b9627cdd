#include "ProgramPaths.h"
#include "TestFiles.h"

#include <gtest/gtest.h>

#include <utility>

#if !defined(_WIN32)
#include "ChildProcess.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

using Case = std::pair<const char*, const char*>;
const std::string kDelim(1, PathDelimiter);

TEST(ProgramPathsTest, DirectoryOf) {
    const Case cases[] = {{"C:\\Tools\\Panel.exe", "C:\\Tools\\"},
                          {"/opt/x/prog", "/opt/x/"},
                          {"/opt/x/", "/opt/x/"},
                          {"/prog", "/"},
                          {"C:", "C:\\"},
                          {"C:Panel.exe", "C:\\"},
                          {"/opt/x/a:b", "/opt/x/"},
                          {"prog", ""}};
    for (const auto& [path, expected] : cases)
        EXPECT_EQ(DirectoryOf(path), expected) << path;
    EXPECT_EQ(WithTrailingDelimiter("/home/u"), "/home/u" + kDelim);
    EXPECT_EQ(WithTrailingDelimiter("C:\\P\\"), "C:\\P\\");
    EXPECT_EQ(WithTrailingDelimiter(""), "");
}

TEST(ProgramPathsTest, SettingsFileBesideAWritableProgram) {
    const Case cases[] = {{"C:\\Tools\\Panel.exe", "C:\\Tools\\Panel.dat"},
                          {"/opt/x/prog", "/opt/x/prog.dat"},
                          {"C:\\v1.1\\Panel", "C:\\v1.1\\Panel.dat"},
                          {"/opt/prog.tar.gz", "/opt/prog.tar.dat"},
                          {"/opt/.prog", "/opt/.prog.dat"}};
    for (const auto& [program, expected] : cases) {
        const ProgramPathSet paths = ProgramPathsFor(program, true, "/cfg/", "/home/u/");
        EXPECT_EQ(paths.settingsFile, expected) << program;
        EXPECT_EQ(paths.appDir, DirectoryOf(program));
        EXPECT_EQ(paths.presetDir, paths.appDir);
    }
}

TEST(ProgramPathsTest, SystemWideInstallUsesTheUsersDirectories) {
    const ProgramPathSet paths = ProgramPathsFor("/usr/bin/orq.bin", false, "/cfg/Orq", "/home/u");
    EXPECT_EQ(paths.appDir, "/usr/bin/");
    EXPECT_EQ(paths.settingsFile, "/cfg/Orq" + kDelim + "orq.dat");
    EXPECT_EQ(paths.presetDir, "/home/u" + kDelim);
    const ProgramPathSet bare = ProgramPathsFor("/usr/bin/orq.bin", false, "", "");
    EXPECT_EQ(bare.settingsFile, "/usr/bin/orq.dat");
    EXPECT_EQ(bare.presetDir, "/usr/bin/");
}

// Permission bits, $HOME and $XDG_CONFIG_HOME: the POSIX side. The Windows side, with the
// program's own path, is tested in the Windows build.
#if !defined(_WIN32)
TEST(ProgramPathsTest, DirectoryWritable) {
    TempDir dir;
    WriteFile(dir / "file", "");
    fs::create_directory(dir / "ro");
    ASSERT_EQ(chmod((dir / "ro").c_str(), 0555), 0);
    EXPECT_TRUE(DirectoryWritable(dir.Path));
    EXPECT_FALSE(DirectoryWritable(dir / "missing") || DirectoryWritable(dir / "file"));
    EXPECT_EQ(DirectoryWritable(dir / "ro"), geteuid() == 0); // the superuser writes anywhere
}

TEST(ProgramPathsTest, InitBesideTheProgramOrInTheUsersDirectories) {
    TempDir dir;
    const ScopedEnv home("HOME", dir / "home");
    const ScopedEnv config("XDG_CONFIG_HOME", dir / "cfg");
    InitProgramPaths(dir / "Panel.exe");
    EXPECT_EQ(AppDir, dir / "");
    EXPECT_EQ(PresetDir, AppDir);
    EXPECT_EQ(SettingsFile, dir / "Panel.dat");
    // A directory that does not exist is unwritable even for the superuser.
    InitProgramPaths(dir / "gone/orq-syv-settings");
    EXPECT_EQ(AppDir, dir / "gone/");
    EXPECT_EQ(SettingsFile, dir / "cfg/ORQ-SYV Settings/orq-syv-settings.dat");
    EXPECT_EQ(PresetDir, dir / "home/");
    EXPECT_FALSE(fs::exists(dir / "cfg")); // created only by a save
    for (const char* invalid : {"", "relative"}) {
        const ScopedEnv unset("XDG_CONFIG_HOME", invalid);
        EXPECT_EQ(UserSettingsDir(), dir / "home/.config/ORQ-SYV Settings/") << invalid;
    }
}

// Whose home $HOME names, and who runs: the superuser with another user's environment (sudo -E)
// keeps out of that user's home, whatever the variables say.
struct HomeCase {
    const char* name;
    bool homeOfAnotherUser; // given to another user; else the superuser's
    bool superuser;         // else an ordinary user runs
    bool rootsOwnHome;      // the outcome: the password database's home, not $HOME
};

void PrintTo(const HomeCase& c, std::ostream* out) {
    *out << c.name;
}

class HomeOwner : public testing::TestWithParam<HomeCase> {};

TEST_P(HomeOwner, DecidesWhoseDirectoriesAreUsed) {
    const HomeCase& c = GetParam();
    if (geteuid() != 0)
        GTEST_SKIP() << "a home of another user needs the superuser to run the tests";
    TempDir dir;
    if (c.homeOfAnotherUser) {
        ASSERT_EQ(chown(dir.Path.c_str(), 4242, 4242), 0);
    }
    const ScopedEnv home("HOME", dir.Path.string());
    const ScopedEnv config("XDG_CONFIG_HOME", dir / "cfg");
    const ScopedEnv cache("XDG_CACHE_HOME", dir / "cache");
    const int decided = RunInChild(
        [&] {
            const passwd* entry = getpwuid(geteuid());
            const std::string own =
                c.rootsOwnHome && entry != nullptr ? entry->pw_dir : dir.Path.string();
            const std::string config = c.rootsOwnHome ? own + "/.config/" : dir / "cfg/";
            const std::string cache = c.rootsOwnHome ? own + "/.cache/" : dir / "cache/";
            return UserHomeDir() == own + "/" &&
                   UserSettingsDir() == config + "ORQ-SYV Settings/" &&
                   XdgDir("XDG_CACHE_HOME", ".cache") == cache;
        },
        !c.superuser);
    if (decided == ChildSetupFailed)
        GTEST_SKIP() << "cannot switch to user " << UnprivilegedUser << " here";
    EXPECT_EQ(decided, 1);
}

INSTANTIATE_TEST_SUITE_P(ProgramPathsTest, HomeOwner,
                         testing::Values(HomeCase{"SuperuserInAnotherUsersHome", true, true, true},
                                         HomeCase{"SuperuserInHisOwn", false, true, false},
                                         HomeCase{"UserInAnotherUsersHome", true, false, false}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ProgramPathsTest, TheInstallsBinDirectoryIsSystemWideEvenWhenWritable) {
    TempDir dir;
    const ScopedEnv home("HOME", dir / "home");
    const ScopedEnv config("XDG_CONFIG_HOME", dir / "cfg");
    const std::string bin = InstallBinDir();
    ASSERT_FALSE(bin.empty());
    EXPECT_TRUE(IsInstallBinDir(bin) && IsInstallBinDir(bin.substr(0, bin.size() - 1)));
    EXPECT_FALSE(IsInstallBinDir(dir / "") || IsInstallBinDir(""));
    // Whoever runs it, the superuser too, whose access test passes everywhere.
    InitProgramPaths(bin + "orq-syv-settings");
    EXPECT_EQ(AppDir, bin);
    EXPECT_EQ(SettingsFile, dir / "cfg/ORQ-SYV Settings/orq-syv-settings.dat");
    EXPECT_EQ(PresetDir, dir / "home/");
}

#endif

TEST(ProgramPathsTest, OwnProgramPathNamesThisTest) {
    const fs::path own = OwnProgramPath();
    EXPECT_TRUE(own.is_absolute()) << own;
    EXPECT_EQ(own.stem(), "platform_tests"); // ".exe" on Windows
}

} // namespace
