// The open driver's table of the fourteen entry points and its LastFailure, for the exported
// library and for tests that call the driver without loading it. One driver state per process,
// whichever way it is reached.
#pragma once

#include "D2xxTypes.h"

namespace ftdi {

const D2xxApi& FtdiApi();

} // namespace ftdi
