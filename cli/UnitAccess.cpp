#include "UnitAccess.h"

#include "ExchangeErrors.h"
#include "Reporter.h"
#include "UnitReport.h"

namespace orqsyv::cli {

namespace {

// The pause between two looks at the driver while a reply comes in. Shorter than the worker's
// 1 ms: a command is paced by its reply waits.
constexpr std::chrono::microseconds ToolStep{100};

// `text`, and after it the driver's reason for the line's last failure when it told one.
std::string WithDriverReason(const std::string& text, const LinkLine& line) {
    const std::string reason = line.FailureReason();
    return reason.empty() ? text : text + ": " + reason;
}

const char* OutcomeWord(const UnitOutcome& outcome) {
    if (!outcome.reached)
        return "skipped";
    switch (outcome.status) {
    case ExitDone:
        return "done";
    case ExitDiffers:
        return "would change";
    default:
        return "failed";
    }
}

} // namespace

UnitAtHand::UnitAtHand(const Target& target) : target_(target) {}

UnitKind UnitAtHand::Kind() const {
    return {identity_.ModelVariant, identity_.DeviceGeneration};
}

void UnitAtHand::Note(const std::string& text) {
    message_.append(message_.empty() ? "" : "; ").append(text);
}

void UnitAtHand::Done(const std::string& text) {
    outcome_.out += About(target_.Heading(), text) + "\n";
    Note(text);
}

void UnitAtHand::Fail(const std::string& text) {
    outcome_.err += About(target_.Heading(), text) + "\n";
    Note(text);
}

void UnitAtHand::Print(const std::string& text) {
    outcome_.out += text;
}

template <typename Frame> ExitStatus UnitAtHand::TurnOf(const Frame& frame) {
    UnitSession session(line_, SteadyExchangeClock(), ToolStep);
    StatusReply reply{};
    std::uint8_t deviceError = 0;
    const WorkerResult result = session.Turn(frame, reply, deviceError);
    if (result != ResultNone) {
        Fail(ExchangeFailureText(result, line_.Status(), deviceError, line_));
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

UnitOutcome Visit(const Target& target, const UnitWork& work, bool every) {
    UnitAtHand unit(target);
    ExitStatus status = ExitNoUnit;
    if (!target.problem.empty()) {
        unit.Fail(target.problem);
    } else if (!OpenForExchange(target.location, unit.line_)) {
        unit.Fail(WithDriverReason("cannot be opened", unit.line_));
    } else {
        status = unit.Turn(BuildCommandFrame(PollCode, 0));
        if (status == ExitDone) {
            unit.first_ = unit.reply_;
            unit.identity_ = IdentityOf(unit.reply_);
            if (IsAcceptedIdentity(unit.identity_)) {
                unit.outcome_.reached = true;
                status = work(unit);
            } else {
                unit.Fail("not a unit of the family");
                unit.outcome_.stranger = true;
                status = every ? ExitDone : ExitNoUnit;
            }
        }
        CloseAfterExchange(unit.line_);
    }
    UnitOutcome& outcome = unit.outcome_;
    outcome.status = status;
    nlohmann::ordered_json json = TargetJson(target);
    json["outcome"] = OutcomeWord(outcome);
    json["message"] = unit.message_;
    json["status"] = static_cast<int>(status);
    if (outcome.reached) {
        StatusReply after = unit.reply_;
        if (unit.planned_)
            std::copy(unit.planned_->begin(), unit.planned_->end(),
                      after.begin() + ReplyRegistersOffset);
        json["changed"] = RegistersJson(after, unit.Kind(), &unit.first_);
    }
    outcome.json = std::move(json);
    return std::move(outcome);
}

std::vector<UnitOutcome> RunOnTargets(const std::vector<Target>& targets, const UnitWork& work,
                                      const RunOptions& options) {
    return RunInOrder(targets.size(), options.jobs, options.json,
                      [&](std::size_t i) { return Visit(targets[i], work, options.every); });
}

std::string ExchangeFailureText(WorkerResult result, std::int32_t linkStatus,
                                std::uint8_t deviceError, const LinkLine& line) {
    const std::string text = ExchangeErrorText(result, linkStatus, deviceError);
    // The message box's empty line between the text and the driver status becomes one space.
    const std::string gap = "\r\n\r\n";
    const std::size_t at = text.find(gap);
    if (at == std::string::npos)
        return text;
    const std::string joined = text.substr(0, at) + " " + text.substr(at + gap.size());
    // Only a status the driver answered has a reason of the driver's.
    const bool driverFailed =
        linkStatus != FT_OK && linkStatus != LinkShortTransfer && linkStatus != LinkReplyTimeout;
    return driverFailed ? WithDriverReason(joined, line) : joined;
}

} // namespace orqsyv::cli
