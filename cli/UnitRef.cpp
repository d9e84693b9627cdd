#include "UnitRef.h"

#include <charconv>
#include <cstdio>
#include <cstring>

namespace orqsyv::cli {

namespace {

constexpr std::size_t MaxSerialLength = sizeof FT_DEVICE_LIST_INFO_NODE{}.SerialNumber;
constexpr std::size_t MaxLocationDigits = 8;

} // namespace

std::optional<UnitRef> ParseUnitRef(std::string_view text) {
    if (text.size() >= 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        const std::string_view digits = text.substr(2);
        DWORD location = 0;
        const auto [end, error] =
            std::from_chars(digits.data(), digits.data() + digits.size(), location, 16);
        if (digits.empty() || error != std::errc{} || end != digits.data() + digits.size() ||
            digits.size() > MaxLocationDigits)
            return std::nullopt;
        return UnitRef{std::string(text), location};
    }
    if (text.empty() || text.size() > MaxSerialLength)
        return std::nullopt;
    return UnitRef{std::string(text), std::nullopt};
}

bool Names(const UnitRef& ref, const FT_DEVICE_LIST_INFO_NODE& node) {
    if (ref.location)
        return node.LocId == *ref.location;
    return SerialOf(node) == ref.text;
}

std::string SerialOf(const FT_DEVICE_LIST_INFO_NODE& node) {
    return std::string(node.SerialNumber, strnlen(node.SerialNumber, sizeof node.SerialNumber));
}

std::string LocationText(DWORD location) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%X", static_cast<unsigned>(location));
    return text;
}

} // namespace orqsyv::cli
