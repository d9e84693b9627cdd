// The exchange of a healthy unit, and the worker's life cycle.
#include "DeviceRegisters.h"
#include "WorkerFixture.h"

namespace {

using namespace std::chrono_literals;

class WorkerTest : public WorkerFixture {};

TEST_F(WorkerTest, FirstFramePollsAfterTheStartDelayAndOnlyChangedOrTaggedRepliesGoOut) {
    clock.FreezeAt(TDeviceThread::StartDelayMs);
    StartWorker();
    ASSERT_TRUE(clock.WaitUntilFrozen());
    EXPECT_TRUE(bus->Frames().empty()) << "a frame within the start delay";
    clock.Run();
    // The third frame goes out only after the second reply has been dealt with.
    ASSERT_TRUE(bus->WaitForFrames(3, 5s));
    const std::vector<sim::SimFrame> frames = bus->Frames();
    EXPECT_EQ(Bytes(Poll), (std::vector<std::uint8_t>{0x52, 0x50, 0x02, 0x00, 0x00, 0x0C, 0x2D}));
    for (const sim::SimFrame& frame : frames)
        EXPECT_EQ(frame.bytes, Bytes(Poll));
    auto statuses = StatusesOf(sink.Messages());
    ASSERT_EQ(statuses.size(), 1u);
    EXPECT_EQ(statuses[0].wParam, 0u);
    EXPECT_EQ(statuses[0].reply, sim::HealthyReply(bus->Unit(UnitLocation)));

    // A tagged command that changes nothing still has its reply delivered, with its tag.
    const std::uint8_t format = RegistersOf(*statuses[0].reply)[RegOutputFormat];
    ASSERT_TRUE(worker->Post(RegOutputFormat + 1, format, 7));
    statuses = StatusesOf(sink.WaitForStatuses(2));
    ASSERT_EQ(statuses.size(), 2u);
    EXPECT_EQ(statuses[1].wParam, 7u);
    EXPECT_EQ(statuses[1].reply, statuses[0].reply);
}

TEST_F(WorkerTest, RequestsPostedInTheStartDelayGoOutInOrderOneATurn) {
    clock.FreezeAt(0);
    StartWorker();
    const std::uint8_t commands[3][2] = {{RegOutputFormat + 1, 3}, {RegBars + 1, 1}, {11, 2}};
    for (ReplyTag tag = 1; const auto& command : commands)
        EXPECT_TRUE(worker->Post(command[0], command[1], tag++));
    EXPECT_TRUE(bus->Frames().empty());
    clock.Run();
    ASSERT_TRUE(bus->WaitForFrames(4, 5s));
    const auto frames = bus->Frames();
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(frames[i].bytes, Bytes(BuildCommandFrame(commands[i][0], commands[i][1])));
    EXPECT_EQ(frames[3].bytes, Bytes(Poll));

    const auto statuses = StatusesOf(sink.WaitForStatuses(3));
    ASSERT_GE(statuses.size(), 3u);
    for (std::uint32_t i = 0; i < 3; ++i)
        EXPECT_EQ(statuses[i].wParam, i + 1);
    EXPECT_EQ(RegistersOf(*statuses[2].reply)[RegOutputFormat], 3);
}

TEST_F(WorkerTest, BlockRequestSendsABlockWriteAndCode255NeverTravelsAsACommand) {
    RegisterBlock block = FactoryDefaultBlock();
    block[RegOutputFormat] = 5;
    block[RegSdiGain1] = 90;
    clock.FreezeAt(0);
    StartWorker();
    EXPECT_FALSE(worker->Post(BlockWriteCode, 9, 5));
    EXPECT_TRUE(worker->Post(std::make_unique<RegisterBlock>(block), 8));
    clock.Run();
    ASSERT_TRUE(bus->WaitForFrames(2, 5s));
    const auto frames = bus->Frames();
    EXPECT_EQ(frames[0].bytes.size(), 46u);
    EXPECT_EQ(frames[0].bytes, Bytes(BuildBlockWriteFrame(block)));
    for (const sim::SimFrame& frame : frames)
        EXPECT_FALSE(frame.bytes.size() == CommandFrameSize && frame.bytes[3] == BlockWriteCode);

    const auto statuses = StatusesOf(sink.WaitForStatuses(1));
    ASSERT_FALSE(statuses.empty());
    EXPECT_EQ(statuses[0].wParam, 8u);
    EXPECT_EQ(RegistersOf(*statuses[0].reply)[RegSdiGain1], 90);
    worker->Stop();
    for (const RecordedMessage& message : sink.Messages())
        EXPECT_NE(message.wParam, 5u);
}

TEST_F(WorkerTest, StopInTheStartDelaySendsNothing) {
    clock.FreezeAt(TDeviceThread::StartDelayMs);
    StartWorker();
    ASSERT_TRUE(clock.WaitUntilFrozen());
    worker->Stop();
    EXPECT_FALSE(worker->IsRunning());
    EXPECT_EQ(worker->ExitResult, ResultNone);
    EXPECT_TRUE(worker->StoppedByRequest);
    EXPECT_TRUE(bus->Frames().empty());
    const auto messages = sink.Messages();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].message, WM_DEV_STOPPED);
    EXPECT_EQ(messages[0].wParam, 0u);
    EXPECT_FALSE(messages[0].reply);
}

TEST_F(WorkerTest, StopWhileAwaitingAReplyEndsTheWait) {
    bus->SetFaults(UnitLocation, {.noReply = true});
    // Halfway through the reply limit of the first frame.
    clock.FreezeAt(TDeviceThread::StartDelayMs + ReplyLimitMs / 2);
    StartWorker();
    ASSERT_TRUE(clock.WaitUntilFrozen());
    ASSERT_EQ(bus->Frames().size(), 1u);
    worker->Stop();
    EXPECT_EQ(worker->ExitResult, ResultReadFailed);
    EXPECT_TRUE(worker->StoppedByRequest);
    // Ended by the stop, not by the reply limit.
    EXPECT_EQ(worker->ExitLinkStatus, 0);
    EXPECT_EQ(sink.Messages().back().message, WM_DEV_STOPPED);
}

TEST_F(WorkerTest, PostBeforeStartAndAfterTheEndSendsNothing) {
    EXPECT_FALSE(worker->Post(RegBars + 1, 1, 1));
    EXPECT_FALSE(worker->Post(std::make_unique<RegisterBlock>(FactoryDefaultBlock()), 1));
    StartWorker();
    ASSERT_TRUE(bus->WaitForFrames(2, 5s));
    bus->SetFaults(UnitLocation, {.deviceError = 3});
    sink.WaitForStop();
    EXPECT_FALSE(worker->IsRunning());
    EXPECT_FALSE(worker->Post(RegBars + 1, 1, 2));
    EXPECT_FALSE(worker->Post(std::make_unique<RegisterBlock>(FactoryDefaultBlock()), 3));

    // A new exchange starts clean: neither request reaches it.
    bus->SetFaults(UnitLocation, {});
    StartWorker();
    const auto frames = bus->Frames();
    ASSERT_TRUE(bus->WaitForFrames(frames.size() + 3, 5s));
    for (const sim::SimFrame& frame : bus->Frames())
        EXPECT_EQ(frame.bytes, Bytes(Poll));
    worker->Stop();
    for (const RecordedMessage& message : sink.Messages())
        EXPECT_EQ(message.wParam, 0u);
}

TEST_F(WorkerTest, StopOnAnIdleObjectReturnsAtOnceEveryTime) {
    worker->Stop();
    worker->Stop();
    EXPECT_FALSE(worker->IsRunning());
    clock.FreezeAt(0);
    StartWorker();
    worker->Stop();
    worker->Stop();
    EXPECT_FALSE(worker->IsRunning());
    EXPECT_EQ(sink.Messages().size(), 1u);
}

TEST_F(WorkerTest, BlocksQueuedWhenTheExchangeEndsAreReleased) {
    bus->SetFaults(UnitLocation, {.deviceError = 1});
    clock.FreezeAt(0);
    StartWorker();
    for (ReplyTag tag = 1; tag <= 3; ++tag)
        EXPECT_TRUE(worker->Post(std::make_unique<RegisterBlock>(FactoryDefaultBlock()), tag));
    clock.Run();
    sink.WaitForStop();
    EXPECT_EQ(worker->ExitResult, ResultDeviceError);
    EXPECT_EQ(bus->Frames().size(), 1u);
    // The two blocks left in the queue are released by Stop; the leak checker watches.
}

class WorkerRefusingWindowTest : public WorkerFixture {
protected:
    WorkerRefusingWindowTest() : WorkerFixture(false) {}
};

TEST_F(WorkerRefusingWindowTest, ReplyCopyWhoseDeliveryFailsIsReleased) {
    StartWorker();
    for (ReplyTag tag = 1; tag <= 3; ++tag)
        EXPECT_TRUE(worker->Post(PollCode, 0, tag));
    // Refused, so the leak checker would see any copy not released with its pointer.
    EXPECT_EQ(StatusesOf(sink.WaitForStatuses(3)).size(), 3u);
    worker->Stop();
}

} // namespace
