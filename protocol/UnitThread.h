// The device worker: one background thread that owns the conversation with the open unit while
// its panel is open. It runs request/reply turns without pause: one frame out (the oldest queued
// request, else a poll), one StatusReply in, checked. A reply that differs from the last one
// delivered, or that answers a tagged request, goes to the window as WM_DEV_STATUS. The first
// failed turn, or a stop request, ends the exchange: the worker writes its exit report and posts
// WM_DEV_STOPPED. There is no retry.
//
// Threads: the constructor, Start, Stop, IsRunning, Post and the destructor belong to one
// controlling thread (the GUI thread). From Start to Stop the worker's line (the link layer,
// unless another is given) belongs to the worker alone; the controlling thread keeps its hands
// off it meanwhile. The window must outlive the
// worker, that is, the next Stop.
#pragma once

#include "ExchangeClock.h"
#include "Frames.h"
#include "UnitSession.h"
#include "WorkerMessages.h"
#include "WorkerResult.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>

class TDeviceThread {
public:
    // The worker's short sleep: between turns, between the queue queries of a reply wait and
    // between the checks of the start delay.
    static constexpr std::chrono::microseconds DefaultStep = std::chrono::milliseconds(1);
    static constexpr std::uint32_t StartDelayMs = 500;

    // Records the window that receives WM_DEV_STATUS and WM_DEV_STOPPED; starts nothing. A
    // step other than DefaultStep only serves runs on an instant bus that need many turns.
    // `clock` measures the start delay and the reply limit and makes the steps; it is used from
    // the worker thread and must outlive the object. `line` is the one the unit is open on; it
    // too must outlive the object.
    explicit TDeviceThread(DeviceMessageSink* window, std::chrono::microseconds step = DefaultStep,
                           ExchangeClock& clock = SteadyExchangeClock(),
                           LinkLine& line = ModuleLine());
    // Stops the worker first.
    virtual ~TDeviceThread();
    TDeviceThread(const TDeviceThread&) = delete;
    TDeviceThread& operator=(const TDeviceThread&) = delete;

    // Stops a previous worker, running or ended, then starts a new exchange. Until the new
    // thread has begun, IsRunning stays false and Post drops requests. The exit report is left
    // as it was until the new exchange ends.
    void Start();
    // Asks the worker to stop and waits, without time limit, until its thread has ended; joins
    // every started thread exactly once, also one that has not yet begun. Requests still queued
    // are released. On an object that was never started, or twice in a row, returns at once.
    void Stop();
    // True from the moment the worker has begun until it has finished its exit report.
    bool IsRunning() const;

    // Queues command `code` with `value` (WM_DEV_COMMAND), to be sent in place of a poll in a
    // later turn, in posting order. Code 255 is the block write and needs its block: it is
    // never queued as a command. Dropped unless IsRunning. Returns whether it was queued.
    bool Post(std::uint8_t code, std::uint8_t value, ReplyTag tag);
    // Queues a block write (code 255, WM_DEV_BLOCK). The block belongs to the worker from here
    // on; it is released once taken for its turn, when the exchange is stopped, or at once when
    // not running.
    bool Post(std::unique_ptr<RegisterBlock> block, ReplyTag tag);

private:
    // Receives WM_DEV_STATUS and WM_DEV_STOPPED; set once at construction.
    DeviceMessageSink* const Window;
    // Joinable from Start until Stop has joined it.
    std::thread ThreadHandle;
    // The worker thread's id; empty when no thread has been started or after Stop.
    std::thread::id ThreadId;
    // Written by the controlling thread (release), polled by the worker (acquire) at every turn
    // and every step of a wait.
    std::atomic<bool> StopRequest{false};
    // True from construction. The worker stores false (release) when it begins and true
    // (release) once the exit report is written; readers load it with acquire, after which the
    // exit report may be read.
    std::atomic<bool> Finished{true};

public:
    // Exit report, written by the worker alone, once, before it releases Finished and posts
    // WM_DEV_STOPPED. Read it once WM_DEV_STOPPED has arrived or after Stop.
    bool StoppedByRequest = false;        // StopRequest when the worker left its loop
    WorkerResult ExitResult = ResultNone; // result of the last step run
    std::int32_t ExitLinkStatus = 0;      // the line's status when the worker left its loop
    std::uint8_t DeviceError = 0;         // reply byte 15 when ExitResult is ResultDeviceError

private:
    // One queued WM_DEV_COMMAND or WM_DEV_BLOCK.
    struct Request {
        unsigned message;
        ReplyTag wParam;
        std::uint32_t lParam;                 // WM_DEV_COMMAND: (code << 8) | value
        std::unique_ptr<RegisterBlock> block; // WM_DEV_BLOCK: owned
    };

    void Enqueue(Request request);
    // The oldest queued request, taken out of the queue; none when it is empty.
    std::optional<Request> TakeRequest();
    bool StopRequested() const { return StopRequest.load(std::memory_order_acquire); }
    void Sleep() const;

    // The worker thread.
    void WorkerLoop();
    // Each step returns the WorkerResult of what it did and leaves the line's status as
    // UnitSession describes.
    WorkerResult SendCommand(std::uint8_t code, std::uint8_t value);
    WorkerResult SendBlock(const RegisterBlock& block);
    // On ResultDeviceError `deviceError` receives reply byte 15.
    WorkerResult ReadReply(StatusReply& reply, std::uint8_t& deviceError);
    // Returns once `milliseconds` have passed or a stop is requested, whichever comes first.
    void StartDelay(std::uint32_t milliseconds);

    const std::chrono::microseconds step_;
    ExchangeClock& clock_;
    // Watches StopRequest at every step of a reply wait.
    UnitSession session_;
    std::mutex queueMutex_;
    std::deque<Request> queue_; // guarded by queueMutex_
};
