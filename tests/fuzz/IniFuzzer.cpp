// Fuzz target of the settings file reader. Any file reads without harm; a value written into it
// reads back the same after a save, whatever else the file holds; integers that read back are
// those written.
#include "IniFile.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

namespace {

void Require(bool holds) {
    if (!holds)
        std::abort();
}

std::string Scratch(const char* name) {
    return "/dev/shm/orq-ini-fuzz-" + std::to_string(getpid()) + "-" + name;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string path = Scratch("in.dat");
    if (std::FILE* file = std::fopen(path.c_str(), "wb")) {
        std::fwrite(data, 1, size, file);
        std::fclose(file);
    }
    IniFile ini(path);
    // Reading anything is harmless.
    (void)ini.ReadString("WINDOW", "PATH", "");
    (void)ini.ReadInteger("WINDOW", "LEFT", 0);
    (void)ini.ReadBool("window", "maximized", false);
    int ignored = 0;
    (void)IniFile::ParseInteger(std::string_view(reinterpret_cast<const char*>(data), size),
                                ignored);

    ini.WriteInteger("WINDOW", "LEFT", -17);
    ini.WriteString("WINDOW", "PATH", "/opt/presets/");
    ini.WriteBool("Other Section", "FLAG", true);
    Require(ini.Save());
    const IniFile again(path);
    Require(again.ReadInteger("window", "left", 0) == -17);
    Require(again.ReadString("WINDOW", "PATH", "") == "/opt/presets/");
    Require(again.ReadBool("OTHER SECTION", "flag", false));
    std::remove(path.c_str());
    return 0;
}
