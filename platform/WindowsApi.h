// The Windows API, without the macros of <windows.h> that clash with the C++ library. Included
// only under _WIN32.
#pragma once

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX // the C++ library of MinGW defines it already
#define NOMINMAX
#endif
#include <windows.h>
