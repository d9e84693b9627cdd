// The bounded whole-file read: what it gives for a file within the bound, and what for anything
// else, without waiting on a pipe or reading more than the bound.
#include "WholeFile.h"
#include "TestFiles.h"

#include <gtest/gtest.h>

#if !defined(_WIN32)
#include "ChildProcess.h"

#include <sys/stat.h>
#endif

namespace {

struct ReadCase {
    const char* name;
    WholeFileStatus status;
    std::string bytes;
};

void PrintTo(const ReadCase& c, std::ostream* out) {
    *out << c.name;
}

constexpr std::size_t Limit = 58;

class WholeFileRead : public testing::TestWithParam<ReadCase> {
protected:
    // The scratch folder holds one of each kind of thing a name can stand for.
    void SetUp() override {
        WriteFile(dir / "Exact", std::string(Limit, 'e'));
        WriteFile(dir / "OneTooMany", std::string(Limit + 1, 'm'));
        WriteFile(dir / "Empty", "");
        WriteFile(dir / "Short", "short");
        fs::create_directory(dir / "Directory");
#if !defined(_WIN32)
        ASSERT_EQ(mkfifo((dir / "Pipe").c_str(), 0600), 0);
#endif
    }
    TempDir dir;
};

TEST_P(WholeFileRead, GivesTheStatusAndOnlyAWholeFile) {
    const WholeFile file = ReadWholeFile(dir / GetParam().name, Limit);
    EXPECT_EQ(file.status, GetParam().status);
    EXPECT_EQ(file.bytes, GetParam().bytes);
}

INSTANTIATE_TEST_SUITE_P(WholeFile, WholeFileRead,
                         testing::Values(ReadCase{"Exact", WholeFileStatus::Read,
                                                  std::string(Limit, 'e')},
                                         ReadCase{"Short", WholeFileStatus::Read, "short"},
                                         ReadCase{"Empty", WholeFileStatus::Read, ""},
                                         ReadCase{"OneTooMany", WholeFileStatus::TooLarge, ""},
                                         ReadCase{"Missing", WholeFileStatus::Missing, ""},
                                         ReadCase{"Directory", WholeFileStatus::Failed, ""}
#if !defined(_WIN32)
                                         ,
                                         ReadCase{"Pipe", WholeFileStatus::Failed, ""}
#endif
                                         ),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(WholeFile, MissingFolderIsMissing) {
    TempDir dir;
    EXPECT_EQ(ReadWholeFile(dir / "none/file", Limit).status, WholeFileStatus::Missing);
}

#if !defined(_WIN32)
TEST(WholeFile, FileWithoutReadPermissionFails) {
    TempDir dir;
    const std::string path = dir / "secret";
    WriteFile(path, "secret");
    ASSERT_EQ(chmod(path.c_str(), 0200), 0);
    [[maybe_unused]] const int owned = chown(path.c_str(), ChildUser(), ChildUser());
    fs::permissions(dir.Path, fs::perms(0755));
    EXPECT_EQ(RunInChild([&] { return static_cast<int>(ReadWholeFile(path, Limit).status); }, true),
              static_cast<int>(WholeFileStatus::Failed));
}
#endif

} // namespace
