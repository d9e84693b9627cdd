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
constexpr std::size_t MicFirst = RegMicGain1;               // 26
constexpr std::size_t MicEnd = RegExtConfig1;               // 34, one past MicPhantom4
constexpr std::size_t ExtFirst = RegExtConfig1;             // 34
constexpr std::size_t ExtEnd = RegisterCount;               // 40, one past ExtGain2

static_assert(PresetFileSize == StatusReplySize);
static_assert(ReplyRegistersOffset + RegisterCount == ChecksumOffset);

void CopyRegisters(RegisterBlock& block, const StatusReply& reply, std::size_t first,
                   std::size_t end) {
    std::copy(reply.begin() + ReplyRegistersOffset + static_cast<std::ptrdiff_t>(first),
              reply.begin() + ReplyRegistersOffset + static_cast<std::ptrdiff_t>(end),
              block.begin() + static_cast<std::ptrdiff_t>(first));
}

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
    if (!MicVariant(variant))
        CopyRegisters(block, currentReply, MicFirst, MicEnd);
    if (!ExtVariant(variant))
        CopyRegisters(block, currentReply, ExtFirst, ExtEnd);
}
