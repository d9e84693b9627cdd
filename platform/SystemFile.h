// A file opened through the system's own calls rather than the C++ streams, so that every
// failure is seen (a deferred write error on close, a full disk on flush), with the few
// operations the safe replacement and the whole-file read need. Paths are UTF-8 text.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// Why a file could not be opened or created.
enum class FileFailure {
    None,
    Missing,   // the file, or a directory on its way, does not exist
    NameTaken, // CreateNew only: something of that name exists already
    Refused,   // no permission, or a read-only file system
    Other,
};

struct FileFacts {
    bool regular = false; // a plain file: not a directory, pipe or device
    std::uint64_t size = 0;
#if !defined(_WIN32)
    unsigned permissions = 0; // the permission bits of the mode (07777)
    unsigned owner = 0;
    unsigned group = 0;
#endif
};

class SystemFile {
public:
    // An existing file for reading; other programs may read, write, rename and delete it
    // meanwhile. A pipe opens without waiting for a writer.
    static SystemFile OpenForReading(const std::string& path);
    // An existing file for reading and writing, not truncated.
    static SystemFile OpenForUpdate(const std::string& path);
    // A file that must not exist yet, created empty for writing. With `like`, it takes that file's
    // permission bits, and its owner and group where the system allows; without, the usual ones
    // of a new file.
    static SystemFile CreateNew(const std::string& path, const FileFacts* like);

    SystemFile(SystemFile&& other) noexcept;
    SystemFile& operator=(SystemFile&& other) noexcept;
    SystemFile(const SystemFile&) = delete;
    SystemFile& operator=(const SystemFile&) = delete;
    // Closes the file if Close has not.
    ~SystemFile();

    bool IsOpen() const { return handle_ != NoHandle; }
    // Why the file is not open; None when it is.
    FileFailure Failure() const { return failure_; }

    bool Facts(FileFacts& facts) const;
    // Reads from `offset` until `size` bytes are in or the file ends; `got` says how many came.
    bool ReadAt(std::uint64_t offset, void* data, std::size_t size, std::size_t& got);
    // Writes all `size` bytes at `offset`; false on any shortfall.
    bool WriteAt(std::uint64_t offset, const void* data, std::size_t size);
    // Makes the disk hold room for `size` bytes of this file, growing it to that size if it is
    // shorter. False when there is no room: a full disk, a size limit.
    bool Reserve(std::uint64_t size);
    // Cuts or grows the file to `size` bytes.
    bool Resize(std::uint64_t size);
    // Returns once everything written is on the disk.
    bool Flush();
    // Closes the file; false when the system reports a failure (a write it had deferred).
    bool Close();

private:
#if defined(_WIN32)
    using Handle = void*;                                               // HANDLE
    static inline Handle const NoHandle = reinterpret_cast<Handle>(-1); // INVALID_HANDLE_VALUE
#else
    using Handle = int;
    static constexpr Handle NoHandle = -1;
#endif
    SystemFile(Handle handle, FileFailure failure) : handle_(handle), failure_(failure) {}

    Handle handle_ = NoHandle;
    FileFailure failure_ = FileFailure::None;
};

// Facts about the file that `path` names, links followed; false when there is none.
bool FileFactsOf(const std::string& path, FileFacts& facts);

// The path of the file that `path` names once symbolic links are followed: `path` itself when
// it is no link, the target's path (made whole when the link is relative) when it is; a link to
// a missing file gives the missing file's path, so that a save creates it.
std::string FollowLinks(const std::string& path);

// Renames `from` to `to`, replacing any file at `to` in one step.
bool RenameOver(const std::string& from, const std::string& to);

void RemoveFile(const std::string& path);

// Makes a rename in the directory that holds `path` durable; failures are ignored, the rename
// itself has happened.
void FlushDirectoryOf(const std::string& path);

// The system's text for the last failure of a system call on this thread ("No space left on
// device"); read it before any other call can replace it.
std::string LastSystemErrorText();

// This process's number, which keeps temporary names of concurrent processes apart.
unsigned long ProcessNumber();
