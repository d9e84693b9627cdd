// The chip model's timing on its own, on a clock the test moves: when the bytes of a reply
// reach the host through the packets of a read that is always pending, as the open driver's
// reader keeps one.
#include "Ft232rChip.h"
#include "Frames.h"

#include <gtest/gtest.h>

namespace {

using namespace ftdiemu;
using namespace std::chrono_literals;
using Ms = std::chrono::duration<double, std::milli>;

struct Packet {
    double atMs;         // since the poll was written
    std::size_t payload; // data bytes, status bytes not counted
};

// Sets the chip up as the program does, writes a poll at t0 and collects the packets of
// back-to-back one-packet reads until `bytes` data bytes have come.
std::vector<Packet> PacketsOfPolls(int latencyMs, int polls, std::size_t bytes) {
    Ft232rChip chip(ChipIdentity{}, sim::MakeUnit(0, 1));
    const Clock::time_point t0 = Clock::now();
    chip.Control({0x40, 0x03, 0x001A, 0, 0}, t0); // 115384 baud, as libftdi1 sets 115200
    chip.Control({0x40, 0x04, 0x0008, 0, 0}, t0); // 8N1
    chip.Control({0x40, 0x09, static_cast<std::uint16_t>(latencyMs), 0, 0}, t0);
    InTransfer idle{PacketSize, t0 - 1s, {}, false, {}};
    chip.ServeIn(idle, t0); // the timer ran out long ago: an empty packet goes at once
    EXPECT_EQ(idle.data.size(), 2u);
    const CommandFrame poll = BuildCommandFrame(PollCode, 0);
    for (int i = 0; i < polls; ++i)
        chip.BulkOut(poll.data(), poll.size(), t0);

    std::vector<Packet> packets;
    std::size_t received = 0;
    Clock::time_point submitted = t0;
    while (received < bytes && submitted - t0 < 1s) {
        InTransfer read{PacketSize, submitted, {}, false, {}};
        chip.ServeIn(read, submitted + 1s);
        EXPECT_TRUE(read.done);
        if (read.data.size() < 2)
            break;
        EXPECT_EQ(read.data[0], ModemStatus0);
        EXPECT_EQ(read.data[1], ModemStatus1);
        const std::size_t payload = read.data.size() - 2;
        if (payload > 0)
            packets.push_back({Ms(read.doneAt - t0).count(), payload});
        received += payload;
        submitted = read.doneAt;
    }
    EXPECT_EQ(received, bytes);
    return packets;
}

TEST(Ft232rChipTest, ReplyWaitsForTheLatencyTimerWhenItCannotFillAPacket) {
    // 7 bytes out and 58 back at 115384 baud take 5.63 ms, with the unit's 0.2 ms between.
    const auto slow = PacketsOfPolls(16, 1, StatusReplySize);
    ASSERT_FALSE(slow.empty());
    EXPECT_EQ(slow.back().payload, std::size_t{StatusReplySize}); // all of it in one packet
    EXPECT_NEAR(slow.back().atMs, 16.0, 0.01);

    const auto fast = PacketsOfPolls(1, 1, StatusReplySize);
    ASSERT_GT(fast.size(), 1u); // spread over the packets of one-millisecond periods
    EXPECT_GT(fast.back().atMs, 5.8);
    EXPECT_LE(fast.back().atMs, 7.0);
}

TEST(Ft232rChipTest, SixtyTwoWaitingBytesLeaveAtOnce) {
    // Two replies back to back: the first 62 bytes go as soon as they are there, the timer
    // takes the rest.
    const auto packets = PacketsOfPolls(16, 2, 2 * StatusReplySize);
    ASSERT_EQ(packets.size(), 2u);
    EXPECT_EQ(packets[0].payload, PacketPayload);
    EXPECT_LT(packets[0].atMs, 16.0);
    EXPECT_EQ(packets[1].payload, 2 * StatusReplySize - PacketPayload);
}

} // namespace
