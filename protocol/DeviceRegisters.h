// The identity bytes that precede the registers in a reply, the variant flags, the generation
// rule and the rules over the register table. Constants and pure functions only.
#pragma once

#include "Frames.h"
#include "RegisterTable.h"

#include <cstdint>

// Reply byte offsets of the identity and version fields.
enum ReplyByte : int {
    ReplyProtocol = 3,
    ReplyModelHigh = 4,
    ReplyModelLow = 5,
    ReplyVariant = 6,
    ReplySoftwareMajor = 8,
    ReplySoftwareMinor = 9,
    ReplyFpga = 10, // five bytes, 10..14
    ReplyDeviceError = 15,
};

// The register that command `code` sets (code - 1 for 1..40); -1 for any other code.
int RegisterOfCommand(std::uint8_t code);

// Largest value a register takes on a unit of the given generation (1 or 2; any other value
// is treated as 1).
std::uint8_t RegisterMax(int offset, int generation);

// True when `value` may be set into register `offset` by its command on a unit of `generation`.
// Registers 0 and 1 accept nothing; register 2 accepts only 1 (the reset).
bool CommandValueAccepted(int offset, std::uint8_t value, int generation);

// The factory-default register block.
RegisterBlock FactoryDefaultBlock();

inline constexpr std::uint16_t FamilyModelNumber = 730;
inline constexpr int KnownVariantCount = 6;

// Model number from reply bytes 4 (high) and 5 (low).
std::uint16_t ModelNumberOf(std::uint8_t high, std::uint8_t low);

// Variant flags of ModelVariant 0..5; any other variant has none of them.
bool ExtVariant(int variant); // two EXT connectors: variants 2..5
bool AesVariant(int variant); // EXT audio is AES: variants 3 and 5
bool MicVariant(int variant); // four microphone inputs: variants 1, 4 and 5

// What a register's range, texts and presence depend on: the unit's ModelVariant and its
// DeviceGeneration as handed over.
struct UnitKind {
    int variant = 0;
    int generation = 1;
    // The generation whose ranges and tables apply: 1 for generation 1, 2 for any other value.
    int TableGeneration() const { return generation == 1 ? 1 : 2; }
};

// Whether a unit of `variant` has what register `offset` serves (the table's `needs`): the
// microphone registers 26..33 only a MicVariant, the EXT registers 34..39 only an ExtVariant;
// every other register every unit. The registers are present on every unit all the same; this
// is what the panel shows and what a loaded preset may change.
bool RegisterOnVariant(int offset, int variant);
// Whether `value` of register `offset` is a choice a unit of `variant` can make, whether or not
// it has the register (the table's `zeroNeeds`): the microphone input of an EXT connector
// (ExtConfig code 0) only on a MicVariant.
bool ChoiceEnabled(int offset, std::uint8_t value, int variant);
// Whether the panel offers `value` of register `offset` on a unit of `variant`: nothing of a
// register the unit lacks, and else what ChoiceEnabled allows. The range is
// CommandValueAccepted's business.
bool ChoiceOnVariant(int offset, std::uint8_t value, int variant);

// Generation from software major (reply byte 8) and first FPGA byte (byte 10): a sum of 2 is
// generation 1, a sum of 4 generation 2, anything else 0 (not a unit the program knows).
int GenerationOf(std::uint8_t softwareMajor, std::uint8_t fpgaFirst);
