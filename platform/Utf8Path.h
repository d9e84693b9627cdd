// Paths travel through the program as UTF-8 text, whatever the system's own encoding. These
// convert them where they meet the system: to the library's path type, and on Windows to and
// from the wide strings of the system's calls (its narrow calls take the ANSI code page, which
// cannot spell every name).
#pragma once

#include <filesystem>
#include <string>

// The path that the UTF-8 `text` names.
std::filesystem::path PathFromUtf8(const std::string& text);

// The UTF-8 text of `path`.
std::string Utf8FromPath(const std::filesystem::path& path);

#if defined(_WIN32)
// The wide form of UTF-8 `text`; "" when `text` is not valid UTF-8, which no system call takes.
std::wstring WideFromUtf8(const std::string& text);

// The UTF-8 form of a wide string from the system.
std::string Utf8FromWide(const std::wstring& text);
#endif
