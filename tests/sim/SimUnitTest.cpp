// The unit's own behaviour, without the bus: which frames it takes, what it does with them and
// what it answers.
#include "SimUnit.h"

#include "Crc16.h"

#include <gtest/gtest.h>

#include <set>

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes Command(std::uint8_t code, std::uint8_t value) {
    const CommandFrame frame = BuildCommandFrame(code, value);
    return {frame.begin(), frame.end()};
}

TEST(SimFrameReceiver, CutsFramesFromAByteStream) {
    sim::FrameReceiver receiver;
    const Bytes poll = Command(0, 0);
    Bytes stream = {0x00, 0x52, 0x52}; // noise before the frame
    stream.insert(stream.end(), poll.begin(), poll.end());
    stream.insert(stream.end(), poll.begin(), poll.begin() + 4); // half a second frame
    auto frames = receiver.Feed(stream.data(), stream.size());
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(frames[0], poll);
    frames = receiver.Feed(poll.data() + 4, 3);
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(frames[0], poll);
}

TEST(SimFrameReceiver, DropsAFrameWithABadChecksum) {
    sim::FrameReceiver receiver;
    Bytes bad = Command(5, 1);
    bad[6] ^= 0xFF;
    const Bytes good = Command(4, 3);
    bad.insert(bad.end(), good.begin(), good.end());
    const auto frames = receiver.Feed(bad.data(), bad.size());
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(frames[0], good);
}

struct CommandCase {
    int generation;
    std::uint8_t code;
    std::uint8_t value;
    int offset;
    std::uint8_t expected; // register value after the command
};

class SimUnitCommand : public testing::TestWithParam<CommandCase> {};

TEST_P(SimUnitCommand, SetsOnlyValuesInRange) {
    const CommandCase c = GetParam();
    sim::UnitState unit = sim::MakeUnit(5, c.generation);
    unit.registers[RegEdhCrcErrors] = 9;
    unit.registers[RegInputFormat] = 8;
    sim::ApplyFrame(unit, Command(c.code, c.value));
    EXPECT_EQ(unit.registers[c.offset], c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Registers, SimUnitCommand,
    testing::Values(CommandCase{1, 4, 3, RegOutputFormat, 3},
                    CommandCase{1, 4, 17, RegOutputFormat, 0},     // beyond the format table
                    CommandCase{1, 6, 3, RegLossMode, 3},          //
                    CommandCase{1, 6, 4, RegLossMode, 1},          // default kept
                    CommandCase{1, 21, 120, RegSdiGain1 + 2, 120}, //
                    CommandCase{1, 21, 121, RegSdiGain1 + 2, 60},  //
                    CommandCase{1, 28, 63, RegMicGain1 + 1, 63},   //
                    CommandCase{1, 28, 64, RegMicGain1 + 1, 32},   //
                    CommandCase{1, 35, 2, RegExtConfig1, 2},       // LINE/AES OUT on generation 1
                    CommandCase{2, 35, 2, RegExtConfig1, 1},       // but not on generation 2
                    CommandCase{2, 38, 11, RegExtSource1 + 1, 11}, // TEST on generation 2
                    CommandCase{1, 38, 10, RegExtSource1 + 1, 2},  //
                    CommandCase{1, 3, 1, RegEdhCrcErrors, 0},      // the reset
                    CommandCase{1, 3, 0, RegEdhCrcErrors, 9},      // only value 1 resets
                    CommandCase{1, 1, 3, RegInputFormat, 8},       // status: never commanded
                    CommandCase{1, 0, 0, RegOutputFormat, 0}));

TEST(SimUnit, BlockWriteTakesOverSettingsButNotStatus) {
    sim::UnitState unit = sim::MakeUnit(0, 1);
    unit.registers[RegInputFormat] = 8;
    RegisterBlock block{};
    block.fill(1);
    block[RegInputFormat] = 0;
    block[RegEdhCrcErrors] = 0;
    block[RegSdiGain1] = 200; // out of range: not taken over
    const BlockWriteFrame frame = BuildBlockWriteFrame(block);
    sim::ApplyFrame(unit, Bytes(frame.begin(), frame.end()));
    EXPECT_EQ(unit.registers[RegInputFormat], 8);
    EXPECT_EQ(unit.registers[RegEdhCrcErrors], 1); // factory value, untouched
    EXPECT_EQ(unit.registers[RegSdiGain1], 60);
    EXPECT_EQ(unit.registers[RegOutputFormat], 1);
    EXPECT_EQ(unit.registers[RegExtGain1 + 1], 1);
}

TEST(SimUnit, HealthyReplyCarriesIdentityAndPassesValidation) {
    sim::UnitState unit = sim::MakeUnit(4, 2);
    const Bytes bytes = sim::BuildReply(unit);
    ASSERT_EQ(bytes.size(), 58u);
    StatusReply reply{};
    std::copy(bytes.begin(), bytes.end(), reply.begin());
    EXPECT_EQ(ValidateReply(reply).result, ResultNone);
    EXPECT_EQ(reply[0], 0x50);
    EXPECT_EQ(reply[1], 0x52);
    EXPECT_EQ(ModelNumberOf(reply[4], reply[5]), 730);
    EXPECT_EQ(reply[6], 4);
    EXPECT_EQ(GenerationOf(reply[8], reply[10]), 2);
    EXPECT_EQ(RegistersOf(reply), FactoryDefaultBlock());
}

struct FaultCase {
    const char* name;
    sim::UnitFaults faults;
    std::size_t length;
    WorkerResult result;
    std::uint8_t deviceError;
};

class SimUnitFault : public testing::TestWithParam<FaultCase> {};

TEST_P(SimUnitFault, ShapesTheReply) {
    const FaultCase c = GetParam();
    sim::UnitState unit = sim::MakeUnit(0, 1);
    unit.faults = c.faults;
    const Bytes bytes = sim::BuildReply(unit);
    ASSERT_EQ(bytes.size(), c.length);
    if (bytes.size() < 58)
        return;
    StatusReply reply{};
    std::copy_n(bytes.begin(), 58, reply.begin());
    const ReplyCheck check = ValidateReply(reply);
    EXPECT_EQ(check.result, c.result);
    EXPECT_EQ(check.deviceError, c.deviceError);
}

sim::UnitFaults With(void (*set)(sim::UnitFaults&)) {
    sim::UnitFaults faults;
    set(faults);
    return faults;
}

INSTANTIATE_TEST_SUITE_P(
    Faults, SimUnitFault,
    testing::Values(
        FaultCase{"none", {}, 58, ResultNone, 0},
        FaultCase{"silent", With([](auto& f) { f.noReply = true; }), 0, ResultNone, 0},
        FaultCase{"short", With([](auto& f) { f.replyLength = 57; }), 57, ResultNone, 0},
        FaultCase{"long", With([](auto& f) { f.replyLength = 59; }), 59, ResultNone, 0},
        FaultCase{"header", With([](auto& f) { f.wrongHeader = true; }), 58, ResultBadHeader, 0},
        FaultCase{"crc", With([](auto& f) { f.wrongChecksum = true; }), 58, ResultBadChecksum, 0},
        FaultCase{"protocol", With([](auto& f) { f.protocolByte = 0x41; }), 58, ResultBadProtocol,
                  0},
        FaultCase{"device", With([](auto& f) { f.deviceError = 3; }), 58, ResultDeviceError, 3}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(SimUnit, LiveInputMovesByItself) {
    sim::UnitState unit = sim::MakeUnit(0, 1);
    unit.liveInput = true;
    unit.registers[RegEdhCrcErrors] = 0;
    std::set<std::uint8_t> formats;
    for (double t = 0; t < 40; t += 1.0) {
        sim::UpdateLiveInput(unit, t);
        formats.insert(unit.registers[RegInputFormat]);
    }
    EXPECT_GT(formats.size(), 2u);
    EXPECT_TRUE(formats.count(0)) << "the input is lost now and then";
    EXPECT_GT(unit.registers[RegEdhCrcErrors], 0);
}

} // namespace
