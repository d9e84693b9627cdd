#include "SystemFile.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <utility>

namespace {

FileFailure FailureOf(int error) {
    switch (error) {
    case ENOENT:
        return FileFailure::Missing;
    case EEXIST:
        return FileFailure::NameTaken;
    case EACCES:
    case EPERM:
    case EROFS:
        return FileFailure::Refused;
    default:
        return FileFailure::Other;
    }
}

// Opens `path`, relative to the open folder `folder` (AT_FDCWD: the current directory).
int OpenRetrying(int folder, const std::string& path, int flags, mode_t mode) {
    int fd = -1;
    do
        fd = openat(folder, path.c_str(), flags | O_CLOEXEC, mode);
    while (fd < 0 && errno == EINTR);
    return fd;
}

void FillFacts(const struct stat& info, FileFacts& facts) {
    facts.regular = S_ISREG(info.st_mode);
    facts.size = static_cast<std::uint64_t>(info.st_size);
    facts.permissions = info.st_mode & 07777;
    facts.owner = info.st_uid;
    facts.group = info.st_gid;
}

// Whether `link`, the symbolic link at `path`, is one that the system refuses to follow where it
// protects links (fs.protected_symlinks): in a sticky folder that everyone may write to, owned
// neither by this user nor by the folder's owner. Another user may have put it there to make
// this user's save overwrite a file of the user's choosing.
bool AnotherUsersLinkInASharedFolder(const std::string& path, const struct stat& link) {
    const std::size_t slash = path.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : path.substr(0, slash + 1);
    struct stat info {};
    if (stat(folder.c_str(), &info) != 0)
        return false; // the link is not followed either
    const bool shared = (info.st_mode & S_ISVTX) != 0 && (info.st_mode & S_IWOTH) != 0;
    return shared && link.st_uid != geteuid() && link.st_uid != info.st_uid;
}

// The system's own name of the file that `fd` has open: the path it reached after following
// every link on the way; "" when it does not tell.
std::string SystemNameOf(int fd) {
    const std::string proc = "/proc/self/fd/" + std::to_string(fd);
    std::string name(4096, '\0');
    const ssize_t length = readlink(proc.c_str(), name.data(), name.size());
    if (length <= 0 || static_cast<std::size_t>(length) >= name.size())
        return {};
    name.resize(static_cast<std::size_t>(length));
    return name;
}

bool SystemFailure(std::string& why) {
    why = std::strerror(errno);
    return false;
}

bool Refusal(std::string& why, const char* text) {
    why = text;
    return false;
}

} // namespace

SystemFile SystemFile::OpenForReading(const std::string& path) {
    const int fd = OpenRetrying(AT_FDCWD, path, O_RDONLY | O_NONBLOCK, 0);
    return fd < 0 ? SystemFile(NoHandle, FailureOf(errno)) : SystemFile(fd, FileFailure::None);
}

SystemFile::SystemFile(SystemFile&& other) noexcept
    : handle_(std::exchange(other.handle_, NoHandle)), failure_(other.failure_) {}

SystemFile& SystemFile::operator=(SystemFile&& other) noexcept {
    if (this != &other) {
        Close();
        handle_ = std::exchange(other.handle_, NoHandle);
        failure_ = other.failure_;
    }
    return *this;
}

SystemFile::~SystemFile() {
    Close();
}

bool SystemFile::Facts(FileFacts& facts) const {
    struct stat info {};
    if (fstat(handle_, &info) != 0)
        return false;
    FillFacts(info, facts);
    return true;
}

bool SystemFile::ReadAt(std::uint64_t offset, void* data, std::size_t size, std::size_t& got) {
    got = 0;
    auto* bytes = static_cast<unsigned char*>(data);
    while (got < size) {
        const ssize_t n = pread(handle_, bytes + got, size - got, static_cast<off_t>(offset + got));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return false;
        if (n == 0)
            break;
        got += static_cast<std::size_t>(n);
    }
    return true;
}

bool SystemFile::WriteAt(std::uint64_t offset, const void* data, std::size_t size) {
    const auto* bytes = static_cast<const unsigned char*>(data);
    std::size_t done = 0;
    while (done < size) {
        const ssize_t n =
            pwrite(handle_, bytes + done, size - done, static_cast<off_t>(offset + done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return false;
        if (n == 0) {
            errno = EIO; // nothing written, and no error of the system's to tell
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    return true;
}

bool SystemFile::Reserve(std::uint64_t size) {
    FileFacts facts;
    if (!Facts(facts))
        return false;
    if (facts.size >= size)
        return true;
    // Only the part beyond the present end: the bytes the file holds stay as they are.
    const int error = posix_fallocate(handle_, static_cast<off_t>(facts.size),
                                      static_cast<off_t>(size - facts.size));
    if (error != 0)
        errno = error; // it reports without setting errno
    return error == 0;
}

bool SystemFile::Resize(std::uint64_t size) {
    int result = -1;
    do
        result = ftruncate(handle_, static_cast<off_t>(size));
    while (result != 0 && errno == EINTR);
    return result == 0;
}

bool SystemFile::Flush() {
    return fsync(handle_) == 0;
}

bool SystemFile::Close() {
    if (handle_ == NoHandle)
        return true;
    // The descriptor is gone whatever close reports, so it is never closed twice.
    return close(std::exchange(handle_, NoHandle)) == 0;
}

SaveTarget::~SaveTarget() {
    if (folder_ >= 0)
        close(folder_);
}

// Finding the target. The system follows a link at `path` when it opens it, as any program's
// open would, so that its protection of links in shared folders applies; the file it opened is
// the target, found again under the system's own name for it and held by its folder and name
// only once that name proves to be the same file. Links are never read and followed here.
// Another user's link in a shared folder is refused here too, with a reason of its own and
// where the system's protection is off; links further up the path are the system's to refuse.
bool SaveTarget::Find(const std::string& path, std::string& why) {
    struct stat named {};
    if (lstat(path.c_str(), &named) != 0)
        return errno == ENOENT ? Hold(path, why) : SystemFailure(why);
    if (!S_ISLNK(named.st_mode))
        return S_ISREG(named.st_mode) ? Hold(path, why) : Refusal(why, "not a regular file");
    if (AnotherUsersLinkInASharedFolder(path, named))
        return Refusal(why, "a link of another user in a shared folder");

    // O_PATH reaches the file without opening it: a device at the end of the link is not woken.
    int fd = OpenRetrying(AT_FDCWD, path, O_PATH, 0);
    if (fd < 0 && errno == ENOENT) {
        // A link to a missing file: the save creates the file the link names.
        fd = OpenRetrying(AT_FDCWD, path, O_RDONLY | O_CREAT, 0666);
        created_ = fd >= 0;
    }
    if (fd < 0)
        return SystemFailure(why);
    struct stat opened {};
    const bool known = fstat(fd, &opened) == 0;
    const int error = errno;
    const std::string name = known ? SystemNameOf(fd) : "";
    close(fd);
    if (!known)
        return Refusal(why, std::strerror(error));
    if (!S_ISREG(opened.st_mode))
        return Refusal(why, "not a regular file");
    if (name.empty())
        return Refusal(why, "the system does not tell where the link leads");
    if (!Hold(name, why))
        return false;
    if (!exists_ || device_ != opened.st_dev || inode_ != opened.st_ino)
        return Refusal(why, "the file changed while it was being saved");
    return true;
}

// Holds the folder of `path` and the file at its end, which is not followed if it is a link.
bool SaveTarget::Hold(const std::string& path, std::string& why) {
    const std::size_t slash = path.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : path.substr(0, slash + 1);
    name_ = path.substr(slash == std::string::npos ? 0 : slash + 1);
    folder_ = OpenRetrying(AT_FDCWD, folder, O_RDONLY | O_DIRECTORY, 0);
    if (folder_ < 0)
        return SystemFailure(why);
    struct stat info {};
    if (fstatat(folder_, name_.c_str(), &info, AT_SYMLINK_NOFOLLOW) != 0)
        return errno == ENOENT || SystemFailure(why);
    if (!S_ISREG(info.st_mode))
        return Refusal(why, "not a regular file");
    exists_ = true;
    FillFacts(info, old_);
    device_ = info.st_dev;
    inode_ = info.st_ino;
    return true;
}

SystemFile SaveTarget::CreateBeside(const std::string& name) const {
    // Never the target's bits straight away: they may let others read or write a file that is
    // still being filled; nor a new target's 0600, which would then stay.
    const int fd = OpenRetrying(folder_, name, O_WRONLY | O_CREAT | O_EXCL, exists_ ? 0600 : 0666);
    if (fd < 0)
        return SystemFile(SystemFile::NoHandle, FailureOf(errno));
    if (exists_) {
        // Only the superuser may give a file away; anyone else keeps the file as theirs.
        [[maybe_unused]] const int owned = fchown(fd, old_.owner, old_.group);
        // After the owner: a change of owner clears the set-id bits.
        [[maybe_unused]] const int moded = fchmod(fd, old_.permissions);
    }
    return SystemFile(fd, FileFailure::None);
}

SystemFile SaveTarget::OpenForUpdate() const {
    const int fd = OpenRetrying(folder_, name_, O_RDWR | O_NOFOLLOW | O_NONBLOCK, 0);
    return fd < 0 ? SystemFile(SystemFile::NoHandle, FailureOf(errno))
                  : SystemFile(fd, FileFailure::None);
}

bool SaveTarget::ReplaceBy(const std::string& name) const {
    if (renameat(folder_, name.c_str(), folder_, name_.c_str()) != 0)
        return false;
    // Failures are ignored: the rename itself has happened.
    fsync(folder_);
    return true;
}

void SaveTarget::Remove(const std::string& name) const {
    unlinkat(folder_, name.c_str(), 0);
}

void SaveTarget::Abandon() const {
    struct stat info {};
    if (created_ && fstatat(folder_, name_.c_str(), &info, AT_SYMLINK_NOFOLLOW) == 0 &&
        info.st_dev == device_ && info.st_ino == inode_)
        unlinkat(folder_, name_.c_str(), 0);
}

std::string LastSystemErrorText() {
    return std::strerror(errno);
}
