// The open driver the build made (libd2xxftdi.so), loaded once per process through the link
// layer's loader, as the program loads it.
#pragma once

#include "D2xxTypes.h"

namespace ftdiemu {

// The driver's table. Throws std::runtime_error, with the loader's reason, when it cannot be
// loaded.
const D2xxApi& OpenDriverApi();

} // namespace ftdiemu
