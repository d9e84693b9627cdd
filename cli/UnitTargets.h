// The units a command works on, as the driver's device list shows them when the command starts:
// the units named on the command line, or with --all every device the device list would probe.
// Used on the main thread, before any unit's thread starts: the device list is the link layer's.
#pragma once

#include "ExitStatus.h"
#include "UnitRef.h"
#include "UnitRunner.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace orqsyv::cli {

struct Target {
    // How the output names it: its serial number, or its location id when the serial number is
    // empty or another listed device has it too; a name that found nothing as written.
    std::string name;
    std::string serial;
    DWORD location = 0;  // when found
    bool found = false;  // in the device list
    std::string problem; // why it is not worked on (status 2); empty when it is
    std::size_t ref = 0; // the position of the name that found it, for NamedTargets
    std::string label;   // what a rack file calls it; empty elsewhere

    // The name as the outcome lines start: "SV730101", or "SV730101 (Studio A)" with a label.
    std::string Heading() const { return label.empty() ? name : name + " (" + label + ")"; }
};

struct Targets {
    // Not ExitDone when the command can work on nothing at all: the device list could not be
    // had (2), or a name was ambiguous (1). The reason has been told.
    ExitStatus refusal = ExitDone;
    std::vector<Target> units;
};

// The device each name in `refs` names, in order; a device named twice is worked on once. A
// name that finds nothing, or a device open elsewhere or not of the family (not an FT232R with
// "ORQ-SYV" in its description), is a target with its problem. A serial number that several
// listed devices share is refused with the location ids that name them.
Targets NamedTargets(const std::vector<UnitRef>& refs);

// Every device the device list would probe, in list order: the free ones to work on, those
// open in another program with that problem. Other devices are left out.
Targets AllTargets();

// What --expect asks of a run over every unit: at least `count` units of the family, or the
// units named in `units`.
struct Expectation {
    std::optional<std::size_t> count;
    std::vector<UnitRef> units;
};

// --expect's value: a whole number is a count; anything else is a list of unit names separated
// by commas (a serial number of digits alone is written with a comma after it). None, after
// telling why, for a list with a name that is none.
std::optional<Expectation> ParseExpectation(std::string_view text);

// After a run over every unit (AllTargets and their outcomes): tells "no unit found" when no
// unit of the family was worked on and `needUnit`, and each expected unit that was not among
// those found (devices that proved not to be of the family do not count). Returns the worst of
// `status` and ExitNoUnit for each of these.
ExitStatus CheckRack(ExitStatus status, const std::vector<Target>& targets,
                     const std::vector<UnitOutcome>& outcomes,
                     const std::optional<Expectation>& expected, bool needUnit = true);

} // namespace orqsyv::cli
