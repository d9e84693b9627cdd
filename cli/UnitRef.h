// How a command names a unit: by its USB serial number ("SV730101", any text the device list
// shows) or its USB location id in hexadecimal ("0x1011", "0xF0010002").
#pragma once

#include "D2xxTypes.h"

#include <optional>
#include <string>
#include <string_view>

namespace orqsyv::cli {

struct UnitRef {
    std::string text;              // as written
    std::optional<DWORD> location; // set for "0x..."; otherwise `text` is a serial number
};

// "0x" and 1 to 8 hexadecimal digits is a location; any other text of 1 to 16 bytes (what the
// bridge's serial number field holds) is a serial number. None for an empty or longer text, and
// for "0x" followed by anything but 1 to 8 hexadecimal digits: a serial number that looks like
// a location is named by its location.
std::optional<UnitRef> ParseUnitRef(std::string_view text);

// Whether `ref` names the listed device `node`; serial numbers compare exactly.
bool Names(const UnitRef& ref, const FT_DEVICE_LIST_INFO_NODE& node);

// The serial number of a listed device: its characters before the first NUL, at most 16.
std::string SerialOf(const FT_DEVICE_LIST_INFO_NODE& node);

// A location id as a unit is named by it: "0x1012".
std::string LocationText(DWORD location);

} // namespace orqsyv::cli
