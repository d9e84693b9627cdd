// A rack described in one file, for `apply`: one unit a line, its serial number (or location
// id), a label and a preset file, separated by blanks. A field in double quotes may hold
// blanks; a field that starts with '#' starts a comment that runs to the end of the line; blank
// lines are left alone. A preset file's path is taken from the rack file's own directory unless
// it is absolute.
//
//     # studio A, evening
//     SV730101  "Studio A left"  evening-a.orq730
//     SV730102  studio-b         /srv/presets/evening-b.orq730
#pragma once

#include "Frames.h"
#include "UnitRef.h"

#include <optional>
#include <string>
#include <vector>

namespace orqsyv::cli {

struct RackUnit {
    UnitRef unit;
    std::string label;
    std::string preset;  // the path as resolved
    RegisterBlock block; // the preset's registers, before the variant rules
};

// Reads the rack file at `path` and every preset file it names. On the first problem tells it
// on standard error ("rack.txt:3: ..." or "cannot read rack.txt: ...") and returns none: a line
// that is not three fields, a name that is no unit's, a unit named twice, a preset file that
// cannot be read or is none, a file that names no unit.
std::optional<std::vector<RackUnit>> ReadRackFile(const std::string& path);

} // namespace orqsyv::cli
