// Lets one copy of the program run at a time. The guard is taken first thing at start and held
// until the message loop has ended.
//
// On Windows it is the named mutex of the given name. Elsewhere it is a per-user lock file of
// that name held with flock: the system drops the lock when the holder ends, however it ends.
#pragma once

#include <string>

inline constexpr const char* OneCopyName = "ORQ_SYV_OneCopy";

enum class InstanceState {
    First,          // this copy holds the guard
    AlreadyRunning, // another copy holds it
    Failed,         // the guard could not be created at all
};

class SingleInstanceGuard {
public:
    // `lockDir` replaces the runtime directory that holds the lock file, so that tests keep
    // clear of the user's real lock; "" takes the usual place. Windows ignores it.
    explicit SingleInstanceGuard(const std::string& name = OneCopyName,
                                 const std::string& lockDir = "");
    // Releases the guard when this copy holds it.
    ~SingleInstanceGuard();
    SingleInstanceGuard(const SingleInstanceGuard&) = delete;
    SingleInstanceGuard& operator=(const SingleInstanceGuard&) = delete;

    InstanceState State() const { return state_; }

private:
    InstanceState state_ = InstanceState::Failed;
#if defined(_WIN32)
    void* mutex_ = nullptr; // HANDLE, held only while State() is First
#else
    int fd_ = -1; // the locked file, open only while State() is First
#endif
};

#if !defined(_WIN32)
// The usual lock file: `name` in $XDG_RUNTIME_DIR, or /tmp/<name>-<uid> when that is unset.
std::string DefaultLockPath(const std::string& name);
#endif
