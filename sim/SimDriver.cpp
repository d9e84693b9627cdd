#include "SimDriver.h"

#include <mutex>
#include <utility>

namespace sim {

namespace {

std::mutex installMutex;
std::shared_ptr<SimBus> installed;

// Runs `call` on the installed bus; with none installed every call answers "not found". The bus
// is held for the length of the call, so replacing it meanwhile is safe.
template <typename Call> FT_STATUS OnBus(Call call) {
    const std::shared_ptr<SimBus> bus = InstalledBus();
    return bus ? call(*bus) : FT_DEVICE_NOT_FOUND;
}

// Each entry point runs its namesake of the installed bus.
#define D2XX_ENTRY(name, parameters, arguments)                                                    \
    FT_STATUS FT_API name parameters {                                                             \
        return OnBus([&](SimBus& bus) { return bus.name arguments; });                             \
    }
#include "D2xxEntryPoints.h"

constexpr D2xxApi Table = {
#define D2XX_ENTRY(name, parameters, arguments) name,
#include "D2xxEntryPoints.h"
};

} // namespace

std::shared_ptr<SimBus> InstallBus(std::shared_ptr<SimBus> bus) {
    std::lock_guard lock(installMutex);
    return std::exchange(installed, std::move(bus));
}

std::shared_ptr<SimBus> InstalledBus() {
    std::lock_guard lock(installMutex);
    return installed;
}

const D2xxApi& SimApi() {
    return Table;
}

} // namespace sim
