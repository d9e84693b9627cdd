#include "Frames.h"
#include "Crc16.h"

#include <gtest/gtest.h>

#include <utility>

namespace {

struct CommandCase {
    std::uint8_t code;
    std::uint8_t value;
    CommandFrame wire;
};

TEST(FramesTest, CommandFramesMatchTheWire) {
    const CommandCase cases[] = {
        {0, 0, {0x52, 0x50, 0x02, 0x00, 0x00, 0x0C, 0x2D}},
        {5, 1, {0x52, 0x50, 0x02, 0x05, 0x01, 0x9C, 0xEF}},
        {1, 3, {0x52, 0x50, 0x02, 0x01, 0x03, 0x9D, 0x6C}},
    };
    for (const CommandCase& c : cases)
        EXPECT_EQ(BuildCommandFrame(c.code, c.value), c.wire) << "code " << int(c.code);
}

TEST(FramesTest, BlockWriteFrameLayout) {
    RegisterBlock block{};
    for (std::size_t i = 0; i < block.size(); ++i)
        block[i] = static_cast<std::uint8_t>(200 + i);
    const BlockWriteFrame frame = BuildBlockWriteFrame(block);
    EXPECT_EQ(frame[0], 0x52);
    EXPECT_EQ(frame[1], 0x50);
    EXPECT_EQ(frame[2], 41);
    EXPECT_EQ(frame[3], 255);
    for (std::size_t i = 0; i < block.size(); ++i)
        EXPECT_EQ(frame[4 + i], block[i]) << "register " << i;
    const std::uint16_t crc = Crc16(frame.data(), 44);
    EXPECT_EQ(frame[44], crc & 0xFF);
    EXPECT_EQ(frame[45], crc >> 8);
}

enum class Sum { Good, Wrong, LowFirst };

struct ReplyCase {
    const char* name;
    std::uint8_t header0, header1, protocol, error;
    Sum sum;
    WorkerResult result;
    std::uint8_t deviceError;
};

StatusReply MakeReply(const ReplyCase& c) {
    StatusReply reply{};
    for (std::size_t i = 0; i < reply.size(); ++i)
        reply[i] = static_cast<std::uint8_t>(i * 7 + 3); // bytes the check must not examine
    reply[0] = c.header0;
    reply[1] = c.header1;
    reply[3] = c.protocol;
    reply[15] = c.error;
    StoreCrc16(reply.data(), 56);
    if (c.sum == Sum::Wrong)
        reply[57] ^= 0x10;
    if (c.sum == Sum::LowFirst)
        std::swap(reply[56], reply[57]);
    return reply;
}

TEST(FramesTest, ValidateReplyChecksInOrder) {
    const ReplyCase cases[] = {
        {"accepted", 'P', 'R', 0x40, 0, Sum::Good, ResultNone, 0},
        {"host header", 'R', 'P', 0x40, 0, Sum::Good, ResultBadHeader, 0},
        {"host header, bad sum", 'R', 'P', 0x40, 0, Sum::Wrong, ResultBadHeader, 0},
        {"half header", 'P', 'P', 0x40, 0, Sum::Good, ResultBadHeader, 0},
        {"bad sum before protocol", 'P', 'R', 0x41, 0, Sum::Wrong, ResultBadChecksum, 0},
        {"bad sum hides device error", 'P', 'R', 0x40, 9, Sum::Wrong, ResultBadChecksum, 0},
        {"sum low first", 'P', 'R', 0x40, 0, Sum::LowFirst, ResultBadChecksum, 0},
        {"protocol 0x41", 'P', 'R', 0x41, 0, Sum::Good, ResultBadProtocol, 0},
        {"protocol before device error", 'P', 'R', 0x41, 7, Sum::Good, ResultBadProtocol, 0},
        {"device error 7", 'P', 'R', 0x40, 7, Sum::Good, ResultDeviceError, 7},
        {"device error 255", 'P', 'R', 0x40, 255, Sum::Good, ResultDeviceError, 255},
    };
    for (const ReplyCase& c : cases) {
        const StatusReply reply = MakeReply(c);
        if (c.sum == Sum::LowFirst) {
            ASSERT_NE(reply[56], reply[57]) << c.name;
        }
        const ReplyCheck check = ValidateReply(reply);
        EXPECT_EQ(check.result, c.result) << c.name;
        EXPECT_EQ(check.deviceError, c.deviceError) << c.name;
    }
}

TEST(FramesTest, RegistersOfTakesBytes16To55) {
    StatusReply reply{};
    for (std::size_t i = 0; i < reply.size(); ++i)
        reply[i] = static_cast<std::uint8_t>(i);
    const RegisterBlock block = RegistersOf(reply);
    EXPECT_EQ(block.front(), 16);
    EXPECT_EQ(block.back(), 55);
}

} // namespace
