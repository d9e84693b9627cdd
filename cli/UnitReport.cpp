#include "UnitReport.h"

#include "DeviceRegisters.h"
#include "RegisterTexts.h"
#include "SettingNames.h"

#include <cstdio>

namespace {

std::uint8_t Reg(const StatusReply& reply, int offset) {
    return reply[static_cast<std::size_t>(ReplyRegistersOffset + offset)];
}

bool Shown(int offset, const StatusReply& reply, const UnitKind& kind,
           const StatusReply* changedFrom) {
    return RegisterOnVariant(offset, kind.variant) &&
           (!changedFrom || Reg(reply, offset) != Reg(*changedFrom, offset));
}

std::string Valued(int offset, const StatusReply& reply, const UnitKind& kind) {
    const std::uint8_t value = Reg(reply, offset);
    return ValueText(offset, value, kind) + " (" + std::to_string(value) + ")";
}

} // namespace

std::string UnitNameOf(const ProbedIdentity& probed) {
    return UnitName(probed.ModelNumber, probed.ModelVariant);
}

std::string LocationText(DWORD location) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%X", static_cast<unsigned>(location));
    return text;
}

nlohmann::ordered_json IdentityJson(const UnitIdentity& unit) {
    const ProbedIdentity& p = unit.probed;
    return {
        {"name", UnitNameOf(p)},
        {"serial", unit.serial},
        {"location", LocationText(unit.location)},
        {"model", p.ModelNumber},
        {"variant", p.ModelVariant},
        {"generation", p.DeviceGeneration},
        {"software", SoftwareVersionText(p.SoftwareMajor, p.SoftwareMinor)},
        {"fpga", FpgaVersionText(p.Fpga.data())},
    };
}

std::string IdentityLine(const UnitIdentity& unit) {
    const ProbedIdentity& p = unit.probed;
    return UnitNameOf(p) + "\t" + unit.serial + "\t" + LocationText(unit.location) + "\tvariant " +
           std::to_string(p.ModelVariant) + "\tgeneration " + std::to_string(p.DeviceGeneration) +
           "\tsoftware " + SoftwareVersionText(p.SoftwareMajor, p.SoftwareMinor) + "\tfpga " +
           FpgaVersionText(p.Fpga.data());
}

nlohmann::ordered_json RegistersJson(const StatusReply& reply, const UnitKind& kind,
                                     const StatusReply* changedFrom) {
    nlohmann::ordered_json registers = nlohmann::ordered_json::object();
    for (int offset = 0; offset < RegisterCount; ++offset)
        if (Shown(offset, reply, kind, changedFrom))
            registers[SettingName(offset)] = {
                {"text", ValueText(offset, Reg(reply, offset), kind)},
                {"value", Reg(reply, offset)},
            };
    return registers;
}

std::string RegisterLines(const StatusReply& reply, const UnitKind& kind) {
    std::string lines;
    for (int offset = 0; offset < RegisterCount; ++offset)
        if (Shown(offset, reply, kind, nullptr))
            lines.append(SettingName(offset) + ": " + Valued(offset, reply, kind) + "\n");
    return lines;
}

std::string RegisterChangeLine(const StatusReply& reply, const UnitKind& kind,
                               const StatusReply* changedFrom) {
    std::string line;
    for (int offset = 0; offset < RegisterCount; ++offset)
        if (Shown(offset, reply, kind, changedFrom))
            line.append(line.empty() ? "" : ", ")
                .append(SettingName(offset) + "=" + Valued(offset, reply, kind));
    return line;
}
