#include "ExchangeClock.h"

#include <thread>

ExchangeClock::~ExchangeClock() = default;

namespace {

class SteadyClock final : public ExchangeClock {
public:
    // Milliseconds on a monotonic clock, cut to 32 bits: differences taken in 32-bit unsigned
    // arithmetic stay right across the wrap.
    std::uint32_t TickCount() override {
        using namespace std::chrono;
        return static_cast<std::uint32_t>(
            duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
    }
    void Sleep(std::chrono::microseconds step) override { std::this_thread::sleep_for(step); }
};

} // namespace

ExchangeClock& SteadyExchangeClock() {
    static SteadyClock clock;
    return clock;
}
