// The open driver's libusb path, for a chip no kernel driver holds: purge and reset as the chip
// receives them, a purge that meets bytes in flight, faults of the bus survived, and Close,
// Purge and Reset from several threads at once.
#include "OpenDriverFixture.h"

#include <cerrno>
#include <future>

namespace {

using namespace ftdiemu;

class UsbPathTest : public OpenDriverTest {
protected:
    void SetUp() override {
        OpenDriverTest::SetUp();
        node_ = &Plug("1-1", Binding::None);
        ASSERT_EQ(Open(0x11), FT_OK);
    }
    ChipCounters Counters() {
        ChipCounters counters;
        node_->WithChip([&](Ft232rChip& chip) { counters = chip.Counters(); });
        return counters;
    }

    UsbNode* node_ = nullptr;
};

TEST_F(UsbPathTest, PurgeEmptiesTheBufferItNames) {
    const struct {
        ULONG mask;
        int rx, tx; // the chip's buffers emptied: towards the host, towards the line
    } purges[] = {{FT_PURGE_RX, 1, 0}, {FT_PURGE_TX, 0, 1}, {FT_PURGE_RX | FT_PURGE_TX, 1, 1}};
    for (const auto& purge : purges) {
        SCOPED_TRACE(purge.mask);
        const ChipCounters before = Counters();
        ASSERT_EQ(api_.Purge(handle_, purge.mask), FT_OK);
        const ChipCounters after = Counters();
        EXPECT_EQ(after.rxPurges - before.rxPurges, purge.rx);
        EXPECT_EQ(after.txPurges - before.txPurges, purge.tx);
    }
}

TEST_F(UsbPathTest, ResetReachesTheChipAndItsTimerIsSetAgain) {
    const int resets = Counters().resets;
    ASSERT_EQ(api_.ResetDevice(handle_), FT_OK);
    EXPECT_EQ(Counters().resets, resets + 1);
    node_->WithChip([](Ft232rChip& chip) { EXPECT_EQ(chip.LatencyMs(), 1); });
}

TEST_F(UsbPathTest, BytesInFlightAtAPurgeNeverReachTheQueue) {
    SetUpLine(2000);
    // The first packet of the reply has left the chip but not reached the driver when the purge
    // comes; it must be gone with the rest.
    node_->HoldNextIn();
    SendPoll();
    ASSERT_TRUE(node_->WaitHeld(Patience));
    ASSERT_EQ(api_.Purge(handle_, FT_PURGE_RX), FT_OK);
    SendPoll();
    ReadValidReply();
}

TEST_F(UsbPathTest, FaultsOfTheBusAreSurvived) {
    SetUpLine(2000);
    for (const int error : {EPROTO, EPIPE}) {
        SCOPED_TRACE(error);
        node_->FailNextIn(error);
        SendPoll();
        ReadValidReply();
    }
    const auto events = node_->Events();
    EXPECT_EQ(std::count(events.begin(), events.end(), NodeEvent::HaltCleared), 2);
}

TEST_F(UsbPathTest, CloseWhilePurgeOrResetRunsOnAnotherThread) {
    const struct {
        const char* name;
        FT_STATUS (*call)(const D2xxApi&, FT_HANDLE);
    } calls[] = {
        {"FT_Purge RX", [](const D2xxApi& api, FT_HANDLE h) { return api.Purge(h, FT_PURGE_RX); }},
        {"FT_ResetDevice", [](const D2xxApi& api, FT_HANDLE h) { return api.ResetDevice(h); }},
    };
    for (const auto& c : calls) {
        SCOPED_TRACE(c.name);
        if (!handle_) {
            ASSERT_EQ(Open(0x11), FT_OK);
        }
        std::promise<void> running;
        auto loop = std::async(std::launch::async, [&, handle = handle_] {
            FT_STATUS status = c.call(api_, handle);
            running.set_value();
            while (status == FT_OK)
                status = c.call(api_, handle);
            return status;
        });
        running.get_future().wait();
        EXPECT_EQ(Close(), FT_OK);
        EXPECT_EQ(loop.get(), FT_INVALID_HANDLE);
        EXPECT_EQ(node_->CurrentBinding(), Binding::None); // released
    }
}

TEST_F(UsbPathTest, ConcurrentPurgesLeaveOneReaderRunning) {
    const auto purges = [this] {
        for (int i = 0; i < 25; ++i)
            if (api_.Purge(handle_, FT_PURGE_RX) != FT_OK)
                return false;
        return true;
    };
    auto first = std::async(std::launch::async, purges);
    auto second = std::async(std::launch::async, purges);
    EXPECT_TRUE(first.get());
    EXPECT_TRUE(second.get());
    SetUpLine(2000);
    SendPoll();
    ReadValidReply();
}

} // namespace
