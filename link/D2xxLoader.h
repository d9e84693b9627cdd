// Loading the D2XX driver library at run time. The program is never linked against the driver,
// so it starts, and can say so, when none is installed.
#pragma once

#include "D2xxTypes.h"

#include <string>

// The table used when no driver is loaded: every entry answers FT_OTHER_ERROR and writes
// nothing through its pointers.
D2xxApi UnloadedD2xxApi();

// The driver library's file name on this platform: "FTD2XX.DLL", "libftd2xx.so" or
// "libftd2xx.dylib", found on the system's library search path.
std::string DefaultDriverLibrary();

struct DriverLoad {
    D2xxApi api;         // the library's entry points, or the unloaded table
    bool loaded = false; // all fourteen entry points were found
    std::string library; // the file that was asked for
    std::string error;   // what was missing when not loaded; empty otherwise
};

// Loads the library named by the environment variable ORQ_SYV_D2XX when it is set and not
// empty, else DefaultDriverLibrary(), and resolves the fourteen entry points. A library that
// cannot be loaded or lacks an entry point yields the unloaded table and an error naming what
// was missing. A library that was resolved stays loaded for the life of the process.
DriverLoad LoadD2xxDriver();
