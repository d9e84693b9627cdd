#include "UnitThread.h"

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

TDeviceThread::TDeviceThread(DeviceMessageSink* window, std::chrono::microseconds step,
                             ExchangeClock& clock, LinkLine& line)
    : Window(window), step_(step), clock_(clock), session_(line, clock, step, &StopRequest) {}

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
    clock_.Sleep(step_);
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
    ExitLinkStatus = session_.Line().Status();
    DeviceError = deviceError;
    Finished.store(true, std::memory_order_release);
    // From here on the object belongs to the controlling thread again: only the copy is used.
    window->PostDeviceMessage(WM_DEV_STOPPED, 0, nullptr);
}

WorkerResult TDeviceThread::SendCommand(std::uint8_t code, std::uint8_t value) {
    return session_.Send(BuildCommandFrame(code, value));
}

WorkerResult TDeviceThread::SendBlock(const RegisterBlock& block) {
    return session_.Send(BuildBlockWriteFrame(block));
}

WorkerResult TDeviceThread::ReadReply(StatusReply& reply, std::uint8_t& deviceError) {
    return session_.ReadReply(reply, deviceError);
}

void TDeviceThread::StartDelay(std::uint32_t milliseconds) {
    const std::uint32_t start = clock_.TickCount();
    while (!StopRequested()) {
        // A difference of N ticks may cover as little as N - 1 ms and a bit; one tick more
        // makes sure the whole delay has passed.
        if (clock_.TickCount() - start > milliseconds)
            return;
        Sleep();
    }
}
