#include "AtomicFile.h"

#include "SystemFile.h"

#include <random>
#include <utility>

namespace {

// Attempts at a temporary name before the save gives up: names are drawn at random, so only
// chance puts a file in the way.
constexpr int TemporaryNameAttempts = 100;
// A file written in place has its old bytes kept in memory meanwhile; larger ones are refused.
constexpr std::uint64_t InPlaceLimit = std::uint64_t{16} << 20;

// Stores `text` in `why` when there is one, and returns false.
bool Fail(std::string* why, std::string text) {
    if (why != nullptr)
        *why = std::move(text);
    return false;
}

// A name beside the target that no one can guess beforehand, as mkostemp makes them: the
// target's name, ".~", twelve random letters and digits (71 bits), ".tmp".
std::string TemporaryName(const std::string& target, std::random_device& random) {
    static constexpr char Letters[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    std::uniform_int_distribution<std::size_t> pick(0, sizeof Letters - 2);
    std::string name = target + ".~";
    for (int i = 0; i < 12; ++i)
        name += Letters[pick(random)];
    return name + ".tmp";
}

// Creates a new file of a name no other file has beside the target, and stores that name in
// `name`. Not open when none can be created; Failure() and LastSystemErrorText() say why.
SystemFile CreateTemporary(const SaveTarget& target, std::string& name) {
    std::random_device random;
    for (int attempt = 1;; ++attempt) {
        name = TemporaryName(target.Name(), random);
        SystemFile file = target.CreateBeside(name);
        if (file.IsOpen() || file.Failure() != FileFailure::NameTaken ||
            attempt == TemporaryNameAttempts)
            return file;
    }
}

// Overwrites the existing target with the new bytes. Its room is reserved before the first byte
// changes; a failure after that puts the old bytes back.
bool WriteInPlace(const SaveTarget& target, const void* data, std::size_t size, std::string& why) {
    SystemFile file = target.OpenForUpdate();
    FileFacts facts;
    if (!file.IsOpen() || !file.Facts(facts))
        return Fail(&why, LastSystemErrorText());
    if (!facts.regular)
        return Fail(&why, "not a regular file");
    if (facts.size > InPlaceLimit)
        return Fail(&why, "too large to be written in place");
    std::string old(static_cast<std::size_t>(facts.size), '\0');
    std::size_t got = 0;
    if (!file.ReadAt(0, old.data(), old.size(), got))
        return Fail(&why, LastSystemErrorText());
    if (got != old.size())
        return Fail(&why, "the file changed while it was being saved");
    if (!file.Reserve(size)) {
        why = LastSystemErrorText();
        file.Resize(old.size()); // a reservation that failed halfway may have grown it
        return false;
    }
    if (file.WriteAt(0, data, size) && file.Resize(size) && file.Flush())
        return file.Close() || Fail(&why, LastSystemErrorText());
    why = LastSystemErrorText();
    file.WriteAt(0, old.data(), old.size());
    file.Resize(old.size());
    file.Flush();
    return false;
}

// Writes the bytes to a temporary file beside the target and renames it over the target; or,
// where the folder takes no new file, writes them into the target in place.
bool Replace(const SaveTarget& target, const void* data, std::size_t size, std::string& why) {
    std::string temporary;
    SystemFile file = CreateTemporary(target, temporary);
    if (!file.IsOpen()) {
        if (target.Exists() && file.Failure() == FileFailure::Refused)
            return WriteInPlace(target, data, size, why);
        return Fail(&why, LastSystemErrorText());
    }
    // Closing can report a write the system had deferred, so it must succeed too.
    if (file.WriteAt(0, data, size) && file.Flush() && file.Close() && target.ReplaceBy(temporary))
        return true;
    why = LastSystemErrorText();
    file.Close();
    target.Remove(temporary);
    return false;
}

} // namespace

bool WriteFileAtomically(const std::string& path, const void* data, std::size_t size,
                         std::string* why) {
    SaveTarget target;
    std::string reason;
    if (target.Find(path, reason) && Replace(target, data, size, reason))
        return true;
    target.Abandon();
    return Fail(why, std::move(reason));
}
