#include "DeviceRegisters.h"

namespace {

bool ValidOffset(int offset) {
    return offset >= 0 && offset < RegisterCount;
}

bool VariantHas(VariantNeed need, int variant) {
    switch (need) {
    case VariantNeed::None:
        return true;
    case VariantNeed::Mic:
        return MicVariant(variant);
    case VariantNeed::Ext:
        return ExtVariant(variant);
    }
    return false;
}

} // namespace

int RegisterOfCommand(std::uint8_t code) {
    return code >= 1 && code <= RegisterCount ? code - 1 : -1;
}

std::uint8_t RegisterMax(int offset, int generation) {
    if (!ValidOffset(offset))
        return 0;
    const RegisterInfo& info = RegisterAt(offset);
    return generation == 2 ? info.maxGen2 : info.maxGen1;
}

bool CommandValueAccepted(int offset, std::uint8_t value, int generation) {
    if (!ValidOffset(offset))
        return false;
    const RegisterInfo& info = RegisterAt(offset);
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
    return ValidOffset(offset) && VariantHas(RegisterAt(offset).needs, variant);
}

bool ChoiceEnabled(int offset, std::uint8_t value, int variant) {
    return ValidOffset(offset) && (value != 0 || VariantHas(RegisterAt(offset).zeroNeeds, variant));
}

bool ChoiceOnVariant(int offset, std::uint8_t value, int variant) {
    return RegisterOnVariant(offset, variant) && ChoiceEnabled(offset, value, variant);
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
