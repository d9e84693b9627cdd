// The three frames exchanged with a unit, their builders and the check of a received reply.
// Pure functions over bytes: no I/O.
#pragma once

#include "WorkerResult.h"

#include <array>
#include <cstdint>

inline constexpr int CommandFrameSize = 7;
inline constexpr int BlockWriteFrameSize = 46;
inline constexpr int StatusReplySize = 58;
inline constexpr int RegisterCount = 40;

// Offset of the register block inside a StatusReply (and a preset file).
inline constexpr int ReplyRegistersOffset = 16;
// Reply bytes covered by the reply checksum.
inline constexpr int ReplyCoveredBytes = 56;

inline constexpr std::uint8_t PollCode = 0;
inline constexpr std::uint8_t BlockWriteCode = 255;
inline constexpr std::uint8_t AcceptedProtocol = 0x40;

using CommandFrame = std::array<std::uint8_t, CommandFrameSize>;
using BlockWriteFrame = std::array<std::uint8_t, BlockWriteFrameSize>;
using StatusReply = std::array<std::uint8_t, StatusReplySize>;
using RegisterBlock = std::array<std::uint8_t, RegisterCount>;

// "RP", length 2, code, value, checksum. Code 255 belongs to the block write and is never put in
// this frame: callers turn it into a BlockWriteFrame.
CommandFrame BuildCommandFrame(std::uint8_t code, std::uint8_t value);

// "RP", length 41, code 255, the forty register bytes, checksum.
BlockWriteFrame BuildBlockWriteFrame(const RegisterBlock& block);

struct ReplyCheck {
    WorkerResult result = ResultNone;
    std::uint8_t deviceError = 0; // byte 15, kept only with ResultDeviceError
};

// Checks 58 received bytes in this order, stopping at the first failure: header "PR" (3),
// checksum (4), protocol byte 0x40 (5), device error byte 0 (6); otherwise ResultNone.
ReplyCheck ValidateReply(const StatusReply& reply);

// Copies the register block out of a reply.
RegisterBlock RegistersOf(const StatusReply& reply);
// The value of register `offset` (0..39) in a reply: its byte 16 + offset.
std::uint8_t ReplyRegister(const StatusReply& reply, int offset);
