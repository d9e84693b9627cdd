#include "RackFile.h"

#include "Commands.h"
#include "Reporter.h"
#include "Utf8Path.h"
#include "WholeFile.h"

#include <sstream>

namespace orqsyv::cli {

namespace {

// A rack file larger than this is surely something else.
constexpr std::size_t RackFileLimit = 1 << 20;
constexpr const char* Blanks = " \t\r";

// The fields of one line; none for a quote that is not closed.
std::optional<std::vector<std::string>> Fields(const std::string& line) {
    std::vector<std::string> fields;
    std::size_t at = line.find_first_not_of(Blanks);
    while (at != std::string::npos && line[at] != '#') {
        std::size_t end = 0;
        if (line[at] == '"') {
            end = line.find('"', at + 1);
            if (end == std::string::npos)
                return std::nullopt;
            fields.push_back(line.substr(at + 1, end - at - 1));
            ++end;
        } else {
            end = std::min(line.find_first_of(Blanks, at), line.size());
            fields.push_back(line.substr(at, end - at));
        }
        at = line.find_first_not_of(Blanks, end);
    }
    return fields;
}

std::string Resolved(const std::string& rackPath, const std::string& preset) {
    const std::filesystem::path path = PathFromUtf8(preset);
    if (path.is_absolute())
        return preset;
    return Utf8FromPath(PathFromUtf8(rackPath).parent_path() / path);
}

} // namespace

std::optional<std::vector<RackUnit>> ReadRackFile(const std::string& path) {
    const WholeFile file = ReadWholeFile(path, RackFileLimit);
    if (file.status != WholeFileStatus::Read) {
        Report(CannotRead(path, file.why));
        return std::nullopt;
    }
    std::vector<RackUnit> rack;
    std::istringstream lines(file.bytes);
    int number = 0;
    for (std::string line; std::getline(lines, line);) {
        const std::string subject = path + ":" + std::to_string(++number);
        const std::optional<std::vector<std::string>> fields = Fields(line);
        if (fields && fields->empty())
            continue;
        if (!fields || fields->size() != 3) {
            ReportAbout(subject, "a unit's line is SERIAL LABEL PRESET-FILE");
            return std::nullopt;
        }
        const std::optional<UnitRef> unit = ParseUnitRef((*fields)[0]);
        if (!unit) {
            ReportAbout(subject, "\"" + (*fields)[0] + "\" is no unit");
            return std::nullopt;
        }
        for (const RackUnit& earlier : rack)
            if (earlier.unit.text == unit->text) {
                ReportAbout(subject, unit->text + " is named twice");
                return std::nullopt;
            }
        RackUnit entry{*unit, (*fields)[1], Resolved(path, (*fields)[2]), {}};
        if (!ReadPreset(entry.preset, entry.block, subject))
            return std::nullopt;
        rack.push_back(std::move(entry));
    }
    if (rack.empty()) {
        ReportAbout(path, "names no unit");
        return std::nullopt;
    }
    return rack;
}

} // namespace orqsyv::cli
