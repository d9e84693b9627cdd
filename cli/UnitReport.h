// What the tool prints about a unit: its identity and its registers with the panel's texts and
// their numbers, as text lines or as JSON.
#pragma once

#include "SettingValues.h"
#include "UnitSession.h"
#include "UnitTargets.h"

#include <nlohmann/json.hpp>

#include <string>

namespace orqsyv::cli {

// The identity of a unit found at `location` with serial number `serial`.
struct UnitIdentity {
    std::string serial;
    DWORD location = 0;
    ProbedIdentity probed;
};

// "ORQ-SYV-730-RK"
std::string UnitNameOf(const ProbedIdentity& probed);

// Sets json[key] to `text`. Text that is not UTF-8 is written with its invalid bytes replaced,
// and json[key + "-hex"] beside it holds every byte in hexadecimal.
void PutText(nlohmann::ordered_json& json, const std::string& key, const std::string& text);

nlohmann::ordered_json IdentityJson(const UnitIdentity& unit);
// One line, fields separated by tabs: name, serial number, location, variant, generation,
// software version, FPGA version.
std::string IdentityLine(const UnitIdentity& unit);
// {"unit": name, "serial": ..., "location": "0x1011"}, and "label" when the target has one.
nlohmann::ordered_json TargetJson(const Target& target);

// The registers of `reply` that a unit of `kind` has, register 0 first, as
// {"output-format": {"text": "AUTO", "value": 0}, ...}. With `changedFrom`, only those whose
// byte differs from it.
nlohmann::ordered_json RegistersJson(const StatusReply& reply, const UnitKind& kind,
                                     const StatusReply* changedFrom = nullptr);
// The same as lines "output-format: AUTO (0)".
std::string RegisterLines(const StatusReply& reply, const UnitKind& kind);
// The same on one line, "output-format=AUTO (0), bars=ON (1)"; with `changedFrom` only those
// whose byte differs from it.
std::string RegisterChangeLine(const StatusReply& reply, const UnitKind& kind,
                               const StatusReply* changedFrom);

} // namespace orqsyv::cli
