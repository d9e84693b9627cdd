// Working on several units at once: each job in a thread of its own, its outcome printed in the
// order the units were named as soon as those before it are printed.
#pragma once

#include "ExitStatus.h"

#include <nlohmann/json.hpp>

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

namespace orqsyv::cli {

// What one unit's job leaves behind, owned by the job until it is handed over whole.
struct UnitOutcome {
    ExitStatus status = ExitDone;
    bool reached = false;        // a unit of the family was worked on
    bool stranger = false;       // the device proved not to be of the family
    std::string out;             // for standard output
    std::string err;             // for standard error
    nlohmann::ordered_json json; // null unless the command gives one per unit
};

using UnitJob = std::function<UnitOutcome(std::size_t index)>;

// Runs job(0) .. job(count - 1), at most `jobs` at a time (0: all at once), each in a thread of
// its own, or in the calling thread when one at a time is all there is to do. The calling thread
// prints each outcome's `out` (its `json` on one line instead when `jsonLines`) and `err`, in
// index order, as soon as the outcomes before it are printed. Returns the outcomes in index
// order.
std::vector<UnitOutcome> RunInOrder(std::size_t count, unsigned jobs, bool jsonLines,
                                    const UnitJob& job);

// The worst status of `outcomes`, ExitDone for none.
ExitStatus WorstOf(const std::vector<UnitOutcome>& outcomes);

} // namespace orqsyv::cli
