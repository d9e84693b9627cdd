// The bus of the simulator's shared library, from the environment variable ORQ_SYV_SIM.
#pragma once

#include "SimBus.h"

#include <memory>
#include <string>

namespace sim {

// Builds a bus from a configuration text (format in docs/simulator.md). On a malformed text returns
// null and puts the reason in `error`.
std::shared_ptr<SimBus> BusFromConfig(const std::string& config, std::string& error);

// The bus with ORQ_SYV_SIM unset: units of variant 0 generation 1, variant 4 generation 2 and
// variant 5 generation 1, an FT232R that is not a unit, and a unit open elsewhere; live input,
// wire timing.
std::shared_ptr<SimBus> DefaultBus();

} // namespace sim
