#include "UnitSession.h"

#include <algorithm>

bool OpenForExchange(DWORD location, LinkLine& line) {
    return OpenWithLine(location, ExchangeTimeoutMs, SetUpFailureClose::Silent, line);
}

void CloseAfterExchange(LinkLine& line) {
    if (line.GetStatus() == FT_OK) {
        line.PurgeRx();
        line.PurgeTx();
    }
    line.Close();
}

UnitSession::UnitSession(LinkLine& line, ExchangeClock& clock, std::chrono::microseconds step,
                         const std::atomic<bool>* stop)
    : line_(line), clock_(clock), step_(step), stop_(stop) {}

UnitSession::UnitSession(ExchangeClock& clock, std::chrono::microseconds step,
                         const std::atomic<bool>* stop)
    : UnitSession(ModuleLine(), clock, step, stop) {}

WorkerResult UnitSession::Turn(const CommandFrame& frame, StatusReply& reply,
                               std::uint8_t& deviceError) {
    if (const WorkerResult result = Send(frame); result != ResultNone)
        return result;
    return ReadReply(reply, deviceError);
}

WorkerResult UnitSession::Turn(const BlockWriteFrame& frame, StatusReply& reply,
                               std::uint8_t& deviceError) {
    if (const WorkerResult result = Send(frame); result != ResultNone)
        return result;
    return ReadReply(reply, deviceError);
}

WorkerResult UnitSession::Send(const CommandFrame& frame) {
    return WriteChecked(frame.data(), CommandFrameSize);
}

WorkerResult UnitSession::Send(const BlockWriteFrame& frame) {
    return WriteChecked(frame.data(), BlockWriteFrameSize);
}

WorkerResult UnitSession::WriteChecked(const std::uint8_t* bytes, std::uint32_t count) {
    const DWORD written = line_.Write(bytes, count);
    if (line_.Status() != 0)
        return ResultWriteFailed;
    if (written < count) {
        line_.SetStatus(LinkShortTransfer);
        return ResultWriteFailed;
    }
    return ResultNone;
}

WorkerResult UnitSession::ReadReply(StatusReply& reply, std::uint8_t& deviceError) {
    if (const WorkerResult result = WaitAndRead(StatusReplySize); result != ResultNone)
        return result;
    std::copy_n(line_.Received(), StatusReplySize, reply.begin());
    const ReplyCheck check = ValidateReply(reply);
    if (check.result != ResultNone) {
        // The transfer itself succeeded.
        line_.SetStatus(0);
        deviceError = check.deviceError;
    }
    return check.result;
}

// Reads only once the driver holds the whole count, and measures the reply limit itself, so a
// wait can be stopped at every step. Bytes beyond `count` stay queued as the start of the next
// reply.
WorkerResult UnitSession::WaitAndRead(std::uint32_t count) {
    const std::uint32_t start = clock_.TickCount();
    for (;;) {
        // Exactly the limit is still within it.
        if (clock_.TickCount() - start > ReplyLimitMs) {
            line_.SetStatus(LinkReplyTimeout);
            return ResultReadFailed;
        }
        clock_.Sleep(step_);
        line_.SetStatus(static_cast<std::int32_t>(line_.GetQueueStatus()));
        if (line_.Status() != 0)
            return ResultReadFailed;
        if (line_.RxQueueBytes() >= count) {
            const DWORD read = line_.Read(count);
            if (line_.Status() != 0)
                return ResultReadFailed;
            if (read < count) {
                line_.SetStatus(LinkShortTransfer);
                return ResultReadFailed;
            }
            return ResultNone;
        }
        if (StopRequested())
            return ResultReadFailed;
    }
}
