#include "Reporter.h"

#include "StandardOutput.h"

namespace orqsyv::cli {

namespace {

constexpr std::string_view ToolName = "orq-syv";

} // namespace

std::string About(std::string_view subject, std::string_view text) {
    std::string line(subject);
    return line.append(subject.empty() ? "" : ": ").append(text);
}

std::string CannotRead(std::string_view file, std::string_view why) {
    return About(std::string("cannot read ").append(file), why);
}

std::string InvalidFileFormat(std::string_view file) {
    return About(file, "Invalid File Format");
}

void Report(std::string_view line) {
    PrintErr(std::string(line).append("\n"));
}

void ReportAbout(std::string_view subject, std::string_view text) {
    Report(About(subject, text));
}

void ReportUsage(std::string_view text) {
    ReportAbout(ToolName, text);
}

} // namespace orqsyv::cli
