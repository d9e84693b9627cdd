#include "SettingValues.h"

#include "DeviceRegisters.h"
#include "RegisterTexts.h"
#include "SettingNames.h"

#include <cctype>
#include <charconv>
#include <cstdlib>

namespace {

constexpr const char* OnText = "ON";
constexpr const char* OffText = "OFF";
constexpr const char* ResetText = "reset";
constexpr std::string_view DecibelSuffix = "db";

bool InRange(int offset, int first, int count) {
    return offset >= first && offset < first + count;
}

bool IsToggle(int offset) {
    return InRange(offset, RegOutputAudioGroup1, 4) || InRange(offset, RegMicPhantom1, 4);
}

bool IsGain(int offset) {
    return InRange(offset, RegSdiGain1, 8) || InRange(offset, RegExtGain1, 2);
}

bool IsMicGain(int offset) {
    return InRange(offset, RegMicGain1, 4);
}

std::string Folded(std::string_view text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos)
        return {};
    text = text.substr(first, text.find_last_not_of(" \t") - first + 1);
    std::string folded;
    for (const char c : text)
        folded.push_back(static_cast<char>(std::tolower(static_cast<unsigned char>(c))));
    return folded;
}

std::optional<unsigned> WholeNumber(const std::string& text) {
    unsigned value = 0;
    const char* last = text.data() + text.size();
    const auto [end, error] = std::from_chars(text.data(), last, value);
    if (error != std::errc{} || end != last || text.empty())
        return std::nullopt;
    return value;
}

// Decibels as written ("+1.5", "-6", "47.00 dB"); none when the text is no number.
std::optional<double> Decibels(std::string text) {
    if (text.size() >= DecibelSuffix.size() &&
        text.compare(text.size() - DecibelSuffix.size(), DecibelSuffix.size(), DecibelSuffix) == 0)
        text = Folded(text.substr(0, text.size() - DecibelSuffix.size()));
    if (!text.empty() && text[0] == '+')
        text.erase(0, 1);
    if (text.empty() || !(std::isdigit(static_cast<unsigned char>(text.back()))))
        return std::nullopt;
    char* end = nullptr;
    const double value = std::strtod(text.c_str(), &end);
    if (end != text.c_str() + text.size())
        return std::nullopt;
    return value;
}

std::string GainDigits(int offset, std::uint8_t value) {
    return IsMicGain(offset) ? MicGainText(value) : GainText(value);
}

std::string InputGroupsText(std::uint8_t groups) {
    std::string text;
    for (int group = 1; group <= 4; ++group) {
        const std::string digit = AudioGroupText(groups, group);
        if (digit.empty())
            continue;
        text.append(text.empty() ? "" : " ").append(digit);
    }
    return text.empty() ? "none" : text;
}

// The register value `text` names on a unit of `kind`, by its text or its number; none when it
// names none. The range and the variant are checked by the caller.
std::optional<unsigned> Lookup(int offset, const std::string& text, const UnitKind& kind) {
    const int generation = kind.generation == 1 ? 1 : 2;
    const int max = RegisterMax(offset, generation);
    const bool gain = IsGain(offset) || IsMicGain(offset);
    const bool signedOrDecimal = text.find_first_of("+-.") != std::string::npos ||
                                 text.find(DecibelSuffix) != std::string::npos;
    if (gain && signedOrDecimal) {
        const std::optional<double> wanted = Decibels(text);
        for (int v = 0; wanted && v <= max; ++v)
            if (std::strtod(GainDigits(offset, static_cast<std::uint8_t>(v)).c_str(), nullptr) ==
                *wanted)
                return static_cast<unsigned>(v);
        return std::nullopt;
    }
    if (const std::optional<unsigned> number = WholeNumber(text))
        return number;
    if (offset == RegEdhCrcErrors)
        return text == ResetText ? std::optional<unsigned>(1) : std::nullopt;
    if (IsToggle(offset)) {
        if (text == Folded(OnText))
            return 1u;
        if (text == Folded(OffText))
            return 0u;
        return std::nullopt;
    }
    for (int v = 0; v <= max; ++v)
        if (Folded(ValueText(offset, static_cast<std::uint8_t>(v), kind)) == text)
            return static_cast<unsigned>(v);
    return std::nullopt;
}

ParsedValue Refused(int offset, std::string_view text, const std::string& why) {
    return {std::nullopt, SettingName(offset) + ": " + why + ": \"" + std::string(text) + "\""};
}

} // namespace

std::string ValueText(int offset, std::uint8_t value, const UnitKind& kind) {
    const int generation = kind.generation == 1 ? 1 : 2;
    const bool aes = AesVariant(kind.variant);
    if (IsToggle(offset))
        return RegisterIsOn(value) ? OnText : OffText;
    if (IsGain(offset) || IsMicGain(offset))
        return GainDigits(offset, value) + " dB";
    if (InRange(offset, RegSdiSource1, 8))
        return SdiSourceText(aes, value);
    if (InRange(offset, RegExtConfig1, 2))
        return ExtConfigText(generation, offset - RegExtConfig1 + 1, aes, value);
    if (InRange(offset, RegExtSource1, 2))
        return ExtSourceText(generation, value);
    switch (offset) {
    case RegInputFormat:
        return InputFormatTextOf(value).text;
    case RegInputAudioGroups:
        return InputGroupsText(value);
    case RegEdhCrcErrors:
        return ErrorCountText(value);
    case RegOutputFormat:
        return OutputFormatText(value);
    case RegBars:
        return BarsText(value);
    default:
        return LossModeText(value);
    }
}

ParsedValue ParseValue(int offset, std::string_view text, const UnitKind& kind) {
    const RegisterInfo& info = DeviceRegisters[static_cast<std::size_t>(offset)];
    if (info.access == RegisterAccess::Status)
        return {std::nullopt, SettingName(offset) + ": reported by the unit, not set"};
    if (!RegisterOnVariant(offset, kind.variant))
        return {std::nullopt, SettingName(offset) + ": not on a unit of this variant"};
    const std::optional<unsigned> value = Lookup(offset, Folded(text), kind);
    if (!value) {
        const bool decibels = (IsGain(offset) || IsMicGain(offset)) && Decibels(Folded(text));
        return Refused(offset, text,
                       decibels ? "no gain step of the register's range" : "no such value");
    }
    const int generation = kind.generation == 1 ? 1 : 2;
    if (*value > 255 ||
        !CommandValueAccepted(offset, static_cast<std::uint8_t>(*value), generation))
        return Refused(offset, text, "value out of range");
    if (!ChoiceOnVariant(offset, static_cast<std::uint8_t>(*value), kind.variant))
        return Refused(offset, text, "not on a unit of this variant");
    return {static_cast<std::uint8_t>(*value), {}};
}

ParsedValue ParseValueForAnyUnit(int offset, std::string_view text) {
    ParsedValue first;
    for (int variant = KnownVariantCount - 1; variant >= 0; --variant)
        for (int generation = 1; generation <= 2; ++generation) {
            ParsedValue parsed = ParseValue(offset, text, {variant, generation});
            if (parsed.value)
                return parsed;
            if (first.error.empty())
                first = std::move(parsed);
        }
    return first;
}
