// An exchange clock for tests: its time moves only when the code under test sleeps, by the step
// it sleeps, so a wait of seconds costs next to no real time. A test may freeze it at a point:
// from there on a sleep still returns (after a short real pause, so the sleeper keeps polling
// its stop request) but time stands still until the test lets it run again.
//
// Used by the worker thread and the test thread at once: its state is atomic.
#pragma once

#include "ExchangeClock.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <limits>
#include <thread>

class TestClock final : public ExchangeClock {
public:
    // `startTick` is the first TickCount; one near 2^32 makes every wait cross the wrap.
    explicit TestClock(std::uint32_t startTick = 0xFFFFFF00u) : startTick_(startTick) {}

    std::uint32_t TickCount() override {
        return startTick_ + static_cast<std::uint32_t>(ElapsedUs() / 1000);
    }

    void Sleep(std::chrono::microseconds step) override {
        const std::uint64_t limit = limitUs_.load(std::memory_order_acquire);
        std::uint64_t now = elapsedUs_.load(std::memory_order_acquire);
        if (now >= limit) {
            std::this_thread::sleep_for(std::chrono::microseconds(50));
            return;
        }
        const auto advance = static_cast<std::uint64_t>(step.count());
        while (!elapsedUs_.compare_exchange_weak(now, std::min(now + advance, limit),
                                                 std::memory_order_acq_rel)) {
        }
        // Lets the test thread in on a machine with few cores.
        std::this_thread::yield();
    }

    // Time since the clock was made.
    std::uint64_t ElapsedUs() const { return elapsedUs_.load(std::memory_order_acquire); }
    std::uint64_t ElapsedMs() const { return ElapsedUs() / 1000; }

    // Time stops once `elapsedMs` since the start is reached (at once when it already is).
    void FreezeAt(std::uint64_t elapsedMs) { SetLimitUs(elapsedMs * 1000); }
    // Time moves with every sleep again.
    void Run() { SetLimitUs(Unlimited); }
    // The point time stops at, in microseconds since the start (the largest value while it
    // runs), to be set again after a pause of one's own.
    std::uint64_t LimitUs() const { return limitUs_.load(std::memory_order_acquire); }
    void SetLimitUs(std::uint64_t limitUs) { limitUs_.store(limitUs, std::memory_order_release); }
    // Waits, for ten seconds at most, until time has reached the point it is frozen at; returns
    // whether it has.
    bool WaitUntilFrozen() const {
        for (int i = 0; i < 10000; ++i) {
            if (ElapsedUs() >= LimitUs())
                return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        return false;
    }

private:
    static constexpr std::uint64_t Unlimited = std::numeric_limits<std::uint64_t>::max();
    const std::uint32_t startTick_;
    std::atomic<std::uint64_t> elapsedUs_{0};
    std::atomic<std::uint64_t> limitUs_{Unlimited};
};
