// `watch`: the device worker polls the open unit as it does for the panel, and every reply it
// delivers (it delivers only changed ones) becomes one line or one JSON object, until the user
// interrupts the tool or the exchange fails.
#include "Commands.h"

#include "UnitAccess.h"
#include "UnitReport.h"
#include "UnitThread.h"

#include <condition_variable>
#include <csignal>
#include <cstdio>
#include <mutex>

namespace {

volatile std::sig_atomic_t Interrupted = 0;

extern "C" void OnInterrupt(int) {
    Interrupted = 1;
}

// How often the waiting thread looks at the interrupt flag, which a signal handler can only set.
constexpr std::chrono::milliseconds InterruptCheck{50};

// Prints on the worker thread; the waiting thread only learns that the exchange has ended.
class WatchPrinter : public DeviceMessageSink {
public:
    WatchPrinter(const UnitAtHand& unit, bool json) : unit_(unit), json_(json) {}

    bool PostDeviceMessage(unsigned message, std::uint32_t,
                           std::unique_ptr<StatusReply> reply) override {
        if (message == WM_DEV_STATUS && reply) {
            Print(*reply);
            last_ = *reply;
            first_ = false;
            return true;
        }
        std::lock_guard lock(mutex_);
        stopped_ = true;
        ended_.notify_all();
        return true;
    }

    // Returns once the exchange has ended or the tool is interrupted.
    void WaitForEnd() {
        std::unique_lock lock(mutex_);
        while (!stopped_ && !Interrupted)
            ended_.wait_for(lock, InterruptCheck);
    }

private:
    void Print(const StatusReply& reply) const {
        const UnitKind kind = unit_.Kind();
        const StatusReply* changedFrom = first_ ? nullptr : &last_;
        if (json_) {
            const nlohmann::ordered_json line = {
                {"unit", unit_.Name()},
                {"registers", RegistersJson(reply, kind, changedFrom)},
            };
            std::printf("%s\n", line.dump().c_str());
        } else {
            std::printf("%s: %s\n", unit_.Name().c_str(),
                        RegisterChangeLine(reply, kind, changedFrom).c_str());
        }
        std::fflush(stdout);
    }

    const UnitAtHand& unit_;
    const bool json_;
    StatusReply last_{};
    bool first_ = true;
    std::mutex mutex_;
    std::condition_variable ended_;
    bool stopped_ = false;
};

} // namespace

ExitStatus WatchCommand(const UnitRef& ref, bool json) {
    std::signal(SIGINT, OnInterrupt);
    std::signal(SIGTERM, OnInterrupt);
    return ForEachUnit({ref}, [json](UnitAtHand& unit) {
        WatchPrinter printer(unit, json);
        TDeviceThread worker(&printer);
        worker.Start();
        printer.WaitForEnd();
        worker.Stop();
        if (worker.StoppedByRequest || worker.ExitResult == ResultNone)
            return ExitDone;
        unit.Fail(
            ExchangeFailureText(worker.ExitResult, worker.ExitLinkStatus, worker.DeviceError));
        return ExitExchange;
    });
}
