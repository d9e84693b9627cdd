#include "SettingValues.h"

#include "RegisterTexts.h"
#include "SettingNames.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace orqsyv::cli {

namespace {

constexpr const char* OnText = "ON";
constexpr const char* OffText = "OFF";
constexpr const char* ResetText = "reset";
constexpr std::string_view DecibelSuffix = "db";
constexpr std::string_view RawPrefix = "raw:";
// Two decibel values this close are one gain step.
constexpr double SameDecibels = 1e-6;

bool IsGain(int offset) {
    return RegisterAt(offset).kind == RegisterKind::Gain;
}

bool Resettable(int offset) {
    return RegisterAt(offset).access == RegisterAccess::Resettable;
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

std::optional<unsigned> WholeNumber(std::string_view text) {
    unsigned value = 0;
    const char* last = text.data() + text.size();
    const auto [end, error] = std::from_chars(text.data(), last, value);
    if (error != std::errc{} || end != last || text.empty())
        return std::nullopt;
    return value;
}

// Decibels as written ("+1.5", "-6", "47", "47.00 dB"); none when the text is no number.
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

// A gain register's value in decibels, as a number.
double GainDecibels(int offset, int value) {
    const GainScale& scale = *RegisterAt(offset).scale;
    return (scale.origin + scale.step * value) / std::pow(10.0, scale.decimals);
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

enum class Refusal { None, NoSuchValue, OutOfRange, BetweenSteps };

struct Reading {
    unsigned value = 0;
    Refusal refusal = Refusal::None;
};

// The register value a gain's decibels name: the step they fall on, or why none.
Reading GainStep(int offset, double decibels, int max) {
    for (int v = 0; v <= max; ++v)
        if (std::fabs(GainDecibels(offset, v) - decibels) < SameDecibels)
            return {static_cast<unsigned>(v), Refusal::None};
    const bool beyond = decibels < GainDecibels(offset, 0) || decibels > GainDecibels(offset, max);
    return {0, beyond ? Refusal::OutOfRange : Refusal::BetweenSteps};
}

// The register value `text` (folded) names on a unit of `kind`; the range and the variant are
// checked by the caller.
Reading Read(int offset, const std::string& text, const UnitKind& kind) {
    const int max = RegisterMax(offset, kind.TableGeneration());
    if (text.starts_with(RawPrefix)) {
        const std::optional<unsigned> number = WholeNumber(std::string_view(text).substr(4));
        return number ? Reading{*number} : Reading{0, Refusal::NoSuchValue};
    }
    if (IsGain(offset)) {
        const std::optional<double> decibels = Decibels(text);
        return decibels ? GainStep(offset, *decibels, max) : Reading{0, Refusal::NoSuchValue};
    }
    if (const std::optional<unsigned> number = WholeNumber(text))
        return {*number};
    if (Resettable(offset) && text == ResetText)
        return {1};
    for (int v = 0; v <= max && !Resettable(offset); ++v)
        if (Folded(ValueText(offset, static_cast<std::uint8_t>(v), kind)) == text)
            return {static_cast<unsigned>(v)};
    return {0, Refusal::NoSuchValue};
}

// The values the panel offers for register `offset` on units of `kinds`, each once.
std::string Choices(int offset, const std::vector<UnitKind>& kinds) {
    if (Resettable(offset))
        return ResetText;
    std::vector<std::string> choices;
    for (const UnitKind& kind : kinds)
        for (int v = 0; v <= RegisterMax(offset, kind.TableGeneration()); ++v) {
            const std::string text = ValueText(offset, static_cast<std::uint8_t>(v), kind);
            if (ChoiceOnVariant(offset, static_cast<std::uint8_t>(v), kind.variant) &&
                std::find(choices.begin(), choices.end(), text) == choices.end())
                choices.push_back(text);
        }
    std::string joined;
    for (const std::string& choice : choices)
        joined.append(joined.empty() ? "" : ", ").append(choice);
    return joined;
}

// What register `offset` takes on units of `kinds`: a gain's range and step, else its choices.
std::string Valid(int offset, const std::vector<UnitKind>& kinds) {
    if (!IsGain(offset))
        return Choices(offset, kinds);
    const int max = RegisterMax(offset, 1);
    const GainScale& scale = *RegisterAt(offset).scale;
    char step[16];
    std::snprintf(step, sizeof step, "%g", scale.step / std::pow(10.0, scale.decimals));
    return DecibelText(offset, 0) + " dB to " + DecibelText(offset, max) + " dB in steps of " +
           step + " dB";
}

ParsedValue Refused(int offset, std::string_view text, Refusal refusal,
                    const std::vector<UnitKind>& kinds) {
    const char* why = refusal == Refusal::NoSuchValue    ? "no such value"
                      : refusal == Refusal::BetweenSteps ? "between two gain steps"
                                                         : "value out of range";
    return {std::nullopt, SettingName(offset) + ": " + why + ": \"" + std::string(text) + "\" (" +
                              Valid(offset, kinds) + ")"};
}

} // namespace

std::string ValueText(int offset, std::uint8_t value, const UnitKind& kind) {
    switch (RegisterAt(offset).kind) {
    case RegisterKind::InputFormat:
        return InputFormatTextOf(value).text;
    case RegisterKind::AudioGroups:
        return InputGroupsText(value);
    case RegisterKind::ErrorCount:
        return ErrorCountText(value);
    case RegisterKind::Menu:
        return ChoiceText(offset, value, kind);
    case RegisterKind::Toggle:
        return RegisterIsOn(value) ? OnText : OffText;
    case RegisterKind::Gain:
        return DecibelText(offset, value) + " dB";
    }
    return std::to_string(value);
}

std::string ValueWithNumber(int offset, std::uint8_t value, const UnitKind& kind) {
    return ValueText(offset, value, kind) + " (" + std::to_string(value) + ")";
}

std::string PlainValueText(int offset, std::uint8_t value, const UnitKind& kind) {
    return IsGain(offset) ? DecibelText(offset, value) : ValueText(offset, value, kind);
}

ParsedValue ParseValue(int offset, std::string_view text, const UnitKind& kind) {
    if (RegisterAt(offset).access == RegisterAccess::Status)
        return {std::nullopt, SettingName(offset) + ": reported by the unit, not set"};
    if (!RegisterOnVariant(offset, kind.variant))
        return {std::nullopt, SettingName(offset) + ": not on a unit of this variant"};
    const Reading reading = Read(offset, Folded(text), kind);
    if (reading.refusal != Refusal::None)
        return Refused(offset, text, reading.refusal, {kind});
    if (reading.value > 255 ||
        !CommandValueAccepted(offset, static_cast<std::uint8_t>(reading.value),
                              kind.TableGeneration()))
        return Refused(offset, text, Refusal::OutOfRange, {kind});
    if (!ChoiceOnVariant(offset, static_cast<std::uint8_t>(reading.value), kind.variant))
        return {std::nullopt, SettingName(offset) + ": not on a unit of this variant: \"" +
                                  std::string(text) + "\""};
    return {static_cast<std::uint8_t>(reading.value), {}};
}

ParsedValue ParseValueForAnyUnit(int offset, std::string_view text) {
    std::vector<UnitKind> kinds;
    for (int variant = KnownVariantCount - 1; variant >= 0; --variant)
        for (int generation = 1; generation <= 2; ++generation)
            kinds.push_back({variant, generation});
    ParsedValue first;
    for (const UnitKind& kind : kinds) {
        ParsedValue parsed = ParseValue(offset, text, kind);
        if (parsed.value)
            return parsed;
        if (first.error.empty())
            first = std::move(parsed);
    }
    const bool settable = RegisterAt(offset).access != RegisterAccess::Status;
    if (settable && Read(offset, Folded(text), kinds.front()).refusal == Refusal::NoSuchValue)
        return Refused(offset, text, Refusal::NoSuchValue, kinds);
    return first;
}

} // namespace orqsyv::cli
