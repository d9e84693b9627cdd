// The register table: what each of the unit's forty registers is (its kind), its range on each
// generation, the step of a gain, the text table that names its values, the variant that has
// it and its factory value. The panel and the tool read their registers through it rather
// than knowing offsets.
#pragma once

#include "Frames.h"

#include <array>
#include <cstddef>
#include <cstdint>

// Register offsets inside the block (reply byte = 16 + offset). A numbered family is named by
// its first register.
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

// What a register's value is, and so how it is shown and read back.
enum class RegisterKind {
    InputFormat, // the input's video format: a text, an alarm for no input or an unknown one
    AudioGroups, // bits 0..3: the input's audio groups 1..4 present
    ErrorCount,  // a count in decimal, an alarm above zero
    Menu,        // one of the texts of its ValueTable, chosen from a drop-down menu
    Toggle,      // on when nonzero; a click asks for the opposite
    Gain,        // decibels on its GainScale, set by a track bar
};

// The text table of a Menu register, and what picks the table's row besides the value.
enum class ValueTable {
    None,         // not a menu
    OutputFormat, // OutputFormatNames
    Bars,         // BarsNames
    LossMode,     // LossModeNames
    SdiSource,    // SdiSourceNames, row AesVariant
    ExtSource,    // ExtSourceNames1 or ExtSourceNames2 by generation
    ExtConfig,    // ExtConfigNames1 or ExtConfigNames2 by generation, then connector, AesVariant
};

// A variant flag that a register, or one of its values, needs.
enum class VariantNeed {
    None,
    Mic, // MicVariant: four microphone inputs
    Ext, // ExtVariant: two EXT connectors
};

// Decibels of a gain value v: (origin + step × v) in units of 10^-decimals dB, shown with that
// many decimals.
struct GainScale {
    int origin;
    int step;
    int decimals;
};
// SDI and EXT outputs: (v - 60) / 10, so -6.0 .. +6.0 dB in 0.1 dB steps.
inline constexpr GainScale OutputGainScale{-60, 1, 1};
// Microphone inputs: 23 + 0.75 v, so 23.00 .. 70.25 dB in 0.75 dB steps.
inline constexpr GainScale MicGainScale{2300, 75, 2};

// One register. The range of the EXT configuration and source registers depends on the
// generation, hence two maxima; for every other register they are equal.
struct RegisterInfo {
    int offset = 0;
    const char* name = "";
    RegisterAccess access = RegisterAccess::Status;
    std::uint8_t commandCode = 0; // 0 = never commanded; otherwise offset + 1
    std::uint8_t minValue = 0;
    std::uint8_t maxGen1 = 255;
    std::uint8_t maxGen2 = 255;
    std::uint8_t factoryDefault = 0;
    RegisterKind kind = RegisterKind::InputFormat;
    ValueTable table = ValueTable::None; // Menu registers only
    const GainScale* scale = nullptr;    // Gain registers only
    // The first register of its numbered family (itself when alone), and its number in the
    // family from 1 (the EXT connector of ExtConfig).
    RegisterOffset family = RegInputFormat;
    std::uint8_t member = 1;
    VariantNeed needs = VariantNeed::None;     // the units that have it: shown, loaded from presets
    VariantNeed zeroNeeds = VariantNeed::None; // what value 0 needs besides, to be a choice
    bool alarmWhenOn = false;                  // a nonzero value is shown as an alarm
};

// Helpers that build the table's rows: a setting is commanded by its offset + 1 and takes
// 0..max on both generations unless a row says otherwise.
namespace register_table {

constexpr RegisterInfo Status(int offset, const char* name, RegisterKind kind) {
    return {.offset = offset,
            .name = name,
            .kind = kind,
            .family = static_cast<RegisterOffset>(offset)};
}

constexpr RegisterInfo Setting(RegisterOffset family, int member, const char* name,
                               RegisterKind kind, std::uint8_t max, std::uint8_t factoryDefault,
                               VariantNeed needs) {
    const int offset = family + member - 1;
    return {.offset = offset,
            .name = name,
            .access = RegisterAccess::Setting,
            .commandCode = static_cast<std::uint8_t>(offset + 1),
            .maxGen1 = max,
            .maxGen2 = max,
            .factoryDefault = factoryDefault,
            .kind = kind,
            .family = family,
            .member = static_cast<std::uint8_t>(member),
            .needs = needs};
}

constexpr RegisterInfo Menu(RegisterOffset family, int member, const char* name, ValueTable table,
                            std::uint8_t max, std::uint8_t factoryDefault,
                            VariantNeed needs = VariantNeed::None) {
    RegisterInfo info =
        Setting(family, member, name, RegisterKind::Menu, max, factoryDefault, needs);
    info.table = table;
    return info;
}

constexpr RegisterInfo Toggle(RegisterOffset family, int member, const char* name,
                              std::uint8_t factoryDefault, VariantNeed needs = VariantNeed::None) {
    return Setting(family, member, name, RegisterKind::Toggle, 1, factoryDefault, needs);
}

constexpr RegisterInfo Gain(RegisterOffset family, int member, const char* name,
                            const GainScale& scale, std::uint8_t max, std::uint8_t factoryDefault,
                            VariantNeed needs = VariantNeed::None) {
    RegisterInfo info =
        Setting(family, member, name, RegisterKind::Gain, max, factoryDefault, needs);
    info.scale = &scale;
    return info;
}

// A status register whose command takes only the value 1, which clears it; the default block
// carries that value.
constexpr RegisterInfo Resettable(RegisterInfo info) {
    info.access = RegisterAccess::Resettable;
    info.commandCode = static_cast<std::uint8_t>(info.offset + 1);
    info.factoryDefault = 1;
    return info;
}

// A generation-2 unit's range differs.
constexpr RegisterInfo Generation2Max(RegisterInfo info, std::uint8_t max) {
    info.maxGen2 = max;
    return info;
}

constexpr RegisterInfo AlarmWhenOn(RegisterInfo info) {
    info.alarmWhenOn = true;
    return info;
}

constexpr RegisterInfo ZeroNeeds(RegisterInfo info, VariantNeed need) {
    info.zeroNeeds = need;
    return info;
}

inline constexpr std::uint8_t GainMax = 120;
inline constexpr std::uint8_t GainUnity = 60; // 0 dB
inline constexpr std::uint8_t MicGainMax = 63;
inline constexpr std::uint8_t MicGainDefault = 32; // 47.00 dB
inline constexpr std::uint8_t SdiSourceMax = 11;

} // namespace register_table

inline constexpr std::array<RegisterInfo, RegisterCount> DeviceRegisters = [] {
    using namespace register_table;
    using K = RegisterKind;
    using T = ValueTable;
    using V = VariantNeed;
    return std::array<RegisterInfo, RegisterCount>{{
        Status(0, "InputFormat", K::InputFormat),
        Status(1, "InputAudioGroups", K::AudioGroups),
        Resettable(Status(2, "EdhCrcErrors", K::ErrorCount)),
        Menu(RegOutputFormat, 1, "OutputFormat", T::OutputFormat, 16, 0),
        AlarmWhenOn(Menu(RegBars, 1, "Bars", T::Bars, 1, 0)),
        Menu(RegLossMode, 1, "LossMode", T::LossMode, 3, 1),
        Toggle(RegOutputAudioGroup1, 1, "OutputAudioGroup1", 1),
        Toggle(RegOutputAudioGroup1, 2, "OutputAudioGroup2", 1),
        Toggle(RegOutputAudioGroup1, 3, "OutputAudioGroup3", 1),
        Toggle(RegOutputAudioGroup1, 4, "OutputAudioGroup4", 1),
        // Pair n takes SDI input pair n.
        Menu(RegSdiSource1, 1, "SdiSource1", T::SdiSource, SdiSourceMax, 1),
        Menu(RegSdiSource1, 2, "SdiSource2", T::SdiSource, SdiSourceMax, 2),
        Menu(RegSdiSource1, 3, "SdiSource3", T::SdiSource, SdiSourceMax, 3),
        Menu(RegSdiSource1, 4, "SdiSource4", T::SdiSource, SdiSourceMax, 4),
        Menu(RegSdiSource1, 5, "SdiSource5", T::SdiSource, SdiSourceMax, 5),
        Menu(RegSdiSource1, 6, "SdiSource6", T::SdiSource, SdiSourceMax, 6),
        Menu(RegSdiSource1, 7, "SdiSource7", T::SdiSource, SdiSourceMax, 7),
        Menu(RegSdiSource1, 8, "SdiSource8", T::SdiSource, SdiSourceMax, 8),
        Gain(RegSdiGain1, 1, "SdiGain1", OutputGainScale, GainMax, GainUnity),
        Gain(RegSdiGain1, 2, "SdiGain2", OutputGainScale, GainMax, GainUnity),
        Gain(RegSdiGain1, 3, "SdiGain3", OutputGainScale, GainMax, GainUnity),
        Gain(RegSdiGain1, 4, "SdiGain4", OutputGainScale, GainMax, GainUnity),
        Gain(RegSdiGain1, 5, "SdiGain5", OutputGainScale, GainMax, GainUnity),
        Gain(RegSdiGain1, 6, "SdiGain6", OutputGainScale, GainMax, GainUnity),
        Gain(RegSdiGain1, 7, "SdiGain7", OutputGainScale, GainMax, GainUnity),
        Gain(RegSdiGain1, 8, "SdiGain8", OutputGainScale, GainMax, GainUnity),
        Gain(RegMicGain1, 1, "MicGain1", MicGainScale, MicGainMax, MicGainDefault, V::Mic),
        Gain(RegMicGain1, 2, "MicGain2", MicGainScale, MicGainMax, MicGainDefault, V::Mic),
        Gain(RegMicGain1, 3, "MicGain3", MicGainScale, MicGainMax, MicGainDefault, V::Mic),
        Gain(RegMicGain1, 4, "MicGain4", MicGainScale, MicGainMax, MicGainDefault, V::Mic),
        AlarmWhenOn(Toggle(RegMicPhantom1, 1, "MicPhantom1", 0, V::Mic)),
        AlarmWhenOn(Toggle(RegMicPhantom1, 2, "MicPhantom2", 0, V::Mic)),
        AlarmWhenOn(Toggle(RegMicPhantom1, 3, "MicPhantom3", 0, V::Mic)),
        AlarmWhenOn(Toggle(RegMicPhantom1, 4, "MicPhantom4", 0, V::Mic)),
        // Code 0 of an EXT connector is the microphone input, which only a MicVariant has.
        ZeroNeeds(
            Generation2Max(Menu(RegExtConfig1, 1, "ExtConfig1", T::ExtConfig, 2, 1, V::Ext), 1),
            V::Mic),
        ZeroNeeds(
            Generation2Max(Menu(RegExtConfig1, 2, "ExtConfig2", T::ExtConfig, 2, 1, V::Ext), 1),
            V::Mic),
        Generation2Max(Menu(RegExtSource1, 1, "ExtSource1", T::ExtSource, 9, 1, V::Ext), 11),
        Generation2Max(Menu(RegExtSource1, 2, "ExtSource2", T::ExtSource, 9, 2, V::Ext), 11),
        Gain(RegExtGain1, 1, "ExtGain1", OutputGainScale, GainMax, GainUnity, V::Ext),
        Gain(RegExtGain1, 2, "ExtGain2", OutputGainScale, GainMax, GainUnity, V::Ext),
    }};
}();

// The row of register `offset`, which must be 0..39.
constexpr const RegisterInfo& RegisterAt(int offset) {
    return DeviceRegisters[static_cast<std::size_t>(offset)];
}

// How many registers the family that starts at `family` has (SdiGain: 8).
constexpr std::size_t FamilySize(RegisterOffset family) {
    std::size_t size = 0;
    for (const RegisterInfo& info : DeviceRegisters)
        size += info.family == family ? 1 : 0;
    return size;
}

// Register `member` (from 1) of the family that starts at `family`: SdiGain3 is
// FamilyMember(RegSdiGain1, 3). `member` must be within the family.
constexpr const RegisterInfo& FamilyMember(RegisterOffset family, std::size_t member) {
    return RegisterAt(family + static_cast<int>(member) - 1);
}
