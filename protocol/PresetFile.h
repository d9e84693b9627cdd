// The preset file: a unit's forty registers kept in 58 bytes laid out like a status reply, but
// with the host's header letters "RP"; the factory settings; and the rule by which a loaded block
// keeps the unit's own values for the inputs and outputs it lacks.
#pragma once

#include "Frames.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

inline constexpr int PresetFileSize = 58;

using PresetFileBytes = std::array<std::uint8_t, PresetFileSize>;

// Fills `block` with the factory settings, registers 26..39 included.
void FactoryDefaults(RegisterBlock& block);

// The file that a save of `block` writes: "RP", 0x00, 0x40, model 730 (0x02 0xDA), ten zero
// bytes, the block at offsets 16..55 and the Crc16 of bytes 0..55 at 56..57, high byte first.
PresetFileBytes PresetBytes(const RegisterBlock& block);

// Checks `size` bytes at `data` as a preset file, stopping at the first failure: the size is
// exactly 58, bytes 0..1 are "RP", bytes 56..57 hold the Crc16 of bytes 0..55, bytes 4..5 are
// model 730. Bytes 2, 3 and 6..15 are not examined. On success `block` gets bytes 16..55;
// on failure it is left as it was.
bool ParsePresetBytes(const std::uint8_t* data, std::size_t size, RegisterBlock& block);

// Puts the values of `currentReply` (the unit's newest reply) into the registers of a loaded
// block that a unit of `modelVariant` has no use for: the microphone registers 26..33 unless it
// is a MicVariant, the EXT registers 34..39 unless it is an ExtVariant. So loading a preset
// never changes what the unit reports for inputs and outputs it does not have.
void ApplyVariantRules(RegisterBlock& block, std::uint32_t modelVariant,
                       const StatusReply& currentReply);

// Writes the preset file of `block` at `path`. The bytes go to a new file beside it first and
// replace `path` only once all 58 are written and flushed to the disk, so a failure (no such
// directory, no permission, a full disk, a write error) leaves any earlier file at `path` as it
// was, and no temporary file behind. Returns false on any failure.
bool SavePresetFile(const std::string& path, const RegisterBlock& block);

// Reads the preset file at `path` (other programs may read and write it meanwhile) and checks it
// as ParsePresetBytes does, without the variant rules. False when the file cannot be opened or
// read, is not exactly 58 bytes long or fails a check; `block` is then left as it was.
bool ReadPresetFile(const std::string& path, RegisterBlock& block);

// Reads the preset file at `path` (other programs may read and write it meanwhile), checks it as
// ParsePresetBytes does and applies the variant rules for a unit of `modelVariant` whose newest
// reply is `currentReply`. False when the file cannot be opened or read, is not exactly 58
// bytes long or fails a check; `block` is then left as it was.
bool LoadPresetFile(const std::string& path, std::uint32_t modelVariant,
                    const StatusReply& currentReply, RegisterBlock& block);
