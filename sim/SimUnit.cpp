#include "SimUnit.h"

#include "Crc16.h"

#include <algorithm>
#include <cmath>

namespace sim {

namespace {

constexpr std::uint8_t HostR = 0x52;
constexpr std::uint8_t HostP = 0x50;
constexpr std::uint8_t CommandLength = 2;
constexpr std::uint8_t BlockLength = 41;
// Frame bytes that are not counted by the length byte: header, length, checksum.
constexpr std::size_t FrameOverhead = 5;
// Bytes between a reply's length byte and its checksum.
constexpr std::uint8_t ReplyLength = StatusReplySize - FrameOverhead;

// Input formats and audio-group patterns a live unit walks through, one step every few seconds.
constexpr std::uint8_t LiveFormats[] = {8, 8, 3, 3, 0, 14, 14, 11};
constexpr std::uint8_t LiveGroups[] = {0x0F, 0x0F, 0x03, 0x07, 0x00, 0x0F, 0x01, 0x03};
constexpr double LiveStepSeconds = 4.0;

} // namespace

int UnitState::Generation() const {
    const int generation = GenerationOf(softwareMajor, fpga[0]);
    return generation == 0 ? 1 : generation;
}

UnitState MakeUnit(int variant, int generation) {
    UnitState unit;
    unit.variant = static_cast<std::uint8_t>(variant);
    if (generation == 2) {
        unit.softwareMajor = 2;
        unit.softwareMinor = 1;
        unit.fpga = {2, 0, 3, 11, 21};
    }
    return unit;
}

std::vector<std::vector<std::uint8_t>> FrameReceiver::Feed(const std::uint8_t* bytes,
                                                           std::size_t count) {
    pending_.insert(pending_.end(), bytes, bytes + count);
    std::vector<std::vector<std::uint8_t>> frames;
    std::size_t start = 0;
    while (pending_.size() - start >= 3) {
        const std::uint8_t* p = pending_.data() + start;
        if (p[0] != HostR || p[1] != HostP || (p[2] != CommandLength && p[2] != BlockLength)) {
            ++start;
            continue;
        }
        const std::size_t size = p[2] + FrameOverhead;
        if (pending_.size() - start < size)
            break;
        if (CheckCrc16(p, static_cast<int>(size) - 2))
            frames.emplace_back(p, p + size);
        start += size;
    }
    pending_.erase(pending_.begin(), pending_.begin() + static_cast<std::ptrdiff_t>(start));
    return frames;
}

void ApplyFrame(UnitState& unit, const std::vector<std::uint8_t>& frame) {
    const int generation = unit.Generation();
    const std::uint8_t code = frame[3];
    if (frame[2] == BlockLength) {
        if (code != BlockWriteCode)
            return;
        // The status registers are the unit's own measurements: a block cannot overwrite them.
        for (int offset = RegOutputFormat; offset < RegisterCount; ++offset) {
            const std::uint8_t value = frame[4 + offset];
            if (CommandValueAccepted(offset, value, generation))
                unit.registers[offset] = value;
        }
        return;
    }
    if (code == PollCode || code > RegisterCount || unit.faults.stubborn)
        return;
    const int offset = code - 1;
    const std::uint8_t value = frame[4];
    if (!CommandValueAccepted(offset, value, generation))
        return;
    unit.registers[offset] = offset == RegEdhCrcErrors ? 0 : value;
}

StatusReply HealthyReply(const UnitState& unit) {
    StatusReply reply{};
    reply[0] = HostP;
    reply[1] = HostR;
    reply[2] = ReplyLength;
    reply[ReplyProtocol] = AcceptedProtocol;
    reply[ReplyModelHigh] = static_cast<std::uint8_t>(unit.modelNumber >> 8);
    reply[ReplyModelLow] = static_cast<std::uint8_t>(unit.modelNumber & 0xFF);
    reply[ReplyVariant] = unit.variant;
    reply[7] = unit.byte7;
    reply[ReplySoftwareMajor] = unit.softwareMajor;
    reply[ReplySoftwareMinor] = unit.softwareMinor;
    std::copy(unit.fpga.begin(), unit.fpga.end(), reply.begin() + ReplyFpga);
    std::copy(unit.registers.begin(), unit.registers.end(), reply.begin() + ReplyRegistersOffset);
    StoreCrc16(reply.data(), ReplyCoveredBytes);
    return reply;
}

std::vector<std::uint8_t> BuildReply(const UnitState& unit) {
    const UnitFaults& faults = unit.faults;
    if (faults.noReply)
        return {};
    StatusReply reply = HealthyReply(unit);
    if (faults.wrongHeader) {
        reply[0] = HostR;
        reply[1] = HostP;
    }
    reply[ReplyProtocol] = faults.protocolByte;
    reply[ReplyDeviceError] = faults.deviceError;
    StoreCrc16(reply.data(), ReplyCoveredBytes);
    if (faults.wrongChecksum)
        reply[ReplyCoveredBytes + 1] ^= 0x01;
    std::vector<std::uint8_t> bytes(reply.begin(), reply.end());
    bytes.resize(static_cast<std::size_t>(std::max(0, faults.replyLength)), 0);
    return bytes;
}

void UpdateLiveInput(UnitState& unit, double elapsedSeconds) {
    constexpr std::size_t steps = std::size(LiveFormats);
    const auto step = static_cast<std::size_t>(std::max(0.0, elapsedSeconds) / LiveStepSeconds);
    unit.registers[RegInputFormat] = LiveFormats[step % steps];
    unit.registers[RegInputAudioGroups] = LiveGroups[step % steps];
    // An error now and then while there is an input; a reset brings the count back to 0 and it
    // goes on counting from there.
    if (step % 5 == 4 && unit.registers[RegInputFormat] != 0 &&
        unit.registers[RegEdhCrcErrors] < 255 && unit.liveErrorStep != step) {
        unit.liveErrorStep = step;
        ++unit.registers[RegEdhCrcErrors];
    }
}

} // namespace sim
