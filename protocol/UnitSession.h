// Talking to a unit over a LinkLine: opening and setting up its line, one request/reply turn, and
// the identification probe by which the device list tells units of the family from other
// devices. Used by the device list, by OpenUnit, by the device worker and by the command-line
// tool; nothing here shows a dialog of its own. The line is the link layer's module state unless
// another is given.
//
// Like a line, these functions belong to one thread at a time for that line.
#pragma once

#include "D2xxTypes.h"
#include "ExchangeClock.h"
#include "Frames.h"
#include "UnitLine.h"
#include "WorkerResult.h"

#include <array>
#include <atomic>
#include <chrono>
#include <cstdint>

inline constexpr std::uint32_t ReplyLimitMs = 2000; // a reply must be complete within this
inline constexpr ULONG ProbeTimeoutMs = 3000;       // driver time-outs while probing
inline constexpr ULONG ExchangeTimeoutMs = 2000;    // driver time-outs while a unit is open

// What a poll's reply says about the unit that sent it.
struct ProbedIdentity {
    std::uint16_t ModelNumber = 0;
    std::uint8_t ModelVariant = 0;
    int DeviceGeneration = 0;           // 0 when the version bytes name no known generation
    std::uint8_t SoftwareMajor = 0;     // reply byte 8
    std::uint8_t SoftwareMinor = 0;     // reply byte 9
    std::array<std::uint8_t, 5> Fpga{}; // reply bytes 10..14
};
// Reads the identity bytes of a 58-byte reply (no check of header or checksum).
ProbedIdentity IdentityOf(const StatusReply& reply);

// Not open elsewhere (flags bit 0 clear), type FT232R, description contains "ORQ-SYV" (any case).
bool IsFamilyCandidate(const FT_DEVICE_LIST_INFO_NODE& node);
// Model number is the family's and the generation is 1 or 2.
bool IsAcceptedIdentity(const ProbedIdentity& identity);
// Opens the device at `location`, resets it (a failure there is tolerated), ConfigureLine(
// ProbeTimeoutMs), sends one poll (the count written is not examined), waits for the 58-byte
// reply within ReplyLimitMs, reads its identity; always closes what it opened. false on any
// failure, with the line's status as left.
bool ProbeIdentity(DWORD location, ProbedIdentity& identity, ExchangeClock& clock,
                   LinkLine& line = ModuleLine());

// Opens the device at `location`, resets it (failure tolerated), ConfigureLine(
// ExchangeTimeoutMs); returns false on a failure of the open, or of the set-up after silencing
// the line's error dialogs and closing the device again.
bool OpenForExchange(DWORD location, LinkLine& line = ModuleLine());
// When FT_GetStatus succeeds, purges RX and TX; then closes.
void CloseAfterExchange(LinkLine& line = ModuleLine());

// One request/reply turn on the unit open on a line.
class UnitSession {
public:
    // `step` is the pause between queue queries of a reply wait; `stop`, when given, is
    // polled (acquire) at every step and ends a wait with ResultReadFailed. `line` must outlive
    // the session.
    UnitSession(LinkLine& line, ExchangeClock& clock, std::chrono::microseconds step,
                const std::atomic<bool>* stop = nullptr);
    // The same on the link layer's module state.
    UnitSession(ExchangeClock& clock, std::chrono::microseconds step,
                const std::atomic<bool>* stop = nullptr);

    // Writes the frame, waits for and reads the 58-byte reply, checks it in the fixed order
    // (header, checksum, protocol, device error). Returns ResultNone with `reply` filled, or the
    // failure; the line's status is the driver status, 31, 32, or 0 for a reply that arrived but
    // failed its check; `deviceError` is reply byte 15 on ResultDeviceError.
    WorkerResult Turn(const CommandFrame& frame, StatusReply& reply, std::uint8_t& deviceError);
    WorkerResult Turn(const BlockWriteFrame& frame, StatusReply& reply, std::uint8_t& deviceError);

    // The two halves of a turn, for a caller that looks at its stop request in between.
    // Send writes the frame: ResultNone or ResultWriteFailed with the line's status the driver
    // status or 31 for a short write.
    WorkerResult Send(const CommandFrame& frame);
    WorkerResult Send(const BlockWriteFrame& frame);
    // Waits for, reads and checks the reply, as the second half of Turn.
    WorkerResult ReadReply(StatusReply& reply, std::uint8_t& deviceError);

    // Waits until `count` bytes are queued (never blocking in the driver), then reads them into
    // the line's receive buffer. ResultNone or ResultReadFailed with the line's status set: the
    // driver status, 31 for a short read, 32 when more than ReplyLimitMs passed, 0 when a stop
    // ended the wait.
    WorkerResult WaitAndRead(std::uint32_t count);

    LinkLine& Line() const { return line_; }

private:
    WorkerResult WriteChecked(const std::uint8_t* bytes, std::uint32_t count);
    bool StopRequested() const { return stop_ && stop_->load(std::memory_order_acquire); }

    LinkLine& line_;
    ExchangeClock& clock_;
    const std::chrono::microseconds step_;
    const std::atomic<bool>* const stop_;
};
