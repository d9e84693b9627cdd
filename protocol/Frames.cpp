#include "Frames.h"

#include "Crc16.h"

#include <algorithm>

namespace {

constexpr std::uint8_t HostHeader0 = 0x52; // 'R'
constexpr std::uint8_t HostHeader1 = 0x50; // 'P'
constexpr std::uint8_t CommandLength = 2;
constexpr std::uint8_t BlockLength = 41;
constexpr int ReplyErrorByte = 15;
constexpr int ReplyProtocolByte = 3;

} // namespace

CommandFrame BuildCommandFrame(std::uint8_t code, std::uint8_t value) {
    CommandFrame frame{};
    frame[0] = HostHeader0;
    frame[1] = HostHeader1;
    frame[2] = CommandLength;
    frame[3] = code;
    frame[4] = value;
    StoreCrc16(frame.data(), CommandFrameSize - 2);
    return frame;
}

BlockWriteFrame BuildBlockWriteFrame(const RegisterBlock& block) {
    BlockWriteFrame frame{};
    frame[0] = HostHeader0;
    frame[1] = HostHeader1;
    frame[2] = BlockLength;
    frame[3] = BlockWriteCode;
    std::copy(block.begin(), block.end(), frame.begin() + 4);
    StoreCrc16(frame.data(), BlockWriteFrameSize - 2);
    return frame;
}

ReplyCheck ValidateReply(const StatusReply& reply) {
    if (reply[0] != HostHeader1 || reply[1] != HostHeader0)
        return {ResultBadHeader, 0};
    if (!CheckCrc16(reply.data(), ReplyCoveredBytes))
        return {ResultBadChecksum, 0};
    if (reply[ReplyProtocolByte] != AcceptedProtocol)
        return {ResultBadProtocol, 0};
    if (reply[ReplyErrorByte] != 0)
        return {ResultDeviceError, reply[ReplyErrorByte]};
    return {ResultNone, 0};
}

RegisterBlock RegistersOf(const StatusReply& reply) {
    RegisterBlock block{};
    std::copy_n(reply.begin() + ReplyRegistersOffset, RegisterCount, block.begin());
    return block;
}

std::uint8_t ReplyRegister(const StatusReply& reply, int offset) {
    return reply[static_cast<std::size_t>(ReplyRegistersOffset + offset)];
}
