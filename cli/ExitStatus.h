// What the tool's exit status says. A run over several units ends with the highest status any
// of them had, so a script sees the worst that happened; 5 (something would change) counts
// below every failure.
#pragma once

namespace orqsyv::cli {

enum ExitStatus : int {
    ExitDone = 0,     // every unit done, or nothing would change
    ExitUsage = 1,    // bad command line, setting, value or unit name: no command sent
    ExitNoUnit = 2,   // a unit not found, not of the family, open elsewhere or not to be opened
    ExitExchange = 3, // an exchange failed, or the unit kept another value than the one asked
    ExitFile = 4,     // a file could not be read or written, or is no preset file
    ExitDiffers = 5,  // diff, --dry-run: a unit's settings differ from the preset's
};

inline ExitStatus Worst(ExitStatus a, ExitStatus b) {
    const auto rank = [](ExitStatus s) { return s == ExitDiffers ? 0.5 : static_cast<double>(s); };
    return rank(a) >= rank(b) ? a : b;
}

} // namespace orqsyv::cli
