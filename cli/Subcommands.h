// The tool's subcommands. Each Add function puts one on the tool's command line with its options
// and returns how to run it once the line is parsed. A run reads and checks its arguments in
// full before the driver is asked anything, so bad input sends nothing.
#pragma once

#include "ExitStatus.h"

#include <CLI/CLI.hpp>

#include <functional>

namespace orqsyv::cli {

struct Subcommand {
    CLI::App* command;
    std::function<ExitStatus()> run;
    // Its output goes to a reader that may stop reading: the reader gone is its end, not a
    // failure.
    bool endsWhenReaderGoes = false;
};

Subcommand AddList(CLI::App& tool);
Subcommand AddShow(CLI::App& tool);
Subcommand AddGet(CLI::App& tool);
Subcommand AddSet(CLI::App& tool);
Subcommand AddSave(CLI::App& tool);
Subcommand AddLoad(CLI::App& tool);
Subcommand AddFactory(CLI::App& tool);
Subcommand AddDiff(CLI::App& tool);
Subcommand AddPreset(CLI::App& tool);
Subcommand AddApply(CLI::App& tool);
Subcommand AddWatch(CLI::App& tool);

} // namespace orqsyv::cli
