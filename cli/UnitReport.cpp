#include "UnitReport.h"

#include "DeviceRegisters.h"
#include "RegisterTexts.h"
#include "SettingNames.h"

#include <cstdio>

namespace orqsyv::cli {

namespace {

bool Shown(int offset, const StatusReply& reply, const UnitKind& kind,
           const StatusReply* changedFrom) {
    return RegisterOnVariant(offset, kind.variant) &&
           (!changedFrom || ReplyRegister(reply, offset) != ReplyRegister(*changedFrom, offset));
}

} // namespace

std::string UnitNameOf(const ProbedIdentity& probed) {
    return UnitName(probed.ModelNumber, probed.ModelVariant);
}

void PutText(nlohmann::ordered_json& json, const std::string& key, const std::string& text) {
    json[key] = text;
    try {
        (void)nlohmann::ordered_json(text).dump();
    } catch (const nlohmann::ordered_json::type_error&) {
        std::string hex;
        char digits[3];
        for (const char c : text) {
            std::snprintf(digits, sizeof digits, "%02X", static_cast<unsigned char>(c));
            hex += digits;
        }
        json[key + "-hex"] = hex;
    }
}

nlohmann::ordered_json IdentityJson(const UnitIdentity& unit) {
    const ProbedIdentity& p = unit.probed;
    nlohmann::ordered_json json = {{"name", UnitNameOf(p)}};
    PutText(json, "serial", unit.serial);
    json["location"] = LocationText(unit.location);
    json["model"] = p.ModelNumber;
    json["variant"] = p.ModelVariant;
    json["generation"] = p.DeviceGeneration;
    json["software"] = SoftwareVersionText(p.SoftwareMajor, p.SoftwareMinor);
    json["fpga"] = FpgaVersionText(p.Fpga.data());
    return json;
}

std::string IdentityLine(const UnitIdentity& unit) {
    const ProbedIdentity& p = unit.probed;
    return UnitNameOf(p) + "\t" + unit.serial + "\t" + LocationText(unit.location) + "\tvariant " +
           std::to_string(p.ModelVariant) + "\tgeneration " + std::to_string(p.DeviceGeneration) +
           "\tsoftware " + SoftwareVersionText(p.SoftwareMajor, p.SoftwareMinor) + "\tfpga " +
           FpgaVersionText(p.Fpga.data());
}

nlohmann::ordered_json TargetJson(const Target& target) {
    nlohmann::ordered_json json;
    PutText(json, "unit", target.name);
    if (target.found) {
        PutText(json, "serial", target.serial);
        json["location"] = LocationText(target.location);
    }
    if (!target.label.empty())
        PutText(json, "label", target.label);
    return json;
}

nlohmann::ordered_json RegistersJson(const StatusReply& reply, const UnitKind& kind,
                                     const StatusReply* changedFrom) {
    nlohmann::ordered_json registers = nlohmann::ordered_json::object();
    for (int offset = 0; offset < RegisterCount; ++offset)
        if (Shown(offset, reply, kind, changedFrom))
            registers[SettingName(offset)] = {
                {"text", ValueText(offset, ReplyRegister(reply, offset), kind)},
                {"value", ReplyRegister(reply, offset)},
            };
    return registers;
}

std::string RegisterLines(const StatusReply& reply, const UnitKind& kind) {
    std::string lines;
    for (int offset = 0; offset < RegisterCount; ++offset)
        if (Shown(offset, reply, kind, nullptr))
            lines.append(SettingName(offset) + ": " +
                         ValueWithNumber(offset, ReplyRegister(reply, offset), kind) + "\n");
    return lines;
}

std::string RegisterChangeLine(const StatusReply& reply, const UnitKind& kind,
                               const StatusReply* changedFrom) {
    std::string line;
    for (int offset = 0; offset < RegisterCount; ++offset)
        if (Shown(offset, reply, kind, changedFrom))
            line.append(line.empty() ? "" : ", ")
                .append(SettingName(offset) + "=" +
                        ValueWithNumber(offset, ReplyRegister(reply, offset), kind));
    return line;
}

} // namespace orqsyv::cli
