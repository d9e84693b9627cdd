// The commands that change a unit: single settings, and whole blocks from a preset file or the
// factory settings, sent by the panel's rules.
#include "Commands.h"

#include "DeviceRegisters.h"
#include "PresetFile.h"
#include "PresetStore.h"
#include "Reporter.h"
#include "SettingNames.h"

namespace orqsyv::cli {

namespace {

// The settings of the unit's variant whose value `block` would change.
std::vector<int> ChangedSettings(const UnitAtHand& unit, const RegisterBlock& block) {
    std::vector<int> changed;
    for (int offset = 0; offset < RegisterCount; ++offset)
        if (RegisterAt(offset).access == RegisterAccess::Setting &&
            RegisterOnVariant(offset, unit.Identity().ModelVariant) &&
            block[static_cast<std::size_t>(offset)] != ReplyRegister(unit.Reply(), offset))
            changed.push_back(offset);
    return changed;
}

} // namespace

ExitStatus OnUnits(const UnitSelection& selection, const UnitWork& work) {
    const Targets targets = selection.every ? AllTargets() : NamedTargets(selection.units);
    if (targets.refusal != ExitDone)
        return targets.refusal;
    RunOptions run = selection.run;
    run.every = selection.every;
    const std::vector<UnitOutcome> outcomes = RunOnTargets(targets.units, work, run);
    const ExitStatus worst = WorstOf(outcomes);
    return selection.every ? CheckRack(worst, targets.units, outcomes, selection.expected) : worst;
}

bool ChangesSettings(const UnitAtHand& unit, const RegisterBlock& block) {
    return !ChangedSettings(unit, block).empty();
}

ExitStatus TellChanges(UnitAtHand& unit, const RegisterBlock& block) {
    unit.Plan(block);
    const std::vector<int> changed = ChangedSettings(unit, block);
    for (const int offset : changed)
        unit.Done(SettingName(offset) + ": " +
                  ValueWithNumber(offset, ReplyRegister(unit.Reply(), offset), unit.Kind()) +
                  " -> " +
                  ValueWithNumber(offset, block[static_cast<std::size_t>(offset)], unit.Kind()));
    if (changed.empty())
        unit.Done("no change");
    return changed.empty() ? ExitDone : ExitDiffers;
}

ExitStatus SendBlock(UnitAtHand& unit, const RegisterBlock& block, const char* what) {
    const ExitStatus status = unit.Turn(BuildBlockWriteFrame(block));
    if (status == ExitDone)
        unit.Done(what);
    return status;
}

bool ReadPreset(const std::string& file, RegisterBlock& block, const std::string& subject) {
    std::string unreadable;
    if (ReadPresetFile(file, block, &unreadable))
        return true;
    ReportAbout(subject,
                unreadable.empty() ? InvalidFileFormat(file) : CannotRead(file, unreadable));
    return false;
}

ExitStatus SetCommand(const UnitRef& ref, const std::vector<Assignment>& assignments, bool json) {
    UnitSelection selection = OneUnit(ref);
    selection.run.json = json;
    return OnUnits(selection, [&](UnitAtHand& unit) {
        const UnitKind kind = unit.Kind();
        // Every value is read for this unit before the first command goes out.
        std::vector<std::uint8_t> values;
        for (const Assignment& assignment : assignments) {
            const ParsedValue parsed = ParseValue(assignment.offset, assignment.value, kind);
            if (!parsed.value) {
                unit.Fail(parsed.error);
                return ExitUsage;
            }
            values.push_back(*parsed.value);
        }
        ExitStatus worst = ExitDone;
        for (std::size_t i = 0; i < assignments.size(); ++i) {
            const int offset = assignments[i].offset;
            const RegisterInfo& info = RegisterAt(offset);
            if (const ExitStatus status = unit.Turn(BuildCommandFrame(info.commandCode, values[i]));
                status != ExitDone)
                return status;
            const std::uint8_t now = ReplyRegister(unit.Reply(), offset);
            // The error count's command clears it: the reply shows the new count, not the 1.
            const bool taken = info.access == RegisterAccess::Resettable || now == values[i];
            if (taken) {
                unit.Done(SettingName(offset) + "=" + ValueWithNumber(offset, now, kind));
            } else {
                unit.Fail(SettingName(offset) + ": not taken, kept " +
                          ValueWithNumber(offset, now, kind));
                worst = ExitExchange;
            }
        }
        return worst;
    });
}

ExitStatus SaveCommand(const UnitRef& ref, const std::string& file) {
    return OnUnits(OneUnit(ref), [&](UnitAtHand& unit) {
        std::string why;
        if (!SavePresetFile(file, RegistersOf(unit.Reply()), &why)) {
            unit.Fail("Cannot Save File " + file + ": " + why);
            return ExitFile;
        }
        unit.Done("saved to " + file);
        return ExitDone;
    });
}

ExitStatus LoadCommand(const RegisterBlock& preset, const UnitSelection& selection, bool dryRun) {
    return OnUnits(selection, [&](UnitAtHand& unit) {
        RegisterBlock block = preset;
        ApplyVariantRules(block, unit.Identity().ModelVariant, unit.Reply());
        return dryRun ? TellChanges(unit, block) : SendBlock(unit, block, "preset loaded");
    });
}

ExitStatus FactoryCommand(const UnitSelection& selection) {
    return OnUnits(selection, [](UnitAtHand& unit) {
        RegisterBlock block{};
        FactoryDefaults(block);
        return SendBlock(unit, block, "factory defaults loaded");
    });
}

} // namespace orqsyv::cli
