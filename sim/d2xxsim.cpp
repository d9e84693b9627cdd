// The simulator as a driver library: the fourteen entry points under their exported names,
// acting on the bus that ORQ_SYV_SIM describes (the default bus when it is unset). The bus is
// built on the first call.
#include "SimConfig.h"
#include "SimDriver.h"

#include <cstdio>
#include <cstdlib>
#include <mutex>

namespace {

const D2xxApi& Driver() {
    static std::once_flag built;
    std::call_once(built, [] {
        const char* config = std::getenv("ORQ_SYV_SIM");
        std::shared_ptr<sim::SimBus> bus;
        if (!config) {
            bus = sim::DefaultBus();
        } else {
            std::string error;
            bus = sim::BusFromConfig(config, error);
            if (!bus) {
                std::fprintf(stderr, "ORQ_SYV_SIM: %s; no devices simulated\n", error.c_str());
                bus = std::make_shared<sim::SimBus>();
            }
        }
        bus->KeepLogs(false);
        if (const char* frames = std::getenv("ORQ_SYV_SIM_FRAMES"))
            bus->WriteFramesTo(frames);
        sim::InstallBus(bus);
    });
    return sim::SimApi();
}

} // namespace

#if defined(_WIN32)
#define SIM_EXPORT extern "C" __declspec(dllexport)
#else
#define SIM_EXPORT extern "C" __attribute__((visibility("default")))
#endif

#define D2XX_ENTRY(name, parameters, arguments)                                                    \
    SIM_EXPORT FT_STATUS FT_API FT_##name parameters {                                             \
        return Driver().name arguments;                                                            \
    }
#include "D2xxEntryPoints.h"
