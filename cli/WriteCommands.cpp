// The commands that change a unit: single settings, and whole blocks from a preset file or the
// factory settings, sent by the panel's rules.
#include "Commands.h"

#include "DeviceRegisters.h"
#include "PresetFile.h"
#include "PresetStore.h"
#include "SettingNames.h"
#include "UnitAccess.h"

#include <cstdio>

namespace {

void Done(const UnitAtHand& unit, const std::string& what) {
    std::printf("%s: %s\n", unit.Name().c_str(), what.c_str());
    std::fflush(stdout);
}

std::uint8_t Reg(const StatusReply& reply, int offset) {
    return reply[static_cast<std::size_t>(ReplyRegistersOffset + offset)];
}

std::string Valued(int offset, std::uint8_t value, const UnitKind& kind) {
    return ValueText(offset, value, kind) + " (" + std::to_string(value) + ")";
}

// Sends `block` as the panel's preset group does: one block write, whose reply is the unit's.
ExitStatus SendBlock(UnitAtHand& unit, const RegisterBlock& block, const char* what) {
    const ExitStatus status = unit.Turn(BuildBlockWriteFrame(block));
    if (status == ExitDone)
        Done(unit, what);
    return status;
}

ExitStatus OnUnits(const std::vector<UnitRef>& units, const UnitWork& work) {
    return units.empty() ? ForEveryUnit(work) : ForEachUnit(units, work);
}

} // namespace

ExitStatus SetCommand(const UnitRef& ref, const std::vector<Assignment>& assignments) {
    return ForEachUnit({ref}, [&](UnitAtHand& unit) {
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
            const auto& info = DeviceRegisters[static_cast<std::size_t>(offset)];
            if (const ExitStatus status = unit.Turn(BuildCommandFrame(info.commandCode, values[i]));
                status != ExitDone)
                return status;
            const std::uint8_t now = Reg(unit.Reply(), offset);
            // The error count's command clears it: the reply shows the new count, not the 1.
            const bool taken = info.access == RegisterAccess::Resettable || now == values[i];
            if (taken) {
                Done(unit, SettingName(offset) + "=" + Valued(offset, now, kind));
            } else {
                unit.Fail(SettingName(offset) + ": not taken, kept " + Valued(offset, now, kind));
                worst = ExitExchange;
            }
        }
        return worst;
    });
}

ExitStatus SaveCommand(const UnitRef& ref, const std::string& file) {
    return ForEachUnit({ref}, [&](UnitAtHand& unit) {
        if (!SavePresetFile(file, RegistersOf(unit.Reply()))) {
            unit.Fail("Cannot Save File");
            return ExitFile;
        }
        Done(unit, "saved to " + file);
        return ExitDone;
    });
}

ExitStatus LoadCommand(const RegisterBlock& preset, const std::vector<UnitRef>& units) {
    return OnUnits(units, [&](UnitAtHand& unit) {
        RegisterBlock block = preset;
        ApplyVariantRules(block, unit.Identity().ModelVariant, unit.Reply());
        return SendBlock(unit, block, "preset loaded");
    });
}

ExitStatus FactoryCommand(const std::vector<UnitRef>& units) {
    return OnUnits(units, [](UnitAtHand& unit) {
        RegisterBlock block{};
        FactoryDefaults(block);
        return SendBlock(unit, block, "factory defaults loaded");
    });
}
