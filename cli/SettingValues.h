// A register's value as the tool shows it and takes it: the panel's texts (a gain with " dB"
// after it), decibels for a gain, or the register's number. What each register is comes from
// the codec's register table.
#pragma once

#include "DeviceRegisters.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace orqsyv::cli {

// The text the panel shows for `value` of register `offset`: "HD 1080i/60", "1.5 dB",
// "47.00 dB", "ON", "SDI IN CH 3/4". The input audio groups read as the digits of the groups
// present ("1 2 4"), "none" when there are none.
std::string ValueText(int offset, std::uint8_t value, const UnitKind& kind);

// ValueText with the number after it: "HD 1080i/60 (3)".
std::string ValueWithNumber(int offset, std::uint8_t value, const UnitKind& kind);

// The value as `set` takes it back: ValueText, but a gain in decibels alone ("1.5", "47.00").
std::string PlainValueText(int offset, std::uint8_t value, const UnitKind& kind);

struct ParsedValue {
    std::optional<std::uint8_t> value; // set on success
    std::string error;                 // why not, otherwise: "NAME: why: "TEXT" (what is valid)"
};

// Reads `text` as a value to set into register `offset` on a unit of `kind`. Taken are, in any
// case and with spaces around them ignored: "raw:" and the register's number; for a gain any
// number, which is decibels ("0", "-6", "+1.5", "47", "1.50 dB"), and must fall on a gain step;
// for any other register the value's text as ValueText gives it, "on"/"off" for an on/off
// register, "reset" for the error count, or the register's number. Refused with what is valid
// (the range and step of a gain, the choices of a register, its numbers): a status register, a
// value beyond the register's range on this generation, between two gain steps, a register the
// variant lacks and a choice the panel does not offer on this variant.
ParsedValue ParseValue(int offset, std::string_view text, const UnitKind& kind);

// Whether `text` is a value of register `offset` on some unit of the family: the check made
// before any unit is opened, so that a value no unit takes sends nothing anywhere. A "no such
// value" names the choices of every unit.
ParsedValue ParseValueForAnyUnit(int offset, std::string_view text);

} // namespace orqsyv::cli
