// A small INI settings file: read whole when the object is made, changed in memory, written back
// whole by Save. Everything the program does not touch survives a save in its place: other
// sections and keys, comments, blank lines and the spelling of existing names.
//
// File format:
// - A line that starts with '[' and holds a ']' opens a section named by the text between them.
// - A line that starts with ';' or '#' is a comment; any other line with a '=' is a key whose
//   name is the text before the first '=' and whose value is everything after it.
// - Lines before the first section header form the section with the empty name.
// - Section and key names are compared without regard to ASCII case; names and values are taken
//   exactly as written, blanks included. When a name occurs twice, the first one counts.
// - Lines end in CR LF on write; LF and CR LF are both read.
#pragma once

#include <string>
#include <string_view>
#include <vector>

class IniFile {
public:
    // Reads the file at `path` (UTF-8) at once; a missing or unreadable file reads as an empty
    // one.
    explicit IniFile(std::string path);

    std::string ReadString(std::string_view section, std::string_view key,
                           std::string_view defaultValue) const;
    // Decimal with an optional leading '-', or hexadecimal after "0x" or "$". A value that is not
    // such an integer, or does not fit an int, counts as absent.
    int ReadInteger(std::string_view section, std::string_view key, int defaultValue) const;
    // True when the value reads as an integer other than 0; absent as for ReadInteger.
    bool ReadBool(std::string_view section, std::string_view key, bool defaultValue) const;

    // An existing key keeps its place and spelling and gets the new value. A new key goes after
    // the last non-blank line of its section, a new section at the end of the file. A value is
    // one line: it is cut at its first CR or LF.
    void WriteString(std::string_view section, std::string_view key, std::string_view value);
    // Written in decimal.
    void WriteInteger(std::string_view section, std::string_view key, int value);
    // Written as 1 or 0.
    void WriteBool(std::string_view section, std::string_view key, bool value);

    // Writes the whole file through the safe replacement (AtomicFile.h), creating its directory
    // when that is missing. False when the file could not be written, and then it is as it was;
    // nothing is thrown. A file that exists but could not be read (no permission, over a
    // megabyte, not a plain file) is never written: the save would lose what it holds.
    bool Save() const;

    // Parses an integer value by the rules of ReadInteger; false leaves `value` untouched.
    static bool ParseInteger(std::string_view text, int& value);

private:
    struct Range {
        std::size_t begin; // first line of the section's body
        std::size_t end;   // one past its last line
    };

    bool FindSection(std::string_view section, Range& body) const;
    // Index of the key's line inside `body`, or body.end when the section lacks the key.
    std::size_t FindKey(Range body, std::string_view key) const;
    const std::string* FindValueLine(std::string_view section, std::string_view key) const;

    std::string path_;
    std::vector<std::string> lines_; // without line ends
    bool unreadable_ = false;        // the file exists but could not be read
};
