// The device worker on a Windows thread: against the simulator's table linked into this
// program, and end to end through the driver DLL at wire timing.
#include "D2XXUnit_mod.h"
#include "D2xxLoader.h"
#include "DeviceRegisters.h"
#include "RecorderSink.h"
#include "TestFiles.h"
#include "UnitSession.h"
#include "UnitThread.h"
#include "WorkerFixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <utility>
#include <vector>

#include "WindowsApi.h"

namespace {

using namespace std::chrono_literals;

// Records the Windows thread of every message on top of what a RecorderSink records.
class ThreadSink final : public DeviceMessageSink {
public:
    bool PostDeviceMessage(unsigned message, std::uint32_t wParam,
                           std::unique_ptr<StatusReply> reply) override {
        {
            std::lock_guard lock(mutex_);
            threads_.insert(GetCurrentThreadId());
        }
        return recorder.PostDeviceMessage(message, wParam, std::move(reply));
    }
    std::set<DWORD> Threads() {
        std::lock_guard lock(mutex_);
        return threads_;
    }

    RecorderSink recorder;

private:
    std::mutex mutex_;
    std::set<DWORD> threads_;
};

// Waits for the reply that answers `tag`; none when it does not come.
std::optional<StatusReply> TaggedReply(RecorderSink& sink, ReplyTag tag) {
    const auto answers = [tag](const RecordedMessage& m) {
        return m.message == WM_DEV_STATUS && m.wParam == tag;
    };
    const auto all = sink.WaitUntil([&](const auto& messages) {
        return std::any_of(messages.begin(), messages.end(), answers);
    });
    const auto found = std::find_if(all.begin(), all.end(), answers);
    return found == all.end() ? std::nullopt : found->reply;
}

// A healthy first reply, a tagged command's reply with the new setting, and a stop on request,
// every message posted from the one worker thread.
void ExpectPollAndCommandFromAWorkerThread(TDeviceThread& worker, ThreadSink& sink) {
    const auto first = StatusesOf(sink.recorder.WaitForStatuses(1));
    ASSERT_FALSE(first.empty());
    EXPECT_EQ(first[0].wParam, 0u);
    ASSERT_TRUE(first[0].reply);
    EXPECT_EQ(ValidateReply(*first[0].reply).result, ResultNone);
    EXPECT_EQ(ModelNumberOf((*first[0].reply)[ReplyModelHigh], (*first[0].reply)[ReplyModelLow]),
              FamilyModelNumber);

    ASSERT_TRUE(worker.Post(RegOutputFormat + 1, 3, 7));
    const std::optional<StatusReply> answer = TaggedReply(sink.recorder, 7);
    ASSERT_TRUE(answer);
    EXPECT_EQ(RegistersOf(*answer)[RegOutputFormat], 3);

    worker.Stop();
    EXPECT_TRUE(worker.StoppedByRequest);
    EXPECT_EQ(worker.ExitResult, ResultNone);
    const auto all = sink.recorder.WaitForStop();
    ASSERT_FALSE(all.empty());
    EXPECT_EQ(all.back().message, WM_DEV_STOPPED);
    const std::set<DWORD> threads = sink.Threads();
    ASSERT_EQ(threads.size(), 1u);
    EXPECT_NE(*threads.begin(), GetCurrentThreadId());
}

class WindowsExchangeTest : public WorkerFixture {
protected:
    WindowsExchangeTest() { worker = std::make_unique<TDeviceThread>(&threads); }
    ThreadSink threads; // outlives the worker: the fixture's TearDown ends it first
};

TEST_F(WindowsExchangeTest, SimulatorTable) {
    StartWorker();
    ExpectPollAndCommandFromAWorkerThread(*worker, threads);
    const std::vector<sim::SimFrame> frames = bus->Frames();
    ASSERT_FALSE(frames.empty());
    EXPECT_EQ(frames.front().bytes, Bytes(Poll));
    EXPECT_NE(std::find_if(frames.begin(), frames.end(),
                           [](const sim::SimFrame& f) {
                               return f.bytes == Bytes(BuildCommandFrame(RegOutputFormat + 1, 3));
                           }),
              frames.end());
    EXPECT_EQ(bus->Unit(UnitLocation).registers[RegOutputFormat], 3);
}

TEST(WindowsExchangeDllTest, DriverDllAtWireTiming) {
    UnsetEnv("ORQ_SYV_D2XX");
    UnsetEnv("ORQ_SYV_SIM");
    const DriverLoad load = LoadD2xxDriver();
    ASSERT_TRUE(load.loaded) << load.error;
    SetD2xxApi(load.api);
    ShowLinkErrors = false;
    ASSERT_TRUE(OpenForExchange(0x1011));
    {
        ThreadSink sink;
        TDeviceThread worker(&sink);
        worker.Start();
        ExpectPollAndCommandFromAWorkerThread(worker, sink);
    }
    EXPECT_EQ(LinkClose(), FT_OK);
    SetD2xxApi(UnloadedD2xxApi());
    ShowLinkErrors = true;
}

} // namespace
