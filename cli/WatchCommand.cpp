// `watch`: the device worker polls the open unit as it does for the panel, and every reply it
// delivers (it delivers only changed ones) becomes one line or one JSON object with its time,
// until the user interrupts the tool, the reader of its output goes, the lines asked for are
// printed or the exchange fails. The unit is closed in every case.
#include "Commands.h"

#include "StandardOutput.h"
#include "UnitReport.h"
#include "UnitThread.h"
#include "UtcTime.h"

#include <condition_variable>
#include <csignal>
#include <deque>
#include <mutex>
#include <utility>

namespace orqsyv::cli {

namespace {

volatile std::sig_atomic_t Interrupted = 0;

extern "C" void OnInterrupt(int) {
    Interrupted = 1;
}

// How often the printing thread looks at the interrupt flag, which a signal handler can only
// set, and at standard output for a reader that has gone without a word.
constexpr std::chrono::milliseconds WatchCheck{50};

using Replies = std::deque<std::unique_ptr<StatusReply>>;

// Where the worker thread hands its replies to the printing thread.
class ReplyQueue : public DeviceMessageSink {
public:
    bool PostDeviceMessage(unsigned message, std::uint32_t,
                           std::unique_ptr<StatusReply> reply) override {
        {
            std::lock_guard lock(mutex_);
            if (message == WM_DEV_STATUS && reply)
                replies_.push_back(std::move(reply));
            else
                ended_ = true;
        }
        changed_.notify_all();
        return true;
    }

    // Waits up to `wait` for a reply or the end of the exchange; returns the replies in the
    // order they came, and in `ended` whether the exchange has ended.
    Replies Take(std::chrono::milliseconds wait, bool& ended) {
        std::unique_lock lock(mutex_);
        changed_.wait_for(lock, wait, [&] { return ended_ || !replies_.empty(); });
        ended = ended_;
        return std::exchange(replies_, {});
    }

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    Replies replies_;    // guarded by mutex_
    bool ended_ = false; // guarded by mutex_
};

std::string WatchLine(const UnitAtHand& unit, const StatusReply& reply, const StatusReply* last,
                      bool json) {
    if (!json)
        return UtcNowText() + " " + unit.Of().Heading() + ": " +
               RegisterChangeLine(reply, unit.Kind(), last) + "\n";
    nlohmann::ordered_json line = {{"time", UtcNowText()}};
    PutText(line, "unit", unit.Name());
    line["registers"] = RegistersJson(reply, unit.Kind(), last);
    return JsonText(line) + "\n";
}

} // namespace

ExitStatus WatchCommand(const UnitRef& ref, bool json, std::optional<unsigned> count) {
    std::signal(SIGINT, OnInterrupt);
    std::signal(SIGTERM, OnInterrupt);
    // A single unit: the work runs on this thread, which alone prints.
    return OnUnits(OneUnit(ref), [&](UnitAtHand& unit) {
        ReplyQueue queue;
        TDeviceThread worker(&queue, TDeviceThread::DefaultStep, SteadyExchangeClock(),
                             unit.Line());
        worker.Start();
        std::optional<StatusReply> last;
        unsigned printed = 0;
        bool done = false;
        while (!done && !Interrupted) {
            bool ended = false;
            for (const std::unique_ptr<StatusReply>& reply : queue.Take(WatchCheck, ended)) {
                // A write that fails (a reader gone, a full disk) ends the watch; main tells
                // what it was.
                done = !PrintOut(WatchLine(unit, *reply, last ? &*last : nullptr, json)) ||
                       (count && ++printed >= *count);
                if (done)
                    break;
                last = *reply;
            }
            done = done || ended || OutputHungUp();
        }
        worker.Stop();
        if (worker.StoppedByRequest || worker.ExitResult == ResultNone)
            return ExitDone;
        unit.Fail(ExchangeFailureText(worker.ExitResult, worker.ExitLinkStatus, worker.DeviceError,
                                      unit.Line()));
        return ExitExchange;
    });
}

} // namespace orqsyv::cli
