// Runs part of a test in a child process: for process-wide limits (RLIMIT_FSIZE) and for the
// rights of an ordinary user, which the superuser, under whom tests may run, does not have.
#pragma once

#include <functional>

#include <grp.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

// The user an unprivileged child runs as when the tests run as the superuser ("nobody").
inline constexpr uid_t UnprivilegedUser = 65534;

// The user whose rights an unprivileged child has: this one, or UnprivilegedUser under the
// superuser.
inline uid_t ChildUser() {
    return geteuid() == 0 ? UnprivilegedUser : geteuid();
}

// Exit code of a child that could not give up its rights.
inline constexpr int ChildSetupFailed = 125;

// Runs `body` in a child process, as ChildUser() when `unprivileged`, and returns its exit code
// (`body`'s result); -1 when the child did not end normally.
inline int RunInChild(const std::function<int()>& body, bool unprivileged = false) {
    const pid_t child = fork();
    if (child < 0)
        return -1;
    if (child == 0) {
        if (unprivileged && geteuid() == 0 &&
            (setgroups(0, nullptr) != 0 || setgid(UnprivilegedUser) != 0 ||
             setuid(UnprivilegedUser) != 0))
            _exit(ChildSetupFailed);
        _exit(body());
    }
    int status = 0;
    if (waitpid(child, &status, 0) != child || !WIFEXITED(status))
        return -1;
    return WEXITSTATUS(status);
}
