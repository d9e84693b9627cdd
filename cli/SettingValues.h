// A register's value as the tool shows it and takes it: the panel's texts (a gain with " dB"
// after it), or the register's number.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// What the texts of a register depend on.
struct UnitKind {
    int variant = 0;    // ModelVariant
    int generation = 1; // 1, or 2 for any other value, as the panel takes it
};

// The text the panel shows for `value` of register `offset`: "HD 1080i/60", "1.5 dB",
// "47.00 dB", "ON", "SDI IN CH 3/4". The input audio groups read as the digits of the groups
// present ("1 2 4"), "none" when there are none.
std::string ValueText(int offset, std::uint8_t value, const UnitKind& kind);

struct ParsedValue {
    std::optional<std::uint8_t> value; // set on success
    std::string error;                 // why not, otherwise
};

// Reads `text` as a value to set into register `offset` on a unit of `kind`. Taken are, in any
// case and with spaces around them ignored: the value's text as ValueText gives it; for a gain
// the decibels alone ("+1.5", "-6", "1.50 dB", "47 dB"); "on"/"off" for an on/off register;
// "reset" for the error count; or the register's number in decimal. A number with a sign or a
// decimal point is decibels, a bare whole number the register's value. Fails for a status
// register, a value beyond the register's range on this generation, a register the variant
// lacks and a choice the panel does not offer on this variant.
ParsedValue ParseValue(int offset, std::string_view text, const UnitKind& kind);

// Whether `text` is a value of register `offset` on some unit of the family: the check made
// before any unit is opened, so that a value no unit takes sends nothing anywhere.
ParsedValue ParseValueForAnyUnit(int offset, std::string_view text);
