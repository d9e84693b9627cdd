// The entry points of the simulated driver, acting on one installed bus.
#pragma once

#include "D2xxTypes.h"
#include "SimBus.h"

#include <memory>

namespace sim {

// Makes `bus` the one the entry points act on (null: none; every call then answers
// FT_DEVICE_NOT_FOUND). Returns the bus it replaces.
std::shared_ptr<SimBus> InstallBus(std::shared_ptr<SimBus> bus);

// The installed bus, or null.
std::shared_ptr<SimBus> InstalledBus();

// The driver table over the installed bus, for the link layer.
const D2xxApi& SimApi();

} // namespace sim
