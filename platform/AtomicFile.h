// Safe replacement of a file's contents: the file holds either all of its old bytes or all of
// the new ones, never a part of either, whatever happens during the save (a full disk, a size
// limit, a write error, a crash). Used for every file the program writes. Paths are UTF-8 text.
#pragma once

#include <cstddef>
#include <string>

// Writes `size` bytes at `data` as the whole contents of the file at `path`, creating the file
// when there is none (its directory must exist). Returns false on any failure, and the file is
// then as it was, byte for byte, with no other file left behind; `why`, when given, then receives
// one line for the operator: the system's own text ("No space left on device", "Permission
// denied") or, for a file this function refuses to write, a short text of its own.
//
// The bytes go to a new file beside the target first, reach the disk, and then replace the
// target by a rename. That file's name is drawn at random, so that no one can put something in
// its way beforehand; it is readable by this user alone until it has the old file's permission
// bits (and its owner where the system allows). A symbolic link at `path` stays: the file it
// names is replaced, as the system follows the link; a link that another user put in a shared
// folder (a sticky one that everyone may write to, such as /tmp) is refused.
//
// Only where the directory takes no new file but the file itself is writable (a writable file
// in a read-only folder) are the bytes written into the file in place: its room is reserved
// first, and a failure after the first byte has changed puts the old bytes back. A crash in the
// middle of that can leave a mix, which the rename never does.
bool WriteFileAtomically(const std::string& path, const void* data, std::size_t size,
                         std::string* why = nullptr);
