#include "SingleInstance.h"
#include "TestFiles.h"

#include <gtest/gtest.h>

#if !defined(_WIN32)
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace {

TEST(SingleInstanceTest, SecondGuardInThisProcessFindsTheFirst) {
    TempDir dir;
    const std::string lockDir = dir.Path.string();
    {
        const SingleInstanceGuard first(OneCopyName, lockDir);
        EXPECT_EQ(first.State(), InstanceState::First);
        EXPECT_EQ(SingleInstanceGuard(OneCopyName, lockDir).State(), InstanceState::AlreadyRunning);
        EXPECT_EQ(SingleInstanceGuard("Other", lockDir).State(), InstanceState::First);
    }
    EXPECT_EQ(SingleInstanceGuard(OneCopyName, lockDir).State(), InstanceState::First);
}

// The lock file, held across processes by fork. The named mutex of Windows has tests of its own
// in the Windows build.
#if !defined(_WIN32)

// What a guard in another process finds; this process goes on as it is.
InstanceState StateInChild(const std::string& lockDir) {
    const pid_t child = fork();
    if (child == 0)
        _exit(static_cast<int>(SingleInstanceGuard(OneCopyName, lockDir).State()));
    int status = -1;
    EXPECT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status));
    return static_cast<InstanceState>(WEXITSTATUS(status));
}

TEST(SingleInstanceTest, AnotherProcessFindsTheHolderUndisturbed) {
    TempDir dir;
    {
        const SingleInstanceGuard holder(OneCopyName, dir.Path);
        ASSERT_EQ(holder.State(), InstanceState::First);
        EXPECT_EQ(StateInChild(dir.Path), InstanceState::AlreadyRunning);
        EXPECT_EQ(StateInChild(dir.Path), InstanceState::AlreadyRunning);
    }
    EXPECT_EQ(StateInChild(dir.Path), InstanceState::First);
}

// Another user's lock file, something else at its place, or no directory: the guard fails and
// says where and why, never that a copy runs.
struct FailCase {
    const char* name;
    void (*plant)(const fs::path& lock);
    const char* reason;
    bool needsSuperuser = false; // to give a file away
};

void PrintTo(const FailCase& c, std::ostream* out) {
    *out << c.name;
}

class FailedGuard : public testing::TestWithParam<FailCase> {};

TEST_P(FailedGuard, SaysWhereAndWhy) {
    if (GetParam().needsSuperuser && geteuid() != 0)
        GTEST_SKIP() << "only the superuser can give a file to another user";
    TempDir dir;
    const fs::path lock = dir.Path / OneCopyName;
    GetParam().plant(lock);
    const SingleInstanceGuard guard(OneCopyName, dir.Path);
    EXPECT_EQ(guard.State(), InstanceState::Failed);
    EXPECT_EQ(guard.Place(), lock.string());
    EXPECT_EQ(guard.Reason(), GetParam().reason);
    EXPECT_FALSE(fs::exists(dir / "target"));
}

INSTANTIATE_TEST_SUITE_P(
    SingleInstanceTest, FailedGuard,
    testing::Values(FailCase{"Link",
                             [](const fs::path& lock) { fs::create_symlink("target", lock); },
                             "Too many levels of symbolic links"},
                    FailCase{"Directory", [](const fs::path& lock) { fs::create_directory(lock); },
                             "Is a directory"},
                    FailCase{"Pipe", [](const fs::path& lock) { mkfifo(lock.c_str(), 0600); },
                             "not a regular file"},
                    // What a run under sudo that kept the user's environment leaves behind.
                    FailCase{"AnotherUsersFile",
                             [](const fs::path& lock) {
                                 WriteFile(lock.string(), "");
                                 [[maybe_unused]] const int owned = chown(lock.c_str(), 4242, 4242);
                             },
                             "owned by another user", true},
                    FailCase{"NoDirectory",
                             [](const fs::path& lock) { fs::remove(lock.parent_path()); },
                             "No such file or directory"}),
    [](const auto& info) { return std::string(info.param.name); });

// The user's directories, each a fresh one of this user's with mode 0700, for the life of the
// test.
class UserLockDirTest : public testing::Test {
protected:
    UserLockDirTest() {
        for (const TempDir* dir : {&runtime, &cache, &home})
            fs::permissions(dir->Path, fs::perms(0700));
    }
    std::string CacheLockDir() const { return cache / "orq-syv-settings"; }

    TempDir runtime, cache, home;
    ScopedEnv runtimeEnv{"XDG_RUNTIME_DIR", runtime.Path.string()};
    ScopedEnv cacheEnv{"XDG_CACHE_HOME", cache.Path.string()};
    ScopedEnv homeEnv{"HOME", home.Path.string()};
};

TEST_F(UserLockDirTest, TheUsersOwnRuntimeDirectory) {
    EXPECT_EQ(UserLockDir().path, runtime.Path.string());
    EXPECT_EQ(UserLockDir().error, "");
    const SingleInstanceGuard guard;
    EXPECT_EQ(guard.State(), InstanceState::First);
    EXPECT_EQ(guard.Place(), runtime / OneCopyName);
}

// Where the runtime directory is no place for the lock, a private directory in the cache takes
// it.
struct RuntimeCase {
    const char* name;
    void (*spoil)(const fs::path& runtime, ScopedEnv& env);
    bool needsSuperuser = false; // to give a directory away
};

void PrintTo(const RuntimeCase& c, std::ostream* out) {
    *out << c.name;
}

class UnfitRuntimeDir : public UserLockDirTest, public testing::WithParamInterface<RuntimeCase> {};

TEST_P(UnfitRuntimeDir, GivesWayToAPrivateCacheDirectory) {
    if (GetParam().needsSuperuser && geteuid() != 0)
        GTEST_SKIP() << "only the superuser can give a directory to another user";
    GetParam().spoil(runtime.Path, runtimeEnv);
    const LockDirChoice choice = UserLockDir();
    EXPECT_EQ(choice.path, CacheLockDir());
    EXPECT_EQ(choice.error, "");
    EXPECT_EQ(fs::status(CacheLockDir()).permissions(), fs::perms(0700));
    const SingleInstanceGuard guard;
    EXPECT_EQ(guard.State(), InstanceState::First);
    EXPECT_EQ(guard.Place(), CacheLockDir() + "/" + OneCopyName);
}

INSTANTIATE_TEST_SUITE_P(
    UserLockDirTest, UnfitRuntimeDir,
    testing::Values(
        RuntimeCase{"Unset", [](const fs::path&, ScopedEnv& env) { env.Set({}); }},
        RuntimeCase{"Relative", [](const fs::path&, ScopedEnv& env) { env.Set("run"); }},
        RuntimeCase{
            "AnotherUsers",
            [](const fs::path& dir, ScopedEnv&) { ASSERT_EQ(chown(dir.c_str(), 4242, 4242), 0); },
            true},
        RuntimeCase{"WritableByOthers",
                    [](const fs::path& dir, ScopedEnv&) { fs::permissions(dir, fs::perms(0777)); }},
        RuntimeCase{"GroupWritable", [](const fs::path& dir,
                                        ScopedEnv&) { fs::permissions(dir, fs::perms(0770)); }}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(UserLockDirTest, WithoutACacheSettingTheHomesCache) {
    runtimeEnv.Set({});
    cacheEnv.Set({});
    EXPECT_EQ(UserLockDir().path, home / ".cache/orq-syv-settings");
    EXPECT_EQ(fs::status(home / ".cache/orq-syv-settings").permissions(), fs::perms(0700));
}

// A cache directory that is not the user's own private one is reported, never used.
struct CacheCase {
    const char* name;
    void (*plant)(const fs::path& lockDir);
    const char* reason;
    bool needsSuperuser = false; // to give a directory away
};

void PrintTo(const CacheCase& c, std::ostream* out) {
    *out << c.name;
}

class UnfitCacheDir : public UserLockDirTest, public testing::WithParamInterface<CacheCase> {};

TEST_P(UnfitCacheDir, IsReported) {
    if (GetParam().needsSuperuser && geteuid() != 0)
        GTEST_SKIP() << "only the superuser can give a directory to another user";
    runtimeEnv.Set({});
    GetParam().plant(CacheLockDir());
    EXPECT_EQ(UserLockDir().error, GetParam().reason);
    const SingleInstanceGuard guard;
    EXPECT_EQ(guard.State(), InstanceState::Failed);
    EXPECT_EQ(guard.Place(), CacheLockDir());
    EXPECT_EQ(guard.Reason(), GetParam().reason);
}

// A directory of mode `mode`; the umask does not cut it.
void MakeDirectory(const fs::path& path, unsigned mode) {
    fs::create_directory(path);
    fs::permissions(path, fs::perms(mode));
}

INSTANTIATE_TEST_SUITE_P(
    UserLockDirTest, UnfitCacheDir,
    testing::Values(CacheCase{"WritableByOthers",
                              [](const fs::path& dir) { MakeDirectory(dir, 0777); },
                              "writable by other users"},
                    CacheCase{"GroupWritable",
                              [](const fs::path& dir) { MakeDirectory(dir, 0770); },
                              "writable by other users"},
                    CacheCase{"Link",
                              [](const fs::path& dir) {
                                  MakeDirectory(dir.parent_path() / "elsewhere", 0700);
                                  fs::create_symlink("elsewhere", dir);
                              },
                              "not a directory"},
                    CacheCase{"AnotherUsers",
                              [](const fs::path& dir) {
                                  MakeDirectory(dir, 0700);
                                  ASSERT_EQ(chown(dir.c_str(), 4242, 4242), 0);
                              },
                              "owned by another user", true}),
    [](const auto& info) { return std::string(info.param.name); });
#endif

} // namespace
