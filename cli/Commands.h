// The tool's commands, each run on arguments already read and checked: whatever reaches these
// is well formed, so a failure here is the unit's, the driver's or a file's.
#pragma once

#include "ExitStatus.h"
#include "Frames.h"
#include "UnitRef.h"

#include <string>
#include <vector>

// NAME=VALUE of `set`, with the register it names.
struct Assignment {
    int offset;
    std::string value; // as written; read again for the unit's variant and generation
};

ExitStatus ListCommand(bool json);
ExitStatus ShowCommand(const UnitRef& unit, bool json);
ExitStatus SetCommand(const UnitRef& unit, const std::vector<Assignment>& assignments);
ExitStatus SaveCommand(const UnitRef& unit, const std::string& file);
// An empty `units` means every free unit.
ExitStatus LoadCommand(const RegisterBlock& preset, const std::vector<UnitRef>& units);
ExitStatus FactoryCommand(const std::vector<UnitRef>& units);
ExitStatus WatchCommand(const UnitRef& unit, bool json);
