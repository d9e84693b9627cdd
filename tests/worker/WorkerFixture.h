// A unit on an instant simulated bus, opened and configured through the link layer as for an
// exchange, and a device worker on it that reports to a RecorderSink and keeps time by a test
// clock: its start delay and reply limit pass in no real time, or stand still where a test
// freezes the clock.
#pragma once

#include "D2XXUnit_mod.h"
#include "D2xxLoader.h"
#include "OpenSimulatedUnit.h"
#include "RecorderSink.h"
#include "SimBus.h"
#include "SimDriver.h"
#include "TestClock.h"
#include "UnitThread.h"

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <thread>

inline constexpr DWORD UnitLocation = 0x1011;
inline const CommandFrame Poll = BuildCommandFrame(PollCode, 0);

class WorkerFixture : public ::testing::Test {
protected:
    explicit WorkerFixture(bool sinkAccepts = true)
        : bus(std::make_shared<sim::SimBus>(sim::BusTiming{.instant = true})), sink(sinkAccepts),
          worker(std::make_unique<TDeviceThread>(&sink, TDeviceThread::DefaultStep, clock)) {}

    void SetUp() override {
        bus->Plug(
            {UnitLocation, FT_DEVICE_232R, "SV731001", "ORQ-SYV-730", false, sim::MakeUnit(5, 1)});
        sim::InstallBus(bus);
        OpenSimulatedUnit(UnitLocation);
        if (HasFatalFailure())
            return;
        bus->ClearLogs();
    }
    void TearDown() override {
        worker.reset();
        LinkClose();
        sim::InstallBus(nullptr);
        SetD2xxApi(UnloadedD2xxApi());
        ShowLinkErrors = true;
    }

    // Starts the worker and waits until it takes requests. Time stands still meanwhile, so the
    // exchange cannot start, or end, unseen.
    void StartWorker() {
        const std::uint64_t limit = clock.LimitUs();
        clock.FreezeAt(0);
        worker->Start();
        for (int i = 0; i < 5000 && !worker->IsRunning(); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        clock.SetLimitUs(limit);
        ASSERT_TRUE(worker->IsRunning());
    }

    static std::vector<std::uint8_t> Bytes(const auto& frame) {
        return {frame.begin(), frame.end()};
    }

    std::shared_ptr<sim::SimBus> bus;
    TestClock clock;   // outlives the worker, which keeps time by it
    RecorderSink sink; // outlives the worker, which posts to it
    std::unique_ptr<TDeviceThread> worker;
};
