#include "SettingNames.h"

#include "DeviceRegisters.h"

#include <cctype>

namespace orqsyv::cli {

namespace {

bool Upper(char c) {
    return std::isupper(static_cast<unsigned char>(c)) != 0;
}

bool Digit(char c) {
    return std::isdigit(static_cast<unsigned char>(c)) != 0;
}

char Lower(char c) {
    return static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
}

} // namespace

std::string SettingName(int offset) {
    const std::string_view name = DeviceRegisters[static_cast<std::size_t>(offset)].name;
    std::string result;
    for (std::size_t i = 0; i < name.size(); ++i) {
        const char c = name[i];
        const bool wordStart =
            i > 0 && ((Upper(c) && !Upper(name[i - 1])) || (Digit(c) && !Digit(name[i - 1])));
        if (wordStart)
            result.push_back('-');
        result.push_back(Lower(c));
    }
    return result;
}

std::optional<int> SettingOffset(std::string_view name) {
    std::string lower;
    for (const char c : name)
        lower.push_back(c == '_' ? '-' : Lower(c));
    for (const RegisterInfo& info : DeviceRegisters)
        if (SettingName(info.offset) == lower)
            return info.offset;
    return std::nullopt;
}

} // namespace orqsyv::cli
