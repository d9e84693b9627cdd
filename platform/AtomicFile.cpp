#include "AtomicFile.h"

#include "SystemFile.h"

#include <atomic>

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

// Overwrites the existing file `target` with the new bytes. Its room is reserved before the
// first byte changes; a failure after that puts the old bytes back.
bool WriteInPlace(const std::string& target, const void* data, std::size_t size) {
    SystemFile file = SystemFile::OpenForUpdate(target);
    FileFacts facts;
    if (!file.IsOpen() || !file.Facts(facts) || !facts.regular || facts.size > InPlaceLimit)
        return false;
    std::string old(static_cast<std::size_t>(facts.size), '\0');
    std::size_t got = 0;
    if (!file.ReadAt(0, old.data(), old.size(), got) || got != old.size())
        return false;
    if (!file.Reserve(size)) {
        file.Resize(old.size()); // a reservation that failed halfway may have grown it
        return false;
    }
    if (file.WriteAt(0, data, size) && file.Resize(size) && file.Flush())
        return file.Close();
    file.WriteAt(0, old.data(), old.size());
    file.Resize(old.size());
    file.Flush();
    return false;
}

} // namespace

bool WriteFileAtomically(const std::string& path, const void* data, std::size_t size) {
    const std::string target = FollowLinks(path);
    FileFacts old;
    const bool exists = FileFactsOf(target, old);
    if (exists && !old.regular)
        return false;
    std::string temporary;
    SystemFile file = CreateTemporaryBeside(target, exists ? &old : nullptr, temporary);
    if (!file.IsOpen())
        return exists && file.Failure() == FileFailure::Refused && WriteInPlace(target, data, size);
    const bool written = file.WriteAt(0, data, size) && file.Flush();
    // Closing can report a write the system had deferred, so it must succeed too.
    const bool closed = file.Close();
    if (written && closed && RenameOver(temporary, target)) {
        FlushDirectoryOf(target);
        return true;
    }
    RemoveFile(temporary);
    return false;
}
