#include "SingleInstance.h"
#include "TestFiles.h"

#include <gtest/gtest.h>

#if !defined(_WIN32)
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

TEST(SingleInstanceTest, FailsRatherThanFollowALinkOrTakeAnythingButAFile) {
    TempDir dir;
    fs::create_symlink(dir / "target", dir / OneCopyName);
    EXPECT_EQ(SingleInstanceGuard(OneCopyName, dir.Path).State(), InstanceState::Failed);
    EXPECT_FALSE(fs::exists(dir / "target"));
    fs::create_directory(dir / "Dir");
    EXPECT_EQ(SingleInstanceGuard("Dir", dir.Path).State(), InstanceState::Failed);
    EXPECT_EQ(SingleInstanceGuard(OneCopyName, dir / "missing").State(), InstanceState::Failed);
}

TEST(SingleInstanceTest, DefaultLockPathIsPerUser) {
    {
        const ScopedEnv runtime("XDG_RUNTIME_DIR", "/run/user/7");
        EXPECT_EQ(DefaultLockPath(OneCopyName), "/run/user/7/ORQ_SYV_OneCopy");
    }
    const ScopedEnv runtime("XDG_RUNTIME_DIR", std::nullopt);
    EXPECT_EQ(DefaultLockPath(OneCopyName), "/tmp/ORQ_SYV_OneCopy-" + std::to_string(getuid()));
}
#endif

} // namespace
