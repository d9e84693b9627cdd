// The unit's forty one-byte registers, the identity bytes that precede them in a reply, the
// variant flags and the generation rule. Constants and pure functions only.
#pragma once

#include "Frames.h"

#include <array>
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

// Register offsets inside the block (reply byte = 16 + offset).
enum RegisterOffset : int {
    RegInputFormat = 0,
    RegInputAudioGroups = 1,
    RegEdhCrcErrors = 2,
    RegOutputFormat = 3,
    RegBars = 4,
    RegLossMode = 5,
    RegOutputAudioGroup1 = 6, // ..9
    RegSdiSource1 = 10,       // ..17
    RegSdiGain1 = 18,         // ..25
    RegMicGain1 = 26,         // ..29
    RegMicPhantom1 = 30,      // ..33
    RegExtConfig1 = 34,       // ..35
    RegExtSource1 = 36,       // ..37
    RegExtGain1 = 38,         // ..39
};

enum class RegisterAccess {
    Status,     // reported by the unit, never commanded
    Resettable, // status that one command value (1) clears
    Setting,    // commanded with any value of its range
};

// One register. The range of the EXT configuration and source registers depends on the
// generation, hence two maxima; for every other register they are equal.
struct RegisterInfo {
    int offset;
    const char* name;
    RegisterAccess access;
    std::uint8_t commandCode; // 0 = never commanded; otherwise offset + 1
    std::uint8_t minValue;
    std::uint8_t maxGen1;
    std::uint8_t maxGen2;
    std::uint8_t factoryDefault;
};

extern const std::array<RegisterInfo, RegisterCount> DeviceRegisters;

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

// Whether a unit of `variant` has what register `offset` serves: the microphone registers
// 26..33 only a MicVariant, the EXT registers 34..39 only an ExtVariant; every other register
// every unit. The registers are present on every unit all the same; this is what the panel
// shows and what a loaded preset may change.
bool RegisterOnVariant(int offset, int variant);
// Whether the panel offers `value` of register `offset` on a unit of `variant`: nothing of a
// register the unit lacks, and the microphone input of an EXT connector (ExtConfig code 0)
// only on a MicVariant. The range is CommandValueAccepted's business.
bool ChoiceOnVariant(int offset, std::uint8_t value, int variant);

// Generation from software major (reply byte 8) and first FPGA byte (byte 10): a sum of 2 is
// generation 1, a sum of 4 generation 2, anything else 0 (not a unit the program knows).
int GenerationOf(std::uint8_t softwareMajor, std::uint8_t fpgaFirst);
