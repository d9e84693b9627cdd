#include "UnitAccess.h"

#include "D2XXUnit_mod.h"
#include "ExchangeErrors.h"
#include "UnitReport.h"

#include <cstdio>

namespace {

// The pause between two looks at the driver while a reply comes in. Shorter than the worker's
// 1 ms: a run over a rack of units is paced by its reply waits.
constexpr std::chrono::microseconds ToolStep{100};

std::string NameOf(const FT_DEVICE_LIST_INFO_NODE& node) {
    const std::string serial = SerialOf(node);
    return serial.empty() ? LocationText(node.LocId) : serial;
}

void Tell(const std::string& name, const std::string& text) {
    std::fprintf(stderr, "%s: %s\n", name.c_str(), text.c_str());
}

} // namespace

UnitAtHand::UnitAtHand(std::string name, DWORD location)
    : name_(std::move(name)), location_(location), session_(SteadyExchangeClock(), ToolStep) {}

UnitKind UnitAtHand::Kind() const {
    return {identity_.ModelVariant, identity_.DeviceGeneration};
}

void UnitAtHand::Fail(const std::string& text) const {
    Tell(name_, text);
}

template <typename Frame> ExitStatus UnitAtHand::TurnOf(const Frame& frame) {
    StatusReply reply{};
    std::uint8_t deviceError = 0;
    const WorkerResult result = session_.Turn(frame, reply, deviceError);
    if (result != ResultNone) {
        Fail(ExchangeFailureText(result, LinkStatus, deviceError));
        return ExitExchange;
    }
    reply_ = reply;
    return ExitDone;
}

ExitStatus UnitAtHand::Turn(const CommandFrame& frame) {
    return TurnOf(frame);
}

ExitStatus UnitAtHand::Turn(const BlockWriteFrame& frame) {
    return TurnOf(frame);
}

// Opens the unit, polls it, runs the work and closes it again, whatever happened.
ExitStatus Visit(UnitAtHand& unit, const UnitWork& work, bool skipStrangers) {
    if (!OpenForExchange(unit.location_)) {
        unit.Fail("cannot be opened");
        return ExitNoUnit;
    }
    ExitStatus status = unit.Turn(BuildCommandFrame(PollCode, 0));
    if (status == ExitDone) {
        unit.identity_ = IdentityOf(unit.reply_);
        if (IsAcceptedIdentity(unit.identity_)) {
            status = work(unit);
        } else if (!skipStrangers) {
            unit.Fail("not a unit of the family");
            status = ExitNoUnit;
        }
    }
    CloseAfterExchange();
    return status;
}

bool FetchDeviceList() {
    ShowLinkErrors = false;
    if (LinkCreateDeviceList() == FT_OK && LinkGetDeviceList() == FT_OK)
        return true;
    std::fprintf(stderr, "Cannot get USB Device List\n");
    return false;
}

ExitStatus ForEachUnit(const std::vector<UnitRef>& refs, const UnitWork& work) {
    ExitStatus worst = ExitDone;
    for (const UnitRef& ref : refs) {
        if (!FetchDeviceList()) {
            worst = Worst(worst, ExitNoUnit);
            continue;
        }
        const FT_DEVICE_LIST_INFO_NODE* found = nullptr;
        for (DWORD i = 0; i < DeviceInfoCount && i < DeviceInfoList.size() && !found; ++i)
            if (Names(ref, DeviceInfoList[i]))
                found = &DeviceInfoList[i];
        if (!found) {
            Tell(ref.text, "no such unit");
            worst = Worst(worst, ExitNoUnit);
        } else if (found->Flags & FT_FLAGS_OPENED) {
            Tell(ref.text, "open in another program");
            worst = Worst(worst, ExitNoUnit);
        } else if (!IsFamilyCandidate(*found)) {
            Tell(ref.text, "not a unit of the family");
            worst = Worst(worst, ExitNoUnit);
        } else {
            UnitAtHand unit(NameOf(*found), found->LocId);
            worst = Worst(worst, Visit(unit, work, false));
        }
    }
    return worst;
}

ExitStatus ForEveryUnit(const UnitWork& work) {
    if (!FetchDeviceList())
        return ExitNoUnit;
    ExitStatus worst = ExitDone;
    for (DWORD i = 0; i < DeviceInfoCount && i < DeviceInfoList.size(); ++i) {
        const FT_DEVICE_LIST_INFO_NODE& node = DeviceInfoList[i];
        if (!IsFamilyCandidate(node))
            continue;
        UnitAtHand unit(NameOf(node), node.LocId);
        worst = Worst(worst, Visit(unit, work, true));
    }
    return worst;
}

std::string ExchangeFailureText(WorkerResult result, std::int32_t linkStatus,
                                std::uint8_t deviceError) {
    const std::string text = ExchangeErrorText(result, linkStatus, deviceError);
    // The message box's empty line between the text and the driver status becomes one space.
    const std::string gap = "\r\n\r\n";
    const std::size_t at = text.find(gap);
    if (at == std::string::npos)
        return text;
    return text.substr(0, at) + " " + text.substr(at + gap.size());
}
