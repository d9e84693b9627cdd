// orq-syv: the units' settings from a shell. Arguments are read and checked in full before the
// driver is asked anything, so bad input sends nothing.
#include "Commands.h"
#include "D2XXUnit_mod.h"
#include "D2xxLoader.h"
#include "SettingNames.h"
#include "SettingValues.h"
#include "StandardOutput.h"

#include <CLI/CLI.hpp>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <optional>

namespace {

constexpr const char* UnitHelp = "Serial number or 0x location id";

void Usage(const std::string& text) {
    PrintErr("orq-syv: " + text + "\n");
}

std::optional<UnitRef> ReadUnit(const std::string& text) {
    std::optional<UnitRef> ref = ParseUnitRef(text);
    if (!ref)
        Usage("\"" + text +
              "\" is no unit: give a serial number (SV730101) or a location (0x1011)");
    return ref;
}

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

std::optional<int> ReadSettingName(const std::string& name) {
    const std::optional<int> offset = SettingOffset(name);
    if (!offset)
        Usage("no setting \"" + name + "\" (see orq-syv(1))");
    return offset;
}

std::optional<std::vector<Assignment>> ReadAssignments(const std::vector<std::string>& texts) {
    std::vector<Assignment> assignments;
    for (const std::string& text : texts) {
        const auto equals = text.find('=');
        if (equals == std::string::npos) {
            Usage("\"" + text + "\" is not NAME=VALUE");
            return std::nullopt;
        }
        const std::optional<int> offset = ReadSettingName(text.substr(0, equals));
        if (!offset)
            return std::nullopt;
        const std::string value = text.substr(equals + 1);
        if (const ParsedValue parsed = ParseValueForAnyUnit(*offset, value); !parsed.value) {
            Usage(parsed.error);
            return std::nullopt;
        }
        assignments.push_back({*offset, value});
    }
    return assignments;
}

void LoadDriver() {
    const DriverLoad driver = LoadD2xxDriver();
    if (!driver.loaded)
        PrintErr(driver.error + "\n");
    SetD2xxApi(driver.api);
    // No dialogs: the tool tells every failure on standard error itself.
    ShowLinkErrors = false;
}

// Everything the command line can say; each command reads what it needs.
struct Arguments {
    bool json = false;
    bool all = false;
    bool dryRun = false;
    unsigned jobs = 0;
    std::optional<unsigned> count;
    std::string expect;
    std::string unit;
    std::string file;
    std::vector<std::string> units;
    std::vector<std::string> settings;
};

// The units of `load` and `factory`: those named, or with --all every one, and how to go at
// them. None after telling the usage error.
std::optional<UnitSelection> ReadSelection(const Arguments& args) {
    if (args.all == !args.units.empty()) {
        Usage("name the units or give --all, not both");
        return std::nullopt;
    }
    if (!args.expect.empty() && !args.all) {
        Usage("--expect goes with --all");
        return std::nullopt;
    }
    std::optional<std::vector<UnitRef>> units = ReadUnits(args.units);
    if (!units)
        return std::nullopt;
    UnitSelection selection{std::move(*units), args.all, {}, {args.jobs, args.json}};
    if (!args.expect.empty() && !(selection.expected = ParseExpectation(args.expect)))
        return std::nullopt;
    return selection;
}

ExitStatus Run(CLI::App& app, const Arguments& args) {
    const auto is = [&](const char* name) { return app.got_subcommand(name); };
    if (is("preset"))
        return PresetShowCommand(args.file, args.json);
    if (is("list")) {
        std::optional<Expectation> expected;
        if (!args.expect.empty() && !(expected = ParseExpectation(args.expect)))
            return ExitUsage;
        LoadDriver();
        return ListCommand(args.json, args.jobs, expected);
    }
    if (is("apply")) {
        LoadDriver();
        return ApplyCommand(args.file, args.dryRun, {args.jobs, args.json});
    }
    if (is("load") || is("factory")) {
        std::optional<UnitSelection> selection = ReadSelection(args);
        if (!selection)
            return ExitUsage;
        RegisterBlock preset{};
        if (is("load") && !ReadPreset(args.file, preset))
            return ExitFile;
        LoadDriver();
        return is("load") ? LoadCommand(preset, *selection, args.dryRun)
                          : FactoryCommand(*selection);
    }
    const std::optional<UnitRef> ref = ReadUnit(args.unit);
    if (!ref)
        return ExitUsage;
    std::vector<Assignment> assignments;
    std::vector<int> offsets;
    RegisterBlock preset{};
    if (is("set")) {
        std::optional<std::vector<Assignment>> read = ReadAssignments(args.settings);
        if (!read)
            return ExitUsage;
        assignments = std::move(*read);
    }
    for (const std::string& name : is("get") ? args.settings : std::vector<std::string>{}) {
        const std::optional<int> offset = ReadSettingName(name);
        if (!offset)
            return ExitUsage;
        offsets.push_back(*offset);
    }
    if (is("diff") && !ReadPreset(args.file, preset))
        return ExitFile;
    LoadDriver();
    if (is("show"))
        return ShowCommand(*ref, args.json);
    if (is("get"))
        return GetCommand(*ref, offsets);
    if (is("save"))
        return SaveCommand(*ref, args.file);
    if (is("watch"))
        return WatchCommand(*ref, args.json, args.count);
    if (is("diff"))
        return LoadCommand(preset, OneUnit(*ref), true);
    return SetCommand(*ref, assignments, args.json);
}

} // namespace

int main(int argc, char** argv) {
    // A reader that has gone is a failed write, and a file-size limit a failed save, rather than
    // signals that end the tool with a unit open or a temporary file left behind. Windows has
    // neither signal: there both are failed writes already.
#if !defined(_WIN32)
    std::signal(SIGPIPE, SIG_IGN);
    std::signal(SIGXFSZ, SIG_IGN);
#endif

    CLI::App app{"Settings of ORQ-SYV-730 units: list, show, set, presets, watch.", "orq-syv"};
    app.set_version_flag("--version", "orq-syv " ORQ_SYV_VERSION);
    app.require_subcommand(1, 1);
    Arguments args;
    const auto json = [&](CLI::App* command, const char* what) {
        command->add_flag("--json", args.json, what);
    };
    const auto jobs = [&](CLI::App* command) {
        command->add_option("--jobs", args.jobs, "Units worked on at once (default: all)")
            ->check(CLI::Range(1u, 1000u));
    };
    const auto expect = [&](CLI::App* command) {
        command->add_option("--expect", args.expect,
                            "With --all: at least N units, or these units (a comma list)");
    };
    const auto unit = [&](CLI::App* command) {
        command->add_option("UNIT", args.unit, UnitHelp)->required();
    };
    const auto targets = [&](CLI::App* command) {
        command->add_option("UNIT", args.units, "Serial numbers or 0x location ids");
        command->add_flag("--all", args.all, "Every free unit");
        expect(command);
        jobs(command);
        json(command, "One JSON object a unit, a line each");
    };

    CLI::App* list = app.add_subcommand("list", "Probe like the device list and print the units");
    json(list, "One JSON array");
    expect(list);
    jobs(list);
    CLI::App* show = app.add_subcommand("show", "Print a unit's identity, input and settings");
    unit(show);
    json(show, "One JSON object");
    CLI::App* get = app.add_subcommand("get", "Print settings as name=value lines for the shell");
    unit(get);
    get->add_option("NAME", args.settings, "Setting names")->required();
    CLI::App* set = app.add_subcommand("set", "Set settings, one command each, in order");
    unit(set);
    set->add_option("SETTING", args.settings, "NAME=VALUE")->required();
    json(set, "One JSON object");
    CLI::App* save = app.add_subcommand("save", "Save a unit's settings as a preset file");
    unit(save);
    save->add_option("FILE", args.file, "Preset file (.orq730)")->required();
    CLI::App* load = app.add_subcommand("load", "Load a preset file into units");
    load->add_option("FILE", args.file, "Preset file (.orq730)")->required();
    targets(load);
    load->add_flag("--dry-run", args.dryRun, "Tell what would change; send nothing");
    targets(app.add_subcommand("factory", "Load the factory settings into units"));
    CLI::App* diff = app.add_subcommand("diff", "Tell what loading a preset would change");
    diff->add_option("FILE", args.file, "Preset file (.orq730)")->required();
    unit(diff);
    CLI::App* preset = app.add_subcommand("preset", "Preset files");
    preset->require_subcommand(1, 1);
    CLI::App* presetShow = preset->add_subcommand("show", "Print a preset file's settings");
    presetShow->add_option("FILE", args.file, "Preset file (.orq730)")->required();
    json(presetShow, "One JSON object");
    CLI::App* apply = app.add_subcommand("apply", "Bring a rack to the presets of a rack file");
    apply->add_option("RACKFILE", args.file, "Rack file (see orq-syv(1))")->required();
    apply->add_flag("--dry-run", args.dryRun, "Tell what would change; send nothing");
    jobs(apply);
    json(apply, "One JSON object a unit, a line each");
    CLI::App* watch = app.add_subcommand("watch", "Print each change of a unit until interrupted");
    unit(watch);
    json(watch, "One JSON object a line");
    watch->add_option("--count", args.count, "End after N lines")->check(CLI::Range(1u, ~0u));

    if (argc < 2) {
        Usage("name a command (see orq-syv --help)");
        return ExitUsage;
    }
    const auto named = [&](CLI::App* command) { return command->get_name() == argv[1]; };
    if (argv[1][0] != '-' && app.get_subcommands(named).empty()) {
        Usage(std::string("no command \"") + argv[1] + "\" (see orq-syv --help)");
        return ExitUsage;
    }
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& error) {
        const int status = app.exit(error);
        return status == 0 ? ExitDone : ExitUsage;
    }

    ExitStatus status = Run(app, args);
    const int error = OutputError();
    // A watch ends when its reader goes; anything else that cannot be written is a failure.
    if (error != 0 && !(watch->parsed() && error == EPIPE)) {
        Usage(std::string("standard output: ") + std::strerror(error));
        status = Worst(status, ExitFile);
    }
    return status;
}
