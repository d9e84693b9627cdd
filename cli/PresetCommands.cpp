// The commands around preset files: one file shown as settings, and a whole rack brought to
// the presets its rack file names.
#include "Commands.h"

#include "Crc16.h"
#include "PresetFile.h"
#include "RackFile.h"
#include "Reporter.h"
#include "StandardOutput.h"
#include "UnitReport.h"
#include "WholeFile.h"

#include <algorithm>

namespace orqsyv::cli {

namespace {

// A preset file knows no variant: its values are shown as a unit of variant 4 (-RK),
// generation 2, shows them, which has every register and the texts that are not AES's.
constexpr UnitKind PresetKind{4, 2};

} // namespace

ExitStatus PresetShowCommand(const std::string& file, bool json) {
    const WholeFile read = ReadWholeFile(file, PresetFileSize);
    if (read.status != WholeFileStatus::Read && read.status != WholeFileStatus::TooLarge) {
        Report(CannotRead(file, read.why));
        return ExitFile;
    }
    if (read.status == WholeFileStatus::TooLarge || read.bytes.size() != PresetFileSize) {
        Report(InvalidFileFormat(file));
        return ExitFile;
    }
    StatusReply bytes{};
    std::copy(read.bytes.begin(), read.bytes.end(), bytes.begin());
    const bool checksumGood = CheckCrc16(bytes.data(), ReplyCoveredBytes);
    RegisterBlock block{};
    const bool valid = ParsePresetBytes(bytes.data(), bytes.size(), block);
    const char* verdict = checksumGood ? "good" : "wrong";
    if (json) {
        nlohmann::ordered_json shown;
        PutText(shown, "file", file);
        shown["checksum"] = verdict;
        shown["valid"] = valid;
        shown["registers"] = RegistersJson(bytes, PresetKind);
        PrintOut(JsonText(shown, 2) + "\n");
    } else {
        PrintOut(std::string("checksum: ") + verdict + "\n" + RegisterLines(bytes, PresetKind));
    }
    if (valid)
        return ExitDone;
    Report(InvalidFileFormat(file));
    return ExitFile;
}

ExitStatus ApplyCommand(const std::string& rackFile, bool dryRun, const RunOptions& run) {
    const std::optional<std::vector<RackUnit>> rack = ReadRackFile(rackFile);
    if (!rack)
        return ExitFile;
    std::vector<UnitRef> refs;
    for (const RackUnit& entry : *rack)
        refs.push_back(entry.unit);
    Targets targets = NamedTargets(refs);
    if (targets.refusal != ExitDone)
        return targets.refusal;
    for (Target& target : targets.units)
        target.label = (*rack)[target.ref].label;
    const std::vector<UnitOutcome> outcomes = RunOnTargets(
        targets.units,
        [&](UnitAtHand& unit) {
            RegisterBlock block = (*rack)[unit.Of().ref].block;
            ApplyVariantRules(block, unit.Identity().ModelVariant, unit.Reply());
            if (!ChangesSettings(unit, block)) {
                unit.Done("already set");
                return ExitDone;
            }
            return dryRun ? TellChanges(unit, block) : SendBlock(unit, block, "preset loaded");
        },
        run);
    return WorstOf(outcomes);
}

} // namespace orqsyv::cli
