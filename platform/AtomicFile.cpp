#include "AtomicFile.h"

#include "SystemFile.h"

#include <atomic>
#include <utility>

namespace {

// Attempts at a temporary name before the save gives up: only names left behind by saves that
// died, or taken by another copy saving at the same moment, are ever in the way.
constexpr int TemporaryNameAttempts = 100;
// A file written in place has its old bytes kept in memory meanwhile; larger ones are refused.
constexpr std::uint64_t InPlaceLimit = std::uint64_t{16} << 20;

// Creates a file of a name no other file has, beside `target` (its name with a suffix), and
// stores that name in `name`. Not open when none can be created; Failure() says why.
SystemFile CreateTemporaryBeside(const std::string& target, const FileFacts* like,
                                 std::string& name) {
    static std::atomic<unsigned> counter{0};
    for (int attempt = 1;; ++attempt) {
        name = target;
        name.append(".~").append(std::to_string(ProcessNumber()));
        name.append("-").append(std::to_string(counter.fetch_add(1))).append(".tmp");
        SystemFile file = SystemFile::CreateNew(name, like);
        if (file.IsOpen() || file.Failure() != FileFailure::NameTaken ||
            attempt == TemporaryNameAttempts)
            return file;
    }
}

// Stores `text` in `why` when there is one, and returns false.
bool Fail(std::string* why, std::string text) {
    if (why != nullptr)
        *why = std::move(text);
    return false;
}

// Overwrites the existing file `target` with the new bytes. Its room is reserved before the
// first byte changes; a failure after that puts the old bytes back.
bool WriteInPlace(const std::string& target, const void* data, std::size_t size, std::string* why) {
    SystemFile file = SystemFile::OpenForUpdate(target);
    FileFacts facts;
    if (!file.IsOpen() || !file.Facts(facts))
        return Fail(why, LastSystemErrorText());
    if (!facts.regular)
        return Fail(why, "not a regular file");
    if (facts.size > InPlaceLimit)
        return Fail(why, "too large to be written in place");
    std::string old(static_cast<std::size_t>(facts.size), '\0');
    std::size_t got = 0;
    if (!file.ReadAt(0, old.data(), old.size(), got))
        return Fail(why, LastSystemErrorText());
    if (got != old.size())
        return Fail(why, "the file changed while it was being saved");
    if (!file.Reserve(size)) {
        std::string text = LastSystemErrorText();
        file.Resize(old.size()); // a reservation that failed halfway may have grown it
        return Fail(why, std::move(text));
    }
    if (file.WriteAt(0, data, size) && file.Resize(size) && file.Flush())
        return file.Close() || Fail(why, LastSystemErrorText());
    std::string text = LastSystemErrorText();
    file.WriteAt(0, old.data(), old.size());
    file.Resize(old.size());
    file.Flush();
    return Fail(why, std::move(text));
}

} // namespace

bool WriteFileAtomically(const std::string& path, const void* data, std::size_t size,
                         std::string* why) {
    const std::string target = FollowLinks(path);
    FileFacts old;
    const bool exists = FileFactsOf(target, old);
    if (exists && !old.regular)
        return Fail(why, "not a regular file");
    std::string temporary;
    SystemFile file = CreateTemporaryBeside(target, exists ? &old : nullptr, temporary);
    if (!file.IsOpen()) {
        if (exists && file.Failure() == FileFailure::Refused)
            return WriteInPlace(target, data, size, why);
        return Fail(why, LastSystemErrorText());
    }
    // Closing can report a write the system had deferred, so it must succeed too.
    if (file.WriteAt(0, data, size) && file.Flush() && file.Close() &&
        RenameOver(temporary, target)) {
        FlushDirectoryOf(target);
        return true;
    }
    std::string text = LastSystemErrorText();
    file.Close();
    RemoveFile(temporary);
    return Fail(why, std::move(text));
}
