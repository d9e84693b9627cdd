// The names the tool gives the unit's registers: the register names of the codec's table in
// lower case, words joined by "-" and a trailing number set off by "-" ("SdiGain3" is
// "sdi-gain-3", "OutputFormat" is "output-format"). Scripts rely on them: they change only when
// a register is renamed in the table.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace orqsyv::cli {

// The name of register `offset` (0..39).
std::string SettingName(int offset);

// The register a name stands for, in any case and with "_" for "-" ("SDI_GAIN_3"); none
// for an unknown name.
std::optional<int> SettingOffset(std::string_view name);

} // namespace orqsyv::cli
