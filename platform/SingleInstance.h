// Lets one copy of the program run at a time. The guard is taken first thing at start and held
// until the message loop has ended.
//
// On Windows it is the named mutex of the given name. Elsewhere it is a lock file of that name
// held with flock (the system drops the lock when the holder ends, however it ends), in a
// directory that only the user owns and no one else may write to (UserLockDir): never in a
// shared directory such as /tmp, where another user could create the lock first.
#pragma once

#include <string>

inline constexpr const char* OneCopyName = "ORQ_SYV_OneCopy";

enum class InstanceState {
    First,          // this copy holds the guard
    AlreadyRunning, // another copy holds it
    Failed,         // the guard could not be taken for another reason: Place() and Reason() say
};

class SingleInstanceGuard {
public:
    // `lockDir` replaces the directory that holds the lock file, so that tests keep clear of the
    // user's real lock; "" takes UserLockDir(). Windows ignores it.
    explicit SingleInstanceGuard(const std::string& name = OneCopyName,
                                 const std::string& lockDir = "");
    // Releases the guard when this copy holds it.
    ~SingleInstanceGuard();
    SingleInstanceGuard(const SingleInstanceGuard&) = delete;
    SingleInstanceGuard& operator=(const SingleInstanceGuard&) = delete;

    InstanceState State() const { return state_; }
    // The lock file's path (the directory's, when no directory fit for it was found), or the
    // mutex's name on Windows.
    const std::string& Place() const { return place_; }
    // Why the guard failed, in the system's words where it gave them; "" unless Failed.
    const std::string& Reason() const { return reason_; }

private:
    InstanceState state_ = InstanceState::Failed;
    std::string place_;
    std::string reason_;
#if defined(_WIN32)
    void* mutex_ = nullptr; // HANDLE, held only while State() is First
#else
    int fd_ = -1; // the locked file, open only while State() is First
#endif
};

#if !defined(_WIN32)
struct LockDirChoice {
    std::string path;  // the directory; or the one found unfit when `error` is set
    std::string error; // "" when `path` is fit for the lock
};

// The directory for the user's lock: $XDG_RUNTIME_DIR when it is set to an absolute path of a
// directory that the user owns and no one else may write to; otherwise "orq-syv-settings" in the
// user's cache directory ($XDG_CACHE_HOME, or ~/.cache), created with mode 0700 when missing. A
// directory found there must be a directory, not a link, the user's own and not writable by
// others, or it is reported as unfit.
LockDirChoice UserLockDir();
#endif
