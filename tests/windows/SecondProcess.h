// The runner of the Windows tests doubles as the second process of the single-instance tests:
// started with one of these mode words instead of test options, it does that one thing and ends
// with what it found as its exit code.
#pragma once

#include <string_view>

// The exit code is the State() of a SingleInstanceGuard on the program's mutex name.
inline constexpr std::string_view GuardStateMode = "--guard-state";
// The exit code is the system's last error after creating the named mutex as the program entry
// does: ERROR_ALREADY_EXISTS (183) when another process holds it.
inline constexpr std::string_view MutexErrorMode = "--mutex-error";

// True when `argument` is one of the modes above.
bool IsSecondProcessMode(std::string_view argument);

// Does what `mode` asks and returns the exit code.
int RunSecondProcessMode(std::string_view mode);
