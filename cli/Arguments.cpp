#include "Arguments.h"

#include "Reporter.h"
#include "SettingNames.h"
#include "SettingValues.h"

namespace orqsyv::cli {

namespace {

std::optional<std::vector<UnitRef>> ReadUnits(const std::vector<std::string>& texts) {
    std::vector<UnitRef> units;
    for (const std::string& text : texts) {
        std::optional<UnitRef> ref = ReadUnit(text);
        if (!ref)
            return std::nullopt;
        units.push_back(std::move(*ref));
    }
    return units;
}

// A setting's name, as `get` and `set` take it.
std::optional<int> ReadSettingName(const std::string& name) {
    const std::optional<int> offset = SettingOffset(name);
    if (!offset)
        ReportUsage("no setting \"" + name + "\" (see orq-syv(1))");
    return offset;
}

} // namespace

std::optional<UnitRef> ReadUnit(const std::string& text) {
    std::optional<UnitRef> ref = ParseUnitRef(text);
    if (!ref)
        ReportUsage("\"" + text +
                    "\" is no unit: give a serial number (SV730101) or a location (0x1011)");
    return ref;
}

std::optional<std::vector<int>> ReadSettingNames(const std::vector<std::string>& names) {
    std::vector<int> offsets;
    for (const std::string& name : names) {
        const std::optional<int> offset = ReadSettingName(name);
        if (!offset)
            return std::nullopt;
        offsets.push_back(*offset);
    }
    return offsets;
}

std::optional<std::vector<Assignment>> ReadAssignments(const std::vector<std::string>& texts) {
    std::vector<Assignment> assignments;
    for (const std::string& text : texts) {
        const auto equals = text.find('=');
        if (equals == std::string::npos) {
            ReportUsage("\"" + text + "\" is not NAME=VALUE");
            return std::nullopt;
        }
        const std::optional<int> offset = ReadSettingName(text.substr(0, equals));
        if (!offset)
            return std::nullopt;
        const std::string value = text.substr(equals + 1);
        if (const ParsedValue parsed = ParseValueForAnyUnit(*offset, value); !parsed.value) {
            ReportUsage(parsed.error);
            return std::nullopt;
        }
        assignments.push_back({*offset, value});
    }
    return assignments;
}

void AddTargetOptions(CLI::App* command, TargetOptions& options) {
    command->add_option("UNIT", options.units, "Serial numbers or 0x location ids");
    command->add_flag("--all", options.all, "Every free unit");
    AddExpectOption(command, options.expect);
    AddJobsOption(command, options.jobs);
    AddJsonFlag(command, options.json, "One JSON object a unit, a line each");
}

std::optional<UnitSelection> ReadSelection(const TargetOptions& options) {
    if (options.all == !options.units.empty()) {
        ReportUsage("name the units or give --all, not both");
        return std::nullopt;
    }
    if (!options.expect.empty() && !options.all) {
        ReportUsage("--expect goes with --all");
        return std::nullopt;
    }
    std::optional<std::vector<UnitRef>> units = ReadUnits(options.units);
    if (!units)
        return std::nullopt;
    UnitSelection selection{std::move(*units), options.all, {}, {options.jobs, options.json}};
    if (!options.expect.empty() && !(selection.expected = ParseExpectation(options.expect)))
        return std::nullopt;
    return selection;
}

void AddUnitArgument(CLI::App* command, std::string& unit) {
    command->add_option("UNIT", unit, "Serial number or 0x location id")->required();
}

void AddPresetFileArgument(CLI::App* command, std::string& file) {
    command->add_option("FILE", file, "Preset file (.orq730)")->required();
}

void AddJsonFlag(CLI::App* command, bool& json, const char* what) {
    command->add_flag("--json", json, what);
}

void AddJobsOption(CLI::App* command, unsigned& jobs) {
    command->add_option("--jobs", jobs, "Units worked on at once (default: all)")
        ->check(CLI::Range(1u, 1000u));
}

void AddExpectOption(CLI::App* command, std::string& expect) {
    command->add_option("--expect", expect,
                        "With --all: at least N units, or these units (a comma list)");
}

} // namespace orqsyv::cli
