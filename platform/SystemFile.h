// A file opened through the system's own calls rather than the C++ streams, so that every
// failure is seen (a deferred write error on close, a full disk on flush), with the few
// operations the safe replacement and the whole-file read need; and the place a save replaces a
// file at. Paths are UTF-8 text.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// Why a file could not be opened or created.
enum class FileFailure {
    None,
    Missing,   // the file, or a directory on its way, does not exist
    NameTaken, // SaveTarget::CreateBeside only: something of that name exists already
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
    friend class SaveTarget;
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

// The file a save replaces: the folder that holds it and its name there. Once found, every step
// names files in that folder (held open where the system allows), whatever becomes of the path.
// On failure each operation leaves the system's reason for LastSystemErrorText().
class SaveTarget {
public:
    SaveTarget() = default;
    SaveTarget(const SaveTarget&) = delete;
    SaveTarget& operator=(const SaveTarget&) = delete;
    ~SaveTarget();

    // Finds the file that `path` names. A symbolic link at `path` is followed by the system
    // itself, with the protections it gives links in shared folders; the file it leads to is the
    // target, and a link to a missing file creates that file empty (Abandon removes it again).
    // False, with one line for the operator in `why`, when there is no folder for the file, the
    // file is not a plain one, or the link is another user's in a shared folder.
    bool Find(const std::string& path, std::string& why);

    // The target's name in its folder.
    const std::string& Name() const { return name_; }
    // Whether the target existed (or Find created it); Old() holds its facts then.
    bool Exists() const { return exists_; }
    const FileFacts& Old() const { return old_; }

    // Creates the new, empty file `name` beside the target for writing. Its permission bits are
    // 0600 until it has been given the target's bits, owner and group (the owner where the
    // system allows) when the target exists; a new target's file gets the usual ones of a new
    // file. Never opens anything already there, a link included.
    SystemFile CreateBeside(const std::string& name) const;
    // The target itself, for reading and writing in place; not open when another file has taken
    // its name since Find.
    SystemFile OpenForUpdate() const;
    // Renames the file `name` beside the target over the target in one step, and makes that
    // durable.
    bool ReplaceBy(const std::string& name) const;
    // Removes the file `name` beside the target.
    void Remove(const std::string& name) const;
    // After a failed save: removes the target when Find created it.
    void Abandon() const;

private:
    bool Hold(const std::string& path, std::string& why);

#if defined(_WIN32)
    std::string folder_; // ends in a delimiter
#else
    int folder_ = -1;
    std::uint64_t device_ = 0, inode_ = 0; // the target's identity, when it exists
    bool created_ = false;                 // Find created the target
#endif
    std::string name_;
    bool exists_ = false;
    FileFacts old_;
};

// The system's text for the last failure of a system call on this thread ("No space left on
// device"); read it before any other call can replace it.
std::string LastSystemErrorText();
