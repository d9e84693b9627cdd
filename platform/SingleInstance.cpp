#include "SingleInstance.h"

#if defined(_WIN32)
#include "SystemFile.h"
#include "WindowsApi.h"
#else
#include "ProgramPaths.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <sys/file.h>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>
#endif

#if defined(_WIN32)

SingleInstanceGuard::SingleInstanceGuard(const std::string& name,
                                         [[maybe_unused]] const std::string& lockDir)
    : place_(name) {
    const HANDLE mutex = CreateMutexA(nullptr, TRUE, name.c_str());
    if (mutex == nullptr) {
        reason_ = LastSystemErrorText();
        return;
    }
    if (GetLastError() == ERROR_ALREADY_EXISTS) {
        CloseHandle(mutex);
        state_ = InstanceState::AlreadyRunning;
        return;
    }
    mutex_ = mutex;
    state_ = InstanceState::First;
}

SingleInstanceGuard::~SingleInstanceGuard() {
    if (mutex_ != nullptr) {
        ReleaseMutex(mutex_);
        CloseHandle(mutex_);
    }
}

#else

namespace {

constexpr const char* LockDirName = "orq-syv-settings";

std::string Environment(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? value : "";
}

// Why `directory` is no place for the lock; "" when it is one: a directory itself (not a link
// to one) that this user owns and that no one else may write to.
std::string Unfit(const std::string& directory) {
    struct stat info {};
    if (lstat(directory.c_str(), &info) != 0)
        return std::strerror(errno);
    if (!S_ISDIR(info.st_mode))
        return "not a directory";
    if (info.st_uid != geteuid())
        return "owned by another user";
    if ((info.st_mode & (S_IWGRP | S_IWOTH)) != 0)
        return "writable by other users";
    return {};
}

} // namespace

LockDirChoice UserLockDir() {
    const std::string runtime = Environment("XDG_RUNTIME_DIR");
    if (runtime.starts_with('/') && Unfit(runtime).empty())
        return {runtime, {}};

    const std::string cache = XdgDir("XDG_CACHE_HOME", ".cache");
    if (cache.empty())
        return {"", "no home directory"};
    const std::string directory = cache + LockDirName;
    std::error_code ignored;
    std::filesystem::create_directories(cache, ignored);
    if (mkdir(directory.c_str(), 0700) != 0 && errno != EEXIST)
        return {directory, std::strerror(errno)};
    return {directory, Unfit(directory)};
}

SingleInstanceGuard::SingleInstanceGuard(const std::string& name, const std::string& lockDir) {
    std::string directory = lockDir;
    if (directory.empty()) {
        LockDirChoice choice = UserLockDir();
        if (!choice.error.empty()) {
            place_ = std::move(choice.path);
            reason_ = std::move(choice.error);
            return;
        }
        directory = std::move(choice.path);
    }
    place_ = WithTrailingDelimiter(directory) + name;
    // Never follow a link planted at the lock's place, never wait on a pipe, and only take a
    // plain file of our own.
    const int fd =
        open(place_.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0600);
    if (fd < 0) {
        reason_ = std::strerror(errno);
        return;
    }
    struct stat info {};
    if (fstat(fd, &info) != 0)
        reason_ = std::strerror(errno);
    else if (!S_ISREG(info.st_mode))
        reason_ = "not a regular file";
    else if (info.st_uid != geteuid())
        reason_ = "owned by another user";
    if (!reason_.empty()) {
        close(fd);
        return;
    }
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int error = errno;
        close(fd);
        if (error == EWOULDBLOCK)
            state_ = InstanceState::AlreadyRunning;
        else
            reason_ = std::strerror(error);
        return;
    }
    fd_ = fd;
    state_ = InstanceState::First;
}

SingleInstanceGuard::~SingleInstanceGuard() {
    // Closing the only descriptor of the open file drops the lock.
    if (fd_ >= 0)
        close(fd_);
}

#endif
