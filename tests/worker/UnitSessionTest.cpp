// The unit session on its own: the identity a reply names, the probe's conversation, the turns
// the tool and the worker run, and the reply limit measured on a test clock.
#include "LiteralReply.h"
#include "MessageRecorder.h"
#include "WorkerFixture.h"

#include <array>
#include <ostream>
#include <string>
#include <utility>

namespace {

using namespace std::chrono_literals;
using sim::DriverCall;

constexpr DWORD ProbedLocation = 0x3301;

TEST(IdentityOfTest, ReadsTheLiteralReply) {
    ASSERT_EQ(ValidateReply(LiteralReply).result, ResultNone) << "the literal's checksum";
    const ProbedIdentity identity = IdentityOf(LiteralReply);
    EXPECT_EQ(identity.ModelNumber, 730);
    EXPECT_EQ(identity.ModelVariant, 4);
    EXPECT_EQ(identity.DeviceGeneration, 2);
    EXPECT_EQ(identity.SoftwareMajor, 2);
    EXPECT_EQ(identity.SoftwareMinor, 7);
    EXPECT_EQ(identity.Fpga, (std::array<std::uint8_t, 5>{2, 1, 5, 11, 17}));
    EXPECT_TRUE(IsAcceptedIdentity(identity));
}

class ProbeTest : public ::testing::Test {
protected:
    ProbeTest() {
        sim::InstallBus(bus);
        SetD2xxApi(sim::SimApi());
        ShowLinkErrors = false;
    }
    ~ProbeTest() override {
        sim::InstallBus(nullptr);
        SetD2xxApi(UnloadedD2xxApi());
        ShowLinkErrors = true;
    }

    std::vector<std::pair<DriverCall, std::vector<std::uint64_t>>> Calls() const {
        std::vector<std::pair<DriverCall, std::vector<std::uint64_t>>> calls;
        for (const sim::SimCall& call : bus->Calls())
            calls.emplace_back(call.call, call.args);
        return calls;
    }

    std::shared_ptr<sim::SimBus> bus =
        std::make_shared<sim::SimBus>(sim::BusTiming{.instant = true});
    TestClock clock;
};

TEST_F(ProbeTest, ReadsTheIdentityOfTheLiteralReplyAndClosesTheUnit) {
    sim::UnitState unit = sim::MakeUnit(4, 2);
    unit.softwareMinor = 7;
    unit.fpga = {2, 1, 5, 11, 17};
    unit.registers = RegistersOf(LiteralReply);
    ASSERT_EQ(sim::HealthyReply(unit), LiteralReply) << "the simulator writes another reply";
    bus->Plug({ProbedLocation, FT_DEVICE_232R, "SV730999", "ORQ-SYV-730", false, unit});

    ProbedIdentity identity;
    ASSERT_TRUE(ProbeIdentity(ProbedLocation, identity, clock));
    EXPECT_EQ(identity.ModelNumber, 730);
    EXPECT_EQ(identity.ModelVariant, 4);
    EXPECT_EQ(identity.DeviceGeneration, 2);
    EXPECT_EQ(identity.SoftwareMinor, 7);
    EXPECT_EQ(identity.Fpga, (std::array<std::uint8_t, 5>{2, 1, 5, 11, 17}));
    using C = DriverCall;
    const std::vector<std::pair<C, std::vector<std::uint64_t>>> expected = {
        {C::OpenEx, {ProbedLocation, 4}},
        {C::ResetDevice, {}},
        {C::SetBaudRate, {115200}},
        {C::SetDataCharacteristics, {8, 0, 0}},
        {C::SetFlowControl, {0, 0x11, 0x13}},
        {C::SetTimeouts, {3000, 3000}},
        {C::Purge, {1}},
        {C::Purge, {2}},
        {C::Write, {7}},
        {C::GetQueueStatus, {}},
        {C::Read, {58}},
        {C::Close, {}}};
    EXPECT_EQ(Calls(), expected);
    ASSERT_EQ(bus->Frames().size(), 1u);
    EXPECT_EQ(bus->Frames()[0].bytes,
              (std::vector<std::uint8_t>{0x52, 0x50, 0x02, 0x00, 0x00, 0x0C, 0x2D}));
}

TEST_F(ProbeTest, ASilentDeviceIsClosedAfterTheReplyLimit) {
    sim::UnitState unit = sim::MakeUnit(0, 1);
    unit.faults.noReply = true;
    bus->Plug({ProbedLocation, FT_DEVICE_232R, "SV730998", "ORQ-SYV-730", false, unit});
    ProbedIdentity identity;
    EXPECT_FALSE(ProbeIdentity(ProbedLocation, identity, clock));
    EXPECT_EQ(LinkStatus, LinkReplyTimeout);
    EXPECT_GT(clock.ElapsedMs(), ReplyLimitMs);
    EXPECT_EQ(bus->Calls().back().call, DriverCall::Close);
}

// A session on the fixture's open unit, driven from the test thread.
class SessionTest : public WorkerFixture {
protected:
    std::atomic<bool> stop{false};
    UnitSession session{clock, 1ms, &stop};
};

TEST_F(SessionTest, TurnsPutTheirFrameOnTheWireAndReturnTheUnitsReply) {
    RegisterBlock block = FactoryDefaultBlock();
    block[RegBars] = 1;
    StatusReply reply{};
    std::uint8_t deviceError = 0;
    ASSERT_EQ(session.Turn(BuildBlockWriteFrame(block), reply, deviceError), ResultNone);
    EXPECT_EQ(RegistersOf(reply)[RegBars], 1);
    ASSERT_EQ(session.Turn(BuildCommandFrame(RegOutputFormat + 1, 7), reply, deviceError),
              ResultNone);
    EXPECT_EQ(reply, sim::HealthyReply(bus->Unit(UnitLocation)));
    EXPECT_EQ(RegistersOf(reply)[RegOutputFormat], 7);
    const auto frames = bus->Frames();
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_EQ(frames[0].bytes, Bytes(BuildBlockWriteFrame(block)));
    EXPECT_EQ(frames[1].bytes, Bytes(BuildCommandFrame(RegOutputFormat + 1, 7)));

    bus->SetFaults(UnitLocation, {.deviceError = 9});
    EXPECT_EQ(session.Turn(Poll, reply, deviceError), ResultDeviceError);
    EXPECT_EQ(deviceError, 9);
    EXPECT_EQ(LinkStatus, 0);
}

// Where the tick count starts: far from the wrap, right at it, and so that the limit ends on it.
class ReplyLimitTest : public SessionTest, public ::testing::WithParamInterface<std::uint32_t> {};

TEST_P(ReplyLimitTest, AWaitGivesUpRightAfterTheLimitAcrossTheWrap) {
    TestClock from(GetParam());
    UnitSession waiting(from, 1ms);
    EXPECT_EQ(waiting.WaitAndRead(StatusReplySize), ResultReadFailed);
    EXPECT_EQ(LinkStatus, LinkReplyTimeout);
    // Exactly the limit is still within it; one step later it is over.
    EXPECT_EQ(from.ElapsedMs(), ReplyLimitMs + 1);
}

INSTANTIATE_TEST_SUITE_P(Starts, ReplyLimitTest,
                         ::testing::Values(0u, 0xFFFFFFFFu, 0xFFFFFFFFu - ReplyLimitMs + 1));

TEST_F(SessionTest, AStopEndsAWaitAtTheNextStep) {
    stop = true;
    EXPECT_EQ(session.WaitAndRead(StatusReplySize), ResultReadFailed);
    EXPECT_EQ(LinkStatus, 0);
    EXPECT_EQ(clock.ElapsedMs(), 1u);
}

// The simulator's table with the baud rate refused, and the close refused too.
FT_STATUS FT_API RefuseBaudRate(FT_HANDLE, ULONG) {
    return FT_IO_ERROR;
}
FT_STATUS FT_API RefuseClose(FT_HANDLE handle) {
    sim::SimApi().Close(handle);
    return FT_IO_ERROR;
}

// After a failed set-up the operator has seen its dialog: opening a unit for its panel closes
// the device again without a second one, while the probe shows every failure it meets.
TEST_F(ProbeTest, AFailedSetUpClosesSilentlyOnlyWhenOpeningForTheExchange) {
    bus->Plug(
        {ProbedLocation, FT_DEVICE_232R, "SV730999", "ORQ-SYV-730", false, sim::MakeUnit(0, 1)});
    D2xxApi refusing = sim::SimApi();
    refusing.SetBaudRate = RefuseBaudRate;
    refusing.Close = RefuseClose;
    SetD2xxApi(refusing);
    const auto names = [](const MessageRecorder& recorder) {
        std::vector<std::string> texts;
        for (const MessageRequest& box : recorder.shown)
            texts.push_back(box.text);
        return texts;
    };

    {
        MessageRecorder recorder;
        ShowLinkErrors = true;
        EXPECT_FALSE(OpenForExchange(ProbedLocation));
        EXPECT_FALSE(ShowLinkErrors);
        EXPECT_EQ(names(recorder),
                  std::vector<std::string>{"FT_SetBaudRate - General IO error..."});
    }
    {
        MessageRecorder recorder;
        ShowLinkErrors = true;
        ProbedIdentity identity;
        EXPECT_FALSE(ProbeIdentity(ProbedLocation, identity, clock));
        EXPECT_EQ(names(recorder), (std::vector<std::string>{"FT_SetBaudRate - General IO error...",
                                                             "FT_Close - General IO error..."}));
    }
}

} // namespace
