#include "UnitRunner.h"

#include "StandardOutput.h"

#include <algorithm>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <thread>

namespace orqsyv::cli {

namespace {

void Print(const UnitOutcome& outcome, bool jsonLines) {
    if (jsonLines && !outcome.json.is_null())
        PrintOut(JsonText(outcome.json) + "\n");
    else
        PrintOut(outcome.out);
    PrintErr(outcome.err);
}

// Where the jobs' threads hand their outcomes to the printing thread.
class OutcomeSlots {
public:
    explicit OutcomeSlots(std::size_t count) : slots_(count) {}

    // The next index no thread has taken yet; `count` and beyond when none is left.
    std::size_t Take() {
        std::lock_guard lock(mutex_);
        return next_++;
    }
    void Put(std::size_t index, UnitOutcome outcome) {
        {
            std::lock_guard lock(mutex_);
            slots_[index] = std::move(outcome);
        }
        filled_.notify_all();
    }
    // Waits until the outcome of `index` is in, and takes it.
    UnitOutcome Wait(std::size_t index) {
        std::unique_lock lock(mutex_);
        filled_.wait(lock, [&] { return slots_[index].has_value(); });
        return std::move(*slots_[index]);
    }

private:
    std::mutex mutex_;
    std::condition_variable filled_;
    std::vector<std::optional<UnitOutcome>> slots_; // guarded by mutex_
    std::size_t next_ = 0;                          // guarded by mutex_
};

} // namespace

std::vector<UnitOutcome> RunInOrder(std::size_t count, unsigned jobs, bool jsonLines,
                                    const UnitJob& job) {
    std::vector<UnitOutcome> outcomes;
    const std::size_t threads = jobs == 0 ? count : std::min<std::size_t>(jobs, count);
    if (threads <= 1) {
        for (std::size_t i = 0; i < count; ++i) {
            outcomes.push_back(job(i));
            Print(outcomes.back(), jsonLines);
        }
        return outcomes;
    }
    OutcomeSlots slots(count);
    std::vector<std::thread> workers;
    for (std::size_t t = 0; t < threads; ++t)
        workers.emplace_back([&] {
            for (std::size_t i = slots.Take(); i < count; i = slots.Take())
                slots.Put(i, job(i));
        });
    for (std::size_t i = 0; i < count; ++i) {
        outcomes.push_back(slots.Wait(i));
        Print(outcomes.back(), jsonLines);
    }
    for (std::thread& worker : workers)
        worker.join();
    return outcomes;
}

ExitStatus WorstOf(const std::vector<UnitOutcome>& outcomes) {
    ExitStatus worst = ExitDone;
    for (const UnitOutcome& outcome : outcomes)
        worst = Worst(worst, outcome.status);
    return worst;
}

} // namespace orqsyv::cli
