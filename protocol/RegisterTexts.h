// Every text the program shows for a reply's bytes, and the value tables behind them. A code
// beyond its table never reads past it: it is shown as the code in decimal. Numbers are
// formatted with "." as decimal separator whatever the locale.
#pragma once

#include "DeviceRegisters.h"

#include <array>
#include <cstdint>
#include <string>

extern const std::array<const char*, 18> InputFormatNames;
extern const std::array<const char*, 17> OutputFormatNames;
extern const std::array<const char*, 2> BarsNames;
extern const std::array<const char*, 4> LossModeNames;
extern const std::array<std::array<const char*, 12>, 2> SdiSourceNames; // [AesVariant][code]
extern const std::array<const char*, 10> ExtSourceNames1;
extern const std::array<const char*, 12> ExtSourceNames2;
// [connector - 1][AesVariant][code]
extern const std::array<std::array<std::array<const char*, 3>, 2>, 2> ExtConfigNames1;
extern const std::array<std::array<std::array<const char*, 2>, 2>, 2> ExtConfigNames2;
extern const std::array<std::array<const char*, 2>, 2> ExtOutLabels; // [AesVariant][output - 1]
extern const std::array<const char*, 6> ModelSuffixes;               // [ModelVariant]

struct InputFormatText {
    std::string text;
    bool alarm; // "LOSS" and "Unknown" are alarms
};

// 0 "LOSS" (alarm), 1..16 their name, 17..255 "Unknown" (alarm).
InputFormatText InputFormatTextOf(std::uint8_t code);

std::string OutputFormatText(std::uint8_t code);
std::string BarsText(std::uint8_t code);
std::string LossModeText(std::uint8_t code);
std::string SdiSourceText(bool aes, std::uint8_t code);
std::string ExtSourceText(int generation, std::uint8_t code); // generation 1 or 2
std::string ExtConfigText(int generation, int connector, bool aes, std::uint8_t code);
std::string ExtOutLabel(bool aes, int output); // output 1 or 2

// Number of entries of the EXT source and configuration tables of a generation.
int ExtSourceCount(int generation);
int ExtConfigCount(int generation);

// The values of a Menu register on a unit of `unit`: how many its table row has (0 for a
// register that is no menu), and the text of one, its table row picked as the register's
// ValueTable says (ExtConfig's connector is the register's member).
int ChoiceCount(int offset, const UnitKind& unit);
std::string ChoiceText(int offset, std::uint8_t value, const UnitKind& unit);

// A value on `scale` in decibels with the scale's decimals. The separator is the one given,
// never the locale's.
std::string DecibelText(const GainScale& scale, int value, char decimalSeparator = '.');
// The decibels of a Gain register's value on its scale; a register that is no gain reads as an
// SDI gain.
std::string DecibelText(int offset, int value, char decimalSeparator = '.');
// (v - 60) / 10 with one decimal: 0 -> "-6.0", 60 -> "0.0", 120 -> "6.0".
std::string GainText(int value, char decimalSeparator = '.');
// 23 + 0.75 v with two decimals: 0 -> "23.00", 63 -> "70.25".
std::string MicGainText(int value, char decimalSeparator = '.');

// Protocol byte 0x40 -> "4.0" (each nibble in decimal).
std::string ProtocolVersionText(std::uint8_t protocol);
// Bytes 2, 5 -> "2.5".
std::string SoftwareVersionText(std::uint8_t major, std::uint8_t minor);
// Bytes 1, 3, 7, 12, 9 -> "1.3  07.12.09".
std::string FpgaVersionText(const std::uint8_t fpga[5]);

// The suffix of a variant: its ModelSuffixes entry, or "-" and the number above 5.
std::string ModelSuffix(int variant);
// "ORQ-SYV-" + model number + suffix.
std::string UnitName(std::uint16_t modelNumber, int variant);

// Audio group i (1..4) present in register 1: its digit, else "".
std::string AudioGroupText(std::uint8_t groups, int group);
// EDH/CRC error count in decimal; any nonzero count is an alarm.
std::string ErrorCountText(std::uint8_t count);

// An on/off register shows on when nonzero; a click on it sends 1 - (bit 0 of the value).
bool RegisterIsOn(std::uint8_t value);
std::uint8_t ToggleValue(std::uint8_t value);
