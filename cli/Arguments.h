// The command line's words read and checked before the driver is asked anything, so bad input
// sends nothing: each reader tells the usage error on standard error and returns none. And the
// options that several subcommands share.
#pragma once

#include "Commands.h"
#include "UnitRef.h"

#include <CLI/CLI.hpp>

#include <optional>
#include <string>
#include <vector>

namespace orqsyv::cli {

// A serial number or a location id.
std::optional<UnitRef> ReadUnit(const std::string& text);
// Setting names, as `get` takes them.
std::optional<std::vector<int>> ReadSettingNames(const std::vector<std::string>& names);
// NAME=VALUE words of `set`: each value is checked against every unit of the family here, and
// read again for the unit's own variant and generation once it is open.
std::optional<std::vector<Assignment>> ReadAssignments(const std::vector<std::string>& texts);

// The options of a command that works on units named or on --all of them (load, factory).
struct TargetOptions {
    std::vector<std::string> units;
    bool all = false;
    std::string expect;
    unsigned jobs = 0;
    bool json = false;
};
void AddTargetOptions(CLI::App* command, TargetOptions& options);
// The units and how to go at them: the units named, or with --all every one.
std::optional<UnitSelection> ReadSelection(const TargetOptions& options);

void AddUnitArgument(CLI::App* command, std::string& unit);
void AddPresetFileArgument(CLI::App* command, std::string& file);
void AddJsonFlag(CLI::App* command, bool& json, const char* what);
void AddJobsOption(CLI::App* command, unsigned& jobs);
void AddExpectOption(CLI::App* command, std::string& expect);

} // namespace orqsyv::cli
