#include "OpenDriver.h"

#include "D2xxLoader.h"

#include <cstdlib>
#include <stdexcept>

namespace ftdiemu {

const D2xxApi& OpenDriverApi() {
    static const D2xxApi api = [] {
        setenv("ORQ_SYV_D2XX", ORQ_D2XXFTDI_PATH, 1);
        const DriverLoad load = LoadD2xxDriver();
        if (!load.loaded)
            throw std::runtime_error("cannot load the open driver: " + load.error);
        return load.api;
    }();
    return api;
}

} // namespace ftdiemu
