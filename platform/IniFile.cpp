#include "IniFile.h"

#include "AtomicFile.h"
#include "Utf8Path.h"
#include "WholeFile.h"

#include <algorithm>
#include <charconv>
#include <climits>
#include <filesystem>
#include <system_error>
#include <utility>

namespace {

// No settings file of this program comes near it; a larger file is not one to rewrite.
constexpr std::size_t SizeLimit = std::size_t{1} << 20;

char AsciiLower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool SameName(std::string_view a, std::string_view b) {
    return std::ranges::equal(a, b, {}, AsciiLower, AsciiLower);
}

// The section name of a header line; false for any other line.
bool HeaderName(std::string_view line, std::string_view& name) {
    if (line.empty() || line.front() != '[')
        return false;
    const std::size_t close = line.find(']');
    if (close == std::string_view::npos)
        return false;
    name = line.substr(1, close - 1);
    return true;
}

bool IsComment(std::string_view line) {
    return !line.empty() && (line.front() == ';' || line.front() == '#');
}

// The text after the first '=' of a key line.
std::string_view ValueOf(const std::string& line) {
    return std::string_view(line).substr(line.find('=') + 1);
}

std::vector<std::string> SplitLines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        std::string line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(std::move(line));
        start = end + 1;
    }
    return lines;
}

} // namespace

IniFile::IniFile(std::string path) : path_(std::move(path)) {
    const WholeFile file = ReadWholeFile(path_, SizeLimit);
    if (file.status == WholeFileStatus::Read)
        lines_ = SplitLines(file.bytes);
    unreadable_ =
        file.status == WholeFileStatus::Failed || file.status == WholeFileStatus::TooLarge;
}

bool IniFile::FindSection(std::string_view section, Range& body) const {
    // Lines before the first header belong to the section with the empty name.
    bool inside = section.empty();
    body.begin = 0;
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        std::string_view name;
        if (!HeaderName(lines_[i], name))
            continue;
        if (inside) {
            body.end = i;
            return true;
        }
        if (SameName(name, section)) {
            inside = true;
            body.begin = i + 1;
        }
    }
    body.end = lines_.size();
    return inside;
}

std::size_t IniFile::FindKey(Range body, std::string_view key) const {
    for (std::size_t i = body.begin; i < body.end; ++i) {
        const std::string& line = lines_[i];
        const std::size_t equals = line.find('=');
        if (equals != std::string::npos && !IsComment(line) &&
            SameName(std::string_view(line).substr(0, equals), key))
            return i;
    }
    return body.end;
}

const std::string* IniFile::FindValueLine(std::string_view section, std::string_view key) const {
    Range body{};
    if (!FindSection(section, body))
        return nullptr;
    const std::size_t at = FindKey(body, key);
    return at == body.end ? nullptr : &lines_[at];
}

std::string IniFile::ReadString(std::string_view section, std::string_view key,
                                std::string_view defaultValue) const {
    const std::string* line = FindValueLine(section, key);
    return std::string(line == nullptr ? defaultValue : ValueOf(*line));
}

bool IniFile::ParseInteger(std::string_view text, int& value) {
    int base = 10;
    if (text.starts_with("0x") || text.starts_with("0X")) {
        base = 16;
        text.remove_prefix(2);
    } else if (text.starts_with("$")) {
        base = 16;
        text.remove_prefix(1);
    }
    // from_chars would take a minus after a hexadecimal prefix and reads nothing from "".
    if (text.empty() || (base == 16 && text.front() == '-'))
        return false;
    long long parsed = 0;
    const char* last = text.data() + text.size();
    const auto [end, error] = std::from_chars(text.data(), last, parsed, base);
    if (error != std::errc() || end != last || parsed < INT_MIN || parsed > INT_MAX)
        return false;
    value = static_cast<int>(parsed);
    return true;
}

int IniFile::ReadInteger(std::string_view section, std::string_view key, int defaultValue) const {
    const std::string* line = FindValueLine(section, key);
    int value = 0;
    if (line == nullptr || !ParseInteger(ValueOf(*line), value))
        return defaultValue;
    return value;
}

bool IniFile::ReadBool(std::string_view section, std::string_view key, bool defaultValue) const {
    return ReadInteger(section, key, defaultValue ? 1 : 0) != 0;
}

void IniFile::WriteString(std::string_view section, std::string_view key, std::string_view value) {
    value = value.substr(0, value.find_first_of("\r\n"));
    Range body{};
    if (!FindSection(section, body)) {
        std::string header = "[";
        header.append(section).append("]");
        lines_.push_back(std::move(header));
        lines_.push_back(std::string(key) + "=" + std::string(value));
        return;
    }
    const std::size_t at = FindKey(body, key);
    if (at != body.end) {
        std::string& line = lines_[at];
        line.replace(line.find('=') + 1, std::string::npos, value);
        return;
    }
    // Blank lines that close the section keep separating it from the next one.
    std::size_t insertAt = body.end;
    while (insertAt > body.begin && lines_[insertAt - 1].empty())
        --insertAt;
    lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(insertAt),
                  std::string(key) + "=" + std::string(value));
}

void IniFile::WriteInteger(std::string_view section, std::string_view key, int value) {
    WriteString(section, key, std::to_string(value));
}

void IniFile::WriteBool(std::string_view section, std::string_view key, bool value) {
    WriteString(section, key, value ? "1" : "0");
}

bool IniFile::Save() const {
    // What could not be read would be lost by writing what little is known of the file.
    if (unreadable_)
        return false;
    const std::filesystem::path file = PathFromUtf8(path_);
    std::error_code error;
    if (file.has_parent_path())
        std::filesystem::create_directories(file.parent_path(), error);
    std::string text;
    for (const std::string& line : lines_)
        text.append(line).append("\r\n");
    return WriteFileAtomically(path_, text.data(), text.size());
}
