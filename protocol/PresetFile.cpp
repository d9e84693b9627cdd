#include "PresetFile.h"

#include "Crc16.h"
#include "DeviceRegisters.h"

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <fstream>

#if defined(_WIN32)
#include "WindowsApi.h"
#else
#include <cerrno>
#include <fcntl.h>
#include <unistd.h>
#endif

namespace {

constexpr std::uint8_t HeaderR = 0x52;
constexpr std::uint8_t HeaderP = 0x50;
constexpr std::uint8_t ModelHigh = FamilyModelNumber >> 8;  // 0x02
constexpr std::uint8_t ModelLow = FamilyModelNumber & 0xFF; // 0xDA
constexpr int ChecksumOffset = ReplyCoveredBytes;           // 56
// Attempts at a temporary name before the save gives up: only names left behind by saves that
// died, or taken by another copy saving at the same moment, are ever in the way.
constexpr int TemporaryNameAttempts = 100;

static_assert(PresetFileSize == StatusReplySize);
static_assert(ReplyRegistersOffset + RegisterCount == ChecksumOffset);

// The file operations of a save, on the system's own calls so that every failure is seen.
#if defined(_WIN32)

using FileHandle = HANDLE;
const FileHandle NoFile = INVALID_HANDLE_VALUE;

FileHandle CreateNewFile(const std::string& path) {
    return CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL,
                       nullptr);
}

bool NameTaken() {
    return GetLastError() == ERROR_FILE_EXISTS;
}

bool WriteAll(FileHandle file, const std::uint8_t* data, std::size_t size) {
    DWORD written = 0;
    return WriteFile(file, data, static_cast<DWORD>(size), &written, nullptr) != 0 &&
           written == size;
}

bool FlushToDisk(FileHandle file) {
    return FlushFileBuffers(file) != 0;
}

bool CloseFile(FileHandle file) {
    return CloseHandle(file) != 0;
}

// A plain rename does not replace an existing file on Windows.
bool ReplaceFileWith(const std::string& from, const std::string& to) {
    return MoveFileExA(from.c_str(), to.c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

void RemoveFile(const std::string& path) {
    DeleteFileA(path.c_str());
}

unsigned long ProcessId() {
    return GetCurrentProcessId();
}

#else

using FileHandle = int;
constexpr FileHandle NoFile = -1;

FileHandle CreateNewFile(const std::string& path) {
    int file = -1;
    do
        file = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    while (file < 0 && errno == EINTR);
    return file;
}

bool NameTaken() {
    return errno == EEXIST;
}

bool WriteAll(FileHandle file, const std::uint8_t* data, std::size_t size) {
    while (size > 0) {
        const ssize_t written = write(file, data, size);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        data += written;
        size -= static_cast<std::size_t>(written);
    }
    return true;
}

bool FlushToDisk(FileHandle file) {
    return fsync(file) == 0;
}

bool CloseFile(FileHandle file) {
    return close(file) == 0;
}

bool ReplaceFileWith(const std::string& from, const std::string& to) {
    std::error_code error;
    std::filesystem::rename(from, to, error);
    return !error;
}

void RemoveFile(const std::string& path) {
    unlink(path.c_str());
}

unsigned long ProcessId() {
    return static_cast<unsigned long>(getpid());
}

#endif

// Creates a file of a name no other file has, beside `target` (its name with a suffix), and
// stores that name in `name`. NoFile when none can be created.
FileHandle CreateTemporaryBeside(const std::string& target, std::string& name) {
    static std::atomic<unsigned> counter{0};
    for (int attempt = 0; attempt < TemporaryNameAttempts; ++attempt) {
        name = target;
        name.append(".~").append(std::to_string(ProcessId()));
        name.append("-").append(std::to_string(counter.fetch_add(1))).append(".tmp");
        const FileHandle file = CreateNewFile(name);
        if (file != NoFile || !NameTaken())
            return file;
    }
    return NoFile;
}

} // namespace

void FactoryDefaults(RegisterBlock& block) {
    block = FactoryDefaultBlock();
}

PresetFileBytes PresetBytes(const RegisterBlock& block) {
    PresetFileBytes bytes{};
    bytes[0] = HeaderR;
    bytes[1] = HeaderP;
    bytes[ReplyProtocol] = AcceptedProtocol;
    bytes[ReplyModelHigh] = ModelHigh;
    bytes[ReplyModelLow] = ModelLow;
    std::copy(block.begin(), block.end(), bytes.begin() + ReplyRegistersOffset);
    StoreCrc16(bytes.data(), ChecksumOffset);
    return bytes;
}

bool ParsePresetBytes(const std::uint8_t* data, std::size_t size, RegisterBlock& block) {
    if (size != PresetFileSize)
        return false;
    if (data[0] != HeaderR || data[1] != HeaderP)
        return false;
    if (!CheckCrc16(data, ChecksumOffset))
        return false;
    if (data[ReplyModelHigh] != ModelHigh || data[ReplyModelLow] != ModelLow)
        return false;
    std::copy_n(data + ReplyRegistersOffset, RegisterCount, block.begin());
    return true;
}

void ApplyVariantRules(RegisterBlock& block, std::uint32_t modelVariant,
                       const StatusReply& currentReply) {
    const int variant = static_cast<int>(modelVariant);
    for (int offset = 0; offset < RegisterCount; ++offset)
        if (!RegisterOnVariant(offset, variant))
            block[static_cast<std::size_t>(offset)] =
                currentReply[static_cast<std::size_t>(ReplyRegistersOffset + offset)];
}

bool SavePresetFile(const std::string& path, const RegisterBlock& block) {
    const PresetFileBytes bytes = PresetBytes(block);
    std::string temporary;
    const FileHandle file = CreateTemporaryBeside(path, temporary);
    if (file == NoFile)
        return false;
    const bool written = WriteAll(file, bytes.data(), bytes.size()) && FlushToDisk(file);
    // Closing can report a write the system had deferred, so it must succeed too.
    const bool closed = CloseFile(file);
    if (written && closed && ReplaceFileWith(temporary, path))
        return true;
    RemoveFile(temporary);
    return false;
}

bool ReadPresetFile(const std::string& path, RegisterBlock& block) {
    PresetFileBytes bytes{};
    {
        std::ifstream file(path, std::ios::binary);
        if (!file || !file.seekg(0, std::ios::end))
            return false;
        if (file.tellg() != std::streampos(PresetFileSize) || !file.seekg(0))
            return false;
        if (!file.read(reinterpret_cast<char*>(bytes.data()), PresetFileSize))
            return false;
    }
    return ParsePresetBytes(bytes.data(), bytes.size(), block);
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
