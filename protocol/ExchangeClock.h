// The time base of an exchange with a unit: the millisecond tick that reply limits and delays
// are measured on, and the short sleep between two looks at the driver. Tests replace it with a
// clock of their own so that a wait costs no real time.
#pragma once

#include <chrono>
#include <cstdint>

class ExchangeClock {
public:
    virtual ~ExchangeClock();
    // Milliseconds of a free-running 32-bit tick; only differences (mod 2^32) mean anything.
    virtual std::uint32_t TickCount() = 0;
    // Waits `step`; a test clock advances its own time instead of sleeping.
    virtual void Sleep(std::chrono::microseconds step) = 0;
};

// The steady clock with real sleeps (exact 1 ms wake-ups are the caller's business). One object
// for the whole run, safe to use from any thread.
ExchangeClock& SteadyExchangeClock();
