// orq-syv: the units' settings from a shell. main wires the subcommands onto the command line,
// runs the one named and turns a failed write on standard output into the tool's status.
#include "Reporter.h"
#include "StandardOutput.h"
#include "Subcommands.h"

#include <CLI/CLI.hpp>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <string>
#include <vector>

namespace {

using namespace orqsyv::cli;

// Whether `name` (the first word after the tool's) is an option or one of the tool's commands.
bool KnownFirstWord(CLI::App& tool, const char* name) {
    return name[0] == '-' ||
           !tool.get_subcommands([&](CLI::App* command) { return command->get_name() == name; })
                .empty();
}

// `status`, or worse when standard output could not be written: anything that cannot be
// written is a failure, except for a subcommand that ends when its reader goes.
ExitStatus WithOutputError(ExitStatus status, const Subcommand& ran) {
    const int error = OutputError();
    if (error == 0 || (ran.endsWhenReaderGoes && error == EPIPE))
        return status;
    ReportUsage(std::string("standard output: ") + std::strerror(error));
    return Worst(status, ExitFile);
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

    CLI::App tool{"Settings of ORQ-SYV-730 units: list, show, set, presets, watch.", "orq-syv"};
    tool.set_version_flag("--version", "orq-syv " ORQ_SYV_VERSION);
    tool.require_subcommand(1, 1);
    const std::vector<Subcommand> subcommands = {AddList(tool),    AddShow(tool), AddGet(tool),
                                                 AddSet(tool),     AddSave(tool), AddLoad(tool),
                                                 AddFactory(tool), AddDiff(tool), AddPreset(tool),
                                                 AddApply(tool),   AddWatch(tool)};

    if (argc < 2) {
        ReportUsage("name a command (see orq-syv --help)");
        return ExitUsage;
    }
    if (!KnownFirstWord(tool, argv[1])) {
        ReportUsage(std::string("no command \"") + argv[1] + "\" (see orq-syv --help)");
        return ExitUsage;
    }
    try {
        tool.parse(argc, argv);
    } catch (const CLI::ParseError& error) {
        return tool.exit(error) == 0 ? ExitDone : ExitUsage;
    }
    for (const Subcommand& subcommand : subcommands)
        if (subcommand.command->parsed())
            return WithOutputError(subcommand.run(), subcommand);
    return ExitUsage;
}
