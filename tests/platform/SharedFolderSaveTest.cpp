// The safe replacement where other users may write: a link another user put in a shared folder
// is refused, links the system would follow are followed, and names put in the way of the
// temporary file neither stop a save nor turn it elsewhere. The other user is a child process
// that gives up the superuser's rights.
#include "AtomicFile.h"
#include "ChildProcess.h"
#include "TestFiles.h"

#include <gtest/gtest.h>

#include <regex>
#include <set>
#include <string>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const std::string VictimBytes = "the victim's own bytes";
const std::string Preset(58, 'p');

// Who puts the link into the folder, and whose the folder is.
enum class Owner { Caller, Other };

struct LinkCase {
    const char* name;
    mode_t folderMode;
    Owner folderOwner;
    Owner linkOwner;
    const char* refusal; // nullptr: the save goes through the link
};

void PrintTo(const LinkCase& c, std::ostream* out) {
    *out << c.name;
}

class LinkInAFolder : public testing::TestWithParam<LinkCase> {};

TEST_P(LinkInAFolder, IsFollowedOnlyWhereTheSystemWould) {
    const LinkCase& c = GetParam();
    if (geteuid() != 0)
        GTEST_SKIP() << "a second user needs the superuser to run the tests";
    TempDir mine, shared;
    const std::string victim = mine / "victim.orq730";
    const std::string link = shared / "p.orq730";
    WriteFile(victim, VictimBytes);
    fs::permissions(shared.Path, fs::perms(c.folderMode));
    if (c.folderOwner == Owner::Other) {
        ASSERT_EQ(chown(shared.Path.c_str(), UnprivilegedUser, UnprivilegedUser), 0);
    }
    const int planted = RunInChild([&] { return symlink(victim.c_str(), link.c_str()) == 0; },
                                   c.linkOwner == Owner::Other);
    if (planted == ChildSetupFailed)
        GTEST_SKIP() << "cannot switch to user " << UnprivilegedUser << " here";
    ASSERT_EQ(planted, 1);

    std::string why;
    const bool saved = WriteFileAtomically(link, Preset.data(), Preset.size(), &why);
    if (c.refusal != nullptr) {
        EXPECT_FALSE(saved);
        EXPECT_EQ(why, c.refusal);
        EXPECT_EQ(ReadFile(victim), VictimBytes);
    } else {
        EXPECT_TRUE(saved) << why;
        EXPECT_EQ(ReadFile(victim), Preset);
    }
    EXPECT_EQ(fs::read_symlink(link), victim);
    EXPECT_EQ(std::distance(fs::directory_iterator(shared.Path), {}), 1);
    EXPECT_EQ(std::distance(fs::directory_iterator(mine.Path), {}), 1);
}

INSTANTIATE_TEST_SUITE_P(
    AtomicFile, LinkInAFolder,
    testing::Values(
        // /tmp: user B's link to A's file, A saves.
        LinkCase{"AnotherUsersInASharedFolder", 01777, Owner::Caller, Owner::Other,
                 "a link of another user in a shared folder"},
        LinkCase{"OwnInASharedFolder", 01777, Owner::Other, Owner::Caller, nullptr},
        LinkCase{"TheFolderOwnersInASharedFolder", 01777, Owner::Other, Owner::Other, nullptr},
        // Without the sticky bit anyone may replace anything there; the link is no worse.
        LinkCase{"AnotherUsersInAFolderNotSticky", 0777, Owner::Caller, Owner::Other, nullptr}),
    [](const auto& info) { return std::string(info.param.name); });

// The names of the files created in `dir` while `act` ran.
std::vector<std::string> CreatedWhile(const fs::path& dir, const std::function<void()>& act) {
    const int watch = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    EXPECT_GE(watch, 0);
    EXPECT_GE(inotify_add_watch(watch, dir.c_str(), IN_CREATE), 0);
    act();
    std::vector<std::string> names;
    alignas(inotify_event) char buffer[4096];
    ssize_t length = 0;
    while ((length = read(watch, buffer, sizeof buffer)) > 0)
        for (char* at = buffer; at < buffer + length;) {
            const auto* event = reinterpret_cast<const inotify_event*>(at);
            names.emplace_back(event->name);
            at += sizeof(inotify_event) + event->len;
        }
    close(watch);
    return names;
}

// Another user can foresee a name made of the process number and a count, and fill every one
// of them with links to a file of the user's: the save then fails, or writes through the link.
TEST(AtomicFile, NamesPutInTheWayNeitherStopNorMisdirectASave) {
    TempDir dir, mine;
    const std::string victim = mine / "victim.orq730";
    WriteFile(victim, VictimBytes);
    const std::string path = dir / "p.orq730";
    std::set<std::string> planted;
    for (int n = 0; n < 1000; ++n) {
        const std::string name =
            "p.orq730.~" + std::to_string(getpid()) + "-" + std::to_string(n) + ".tmp";
        fs::create_symlink(victim, dir / name);
        planted.insert(name);
    }

    std::string why;
    std::vector<std::string> temporaries;
    for (int save = 0; save < 2; ++save) {
        const std::vector<std::string> created = CreatedWhile(dir.Path, [&] {
            EXPECT_TRUE(WriteFileAtomically(path, Preset.data(), Preset.size(), &why)) << why;
        });
        ASSERT_EQ(created.size(), 1u);
        temporaries.push_back(created[0]);
    }
    EXPECT_EQ(ReadFile(path), Preset);
    EXPECT_EQ(ReadFile(victim), VictimBytes);
    const std::regex drawn(R"(p\.orq730\.~[A-Za-z0-9]{12}\.tmp)");
    for (const std::string& name : temporaries)
        EXPECT_TRUE(std::regex_match(name, drawn)) << name;
    EXPECT_NE(temporaries[0], temporaries[1]);
    std::set<std::string> left;
    for (const auto& entry : fs::directory_iterator(dir.Path))
        left.insert(entry.path().filename().string());
    planted.insert("p.orq730");
    EXPECT_EQ(left, planted);
}

} // namespace
