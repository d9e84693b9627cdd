// The tool's two output streams, written unbuffered. Everything for standard output goes through
// PrintOut, which sees every failed write (a full disk, a reader that has gone); standard error
// is best effort. Used from the main thread only.
#pragma once

#include <nlohmann/json.hpp>

#include <string>
#include <string_view>

namespace orqsyv::cli {

// Writes `text` to standard output and flushes it. False when this or an earlier write failed;
// nothing more is written after a failure.
bool PrintOut(std::string_view text);
void PrintErr(std::string_view text);

// The system's error number of the first failed write to standard output; 0 while none failed.
int OutputError();

// Whether standard output is a pipe or terminal whose other end has gone (a hang-up), found out
// without writing to it.
bool OutputHungUp();

// `json` as text; text that is not UTF-8 has its invalid bytes replaced (U+FFFD) rather than
// making the dump fail. `indent` as nlohmann's dump (-1: one line).
std::string JsonText(const nlohmann::ordered_json& json, int indent = -1);

} // namespace orqsyv::cli
