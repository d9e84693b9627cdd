// Figures of the device exchange with a simulated unit on a bus at wire timing, 115200 baud:
// turns per second against the wire limit, latency from Post to the delivery of the tagged
// reply, and the CPU time the process spends while the worker polls an idle unit. Run once with
// no reply delay in the unit (the wire alone) and once with the simulator's default delay.
#include "D2XXUnit_mod.h"
#include "SimBus.h"
#include "SimDriver.h"
#include "UnitSession.h"
#include "UnitThread.h"

#if defined(_WIN32)
#include "WindowsApi.h"
#else
#include <sys/resource.h>
#endif

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <random>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
using Ms = std::chrono::duration<double, std::milli>;
using namespace std::chrono_literals;

constexpr DWORD Location = 0x1011;
constexpr double Baud = 115200;
// One turn on the wire: a 7-byte command out, a 58-byte reply in, 10 bits a character.
constexpr double TurnMs = (CommandFrameSize + StatusReplySize) * 10 * 1000 / Baud;
constexpr int LatencySamples = 300;

// Notes when each tagged reply arrives and lets the bench wait for it.
class TagClock final : public DeviceMessageSink {
public:
    bool PostDeviceMessage(unsigned message, std::uint32_t wParam,
                           std::unique_ptr<StatusReply>) override {
        const auto now = Clock::now();
        std::lock_guard lock(mutex_);
        if (message == WM_DEV_STATUS && wParam != 0)
            arrived_[wParam] = now;
        changed_.notify_all();
        return true;
    }
    std::optional<Clock::time_point> WaitFor(ReplyTag tag) {
        std::unique_lock lock(mutex_);
        if (!changed_.wait_for(lock, 5s, [&] { return arrived_.count(tag) > 0; }))
            return std::nullopt;
        return arrived_[tag];
    }

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    std::map<ReplyTag, Clock::time_point> arrived_;
};

// User and system CPU time of the whole process so far.
double CpuSeconds() {
#if defined(_WIN32)
    FILETIME created{}, exited{}, kernel{}, user{};
    GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
    // FILETIME counts 100 ns intervals.
    const auto seconds = [](const FILETIME& t) {
        return (static_cast<double>(t.dwHighDateTime) * 4294967296.0 + t.dwLowDateTime) / 1e7;
    };
    return seconds(user) + seconds(kernel);
#else
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const auto seconds = [](const timeval& t) { return t.tv_sec + t.tv_usec / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
#endif
}

double Percentile(std::vector<double> values, double fraction) {
    std::sort(values.begin(), values.end());
    const auto rank = static_cast<std::size_t>(fraction * static_cast<double>(values.size()));
    return values[std::min(rank, values.size() - 1)];
}

// Post to delivery of `LatencySamples` tagged commands. Each is posted `pause` after the
// previous reply arrived, `pause` drawn by `nextPause`.
template <typename Pause>
std::vector<double> Latencies(TDeviceThread& worker, TagClock& sink, ReplyTag& tag,
                              Pause nextPause) {
    std::vector<double> latencies;
    for (int i = 0; i < LatencySamples; ++i) {
        std::this_thread::sleep_for(nextPause());
        const auto posted = Clock::now();
        worker.Post(5, static_cast<std::uint8_t>(i % 2), ++tag); // colour bars off and on
        if (const auto arrived = sink.WaitFor(tag))
            latencies.push_back(Ms(*arrived - posted).count());
    }
    return latencies;
}

void Run(std::chrono::microseconds replyDelay) {
    const auto bus = std::make_shared<sim::SimBus>(sim::BusTiming{false, replyDelay});
    bus->Plug({Location, FT_DEVICE_232R, "SV731001", "ORQ-SYV-730", false, sim::MakeUnit(5, 1)});
    sim::InstallBus(bus);
    std::printf("\nunit reply delay %.2f ms\n", Ms(replyDelay).count());
    if (!OpenForExchange(Location)) {
        std::printf("  cannot open the simulated unit\n");
        return;
    }
    TagClock sink;
    TDeviceThread worker(&sink);
    worker.Start();
    bus->WaitForFrames(1, 5s);

    // Turn rate, from the frame log.
    const std::size_t before = bus->Frames().size();
    const auto rateStart = Clock::now();
    std::this_thread::sleep_for(3s);
    const std::vector<sim::SimFrame> frames = bus->Frames();
    const double seconds = std::chrono::duration<double>(Clock::now() - rateStart).count();
    const double turnsPerSecond = static_cast<double>(frames.size() - before) / seconds;
    const double wireLimit = 1000 / TurnMs;
    // Time the worker adds to each turn: from the last reply byte to the next frame.
    const auto replyTime = std::chrono::duration_cast<Clock::duration>(
        std::chrono::duration<double>(StatusReplySize * 10 / Baud));
    std::vector<double> gaps;
    for (std::size_t i = before; i + 1 < frames.size(); ++i)
        gaps.push_back(
            Ms(frames[i + 1].sentAt - (frames[i].receivedAt + replyDelay + replyTime)).count());
    std::printf("  turns/s %.1f, wire limit %.1f, ratio %.3f (goal >= 0.75)\n", turnsPerSecond,
                wireLimit, turnsPerSecond / wireLimit);
    std::printf("  worker time per turn after the reply: median %.2f ms, p99 %.2f ms\n",
                Percentile(gaps, 0.5), Percentile(gaps, 0.99));

    // Latency, posted while the worker is between turns and at a random point of a turn.
    ReplyTag tag = 0;
    const auto betweenTurns = Latencies(worker, sink, tag, [] { return 0us; });
    std::mt19937 random(1);
    const auto anyTime = Latencies(worker, sink, tag, [&] {
        return std::chrono::microseconds(random() % static_cast<unsigned>(TurnMs * 2000));
    });
    std::printf("  latency Post to reply, posted between turns: median %.2f ms, p99 %.2f ms "
                "(goal p99 <= %.2f ms)\n",
                Percentile(betweenTurns, 0.5), Percentile(betweenTurns, 0.99), TurnMs + 2);
    std::printf("  latency Post to reply, posted at any time:   median %.2f ms, p99 %.2f ms\n",
                Percentile(anyTime, 0.5), Percentile(anyTime, 0.99));

    // CPU of the whole process while an idle unit is polled.
    const double cpuStart = CpuSeconds();
    const auto idleStart = Clock::now();
    std::this_thread::sleep_for(5s);
    const double cpu =
        (CpuSeconds() - cpuStart) / std::chrono::duration<double>(Clock::now() - idleStart).count();
    std::printf("  CPU while polling an idle unit: %.2f %% of a core (goal <= 2 %%)\n", cpu * 100);

    worker.Stop();
    LinkClose();
    sim::InstallBus(nullptr);
}

} // namespace

int main() {
    SetD2xxApi(sim::SimApi());
    ShowLinkErrors = false;
    // A plain 1 ms sleep, with the thread's default timer slack; the worker asks for exact
    // wake-ups on its own thread.
    const auto sleepStart = Clock::now();
    for (int i = 0; i < 200; ++i)
        std::this_thread::sleep_for(1ms);
    std::printf("plain 1 ms sleep: %.3f ms on average\n",
                Ms(Clock::now() - sleepStart).count() / 200);
    Run(0us);
    Run(sim::BusTiming{}.replyDelay);
    return 0;
}
