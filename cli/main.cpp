// orq-syv: the units' settings from a shell. Arguments are read and checked in full before the
// driver is asked anything, so bad input sends nothing.
#include "Commands.h"
#include "D2XXUnit_mod.h"
#include "D2xxLoader.h"
#include "PresetFile.h"
#include "PresetStore.h"
#include "SettingNames.h"
#include "SettingValues.h"

#include <CLI/CLI.hpp>

#include <cstdio>
#include <optional>

namespace {

void Usage(const std::string& text) {
    std::fprintf(stderr, "orq-syv: %s\n", text.c_str());
}

std::optional<std::vector<UnitRef>> ReadUnits(const std::vector<std::string>& texts) {
    std::vector<UnitRef> units;
    for (const std::string& text : texts) {
        std::optional<UnitRef> ref = ParseUnitRef(text);
        if (!ref) {
            Usage("\"" + text +
                  "\" is no unit: give a serial number (SV730101) or a location (0x1011)");
            return std::nullopt;
        }
        units.push_back(std::move(*ref));
    }
    return units;
}

std::optional<std::vector<Assignment>> ReadAssignments(const std::vector<std::string>& texts) {
    std::vector<Assignment> assignments;
    for (const std::string& text : texts) {
        const auto equals = text.find('=');
        if (equals == std::string::npos) {
            Usage("\"" + text + "\" is not NAME=VALUE");
            return std::nullopt;
        }
        const std::optional<int> offset = SettingOffset(text.substr(0, equals));
        if (!offset) {
            Usage("no setting \"" + text.substr(0, equals) + "\" (see orq-syv(1))");
            return std::nullopt;
        }
        const std::string value = text.substr(equals + 1);
        if (const ParsedValue parsed = ParseValueForAnyUnit(*offset, value); !parsed.value) {
            Usage(parsed.error);
            return std::nullopt;
        }
        assignments.push_back({*offset, value});
    }
    return assignments;
}

// The units of `load` and `factory`: those named, or with --all none, which means every one.
std::optional<std::vector<UnitRef>> ReadTargets(const std::vector<std::string>& texts, bool all) {
    if (all == !texts.empty()) {
        Usage("name the units or give --all, not both");
        return std::nullopt;
    }
    return ReadUnits(texts);
}

void LoadDriver() {
    const DriverLoad driver = LoadD2xxDriver();
    if (!driver.loaded)
        std::fprintf(stderr, "%s\n", driver.error.c_str());
    SetD2xxApi(driver.api);
    // No dialogs: the tool tells every failure on standard error itself.
    ShowLinkErrors = false;
}

} // namespace

int main(int argc, char** argv) {
    CLI::App app{"Settings of ORQ-SYV-730 units: list, show, set, presets, watch.", "orq-syv"};
    app.require_subcommand(1, 1);
    bool json = false;
    bool all = false;
    std::string unit;
    std::string file;
    std::vector<std::string> units;
    std::vector<std::string> settings;

    CLI::App* list =
        app.add_subcommand("list", "Probe like the device list and print the free units");
    list->add_flag("--json", json, "One JSON array");
    CLI::App* show = app.add_subcommand("show", "Print a unit's identity, input and settings");
    show->add_option("UNIT", unit, "Serial number or 0x location id")->required();
    show->add_flag("--json", json, "One JSON object");
    CLI::App* set = app.add_subcommand("set", "Set settings, one command each, in order");
    set->add_option("UNIT", unit, "Serial number or 0x location id")->required();
    set->add_option("SETTING", settings, "NAME=VALUE")->required();
    CLI::App* save = app.add_subcommand("save", "Save a unit's settings as a preset file");
    save->add_option("UNIT", unit, "Serial number or 0x location id")->required();
    save->add_option("FILE", file, "Preset file (.orq730)")->required();
    CLI::App* load = app.add_subcommand("load", "Load a preset file into units");
    load->add_option("FILE", file, "Preset file (.orq730)")->required();
    load->add_option("UNIT", units, "Serial numbers or 0x location ids");
    load->add_flag("--all", all, "Every free unit");
    CLI::App* factory = app.add_subcommand("factory", "Load the factory settings into units");
    factory->add_option("UNIT", units, "Serial numbers or 0x location ids");
    factory->add_flag("--all", all, "Every free unit");
    CLI::App* watch = app.add_subcommand("watch", "Print each change of a unit until interrupted");
    watch->add_option("UNIT", unit, "Serial number or 0x location id")->required();
    watch->add_flag("--json", json, "One JSON object a line");

    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& error) {
        const int status = app.exit(error);
        return status == 0 ? ExitDone : ExitUsage;
    }

    if (list->parsed()) {
        LoadDriver();
        return ListCommand(json);
    }
    if (load->parsed() || factory->parsed()) {
        const std::optional<std::vector<UnitRef>> targets = ReadTargets(units, all);
        if (!targets)
            return ExitUsage;
        RegisterBlock preset{};
        if (load->parsed() && !ReadPresetFile(file, preset)) {
            std::fprintf(stderr, "%s: Invalid File Format\n", file.c_str());
            return ExitFile;
        }
        LoadDriver();
        return load->parsed() ? LoadCommand(preset, *targets) : FactoryCommand(*targets);
    }
    const std::optional<std::vector<UnitRef>> refs = ReadUnits({unit});
    if (!refs)
        return ExitUsage;
    const UnitRef& ref = refs->front();
    std::vector<Assignment> assignments;
    if (set->parsed()) {
        std::optional<std::vector<Assignment>> read = ReadAssignments(settings);
        if (!read)
            return ExitUsage;
        assignments = std::move(*read);
    }
    LoadDriver();
    if (show->parsed())
        return ShowCommand(ref, json);
    if (save->parsed())
        return SaveCommand(ref, file);
    if (watch->parsed())
        return WatchCommand(ref, json);
    return SetCommand(ref, assignments);
}
