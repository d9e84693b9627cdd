// Fuzz target of the simulator's configuration text. Any text is taken or refused with a
// reason, and a bus that is taken lists its devices with unique locations.
#include "SimConfig.h"

#include <cstdlib>
#include <set>
#include <string>
#include <vector>

namespace {

void Require(bool holds) {
    if (!holds)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string error;
    const auto bus =
        sim::BusFromConfig(std::string(reinterpret_cast<const char*>(data), size), error);
    if (!bus) {
        Require(!error.empty());
        return 0;
    }
    DWORD count = 0;
    Require(bus->CreateDeviceInfoList(&count) == FT_OK);
    std::vector<FT_DEVICE_LIST_INFO_NODE> nodes(count);
    Require(bus->GetDeviceInfoList(nodes.data(), &count) == FT_OK);
    std::set<DWORD> locations;
    for (const FT_DEVICE_LIST_INFO_NODE& node : nodes)
        Require(locations.insert(node.LocId).second);
    return 0;
}
