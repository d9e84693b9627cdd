// The bash completion offers the tool's own setting names: all of them to `get`, and with "=" the
// ones `set` takes. A name the tool renamed or a status register offered to `set` fails here.
#include "DeviceRegisters.h"
#include "SettingNames.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

namespace {

using orqsyv::cli::SettingName;

// What the completion offers after `words`, the last one being completed.
std::vector<std::string> Completions(const std::string& words) {
    const std::string script = "source '" ORQ_SYV_COMPLETION "'; COMP_WORDS=(" + words +
                               "); COMP_CWORD=$((${#COMP_WORDS[@]} - 1)); _orq_syv; "
                               "printf '%s\\n' \"${COMPREPLY[@]}\"";
    std::FILE* pipe =
        popen(("bash -c \"$(cat <<'SCRIPT'\n" + script + "\nSCRIPT\n)\"").c_str(), "r");
    std::vector<std::string> offered;
    char line[256];
    while (pipe && std::fgets(line, sizeof line, pipe)) {
        std::string word(line);
        if (!word.empty() && word.back() == '\n')
            word.pop_back();
        if (!word.empty())
            offered.push_back(word);
    }
    if (pipe)
        pclose(pipe);
    return offered;
}

TEST(Completion, OffersTheToolsSettingNames) {
    std::vector<std::string> all;
    std::vector<std::string> settable;
    for (const RegisterInfo& info : DeviceRegisters) {
        all.push_back(SettingName(info.offset));
        if (info.access != RegisterAccess::Status)
            settable.push_back(SettingName(info.offset) + "=");
    }
    EXPECT_EQ(Completions("orq-syv get SV730101 ''"), all);
    EXPECT_EQ(Completions("orq-syv set SV730101 bars=on ''"), settable);
    EXPECT_EQ(Completions("orq-syv set SV730101 sdi-gain-1"),
              std::vector<std::string>{"sdi-gain-1="});
}

} // namespace
