// Reaching units one after the other: each is found in the driver's device list, opened and set
// up as the panel's opening does, polled once for its identity and its registers, handed to the
// command's work, and closed. Failures are told on standard error with the unit named, in the
// panel's words.
#pragma once

#include "ExitStatus.h"
#include "SettingValues.h"
#include "UnitRef.h"
#include "UnitSession.h"

#include <functional>
#include <string>
#include <vector>

// A unit open for the command's work.
class UnitAtHand {
public:
    UnitAtHand(std::string name, DWORD location);

    const std::string& Name() const { return name_; }
    DWORD Location() const { return location_; }
    const ProbedIdentity& Identity() const { return identity_; }
    UnitKind Kind() const;
    // The newest reply the unit sent.
    const StatusReply& Reply() const { return reply_; }

    // One turn. ExitDone with Reply() updated, or ExitExchange once the failure is told.
    ExitStatus Turn(const CommandFrame& frame);
    ExitStatus Turn(const BlockWriteFrame& frame);

    // Tells `text` on standard error as this unit's.
    void Fail(const std::string& text) const;

private:
    friend ExitStatus Visit(UnitAtHand& unit, const std::function<ExitStatus(UnitAtHand&)>& work,
                            bool skipStrangers);
    template <typename Frame> ExitStatus TurnOf(const Frame& frame);

    std::string name_;
    DWORD location_;
    ProbedIdentity identity_;
    StatusReply reply_{};
    UnitSession session_;
};

using UnitWork = std::function<ExitStatus(UnitAtHand&)>;

// Does `work` on each unit named, in order; a unit that fails does not stop the others. Returns
// the worst status.
ExitStatus ForEachUnit(const std::vector<UnitRef>& refs, const UnitWork& work);

// Does `work` on every free device that the device list would probe (not open elsewhere, an
// FT232R, "ORQ-SYV" in its description). The first poll decides, as the device list's probe
// does: a device whose reply names another model or an unknown generation is passed over.
ExitStatus ForEveryUnit(const UnitWork& work);

// Fills the link layer's device list; tells "Cannot get USB Device List" and returns false
// when the driver cannot give it.
bool FetchDeviceList();

// The panel's text of a failed exchange on one line.
std::string ExchangeFailureText(WorkerResult result, std::int32_t linkStatus,
                                std::uint8_t deviceError);
