// What the tool tells on standard error, formatted in one place. Every line names what it is
// about before a colon: the tool itself for a usage error or a word on the whole run
// ("orq-syv: no unit found"), a unit ("SV730101: not taken, kept ..."), a file or a line of one
// ("rack.txt:3: ..."). The same "SUBJECT: TEXT" form serves a unit's lines on standard output.
#pragma once

#include <string>
#include <string_view>

namespace orqsyv::cli {

// "SUBJECT: TEXT"; TEXT alone when the subject is empty.
std::string About(std::string_view subject, std::string_view text);

// The texts of a file that cannot be had: "cannot read FILE: WHY" (WHY the system's reason),
// and "FILE: Invalid File Format" for a file that was read but is not what it should be.
std::string CannotRead(std::string_view file, std::string_view why);
std::string InvalidFileFormat(std::string_view file);

// Writes `line` and a newline on standard error.
void Report(std::string_view line);
// About(subject, text) on standard error.
void ReportAbout(std::string_view subject, std::string_view text);
// A usage error, or a word on the whole run: "orq-syv: TEXT" on standard error.
void ReportUsage(std::string_view text);

} // namespace orqsyv::cli
