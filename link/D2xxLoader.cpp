#include "D2xxLoader.h"

#include "ProgramPaths.h"

#include <cstdlib>
#include <string>
#include <type_traits>

#if defined(_WIN32)
#include "WindowsApi.h"
#else
#include <dlfcn.h>
#endif

namespace {

// Visits every entry point of a table with its exported name.
template <class Visit> void ForEachEntry(D2xxApi& api, Visit&& visit) {
#define D2XX_ENTRY(name, parameters, arguments) visit(api.name, "FT_" #name);
#include "D2xxEntryPoints.h"
}

// An entry point of any call shape that refuses every call.
template <class Entry> struct Refusal;
template <class... Args> struct Refusal<FT_STATUS(FT_API*)(Args...)> {
    static FT_STATUS FT_API Answer(Args...) { return FT_OTHER_ERROR; }
};

#if defined(_WIN32)
using LibraryHandle = HMODULE;

LibraryHandle OpenLibrary(const std::string& file) {
    return LoadLibraryA(file.c_str());
}

std::string LastLoadError() {
    return "error " + std::to_string(GetLastError());
}

// Casting through the catch-all function type keeps the conversion free of warnings.
using AnyEntry = void (*)();
AnyEntry FindEntry(LibraryHandle library, const char* name) {
    return reinterpret_cast<AnyEntry>(GetProcAddress(library, name));
}

void CloseLibrary(LibraryHandle library) {
    FreeLibrary(library);
}
#else
using LibraryHandle = void*;

LibraryHandle OpenLibrary(const std::string& file) {
    return dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
}

std::string LastLoadError() {
    const char* reason = dlerror();
    return reason != nullptr ? reason : "unknown reason";
}

void* FindEntry(LibraryHandle library, const char* name) {
    return dlsym(library, name);
}

void CloseLibrary(LibraryHandle library) {
    dlclose(library);
}
#endif

} // namespace

D2xxApi UnloadedD2xxApi() {
    D2xxApi api{};
    ForEachEntry(api, [](auto& entry, const char*) {
        entry = &Refusal<std::remove_reference_t<decltype(entry)>>::Answer;
    });
    return api;
}

std::string DefaultDriverLibrary() {
#if defined(_WIN32)
    return "FTD2XX.DLL";
#elif defined(__APPLE__)
    return "libftd2xx.dylib";
#else
    return "libd2xxftdi.so";
#endif
}

std::vector<std::string> DriverSearchOrder(const char* chosen, const std::string& programDir) {
    if (chosen != nullptr && *chosen != '\0') {
        return {chosen};
    }
#if defined(__linux__)
    if (programDir.empty()) {
        return {};
    }
    // ORQ_PKGLIB_FROM_BIN: the private library directory relative to the installed bin
    // directory, worked out by the build from the install layout.
    return {programDir + DefaultDriverLibrary(),
            programDir + ORQ_PKGLIB_FROM_BIN "/" + DefaultDriverLibrary()};
#else
    (void)programDir;
    return {DefaultDriverLibrary()};
#endif
}

DriverLoad LoadD2xxDriver() {
    DriverLoad load{UnloadedD2xxApi(), false, {}, {}};
    const std::vector<std::string> files =
        DriverSearchOrder(std::getenv("ORQ_SYV_D2XX"), DirectoryOf(OwnProgramPath()));
    if (files.empty()) {
        load.error = "cannot find the driver library: the program's directory is unknown";
        return load;
    }

    LibraryHandle library = nullptr;
    for (const std::string& file : files) {
        library = OpenLibrary(file);
        if (library != nullptr) {
            load.library = file;
            break;
        }
        load.error += load.error.empty() ? "cannot load the driver library " : "; nor ";
        load.error += file + ": " + LastLoadError();
    }
    if (library == nullptr) {
        load.library = files.front();
        return load;
    }
    load.error.clear();

    D2xxApi api{};
    std::string missing;
    ForEachEntry(api, [&](auto& entry, const char* name) {
        const auto found = FindEntry(library, name);
        if (found == nullptr) {
            missing += missing.empty() ? "" : ", ";
            missing += name;
            return;
        }
        entry = reinterpret_cast<std::remove_reference_t<decltype(entry)>>(found);
    });
    if (!missing.empty()) {
        CloseLibrary(library);
        load.error = "the driver library " + load.library + " lacks " + missing;
        return load;
    }

    api.LastFailure =
        reinterpret_cast<decltype(api.LastFailure)>(FindEntry(library, D2xxLastFailureName));
    // The library handle is dropped on purpose: the entry points are used until the end.
    load.api = api;
    load.loaded = true;
    return load;
}
