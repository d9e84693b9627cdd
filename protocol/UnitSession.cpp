#include "UnitSession.h"

#include "D2XXUnit_mod.h"

#include <algorithm>

bool OpenForExchange(DWORD location) {
    return OpenWithLine(location, ExchangeTimeoutMs, SetUpFailureClose::Silent);
}

void CloseAfterExchange() {
    if (LinkGetStatus() == FT_OK) {
        LinkPurgeRx();
        LinkPurgeTx();
    }
    LinkClose();
}

UnitSession::UnitSession(ExchangeClock& clock, std::chrono::microseconds step,
                         const std::atomic<bool>* stop)
    : clock_(clock), step_(step), stop_(stop) {}

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
    std::copy(frame.begin(), frame.end(), OutBuffer);
    return WriteChecked(CommandFrameSize);
}

WorkerResult UnitSession::Send(const BlockWriteFrame& frame) {
    std::copy(frame.begin(), frame.end(), OutBuffer);
    return WriteChecked(BlockWriteFrameSize);
}

WorkerResult UnitSession::WriteChecked(std::uint32_t count) {
    const DWORD written = LinkWrite(count);
    if (LinkStatus != 0)
        return ResultWriteFailed;
    if (written < count) {
        LinkStatus = LinkShortTransfer;
        return ResultWriteFailed;
    }
    return ResultNone;
}

WorkerResult UnitSession::ReadReply(StatusReply& reply, std::uint8_t& deviceError) {
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

// Reads only once the driver holds the whole count, and measures the reply limit itself, so a
// wait can be stopped at every step. Bytes beyond `count` stay queued as the start of the next
// reply.
WorkerResult UnitSession::WaitAndRead(std::uint32_t count) {
    const std::uint32_t start = clock_.TickCount();
    for (;;) {
        // Exactly the limit is still within it.
        if (clock_.TickCount() - start > ReplyLimitMs) {
            LinkStatus = LinkReplyTimeout;
            return ResultReadFailed;
        }
        clock_.Sleep(step_);
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
