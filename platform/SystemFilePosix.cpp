#include "SystemFile.h"

#include "ProgramPaths.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <utility>
#include <vector>

namespace {

// More hops than this are a loop of links, as the system itself counts them.
constexpr int LinkHopLimit = 40;

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

int OpenRetrying(const std::string& path, int flags, mode_t mode) {
    int fd = -1;
    do
        fd = open(path.c_str(), flags | O_CLOEXEC, mode);
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

} // namespace

SystemFile SystemFile::OpenForReading(const std::string& path) {
    const int fd = OpenRetrying(path, O_RDONLY | O_NONBLOCK, 0);
    return fd < 0 ? SystemFile(NoHandle, FailureOf(errno)) : SystemFile(fd, FileFailure::None);
}

SystemFile SystemFile::OpenForUpdate(const std::string& path) {
    const int fd = OpenRetrying(path, O_RDWR, 0);
    return fd < 0 ? SystemFile(NoHandle, FailureOf(errno)) : SystemFile(fd, FileFailure::None);
}

SystemFile SystemFile::CreateNew(const std::string& path, const FileFacts* like) {
    const int fd = OpenRetrying(path, O_WRONLY | O_CREAT | O_EXCL, 0666);
    if (fd < 0)
        return SystemFile(NoHandle, FailureOf(errno));
    if (like != nullptr) {
        // Only the superuser may give a file away; anyone else keeps the file as theirs.
        [[maybe_unused]] const int owned = fchown(fd, like->owner, like->group);
        // After the owner: a change of owner clears the set-id bits.
        [[maybe_unused]] const int moded = fchmod(fd, like->permissions);
    }
    return SystemFile(fd, FileFailure::None);
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

bool FileFactsOf(const std::string& path, FileFacts& facts) {
    struct stat info {};
    if (stat(path.c_str(), &info) != 0)
        return false;
    FillFacts(info, facts);
    return true;
}

std::string FollowLinks(const std::string& path) {
    std::string current = path;
    for (int hop = 0; hop < LinkHopLimit; ++hop) {
        struct stat info {};
        if (lstat(current.c_str(), &info) != 0 || !S_ISLNK(info.st_mode))
            return current;
        std::vector<char> target(static_cast<std::size_t>(info.st_size) + 1);
        const ssize_t length = readlink(current.c_str(), target.data(), target.size());
        if (length < 0 || static_cast<std::size_t>(length) >= target.size())
            return current; // changed meanwhile: the save goes to the link's own place
        const std::string next(target.data(), static_cast<std::size_t>(length));
        if (next.empty())
            return current;
        current = next.front() == '/' ? next : DirectoryOf(current) + next;
    }
    return current;
}

bool RenameOver(const std::string& from, const std::string& to) {
    return rename(from.c_str(), to.c_str()) == 0;
}

void RemoveFile(const std::string& path) {
    unlink(path.c_str());
}

void FlushDirectoryOf(const std::string& path) {
    const std::string directory = DirectoryOf(path);
    const int fd = OpenRetrying(directory.empty() ? "." : directory, O_RDONLY | O_DIRECTORY, 0);
    if (fd < 0)
        return;
    fsync(fd);
    close(fd);
}

std::string LastSystemErrorText() {
    return std::strerror(errno);
}

unsigned long ProcessNumber() {
    return static_cast<unsigned long>(getpid());
}
