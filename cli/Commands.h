// The tool's commands, each run on arguments already read and checked: whatever reaches these
// is well formed, so a failure here is the unit's, the driver's or a file's.
#pragma once

#include "ExitStatus.h"
#include "Frames.h"
#include "UnitAccess.h"
#include "UnitRef.h"
#include "UnitTargets.h"

#include <optional>
#include <string>
#include <vector>

namespace orqsyv::cli {

// NAME=VALUE of `set`, with the register it names.
struct Assignment {
    int offset;
    std::string value; // as written; read again for the unit's variant and generation
};

// The units a command works on: those named, or with `every` (--all) every free unit, and how.
struct UnitSelection {
    std::vector<UnitRef> units;
    bool every = false;
    std::optional<Expectation> expected; // --expect, with `every`
    RunOptions run;
};

// The one unit `ref` names.
inline UnitSelection OneUnit(const UnitRef& ref) {
    UnitSelection selection;
    selection.units = {ref};
    return selection;
}

// Works on the units `selection` names (UnitTargets, RunOnTargets); after a run over every
// unit, CheckRack. Returns the worst status.
ExitStatus OnUnits(const UnitSelection& selection, const UnitWork& work);

ExitStatus ListCommand(bool json, unsigned jobs, const std::optional<Expectation>& expected);
ExitStatus ShowCommand(const UnitRef& unit, bool json);
ExitStatus GetCommand(const UnitRef& unit, const std::vector<int>& offsets);
ExitStatus SetCommand(const UnitRef& unit, const std::vector<Assignment>& assignments, bool json);
ExitStatus SaveCommand(const UnitRef& unit, const std::string& file);
// With `dryRun` (load --dry-run, diff) nothing but the first poll is sent: each unit's lines
// tell what the load would change, and the status is ExitDiffers when anything would.
ExitStatus LoadCommand(const RegisterBlock& preset, const UnitSelection& selection, bool dryRun);
ExitStatus FactoryCommand(const UnitSelection& selection);
ExitStatus PresetShowCommand(const std::string& file, bool json);
ExitStatus ApplyCommand(const std::string& rackFile, bool dryRun, const RunOptions& run);
// Ends after `count` lines when given.
ExitStatus WatchCommand(const UnitRef& unit, bool json, std::optional<unsigned> count);

// What a preset's block, after the variant rules, would change on `unit`: one line
// "NAME: setting: OLD -> NEW" a setting, or "NAME: no change". ExitDiffers or ExitDone.
ExitStatus TellChanges(UnitAtHand& unit, const RegisterBlock& block);
// Whether `block` differs from the unit's newest reply in a setting the unit's variant has.
bool ChangesSettings(const UnitAtHand& unit, const RegisterBlock& block);
// Sends `block` as the panel's preset group does, one block write, and says `what` when done.
ExitStatus SendBlock(UnitAtHand& unit, const RegisterBlock& block, const char* what);
// Reads a preset file for a command; tells "cannot read FILE: why" (the system's reason) or
// "FILE: Invalid File Format", about `subject` when given (the rack file's line "rack:3"), and
// returns false.
bool ReadPreset(const std::string& file, RegisterBlock& block, const std::string& subject = {});

} // namespace orqsyv::cli
