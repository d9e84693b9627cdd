#include "SingleInstance.h"

#if defined(_WIN32)
#include "WindowsApi.h"
#else
#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#if defined(_WIN32)

SingleInstanceGuard::SingleInstanceGuard(const std::string& name,
                                         [[maybe_unused]] const std::string& lockDir) {
    const HANDLE mutex = CreateMutexA(nullptr, TRUE, name.c_str());
    if (mutex == nullptr)
        return;
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

std::string DefaultLockPath(const std::string& name) {
    const char* runtimeDir = std::getenv("XDG_RUNTIME_DIR");
    if (runtimeDir != nullptr && *runtimeDir != '\0')
        return std::string(runtimeDir) + "/" + name;
    // /tmp is shared by all users: the uid keeps the name per user.
    return "/tmp/" + name + "-" + std::to_string(getuid());
}

SingleInstanceGuard::SingleInstanceGuard(const std::string& name, const std::string& lockDir) {
    const std::string path = lockDir.empty() ? DefaultLockPath(name) : lockDir + "/" + name;
    // Never follow a link planted at the lock's place, and only take a plain file of our own:
    // anything else could be another user's trap in a shared directory.
    const int fd = open(path.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0)
        return;
    struct stat info {};
    if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || info.st_uid != geteuid()) {
        close(fd);
        return;
    }
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int error = errno;
        close(fd);
        if (error == EWOULDBLOCK)
            state_ = InstanceState::AlreadyRunning;
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
