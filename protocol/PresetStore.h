// Preset files on disk: the codec's 58 bytes written through the platform's safe replacement and
// read back through its bounded whole-file read. The panel and the command-line tool share it.
#pragma once

#include "Frames.h"

#include <cstdint>
#include <string>

// Writes the preset file of `block` at `path`; false when it cannot be written whole, and then
// any earlier file of that name is left as it was and `why` (if given) says why, as
// WriteFileAtomically does.
bool SavePresetFile(const std::string& path, const RegisterBlock& block,
                    std::string* why = nullptr);

// Reads the preset file at `path` and checks it as ParsePresetBytes does, without the variant
// rules. False when it cannot be opened or read, is not a preset file, or is longer than one
// (which is not read); `block` is then left as it was. When the file could not be read at all,
// `unreadable` (if given) gets the system's reason; it stays empty for a file that was read and
// is no preset file.
bool ReadPresetFile(const std::string& path, RegisterBlock& block,
                    std::string* unreadable = nullptr);

// ReadPresetFile, then the variant rules for a unit of `modelVariant` whose newest reply is
// `currentReply`. False as ReadPresetFile; `block` is then left as it was.
bool LoadPresetFile(const std::string& path, std::uint32_t modelVariant,
                    const StatusReply& currentReply, RegisterBlock& block);
