// Every way a turn fails ends the exchange with its exit report.
#include "WorkerFixture.h"

#include <ostream>
#include <string>

namespace {

using sim::DriverCall;

struct FailureCase {
    const char* name;
    WorkerResult result;
    std::int32_t linkStatus = 0;
    std::uint8_t deviceError = 0;
    std::size_t frames = 1;   // sent before the end
    std::size_t statuses = 0; // delivered before the end
    sim::UnitFaults faults = {};
    DriverCall call = DriverCall::Read; // answers callStatus, when that is nonzero
    FT_STATUS callStatus = FT_OK;
};

// clang-format off
const FailureCase Cases[] = {
    {.name = "Silent", .result = ResultReadFailed, .linkStatus = 32, .faults = {.noReply = true}},
    {.name = "Reply57", .result = ResultReadFailed, .linkStatus = 32,
     .faults = {.replyLength = 57}},
    {.name = "Reply59", .result = ResultBadHeader, .frames = 2, .statuses = 1,
     .faults = {.replyLength = 59}},
    {.name = "BadHeader", .result = ResultBadHeader, .faults = {.wrongHeader = true}},
    {.name = "BadChecksum", .result = ResultBadChecksum, .faults = {.wrongChecksum = true}},
    {.name = "BadProtocol", .result = ResultBadProtocol, .faults = {.protocolByte = 0x41}},
    {.name = "DeviceError", .result = ResultDeviceError, .deviceError = 3,
     .faults = {.deviceError = 3}},
    {.name = "ReadError", .result = ResultReadFailed, .linkStatus = FT_IO_ERROR,
     .callStatus = FT_IO_ERROR},
    {.name = "QueueQueryError", .result = ResultReadFailed, .linkStatus = FT_DEVICE_NOT_FOUND,
     .call = DriverCall::GetQueueStatus, .callStatus = FT_DEVICE_NOT_FOUND},
    {.name = "WriteError", .result = ResultWriteFailed, .linkStatus = FT_FAILED_TO_WRITE_DEVICE,
     .frames = 0, .call = DriverCall::Write, .callStatus = FT_FAILED_TO_WRITE_DEVICE},
};
// clang-format on

void PrintTo(const FailureCase& c, std::ostream* out) {
    *out << c.name;
}

class WorkerFailureTest : public WorkerFixture,
                          public ::testing::WithParamInterface<FailureCase> {};

TEST_P(WorkerFailureTest, EndsTheExchangeWithItsReport) {
    const FailureCase& c = GetParam();
    bus->SetFaults(UnitLocation, c.faults);
    bus->FailCall(UnitLocation, c.call, c.callStatus);
    StartWorker();
    const std::vector<RecordedMessage> messages = sink.WaitForStop();
    ASSERT_FALSE(messages.empty());
    EXPECT_EQ(messages.back().message, WM_DEV_STOPPED);
    EXPECT_FALSE(worker->IsRunning());
    EXPECT_EQ(worker->ExitResult, c.result);
    EXPECT_EQ(worker->ExitLinkStatus, c.linkStatus);
    EXPECT_EQ(worker->DeviceError, c.deviceError);
    EXPECT_FALSE(worker->StoppedByRequest);
    EXPECT_EQ(StatusesOf(messages).size(), c.statuses);

    const std::vector<sim::SimFrame> frames = bus->Frames();
    ASSERT_EQ(frames.size(), c.frames);
    if (c.linkStatus == LinkReplyTimeout) {
        EXPECT_GT(clock.ElapsedMs(), TDeviceThread::StartDelayMs + ReplyLimitMs)
            << "gave up before the reply limit";
    }
}

INSTANTIATE_TEST_SUITE_P(Failures, WorkerFailureTest, ::testing::ValuesIn(Cases),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
