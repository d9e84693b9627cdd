#include "UnitThread.h"

#include "D2XXUnit_mod.h"

#include <algorithm>
#include <utility>

#if defined(_WIN32)
#include "WindowsApi.h"
// After windows.h, which it needs.
#include <timeapi.h>
#elif defined(__linux__)
#include <sys/prctl.h>
#endif

DeviceMessageSink::~DeviceMessageSink() = default;

namespace {

// Milliseconds on a monotonic clock, cut to 32 bits: only differences taken in 32-bit unsigned
// arithmetic mean anything, and they stay right across the wrap.
std::uint32_t TickCount() {
    using namespace std::chrono;
    return static_cast<std::uint32_t>(
        duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

// The worker's 1 ms steps set the pace of the exchange, so it asks for wake-ups on time while
// it runs. Linux lets a sleeping thread wake up to 50 us late by default, which adds up over the
// steps of every reply wait: the worker's own thread asks for exact wake-ups. Windows rounds
// every sleep up to its timer tick, about 15.6 ms unless some program asks for 1 ms ticks: the
// worker asks for them until its exchange has ended, as the system requires each request to be
// paired with its release.
class WakeOnTime {
public:
    WakeOnTime() {
#if defined(_WIN32)
        timeBeginPeriod(1);
#elif defined(__linux__)
        prctl(PR_SET_TIMERSLACK, 1UL);
#endif
    }
    ~WakeOnTime() {
#if defined(_WIN32)
        timeEndPeriod(1);
#endif
    }
    WakeOnTime(const WakeOnTime&) = delete;
    WakeOnTime& operator=(const WakeOnTime&) = delete;
};

} // namespace

TDeviceThread::TDeviceThread(DeviceMessageSink* window, std::chrono::microseconds step)
    : Window(window), step_(step) {}

TDeviceThread::~TDeviceThread() {
    Stop();
}

void TDeviceThread::Start() {
    // An ended worker's thread still has to be joined before the handle can take a new one.
    Stop();
    // Ordered before the worker's first load by the thread's creation.
    StopRequest.store(false, std::memory_order_relaxed);
    ThreadHandle = std::thread(&TDeviceThread::WorkerLoop, this);
    ThreadId = ThreadHandle.get_id();
}

void TDeviceThread::Stop() {
    StopRequest.store(true, std::memory_order_release);
    // Joined whenever joinable, not only while IsRunning: a thread that has not yet cleared
    // Finished, or has set it again, still needs its one join.
    if (ThreadHandle.joinable())
        ThreadHandle.join();
    ThreadId = {};
    std::lock_guard lock(queueMutex_);
    queue_.clear();
}

bool TDeviceThread::IsRunning() const {
    return !Finished.load(std::memory_order_acquire) && ThreadHandle.joinable();
}

bool TDeviceThread::Post(std::uint8_t code, std::uint8_t value, ReplyTag tag) {
    if (code == BlockWriteCode || !IsRunning())
        return false;
    Enqueue({WM_DEV_COMMAND, tag, std::uint32_t{value} | std::uint32_t{code} << 8, nullptr});
    return true;
}

bool TDeviceThread::Post(std::unique_ptr<RegisterBlock> block, ReplyTag tag) {
    if (!block || !IsRunning())
        return false;
    Enqueue({WM_DEV_BLOCK, tag, 0, std::move(block)});
    return true;
}

void TDeviceThread::Enqueue(Request request) {
    std::lock_guard lock(queueMutex_);
    queue_.push_back(std::move(request));
}

std::optional<TDeviceThread::Request> TDeviceThread::TakeRequest() {
    std::lock_guard lock(queueMutex_);
    if (queue_.empty())
        return std::nullopt;
    std::optional<Request> request(std::move(queue_.front()));
    queue_.pop_front();
    return request;
}

void TDeviceThread::Sleep() const {
    std::this_thread::sleep_for(step_);
}

void TDeviceThread::WorkerLoop() {
    // The queue lives in the object, so requests can be taken from the moment Post sees this.
    Finished.store(false, std::memory_order_release);
    const WakeOnTime onTime;
    DeviceMessageSink* const window = Window;
    StatusReply lastDelivered;
    lastDelivered.fill(0xFF); // no reply looks like this, so the first accepted one differs
    StatusReply current{};
    RegisterBlock block{};
    WorkerResult result = ResultNone;
    std::uint8_t deviceError = 0;

    StartDelay(StartDelayMs);
    while (!StopRequested()) {
        std::uint8_t code = PollCode;
        std::uint8_t value = 0;
        ReplyTag tag = 0;
        if (std::optional<Request> request = TakeRequest()) {
            tag = request->wParam;
            if (request->message == WM_DEV_BLOCK) {
                code = BlockWriteCode;
                block = *request->block;
            } else {
                code = static_cast<std::uint8_t>(request->lParam >> 8);
                value = static_cast<std::uint8_t>(request->lParam);
            }
        } // a block request's memory is released here

        result = code == BlockWriteCode ? SendBlock(block) : SendCommand(code, value);
        if (result != ResultNone || StopRequested())
            break;
        result = ReadReply(current, deviceError);
        if (result != ResultNone || StopRequested())
            break;
        if (current != lastDelivered || tag != 0) {
            lastDelivered = current;
            window->PostDeviceMessage(WM_DEV_STATUS, tag, std::make_unique<StatusReply>(current));
        }
        Sleep();
    }

    StoppedByRequest = StopRequested();
    ExitResult = result;
    ExitLinkStatus = LinkStatus;
    DeviceError = deviceError;
    Finished.store(true, std::memory_order_release);
    // From here on the object belongs to the controlling thread again: only the copy is used.
    window->PostDeviceMessage(WM_DEV_STOPPED, 0, nullptr);
}

WorkerResult TDeviceThread::SendCommand(std::uint8_t code, std::uint8_t value) {
    const CommandFrame frame = BuildCommandFrame(code, value);
    std::copy(frame.begin(), frame.end(), OutBuffer);
    return WriteChecked(CommandFrameSize);
}

WorkerResult TDeviceThread::SendBlock(const RegisterBlock& block) {
    const BlockWriteFrame frame = BuildBlockWriteFrame(block);
    std::copy(frame.begin(), frame.end(), OutBuffer);
    return WriteChecked(BlockWriteFrameSize);
}

WorkerResult TDeviceThread::WriteChecked(std::uint32_t count) {
    const DWORD written = LinkWrite(count);
    if (LinkStatus != 0)
        return ResultWriteFailed;
    if (written < count) {
        LinkStatus = LinkShortTransfer;
        return ResultWriteFailed;
    }
    return ResultNone;
}

// Never blocks in the driver: reads only once the driver holds the whole count, and measures
// the reply limit itself. Bytes beyond `count` stay queued as the start of the next reply.
WorkerResult TDeviceThread::WaitAndRead(std::uint32_t count) {
    const std::uint32_t start = TickCount();
    for (;;) {
        // Exactly the limit is still within it.
        if (TickCount() - start > ReplyLimitMs) {
            LinkStatus = LinkReplyTimeout;
            return ResultReadFailed;
        }
        Sleep();
        LinkStatus = static_cast<std::int32_t>(LinkGetQueueStatus());
        if (LinkStatus != 0)
            return ResultReadFailed;
        if (RxQueueBytes >= count) {
            const DWORD read = LinkRead(count);
            if (LinkStatus != 0)
                return ResultReadFailed;
            if (read < count) {
                LinkStatus = LinkShortTransfer;
                return ResultReadFailed;
            }
            return ResultNone;
        }
        if (StopRequested())
            return ResultReadFailed;
    }
}

WorkerResult TDeviceThread::ReadReply(StatusReply& reply, std::uint8_t& deviceError) {
    if (const WorkerResult result = WaitAndRead(StatusReplySize); result != ResultNone)
        return result;
    std::copy_n(InBuffer, StatusReplySize, reply.begin());
    const ReplyCheck check = ValidateReply(reply);
    if (check.result != ResultNone) {
        // The transfer itself succeeded.
        LinkStatus = 0;
        deviceError = check.deviceError;
    }
    return check.result;
}

void TDeviceThread::StartDelay(std::uint32_t milliseconds) {
    const std::uint32_t start = TickCount();
    while (!StopRequested()) {
        // A difference of N ticks may cover as little as N - 1 ms and a bit; one tick more
        // makes sure the whole delay has passed.
        if (TickCount() - start > milliseconds)
            return;
        Sleep();
    }
}
