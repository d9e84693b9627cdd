#include "PresetFile.h"

#include "Crc16.h"
#include "DeviceRegisters.h"

#include <algorithm>

namespace {

constexpr std::uint8_t HeaderR = 0x52;
constexpr std::uint8_t HeaderP = 0x50;
constexpr std::uint8_t ModelHigh = FamilyModelNumber >> 8;  // 0x02
constexpr std::uint8_t ModelLow = FamilyModelNumber & 0xFF; // 0xDA
constexpr int ChecksumOffset = ReplyCoveredBytes;           // 56

static_assert(PresetFileSize == StatusReplySize);
static_assert(ReplyRegistersOffset + RegisterCount == ChecksumOffset);

} // namespace

void FactoryDefaults(RegisterBlock& block) {
    block = FactoryDefaultBlock();
}

PresetFileBytes PresetBytes(const RegisterBlock& block) {
    PresetFileBytes bytes{};
    bytes[0] = HeaderR;
    bytes[1] = HeaderP;
    bytes[ReplyProtocol] = AcceptedProtocol;
    bytes[ReplyModelHigh] = ModelHigh;
    bytes[ReplyModelLow] = ModelLow;
    std::copy(block.begin(), block.end(), bytes.begin() + ReplyRegistersOffset);
    StoreCrc16(bytes.data(), ChecksumOffset);
    return bytes;
}

bool ParsePresetBytes(const std::uint8_t* data, std::size_t size, RegisterBlock& block) {
    if (size != PresetFileSize)
        return false;
    if (data[0] != HeaderR || data[1] != HeaderP)
        return false;
    if (!CheckCrc16(data, ChecksumOffset))
        return false;
    if (data[ReplyModelHigh] != ModelHigh || data[ReplyModelLow] != ModelLow)
        return false;
    std::copy_n(data + ReplyRegistersOffset, RegisterCount, block.begin());
    return true;
}

void ApplyVariantRules(RegisterBlock& block, std::uint32_t modelVariant,
                       const StatusReply& currentReply) {
    const int variant = static_cast<int>(modelVariant);
    for (int offset = 0; offset < RegisterCount; ++offset)
        if (!RegisterOnVariant(offset, variant))
            block[static_cast<std::size_t>(offset)] = ReplyRegister(currentReply, offset);
}
