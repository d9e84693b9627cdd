// How a command names a unit: by its USB serial number ("SV730101") or its USB location id in
// hexadecimal ("0x1011").
#pragma once

#include "D2xxTypes.h"

#include <optional>
#include <string>
#include <string_view>

struct UnitRef {
    std::string text;              // as written
    std::optional<DWORD> location; // set for "0x..."; otherwise `text` is a serial number
};

// None for a name that is neither: a serial number is 1 to 15 letters and digits (what the
// bridge's 16-byte field holds before its NUL), a location "0x" and 1 to 8 hexadecimal digits.
std::optional<UnitRef> ParseUnitRef(std::string_view text);

// Whether `ref` names the listed device `node`; serial numbers compare exactly.
bool Names(const UnitRef& ref, const FT_DEVICE_LIST_INFO_NODE& node);

// The serial number of a listed device: its characters before the first NUL, at most 16.
std::string SerialOf(const FT_DEVICE_LIST_INFO_NODE& node);
