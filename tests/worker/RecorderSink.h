// A window stand-in for the device worker: records every message it is posted, with a copy of
// the reply, and lets the test thread wait for what it expects.
#pragma once

#include "WorkerMessages.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <iterator>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

struct RecordedMessage {
    unsigned message;
    std::uint32_t wParam;
    std::optional<StatusReply> reply;
};

// The WM_DEV_STATUS messages among `all`.
inline std::vector<RecordedMessage> StatusesOf(const std::vector<RecordedMessage>& all) {
    std::vector<RecordedMessage> statuses;
    std::copy_if(all.begin(), all.end(), std::back_inserter(statuses),
                 [](const RecordedMessage& m) { return m.message == WM_DEV_STATUS; });
    return statuses;
}

class RecorderSink final : public DeviceMessageSink {
public:
    // `accept` is what every posting answers; a refused reply is still recorded.
    explicit RecorderSink(bool accept = true) : accept_(accept) {}

    bool PostDeviceMessage(unsigned message, std::uint32_t wParam,
                           std::unique_ptr<StatusReply> reply) override {
        std::lock_guard lock(mutex_);
        messages_.push_back({message, wParam, reply ? std::optional(*reply) : std::nullopt});
        changed_.notify_all();
        return accept_;
    }

    // Waits until `done(messages)` holds, for ten seconds at most, and returns the messages.
    template <typename Done> std::vector<RecordedMessage> WaitUntil(Done done) {
        std::unique_lock lock(mutex_);
        changed_.wait_for(lock, std::chrono::seconds(10), [&] { return done(messages_); });
        return messages_;
    }
    std::vector<RecordedMessage> Messages() {
        return WaitUntil([](const auto&) { return true; });
    }
    std::vector<RecordedMessage> WaitForStatuses(std::size_t count) {
        return WaitUntil([count](const auto& all) { return StatusesOf(all).size() >= count; });
    }
    std::vector<RecordedMessage> WaitForStop() {
        return WaitUntil(
            [](const auto& all) { return !all.empty() && all.back().message == WM_DEV_STOPPED; });
    }

    // Forgets what was recorded so far.
    void Clear() {
        std::lock_guard lock(mutex_);
        messages_.clear();
    }

private:
    const bool accept_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<RecordedMessage> messages_;
};
