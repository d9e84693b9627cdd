// What the tool's exit status says. A run over several units ends with the highest status any
// of them had, so a script sees the worst that happened.
#pragma once

#include <algorithm>

enum ExitStatus : int {
    ExitDone = 0,     // every unit done
    ExitUsage = 1,    // bad command line, setting, value or unit name: no command sent
    ExitNoUnit = 2,   // a unit not found, not of the family, open elsewhere or not to be opened
    ExitExchange = 3, // an exchange failed, or the unit kept another value than the one asked
    ExitFile = 4,     // a file could not be read or written, or is no preset file
};

inline ExitStatus Worst(ExitStatus a, ExitStatus b) {
    return std::max(a, b);
}
