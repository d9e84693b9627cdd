#include "PresetStore.h"

#include "AtomicFile.h"
#include "PresetFile.h"
#include "WholeFile.h"

bool SavePresetFile(const std::string& path, const RegisterBlock& block, std::string* why) {
    const PresetFileBytes bytes = PresetBytes(block);
    return WriteFileAtomically(path, bytes.data(), bytes.size(), why);
}

bool ReadPresetFile(const std::string& path, RegisterBlock& block, std::string* unreadable) {
    const WholeFile file = ReadWholeFile(path, PresetFileSize);
    // A file too large to be a preset was read far enough to know it is none.
    if (unreadable && file.status != WholeFileStatus::Read &&
        file.status != WholeFileStatus::TooLarge)
        *unreadable = file.why;
    return file.status == WholeFileStatus::Read &&
           ParsePresetBytes(reinterpret_cast<const std::uint8_t*>(file.bytes.data()),
                            file.bytes.size(), block);
}

bool LoadPresetFile(const std::string& path, std::uint32_t modelVariant,
                    const StatusReply& currentReply, RegisterBlock& block) {
    RegisterBlock loaded{};
    if (!ReadPresetFile(path, loaded))
        return false;
    ApplyVariantRules(loaded, modelVariant, currentReply);
    block = loaded;
    return true;
}
