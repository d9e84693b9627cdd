#include "Subcommands.h"

#include "Arguments.h"
#include "D2XXUnit_mod.h"
#include "D2xxLoader.h"
#include "Reporter.h"

#include <memory>

namespace orqsyv::cli {

namespace {

// Hands the link layer the driver's entry points, or the table that fails every call after
// telling why there is none. No dialogs: the tool tells every failure on standard error itself.
void LoadDriver() {
    const DriverLoad driver = LoadD2xxDriver();
    if (!driver.loaded)
        Report(driver.error);
    SetD2xxApi(driver.api);
    ShowLinkErrors = false;
}

// Runs `command` on the unit that `unit` names, with the driver loaded.
template <typename Command> ExitStatus OnUnit(const std::string& unit, Command command) {
    const std::optional<UnitRef> ref = ReadUnit(unit);
    if (!ref)
        return ExitUsage;
    LoadDriver();
    return command(*ref);
}

} // namespace

Subcommand AddList(CLI::App& tool) {
    struct Options {
        bool json = false;
        std::string expect;
        unsigned jobs = 0;
    };
    const auto options = std::make_shared<Options>();
    CLI::App* list = tool.add_subcommand("list", "Probe like the device list and print the units");
    AddJsonFlag(list, options->json, "One JSON array");
    AddExpectOption(list, options->expect);
    AddJobsOption(list, options->jobs);
    return {list, [options] {
                std::optional<Expectation> expected;
                if (!options->expect.empty() && !(expected = ParseExpectation(options->expect)))
                    return ExitUsage;
                LoadDriver();
                return ListCommand(options->json, options->jobs, expected);
            }};
}

Subcommand AddShow(CLI::App& tool) {
    struct Options {
        std::string unit;
        bool json = false;
    };
    const auto options = std::make_shared<Options>();
    CLI::App* show = tool.add_subcommand("show", "Print a unit's identity, input and settings");
    AddUnitArgument(show, options->unit);
    AddJsonFlag(show, options->json, "One JSON object");
    return {show, [options] {
                return OnUnit(options->unit,
                              [&](const UnitRef& ref) { return ShowCommand(ref, options->json); });
            }};
}

Subcommand AddGet(CLI::App& tool) {
    struct Options {
        std::string unit;
        std::vector<std::string> names;
    };
    const auto options = std::make_shared<Options>();
    CLI::App* get = tool.add_subcommand("get", "Print settings as name=value lines for the shell");
    AddUnitArgument(get, options->unit);
    get->add_option("NAME", options->names, "Setting names")->required();
    return {get, [options] {
                const std::optional<UnitRef> ref = ReadUnit(options->unit);
                if (!ref)
                    return ExitUsage;
                const std::optional<std::vector<int>> offsets = ReadSettingNames(options->names);
                if (!offsets)
                    return ExitUsage;
                LoadDriver();
                return GetCommand(*ref, *offsets);
            }};
}

Subcommand AddSet(CLI::App& tool) {
    struct Options {
        std::string unit;
        std::vector<std::string> settings;
        bool json = false;
    };
    const auto options = std::make_shared<Options>();
    CLI::App* set = tool.add_subcommand("set", "Set settings, one command each, in order");
    AddUnitArgument(set, options->unit);
    set->add_option("SETTING", options->settings, "NAME=VALUE")->required();
    AddJsonFlag(set, options->json, "One JSON object");
    return {set, [options] {
                const std::optional<UnitRef> ref = ReadUnit(options->unit);
                if (!ref)
                    return ExitUsage;
                const std::optional<std::vector<Assignment>> assignments =
                    ReadAssignments(options->settings);
                if (!assignments)
                    return ExitUsage;
                LoadDriver();
                return SetCommand(*ref, *assignments, options->json);
            }};
}

Subcommand AddSave(CLI::App& tool) {
    struct Options {
        std::string unit;
        std::string file;
    };
    const auto options = std::make_shared<Options>();
    CLI::App* save = tool.add_subcommand("save", "Save a unit's settings as a preset file");
    AddUnitArgument(save, options->unit);
    AddPresetFileArgument(save, options->file);
    return {save, [options] {
                return OnUnit(options->unit,
                              [&](const UnitRef& ref) { return SaveCommand(ref, options->file); });
            }};
}

Subcommand AddLoad(CLI::App& tool) {
    struct Options {
        std::string file;
        TargetOptions targets;
        bool dryRun = false;
    };
    const auto options = std::make_shared<Options>();
    CLI::App* load = tool.add_subcommand("load", "Load a preset file into units");
    AddPresetFileArgument(load, options->file);
    AddTargetOptions(load, options->targets);
    load->add_flag("--dry-run", options->dryRun, "Tell what would change; send nothing");
    return {load, [options] {
                const std::optional<UnitSelection> selection = ReadSelection(options->targets);
                if (!selection)
                    return ExitUsage;
                RegisterBlock preset{};
                if (!ReadPreset(options->file, preset))
                    return ExitFile;
                LoadDriver();
                return LoadCommand(preset, *selection, options->dryRun);
            }};
}

Subcommand AddFactory(CLI::App& tool) {
    const auto options = std::make_shared<TargetOptions>();
    CLI::App* factory = tool.add_subcommand("factory", "Load the factory settings into units");
    AddTargetOptions(factory, *options);
    return {factory, [options] {
                const std::optional<UnitSelection> selection = ReadSelection(*options);
                if (!selection)
                    return ExitUsage;
                LoadDriver();
                return FactoryCommand(*selection);
            }};
}

Subcommand AddDiff(CLI::App& tool) {
    struct Options {
        std::string file;
        std::string unit;
    };
    const auto options = std::make_shared<Options>();
    CLI::App* diff = tool.add_subcommand("diff", "Tell what loading a preset would change");
    AddPresetFileArgument(diff, options->file);
    AddUnitArgument(diff, options->unit);
    return {diff, [options] {
                const std::optional<UnitRef> ref = ReadUnit(options->unit);
                if (!ref)
                    return ExitUsage;
                RegisterBlock preset{};
                if (!ReadPreset(options->file, preset))
                    return ExitFile;
                LoadDriver();
                return LoadCommand(preset, OneUnit(*ref), true);
            }};
}

Subcommand AddPreset(CLI::App& tool) {
    struct Options {
        std::string file;
        bool json = false;
    };
    const auto options = std::make_shared<Options>();
    CLI::App* preset = tool.add_subcommand("preset", "Preset files");
    preset->require_subcommand(1, 1);
    CLI::App* show = preset->add_subcommand("show", "Print a preset file's settings");
    AddPresetFileArgument(show, options->file);
    AddJsonFlag(show, options->json, "One JSON object");
    return {preset, [options] { return PresetShowCommand(options->file, options->json); }};
}

Subcommand AddApply(CLI::App& tool) {
    struct Options {
        std::string rackFile;
        bool dryRun = false;
        RunOptions run;
    };
    const auto options = std::make_shared<Options>();
    CLI::App* apply = tool.add_subcommand("apply", "Bring a rack to the presets of a rack file");
    apply->add_option("RACKFILE", options->rackFile, "Rack file (see orq-syv(1))")->required();
    apply->add_flag("--dry-run", options->dryRun, "Tell what would change; send nothing");
    AddJobsOption(apply, options->run.jobs);
    AddJsonFlag(apply, options->run.json, "One JSON object a unit, a line each");
    return {apply, [options] {
                LoadDriver();
                return ApplyCommand(options->rackFile, options->dryRun, options->run);
            }};
}

Subcommand AddWatch(CLI::App& tool) {
    struct Options {
        std::string unit;
        bool json = false;
        std::optional<unsigned> count;
    };
    const auto options = std::make_shared<Options>();
    CLI::App* watch = tool.add_subcommand("watch", "Print each change of a unit until interrupted");
    AddUnitArgument(watch, options->unit);
    AddJsonFlag(watch, options->json, "One JSON object a line");
    watch->add_option("--count", options->count, "End after N lines")->check(CLI::Range(1u, ~0u));
    return {watch,
            [options] {
                return OnUnit(options->unit, [&](const UnitRef& ref) {
                    return WatchCommand(ref, options->json, options->count);
                });
            },
            true};
}

} // namespace orqsyv::cli
