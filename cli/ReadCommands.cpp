// The commands that only read: the list of free units, one unit's state, some of its values.
#include "Commands.h"

#include "DeviceRegisters.h"
#include "RegisterTexts.h"
#include "SettingNames.h"
#include "StandardOutput.h"
#include "UnitReport.h"

namespace orqsyv::cli {

namespace {

// The probe of the device list on a line of the unit's own. A device whose reply names another
// model is no unit; one that cannot be probed is not listed, but still counts as the rack's.
UnitOutcome Probe(const Target& target, bool json) {
    UnitOutcome outcome;
    DeviceLine line;
    UnitIdentity unit{target.serial, target.location, {}};
    if (!target.problem.empty() ||
        !ProbeIdentity(target.location, unit.probed, SteadyExchangeClock(), line))
        return outcome;
    if (!IsAcceptedIdentity(unit.probed)) {
        outcome.stranger = true;
        return outcome;
    }
    outcome.reached = true;
    if (json)
        outcome.json = IdentityJson(unit);
    else
        outcome.out = IdentityLine(unit) + "\n";
    return outcome;
}

// "output_format='HD 1080i/60'": a shell variable's name, and the value quoted where the shell
// would cut it.
std::string ShellAssignment(int offset, const std::string& value) {
    std::string name = SettingName(offset);
    std::replace(name.begin(), name.end(), '-', '_');
    const bool plain = !value.empty() && value.find_first_not_of(
                                             "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"
                                             "0123456789_./:+-") == std::string::npos;
    return name + "=" + (plain ? value : "'" + value + "'") + "\n";
}

} // namespace

ExitStatus ListCommand(bool json, unsigned jobs, const std::optional<Expectation>& expected) {
    const Targets targets = AllTargets();
    if (targets.refusal != ExitDone)
        return targets.refusal;
    const std::vector<UnitOutcome> outcomes =
        RunInOrder(targets.units.size(), jobs, false,
                   [&](std::size_t i) { return Probe(targets.units[i], json); });
    if (json) {
        nlohmann::ordered_json units = nlohmann::ordered_json::array();
        for (const UnitOutcome& outcome : outcomes)
            if (!outcome.json.is_null())
                units.push_back(outcome.json);
        PrintOut(JsonText(units, 2) + "\n");
    }
    if (!expected)
        return ExitDone;
    return CheckRack(ExitDone, targets.units, outcomes, expected, false);
}

ExitStatus ShowCommand(const UnitRef& ref, bool json) {
    return OnUnits(OneUnit(ref), [json](UnitAtHand& unit) {
        const UnitIdentity identity{unit.Of().serial, unit.Of().location, unit.Identity()};
        const StatusReply& reply = unit.Reply();
        if (json) {
            nlohmann::ordered_json shown = IdentityJson(identity);
            shown["protocol"] = ProtocolVersionText(reply[ReplyProtocol]);
            shown["registers"] = RegistersJson(reply, unit.Kind());
            unit.Print(JsonText(shown, 2) + "\n");
        } else {
            unit.Print(IdentityLine(identity) + "\nprotocol " +
                       ProtocolVersionText(reply[ReplyProtocol]) + "\n" +
                       RegisterLines(reply, unit.Kind()));
        }
        return ExitDone;
    });
}

ExitStatus GetCommand(const UnitRef& ref, const std::vector<int>& offsets) {
    return OnUnits(OneUnit(ref), [&](UnitAtHand& unit) {
        for (const int offset : offsets)
            if (!RegisterOnVariant(offset, unit.Identity().ModelVariant)) {
                unit.Fail(SettingName(offset) + ": not on a unit of this variant");
                return ExitUsage;
            }
        for (const int offset : offsets) {
            const std::uint8_t value = RegistersOf(unit.Reply())[static_cast<std::size_t>(offset)];
            unit.Print(ShellAssignment(offset, PlainValueText(offset, value, unit.Kind())));
        }
        return ExitDone;
    });
}

} // namespace orqsyv::cli
