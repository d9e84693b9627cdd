#include "RegisterTexts.h"

#include <charconv>

const std::array<const char*, 18> InputFormatNames = {
    "LOSS",           "SD 625i/50",     "SD 525i/59.94",  "HD 1080i/50",
    "HD 1080i/59.94", "HD 1080i/60",    "HD 1080p/23.98", "HD 1080p/24",
    "HD 1080p/25",    "HD 1080p/29.97", "HD 1080p/30",    "HD 720p/50",
    "HD 720p/59.94",  "HD 720p/60",     "3G-A 1080p/50",  "3G-A 1080p/59.94",
    "3G-A 1080p/60",  "Unknown",
};

const std::array<const char*, 17> OutputFormatNames = {
    "AUTO",           "SD 625i/50",  "SD 525i/59.94",  "HD 1080i/60",
    "HD 1080i/59.94", "HD 1080i/50", "HD 1080p/30",    "HD 1080p/29.97",
    "HD 1080p/25",    "HD 1080p/24", "HD 1080p/23.98", "HD 720p/60",
    "HD 720p/59.94",  "HD 720p/50",  "3G-A 1080p/60",  "3G-A 1080p/59.94",
    "3G-A 1080p/50",
};

const std::array<const char*, 2> BarsNames = {"OFF", "ON"};

const std::array<const char*, 4> LossModeNames = {"BLACK", "BLUE", "BARS", "NONE"};

const std::array<std::array<const char*, 12>, 2> SdiSourceNames = {{
    {"MUTE", "SDI IN CH 1/2", "SDI IN CH 3/4", "SDI IN CH 5/6", "SDI IN CH 7/8", "SDI IN CH 9/10",
     "SDI IN CH 11/12", "SDI IN CH 13/14", "SDI IN CH 15/16", "EXT 1/2", "EXT 3/4", "TEST"},
    {"MUTE", "SDI IN CH 1/2", "SDI IN CH 3/4", "SDI IN CH 5/6", "SDI IN CH 7/8", "SDI IN CH 9/10",
     "SDI IN CH 11/12", "SDI IN CH 13/14", "SDI IN CH 15/16", "EXT 1", "EXT 2", "TEST"},
}};

const std::array<const char*, 10> ExtSourceNames1 = {
    "MUTE",           "SDI IN CH 1/2",   "SDI IN CH 3/4",   "SDI IN CH 5/6",   "SDI IN CH 7/8",
    "SDI IN CH 9/10", "SDI IN CH 11/12", "SDI IN CH 13/14", "SDI IN CH 15/16", "TEST",
};

const std::array<const char*, 12> ExtSourceNames2 = {
    "MUTE",
    "SDI IN CH 1/2",
    "SDI IN CH 3/4",
    "SDI IN CH 5/6",
    "SDI IN CH 7/8",
    "SDI IN CH 9/10",
    "SDI IN CH 11/12",
    "SDI IN CH 13/14",
    "SDI IN CH 15/16",
    "EXT 1/2",
    "EXT 3/4",
    "TEST",
};

const std::array<std::array<std::array<const char*, 3>, 2>, 2> ExtConfigNames1 = {{
    {{{"MIC IN 1/2", "LINE IN", "LINE OUT"}, {"MIC IN 1/2", "AES IN", "AES OUT"}}},
    {{{"MIC IN 3/4", "LINE IN", "LINE OUT"}, {"MIC IN 3/4", "AES IN", "AES OUT"}}},
}};

const std::array<std::array<std::array<const char*, 2>, 2>, 2> ExtConfigNames2 = {{
    {{{"MIC IN 1/2", "LINE IN"}, {"MIC IN 1/2", "AES IN"}}},
    {{{"MIC IN 3/4", "LINE IN"}, {"MIC IN 3/4", "AES IN"}}},
}};

const std::array<std::array<const char*, 2>, 2> ExtOutLabels = {{
    {"OUT 1/2", "OUT 3/4"},
    {"OUT 1", "OUT 2"},
}};

const std::array<const char*, 6> ModelSuffixes = {"", "-K", "-R", "-T", "-RK", "-TK"};

namespace {

constexpr std::uint8_t FirstUnknownInput = 17;

// Integer to decimal text without consulting the locale.
std::string Decimal(long long value) {
    char buffer[24];
    const auto end = std::to_chars(buffer, buffer + sizeof buffer, value).ptr;
    return std::string(buffer, end);
}

// Decimal with at least two digits.
std::string TwoDigits(std::uint8_t value) {
    std::string text = value < 10 ? "0" : "";
    return text.append(Decimal(value));
}

// A fixed-point number counted in units of 10^-decimals, with the given separator. Callers pass
// values derived from an int, so negating cannot overflow. The sign goes with a negative count
// only, so "-0.0" cannot come out.
std::string FixedPoint(long long scaled, int decimals, char separator) {
    long long divisor = 1;
    for (int i = 0; i < decimals; ++i)
        divisor *= 10;
    const long long magnitude = scaled < 0 ? -scaled : scaled;
    std::string fraction = Decimal(magnitude % divisor);
    fraction.insert(0, static_cast<std::size_t>(decimals) - fraction.size(), '0');
    std::string text = scaled < 0 ? "-" : "";
    return text.append(Decimal(magnitude / divisor)).append(1, separator).append(fraction);
}

// The entry of `table` for `code`, or the code in decimal beyond the table.
template <std::size_t N>
std::string Lookup(const std::array<const char*, N>& table, std::uint8_t code) {
    return code < N ? std::string(table[code]) : Decimal(code);
}

} // namespace

InputFormatText InputFormatTextOf(std::uint8_t code) {
    const std::uint8_t index = code < FirstUnknownInput ? code : FirstUnknownInput;
    return {InputFormatNames[index], code == 0 || code >= FirstUnknownInput};
}

std::string OutputFormatText(std::uint8_t code) {
    return Lookup(OutputFormatNames, code);
}

std::string BarsText(std::uint8_t code) {
    return Lookup(BarsNames, code);
}

std::string LossModeText(std::uint8_t code) {
    return Lookup(LossModeNames, code);
}

std::string SdiSourceText(bool aes, std::uint8_t code) {
    return Lookup(SdiSourceNames[aes ? 1 : 0], code);
}

std::string ExtSourceText(int generation, std::uint8_t code) {
    return generation == 2 ? Lookup(ExtSourceNames2, code) : Lookup(ExtSourceNames1, code);
}

std::string ExtConfigText(int generation, int connector, bool aes, std::uint8_t code) {
    if (connector != 1 && connector != 2)
        return Decimal(code);
    const std::size_t c = static_cast<std::size_t>(connector - 1);
    const std::size_t a = aes ? 1 : 0;
    return generation == 2 ? Lookup(ExtConfigNames2[c][a], code)
                           : Lookup(ExtConfigNames1[c][a], code);
}

std::string ExtOutLabel(bool aes, int output) {
    if (output != 1 && output != 2)
        return "";
    return ExtOutLabels[aes ? 1 : 0][static_cast<std::size_t>(output - 1)];
}

int ExtSourceCount(int generation) {
    return generation == 2 ? static_cast<int>(ExtSourceNames2.size())
                           : static_cast<int>(ExtSourceNames1.size());
}

int ExtConfigCount(int generation) {
    return generation == 2 ? static_cast<int>(ExtConfigNames2[0][0].size())
                           : static_cast<int>(ExtConfigNames1[0][0].size());
}

int ChoiceCount(int offset, const UnitKind& unit) {
    if (offset < 0 || offset >= RegisterCount)
        return 0;
    const int generation = unit.TableGeneration();
    switch (RegisterAt(offset).table) {
    case ValueTable::None:
        return 0;
    case ValueTable::OutputFormat:
        return static_cast<int>(OutputFormatNames.size());
    case ValueTable::Bars:
        return static_cast<int>(BarsNames.size());
    case ValueTable::LossMode:
        return static_cast<int>(LossModeNames.size());
    case ValueTable::SdiSource:
        return static_cast<int>(SdiSourceNames[0].size());
    case ValueTable::ExtSource:
        return ExtSourceCount(generation);
    case ValueTable::ExtConfig:
        return ExtConfigCount(generation);
    }
    return 0;
}

std::string ChoiceText(int offset, std::uint8_t value, const UnitKind& unit) {
    if (offset < 0 || offset >= RegisterCount)
        return Decimal(value);
    const RegisterInfo& info = RegisterAt(offset);
    const bool aes = AesVariant(unit.variant);
    switch (info.table) {
    case ValueTable::None:
        return Decimal(value);
    case ValueTable::OutputFormat:
        return OutputFormatText(value);
    case ValueTable::Bars:
        return BarsText(value);
    case ValueTable::LossMode:
        return LossModeText(value);
    case ValueTable::SdiSource:
        return SdiSourceText(aes, value);
    case ValueTable::ExtSource:
        return ExtSourceText(unit.TableGeneration(), value);
    case ValueTable::ExtConfig:
        return ExtConfigText(unit.TableGeneration(), info.member, aes, value);
    }
    return Decimal(value);
}

std::string DecibelText(const GainScale& scale, int value, char decimalSeparator) {
    return FixedPoint(scale.origin + scale.step * static_cast<long long>(value), scale.decimals,
                      decimalSeparator);
}

std::string DecibelText(int offset, int value, char decimalSeparator) {
    const bool gain = offset >= 0 && offset < RegisterCount && RegisterAt(offset).scale;
    return DecibelText(gain ? *RegisterAt(offset).scale : OutputGainScale, value, decimalSeparator);
}

std::string GainText(int value, char decimalSeparator) {
    return DecibelText(OutputGainScale, value, decimalSeparator);
}

std::string MicGainText(int value, char decimalSeparator) {
    return DecibelText(MicGainScale, value, decimalSeparator);
}

std::string ProtocolVersionText(std::uint8_t protocol) {
    return Decimal(protocol >> 4) + "." + Decimal(protocol & 0x0F);
}

std::string SoftwareVersionText(std::uint8_t major, std::uint8_t minor) {
    return Decimal(major) + "." + Decimal(minor);
}

std::string FpgaVersionText(const std::uint8_t fpga[5]) {
    return Decimal(fpga[0]) + "." + Decimal(fpga[1]) + "  " + TwoDigits(fpga[2]) + "." +
           TwoDigits(fpga[3]) + "." + TwoDigits(fpga[4]);
}

std::string ModelSuffix(int variant) {
    if (variant >= 0 && variant < static_cast<int>(ModelSuffixes.size()))
        return ModelSuffixes[static_cast<std::size_t>(variant)];
    return std::string("-").append(Decimal(variant));
}

std::string UnitName(std::uint16_t modelNumber, int variant) {
    return std::string("ORQ-SYV-").append(Decimal(modelNumber)).append(ModelSuffix(variant));
}

std::string AudioGroupText(std::uint8_t groups, int group) {
    if (group < 1 || group > 4 || (groups & (1u << (group - 1))) == 0)
        return "";
    return Decimal(group);
}

std::string ErrorCountText(std::uint8_t count) {
    return Decimal(count);
}

bool RegisterIsOn(std::uint8_t value) {
    return value != 0;
}

std::uint8_t ToggleValue(std::uint8_t value) {
    return static_cast<std::uint8_t>(1 - (value & 1));
}
