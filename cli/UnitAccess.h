// Working on units: each target is opened on a line of its own and set up as the panel's opening
// does, polled once for its identity and its registers, handed to the command's work, and
// closed. Failures are told with the unit named, in the panel's words. Each unit's output is
// kept in its outcome and printed in the order the units were named.
#pragma once

#include "DeviceLine.h"
#include "ExitStatus.h"
#include "SettingValues.h"
#include "UnitRunner.h"
#include "UnitSession.h"
#include "UnitTargets.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace orqsyv::cli {

// A unit open for the command's work. Belongs to the thread that works on the unit.
class UnitAtHand {
public:
    explicit UnitAtHand(const Target& target);
    UnitAtHand(const UnitAtHand&) = delete;
    UnitAtHand& operator=(const UnitAtHand&) = delete;

    const std::string& Name() const { return target_.name; }
    const Target& Of() const { return target_; }
    const ProbedIdentity& Identity() const { return identity_; }
    UnitKind Kind() const;
    // The reply to the first poll, and the newest reply the unit sent.
    const StatusReply& FirstReply() const { return first_; }
    const StatusReply& Reply() const { return reply_; }
    // The line the unit is open on.
    LinkLine& Line() { return line_; }

    // One turn. ExitDone with Reply() updated, or ExitExchange once the failure is told.
    ExitStatus Turn(const CommandFrame& frame);
    ExitStatus Turn(const BlockWriteFrame& frame);

    // "HEADING: text" for standard output, or for standard error, and the outcome's message.
    void Done(const std::string& text);
    void Fail(const std::string& text);
    // `text` as it is, for standard output.
    void Print(const std::string& text);
    // The registers a dry run would leave on the unit, for the outcome's changed settings.
    void Plan(const RegisterBlock& block) { planned_ = block; }

private:
    friend UnitOutcome Visit(const Target&, const std::function<ExitStatus(UnitAtHand&)>&, bool);
    template <typename Frame> ExitStatus TurnOf(const Frame& frame);
    void Note(const std::string& text);

    const Target& target_;
    DeviceLine line_;
    ProbedIdentity identity_;
    StatusReply first_{};
    StatusReply reply_{};
    std::optional<RegisterBlock> planned_;
    std::string message_;
    UnitOutcome outcome_;
};

using UnitWork = std::function<ExitStatus(UnitAtHand&)>;

struct RunOptions {
    unsigned jobs = 0;  // units worked on at once; 0: all
    bool json = false;  // a JSON object per unit: unit, outcome, message, status, changed
    bool every = false; // --all: a device that proves not to be of the family does not count
};

// Opens, polls and closes `target` around `work` (or tells its problem) and returns its outcome.
// `every` as RunOptions.
UnitOutcome Visit(const Target& target, const UnitWork& work, bool every);

// Visit on each target, at once as `options` allows (RunInOrder).
std::vector<UnitOutcome> RunOnTargets(const std::vector<Target>& targets, const UnitWork& work,
                                      const RunOptions& options);

// The panel's text of a failed exchange on one line, ended with the driver's reason when the
// driver failed and `line` keeps one.
std::string ExchangeFailureText(WorkerResult result, std::int32_t linkStatus,
                                std::uint8_t deviceError, const LinkLine& line);

} // namespace orqsyv::cli
