#include "UnitTargets.h"

#include "D2XXUnit_mod.h"
#include "Reporter.h"
#include "UnitSession.h"

#include <algorithm>
#include <charconv>
#include <span>

namespace orqsyv::cli {

namespace {

constexpr const char* OpenElsewhere = "open in another program";

// Fills the link layer's device list; tells "Cannot get USB Device List" when the driver
// cannot give it.
bool FetchDeviceList() {
    if (LinkCreateDeviceList() == FT_OK && LinkGetDeviceList() == FT_OK)
        return true;
    Report("Cannot get USB Device List");
    return false;
}

std::span<const FT_DEVICE_LIST_INFO_NODE> Listed() {
    return {DeviceInfoList.data(), std::min<std::size_t>(DeviceInfoCount, DeviceInfoList.size())};
}

Target TargetOf(const FT_DEVICE_LIST_INFO_NODE& node) {
    const std::string serial = SerialOf(node);
    const auto sameSerial = std::count_if(Listed().begin(), Listed().end(),
                                          [&](const auto& n) { return SerialOf(n) == serial; });
    Target target;
    target.name = serial.empty() || sameSerial > 1 ? LocationText(node.LocId) : serial;
    target.serial = serial;
    target.location = node.LocId;
    target.found = true;
    if (node.Flags & FT_FLAGS_OPENED)
        target.problem = OpenElsewhere;
    else if (!IsFamilyCandidate(node))
        target.problem = "not a unit of the family";
    return target;
}

} // namespace

Targets NamedTargets(const std::vector<UnitRef>& refs) {
    if (!FetchDeviceList())
        return {ExitNoUnit, {}};
    Targets targets;
    for (std::size_t r = 0; r < refs.size(); ++r) {
        std::vector<const FT_DEVICE_LIST_INFO_NODE*> named;
        for (const FT_DEVICE_LIST_INFO_NODE& node : Listed())
            if (Names(refs[r], node))
                named.push_back(&node);
        if (named.size() > 1) {
            std::string locations;
            for (const FT_DEVICE_LIST_INFO_NODE* node : named)
                locations.append(locations.empty() ? "" : ", ").append(LocationText(node->LocId));
            ReportAbout(refs[r].text, std::to_string(named.size()) +
                                          " units have this serial number; name one by its "
                                          "location: " +
                                          locations);
            targets.refusal = ExitUsage;
            continue;
        }
        Target target;
        if (named.empty()) {
            target.name = refs[r].text;
            target.problem = "no such unit";
        } else {
            target = TargetOf(*named.front());
        }
        target.ref = r;
        const bool again =
            std::any_of(targets.units.begin(), targets.units.end(), [&](const Target& t) {
                return t.found == target.found &&
                       (t.found ? t.location == target.location : t.name == target.name);
            });
        if (!again)
            targets.units.push_back(std::move(target));
    }
    if (targets.refusal != ExitDone)
        targets.units.clear();
    return targets;
}

Targets AllTargets() {
    if (!FetchDeviceList())
        return {ExitNoUnit, {}};
    Targets targets;
    for (const FT_DEVICE_LIST_INFO_NODE& node : Listed()) {
        FT_DEVICE_LIST_INFO_NODE free = node;
        free.Flags &= ~ULONG{FT_FLAGS_OPENED};
        // An open device of the family still belongs to the rack: it is told, not passed over.
        if (IsFamilyCandidate(free))
            targets.units.push_back(TargetOf(node));
    }
    return targets;
}

std::optional<Expectation> ParseExpectation(std::string_view text) {
    std::size_t count = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), count);
    if (error == std::errc{} && end == text.data() + text.size())
        return Expectation{count, {}};
    Expectation expected;
    while (!text.empty()) {
        const std::size_t comma = text.find(',');
        const std::string_view name = text.substr(0, comma);
        const std::optional<UnitRef> ref = ParseUnitRef(name);
        if (!ref) {
            ReportUsage("--expect: \"" + std::string(name) + "\" is no unit name");
            return std::nullopt;
        }
        expected.units.push_back(*ref);
        text = comma == std::string_view::npos ? std::string_view{} : text.substr(comma + 1);
    }
    return expected;
}

ExitStatus CheckRack(ExitStatus status, const std::vector<Target>& targets,
                     const std::vector<UnitOutcome>& outcomes,
                     const std::optional<Expectation>& expected, bool needUnit) {
    std::vector<const Target*> family;
    bool reached = false;
    for (std::size_t i = 0; i < targets.size() && i < outcomes.size(); ++i) {
        reached = reached || outcomes[i].reached;
        if (!outcomes[i].stranger)
            family.push_back(&targets[i]);
    }
    if (!reached && needUnit) {
        ReportUsage("no unit found");
        status = Worst(status, ExitNoUnit);
    }
    if (!expected)
        return status;
    if (expected->count && family.size() < *expected->count) {
        ReportUsage(std::to_string(family.size()) + " units found, " +
                    std::to_string(*expected->count) + " expected");
        status = Worst(status, ExitNoUnit);
    }
    for (const UnitRef& ref : expected->units) {
        const bool present = std::any_of(family.begin(), family.end(), [&](const Target* t) {
            return ref.location ? t->location == *ref.location : t->serial == ref.text;
        });
        if (!present) {
            ReportAbout(ref.text, "no such unit");
            status = Worst(status, ExitNoUnit);
        }
    }
    return status;
}

} // namespace orqsyv::cli
