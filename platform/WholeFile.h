// Reading a small file whole, with a bound on its size, for the program's own files (presets,
// settings). Paths are UTF-8 text.
#pragma once

#include <cstddef>
#include <string>

enum class WholeFileStatus {
    Read,     // `bytes` holds the whole file
    Missing,  // no file of that name (nor, perhaps, its directory)
    TooLarge, // longer than the bound: nothing of it was kept
    Failed,   // not a plain file (a directory, a pipe, a device), no permission, a read error
};

struct WholeFile {
    WholeFileStatus status = WholeFileStatus::Failed;
    std::string bytes; // empty unless status is Read
    // Unless status is Read, what went wrong in the system's words: "No such file or directory",
    // "Permission denied", "Is a directory", or "not a regular file" for a pipe or a device.
    std::string why;
};

// Reads the plain file at `path` if it holds at most `limit` bytes. Other programs may read and
// write the file meanwhile; a file that grows beyond `limit` while it is read is TooLarge.
WholeFile ReadWholeFile(const std::string& path, std::size_t limit);
