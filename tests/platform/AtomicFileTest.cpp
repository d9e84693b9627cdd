// The safe replacement: what a save leaves behind when it succeeds, through links, with the old
// file's permission bits, in place in a folder that takes no new file; and that a save which
// fails (no room, a size limit, a read-only file system, something in the way) leaves the old
// file byte for byte and nothing else.
#include "AtomicFile.h"
#include "TestFiles.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#if !defined(_WIN32)
#include "ChildProcess.h"
#include "ScratchFs.h"

#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#endif

namespace {

bool Save(const std::string& path, const std::string& bytes) {
    return WriteFileAtomically(path, bytes.data(), bytes.size());
}

// Why a save that must fail failed; "saved" when it did not fail.
std::string WhyNotSaved(const std::string& path, const std::string& bytes) {
    std::string why;
    return WriteFileAtomically(path, bytes.data(), bytes.size(), &why) ? "saved" : why;
}

// The operator's line for a failure: the system's own text here; on Windows, whatever the
// system's language makes of it.
#if defined(_WIN32)
#define EXPECT_WHY(path, bytes, text) EXPECT_NE(WhyNotSaved(path, bytes), "saved")
#else
#define EXPECT_WHY(path, bytes, text) EXPECT_EQ(WhyNotSaved(path, bytes), text)
#endif

std::vector<std::string> Listing(const fs::path& dir) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

const std::string Old = "old bytes of the file";

TEST(AtomicFile, CreatesAndReplacesLeavingNothingElse) {
    TempDir dir;
    const std::string path = dir / "p.orq730";
    for (const std::string& bytes : {std::string(58, 'a'), std::string(500, 'b'), std::string()}) {
        ASSERT_TRUE(Save(path, bytes)) << bytes.size();
        EXPECT_EQ(ReadFile(path), bytes);
        EXPECT_EQ(Listing(dir.Path), std::vector<std::string>{"p.orq730"});
    }
}

TEST(AtomicFile, FailsWhereNoFileCanBeCreatedAndLeavesTheOldOne) {
    TempDir dir;
    const std::string old = dir / "old.orq730";
    WriteFile(old, Old);
    fs::create_directory(dir / "taken.orq730");
    EXPECT_WHY(dir / "missing/new.orq730", "x", "No such file or directory");
    EXPECT_WHY(old + "/new.orq730", "x", "Not a directory");
    EXPECT_EQ(WhyNotSaved(dir / "taken.orq730", "x"), "not a regular file");
    EXPECT_TRUE(fs::is_empty(dir / "taken.orq730"));
    EXPECT_EQ(Listing(dir.Path), (std::vector<std::string>{"old.orq730", "taken.orq730"}));
    EXPECT_EQ(ReadFile(old), Old);
}

#if !defined(_WIN32)

// The save goes to the file a link names: the links stay as they were, each directory holds what
// it held, and the target has the new bytes and its own permission bits.
TEST(AtomicFile, ReplacesTheFileALinkNamesAndKeepsTheLink) {
    TempDir dir;
    fs::create_directory(dir / "real");
    WriteFile(dir / "real/target.orq730", Old);
    fs::permissions(dir / "real/target.orq730", fs::perms(0640));
    fs::create_symlink("real/target.orq730", dir / "link.orq730");
    fs::create_symlink(dir / "link.orq730", dir / "chain.orq730");
    fs::create_symlink("real/none.orq730", dir / "dangling.orq730");

    ASSERT_TRUE(Save(dir / "link.orq730", "through the link"));
    EXPECT_EQ(ReadFile(dir / "real/target.orq730"), "through the link");
    ASSERT_TRUE(Save(dir / "chain.orq730", "through two links"));
    EXPECT_EQ(ReadFile(dir / "real/target.orq730"), "through two links");
    ASSERT_TRUE(Save(dir / "dangling.orq730", "a new target"));
    EXPECT_EQ(ReadFile(dir / "real/none.orq730"), "a new target");

    EXPECT_EQ(fs::read_symlink(dir / "link.orq730"), "real/target.orq730");
    EXPECT_EQ(fs::read_symlink(dir / "chain.orq730"), dir / "link.orq730");
    EXPECT_EQ(fs::read_symlink(dir / "dangling.orq730"), "real/none.orq730");
    EXPECT_EQ(fs::status(dir / "real/target.orq730").permissions(), fs::perms(0640));
    EXPECT_EQ(Listing(dir / "real"), (std::vector<std::string>{"none.orq730", "target.orq730"}));
    EXPECT_EQ(Listing(dir.Path),
              (std::vector<std::string>{"chain.orq730", "dangling.orq730", "link.orq730", "real"}));
}

class KeptPermissions : public testing::TestWithParam<unsigned> {};

TEST_P(KeptPermissions, SurviveTheReplacement) {
    TempDir dir;
    const std::string path = dir / "p.orq730";
    WriteFile(path, Old);
    ASSERT_EQ(chmod(path.c_str(), GetParam()), 0);
    ASSERT_TRUE(Save(path, "new"));
    struct stat info {};
    ASSERT_EQ(stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, GetParam());
    EXPECT_EQ(ReadFile(path), "new");
}

INSTANTIATE_TEST_SUITE_P(AtomicFile, KeptPermissions, testing::Values(0600u, 0640u, 0604u, 0755u),
                         [](const auto& info) {
                             return "Mode0" + std::to_string(info.param / 64) +
                                    std::to_string(info.param / 8 % 8) +
                                    std::to_string(info.param % 8);
                         });

TEST(AtomicFile, NewFileGetsTheUsualPermissions) {
    TempDir dir;
    const mode_t was = umask(022);
    const bool saved = Save(dir / "p.orq730", "new");
    umask(was);
    ASSERT_TRUE(saved);
    EXPECT_EQ(fs::status(dir / "p.orq730").permissions(), fs::perms(0644));
}

TEST(AtomicFile, ReadOnlyFileSystemKeepsTheOldFile) {
    ScratchFs scratch("size=64k");
    ORQ_SKIP_UNLESS_MOUNTED(scratch);
    const std::string path = scratch.dir / "old.orq730";
    WriteFile(path, Old);
    ASSERT_TRUE(scratch.MakeReadOnly());
    EXPECT_EQ(WhyNotSaved(path, "new"), "Read-only file system");
    EXPECT_EQ(ReadFile(path), Old);
    EXPECT_EQ(Listing(scratch.dir.Path), std::vector<std::string>{"old.orq730"});
}

TEST(AtomicFile, FullFileSystemKeepsTheOldFile) {
    // One page: the old file fills it, so a new file gets a name but no room.
    ScratchFs scratch("size=4k");
    ORQ_SKIP_UNLESS_MOUNTED(scratch);
    const std::string path = scratch.dir / "old.orq730";
    const std::string full(4096, 'o');
    WriteFile(path, full);
    EXPECT_EQ(WhyNotSaved(path, std::string(4100, 'n')), "No space left on device");
    EXPECT_FALSE(Save(path, "short"));
    EXPECT_FALSE(Save(scratch.dir / "new.orq730", "new"));
    // A link to a missing file there: the file the save created for it goes again.
    TempDir links;
    fs::create_symlink(scratch.dir / "none.orq730", links / "dangling.orq730");
    EXPECT_FALSE(Save(links / "dangling.orq730", "new"));
    EXPECT_EQ(ReadFile(path), full);
    EXPECT_EQ(Listing(scratch.dir.Path), std::vector<std::string>{"old.orq730"});
}

// The exit code of a child that saved `bytes` at `path` under a file size limit of `limit`:
// 0 the save failed for the limit, 1 it succeeded, 2 no limit could be set, 3 it failed for
// another reason.
int SaveUnderSizeLimit(const std::string& path, const std::string& bytes, rlim_t limit,
                       bool unprivileged) {
    return RunInChild(
        [&] {
            std::signal(SIGXFSZ, SIG_IGN); // a write past the limit fails instead of killing
            const rlimit fileSize{limit, limit};
            if (setrlimit(RLIMIT_FSIZE, &fileSize) != 0)
                return 2;
            const std::string why = WhyNotSaved(path, bytes);
            return why == "saved" ? 1 : why == "File too large" ? 0 : 3;
        },
        unprivileged);
}

TEST(AtomicFile, FileSizeLimitKeepsTheOldFile) {
    TempDir dir;
    const std::string path = dir / "old.orq730";
    WriteFile(path, Old);
    const int saved = SaveUnderSizeLimit(path, std::string(58, 'n'), 16, false);
    if (saved == 2)
        GTEST_SKIP() << "cannot limit the file size here";
    EXPECT_EQ(saved, 0);
    EXPECT_EQ(ReadFile(path), Old);
    EXPECT_EQ(Listing(dir.Path), std::vector<std::string>{"old.orq730"});
}

// A folder the child user cannot write to, holding a file of the child user's: a writable preset
// in a read-only folder.
struct ReadOnlyFolder {
    ReadOnlyFolder(const fs::path& folder, const std::string& bytes)
        : folder(folder), file((folder / "old.orq730").string()) {
        WriteFile(file, bytes);
        [[maybe_unused]] const int owned = chown(file.c_str(), ChildUser(), ChildUser());
        fs::permissions(folder, fs::perms(0555));
    }
    // Writable again, so that the folder can be removed.
    ~ReadOnlyFolder() { fs::permissions(folder, fs::perms(0700)); }
    fs::path folder;
    std::string file;
};

int SaveAsChildUser(const std::string& path, const std::string& bytes) {
    return RunInChild([&] { return Save(path, bytes) ? 1 : 0; }, true);
}

TEST(AtomicFile, WritableFileInAReadOnlyFolderIsWrittenInPlace) {
    TempDir dir;
    const ReadOnlyFolder folder(dir.Path, Old);
    for (const std::string& bytes : {std::string(100, 'g'), std::string("shrunk")}) {
        ASSERT_EQ(SaveAsChildUser(folder.file, bytes), 1) << bytes.size();
        EXPECT_EQ(ReadFile(folder.file), bytes);
    }
    EXPECT_EQ(Listing(dir.Path), std::vector<std::string>{"old.orq730"});
}

TEST(AtomicFile, ReadOnlyFileInAReadOnlyFolderIsLeftAlone) {
    TempDir dir;
    const ReadOnlyFolder folder(dir.Path, Old);
    fs::permissions(folder.file, fs::perms(0444));
    EXPECT_EQ(
        RunInChild([&] { return WhyNotSaved(folder.file, "new") == "Permission denied"; }, true),
        1);
    EXPECT_EQ(ReadFile(folder.file), Old);
}

TEST(AtomicFile, InPlaceUnderASizeLimitKeepsTheOldBytes) {
    TempDir dir;
    const ReadOnlyFolder folder(dir.Path, Old);
    const int saved = RunInChild(
        [&] { return SaveUnderSizeLimit(folder.file, std::string(200, 'n'), 64, false); }, true);
    if (saved == 2)
        GTEST_SKIP() << "cannot limit the file size here";
    EXPECT_EQ(saved, 0);
    EXPECT_EQ(ReadFile(folder.file), Old);
    EXPECT_EQ(Listing(dir.Path), std::vector<std::string>{"old.orq730"});
}

TEST(AtomicFile, InPlaceOnAFullFileSystemKeepsTheOldBytes) {
    // Two pages: the old file fills one, another file the other; a longer file finds no room.
    ScratchFs scratch("size=8k,mode=0755");
    ORQ_SKIP_UNLESS_MOUNTED(scratch);
    const std::string full(4096, 'o');
    WriteFile(scratch.dir / "other", std::string(4096, 'x'));
    const ReadOnlyFolder folder(scratch.dir.Path, full);
    EXPECT_EQ(SaveAsChildUser(folder.file, std::string(4100, 'n')), 0);
    EXPECT_EQ(ReadFile(folder.file), full);
    EXPECT_EQ(fs::file_size(folder.file), 4096u);
    EXPECT_EQ(SaveAsChildUser(folder.file, "fits"), 1);
    EXPECT_EQ(ReadFile(folder.file), "fits");
    EXPECT_EQ(Listing(scratch.dir.Path), (std::vector<std::string>{"old.orq730", "other"}));
}

#endif

} // namespace
