// The open driver as a library: the fourteen entry points under their exported names, and the
// optional D2XX_LAST_FAILURE.
#include "FtdiDriver.h"

#define FT_EXPORT extern "C" __attribute__((visibility("default")))

#define D2XX_ENTRY(name, parameters, arguments)                                                    \
    FT_EXPORT FT_STATUS FT_##name parameters {                                                     \
        return ftdi::FtdiApi().name arguments;                                                     \
    }
#include "D2xxEntryPoints.h"

FT_EXPORT const char* D2XX_LAST_FAILURE() {
    return ftdi::FtdiApi().LastFailure();
}
