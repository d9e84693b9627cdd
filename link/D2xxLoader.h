// Loading the D2XX driver library at run time. The program is never linked against the driver,
// so it starts, and can say so, when none is installed.
#pragma once

#include "D2xxTypes.h"

#include <string>
#include <vector>

// The table used when no driver is loaded: every entry answers FT_OTHER_ERROR and writes
// nothing through its pointers.
D2xxApi UnloadedD2xxApi();

// The driver library's file name on this platform: "FTD2XX.DLL" on Windows and
// "libftd2xx.dylib" on macOS, found on the system's library search path; on Linux the open
// driver "libd2xxftdi.so", looked for in the program's directories only (DriverSearchOrder).
std::string DefaultDriverLibrary();

// The library files to try, in order. `chosen` (the value of ORQ_SYV_D2XX) alone when it is
// set and not empty. Otherwise, on Linux, DefaultDriverLibrary() in `programDir` (the
// program's own directory, ending in '/'), then in the installed private library directory as
// seen from there (the program installed in <prefix>/bin finds <prefix>/<libdir>/
// orq-syv-settings, whatever the prefix); elsewhere DefaultDriverLibrary() alone. An empty
// `programDir` (the system did not tell) leaves the Linux list empty.
std::vector<std::string> DriverSearchOrder(const char* chosen, const std::string& programDir);

struct DriverLoad {
    D2xxApi api;         // the library's entry points, or the unloaded table
    bool loaded = false; // all fourteen entry points were found
    std::string library; // the file loaded; when none could be, the first one tried
    std::string error;   // why nothing was loaded; empty otherwise
};

// Tries the files of DriverSearchOrder(ORQ_SYV_D2XX, the running program's directory) in turn,
// takes the first that loads and resolves the fourteen entry points from it, and the optional
// D2XX_LAST_FAILURE when the library has it (api.LastFailure, else null). No file that
// loads, or one that lacks an entry point, yields the unloaded table and an error naming every
// file tried and why, or what was missing. A library that was resolved stays loaded for the
// life of the process.
DriverLoad LoadD2xxDriver();
