#include "DeviceRegisters.h"

namespace {

constexpr RegisterInfo Status(int offset, const char* name) {
    return {offset, name, RegisterAccess::Status, 0, 0, 255, 255, 0};
}

// Settings share one range on both generations unless given a second maximum.
constexpr RegisterInfo Setting(int offset, const char* name, std::uint8_t max,
                               std::uint8_t factoryDefault, std::uint8_t maxGen2 = 0) {
    return {offset, name, RegisterAccess::Setting,      static_cast<std::uint8_t>(offset + 1),
            0,      max,  maxGen2 == 0 ? max : maxGen2, factoryDefault};
}

constexpr std::uint8_t GainMax = 120;
constexpr std::uint8_t GainUnity = 60; // 0 dB
constexpr std::uint8_t MicGainMax = 63;
constexpr std::uint8_t MicGainDefault = 32; // 47.00 dB
constexpr std::uint8_t SdiSourceMax = 11;

bool ValidOffset(int offset) {
    return offset >= 0 && offset < RegisterCount;
}

} // namespace

const std::array<RegisterInfo, RegisterCount> DeviceRegisters = {{
    Status(0, "InputFormat"),
    Status(1, "InputAudioGroups"),
    // The error count is reported by the unit; its command only resets it, so the default
    // block carries the reset value.
    {2, "EdhCrcErrors", RegisterAccess::Resettable, 3, 0, 255, 255, 1},
    Setting(3, "OutputFormat", 16, 0),
    Setting(4, "Bars", 1, 0),
    Setting(5, "LossMode", 3, 1),
    Setting(6, "OutputAudioGroup1", 1, 1),
    Setting(7, "OutputAudioGroup2", 1, 1),
    Setting(8, "OutputAudioGroup3", 1, 1),
    Setting(9, "OutputAudioGroup4", 1, 1),
    Setting(10, "SdiSource1", SdiSourceMax, 1),
    Setting(11, "SdiSource2", SdiSourceMax, 2),
    Setting(12, "SdiSource3", SdiSourceMax, 3),
    Setting(13, "SdiSource4", SdiSourceMax, 4),
    Setting(14, "SdiSource5", SdiSourceMax, 5),
    Setting(15, "SdiSource6", SdiSourceMax, 6),
    Setting(16, "SdiSource7", SdiSourceMax, 7),
    Setting(17, "SdiSource8", SdiSourceMax, 8),
    Setting(18, "SdiGain1", GainMax, GainUnity),
    Setting(19, "SdiGain2", GainMax, GainUnity),
    Setting(20, "SdiGain3", GainMax, GainUnity),
    Setting(21, "SdiGain4", GainMax, GainUnity),
    Setting(22, "SdiGain5", GainMax, GainUnity),
    Setting(23, "SdiGain6", GainMax, GainUnity),
    Setting(24, "SdiGain7", GainMax, GainUnity),
    Setting(25, "SdiGain8", GainMax, GainUnity),
    Setting(26, "MicGain1", MicGainMax, MicGainDefault),
    Setting(27, "MicGain2", MicGainMax, MicGainDefault),
    Setting(28, "MicGain3", MicGainMax, MicGainDefault),
    Setting(29, "MicGain4", MicGainMax, MicGainDefault),
    Setting(30, "MicPhantom1", 1, 0),
    Setting(31, "MicPhantom2", 1, 0),
    Setting(32, "MicPhantom3", 1, 0),
    Setting(33, "MicPhantom4", 1, 0),
    Setting(34, "ExtConfig1", 2, 1, 1),
    Setting(35, "ExtConfig2", 2, 1, 1),
    Setting(36, "ExtSource1", 9, 1, 11),
    Setting(37, "ExtSource2", 9, 2, 11),
    Setting(38, "ExtGain1", GainMax, GainUnity),
    Setting(39, "ExtGain2", GainMax, GainUnity),
}};

std::uint8_t RegisterMax(int offset, int generation) {
    if (!ValidOffset(offset))
        return 0;
    const RegisterInfo& info = DeviceRegisters[static_cast<std::size_t>(offset)];
    return generation == 2 ? info.maxGen2 : info.maxGen1;
}

bool CommandValueAccepted(int offset, std::uint8_t value, int generation) {
    if (!ValidOffset(offset))
        return false;
    const RegisterInfo& info = DeviceRegisters[static_cast<std::size_t>(offset)];
    switch (info.access) {
    case RegisterAccess::Status:
        return false;
    case RegisterAccess::Resettable:
        return value == 1;
    case RegisterAccess::Setting:
        return value >= info.minValue && value <= RegisterMax(offset, generation);
    }
    return false;
}

RegisterBlock FactoryDefaultBlock() {
    RegisterBlock block{};
    for (const RegisterInfo& info : DeviceRegisters)
        block[static_cast<std::size_t>(info.offset)] = info.factoryDefault;
    return block;
}

std::uint16_t ModelNumberOf(std::uint8_t high, std::uint8_t low) {
    return static_cast<std::uint16_t>((high << 8) | low);
}

bool ExtVariant(int variant) {
    return variant >= 2 && variant <= 5;
}

bool AesVariant(int variant) {
    return variant == 3 || variant == 5;
}

bool MicVariant(int variant) {
    return variant == 1 || variant == 4 || variant == 5;
}

bool RegisterOnVariant(int offset, int variant) {
    if (offset >= RegMicGain1 && offset < RegExtConfig1)
        return MicVariant(variant);
    if (offset >= RegExtConfig1 && offset < RegisterCount)
        return ExtVariant(variant);
    return ValidOffset(offset);
}

bool ChoiceOnVariant(int offset, std::uint8_t value, int variant) {
    if (!RegisterOnVariant(offset, variant))
        return false;
    const bool extConfig = offset == RegExtConfig1 || offset == RegExtConfig1 + 1;
    return !(extConfig && value == 0) || MicVariant(variant);
}

int GenerationOf(std::uint8_t softwareMajor, std::uint8_t fpgaFirst) {
    switch (softwareMajor + fpgaFirst) {
    case 2:
        return 1;
    case 4:
        return 2;
    default:
        return 0;
    }
}
