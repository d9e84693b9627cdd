#include "SystemFile.h"

#include "ProgramPaths.h"
#include "Utf8Path.h"
#include "WindowsApi.h"

#include <utility>

namespace {

// Every program may go on reading and writing a file this program reads, and may rename or
// delete it.
constexpr DWORD ShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

FileFailure FailureOf(DWORD error) {
    switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
        return FileFailure::Missing;
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS:
        return FileFailure::NameTaken;
    case ERROR_ACCESS_DENIED:
    case ERROR_WRITE_PROTECT:
        return FileFailure::Refused;
    default:
        return FileFailure::Other;
    }
}

HANDLE Open(const std::string& path, DWORD access, DWORD share, DWORD disposition) {
    return CreateFileW(WideFromUtf8(path).c_str(), access, share, nullptr, disposition,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
}

void FillFacts(const BY_HANDLE_FILE_INFORMATION& info, FileFacts& facts) {
    facts.regular = (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
    facts.size = (std::uint64_t{info.nFileSizeHigh} << 32) | info.nFileSizeLow;
}

// Positions an overlapped structure at `offset`, for a synchronous handle's ReadFile/WriteFile.
OVERLAPPED At(std::uint64_t offset) {
    OVERLAPPED at{};
    at.Offset = static_cast<DWORD>(offset);
    at.OffsetHigh = static_cast<DWORD>(offset >> 32);
    return at;
}

} // namespace

SystemFile SystemFile::OpenForReading(const std::string& path) {
    const HANDLE file = Open(path, GENERIC_READ, ShareAll, OPEN_EXISTING);
    if (file == INVALID_HANDLE_VALUE)
        return SystemFile(NoHandle, FailureOf(GetLastError()));
    return SystemFile(file, FileFailure::None);
}

SystemFile::SystemFile(SystemFile&& other) noexcept
    : handle_(std::exchange(other.handle_, NoHandle)), failure_(other.failure_) {}

SystemFile& SystemFile::operator=(SystemFile&& other) noexcept {
    if (this != &other) {
        Close();
        handle_ = std::exchange(other.handle_, NoHandle);
        failure_ = other.failure_;
    }
    return *this;
}

SystemFile::~SystemFile() {
    Close();
}

bool SystemFile::Facts(FileFacts& facts) const {
    BY_HANDLE_FILE_INFORMATION info{};
    if (!GetFileInformationByHandle(handle_, &info))
        return false;
    FillFacts(info, facts);
    facts.regular = facts.regular && GetFileType(handle_) == FILE_TYPE_DISK;
    return true;
}

bool SystemFile::ReadAt(std::uint64_t offset, void* data, std::size_t size, std::size_t& got) {
    got = 0;
    auto* bytes = static_cast<unsigned char*>(data);
    while (got < size) {
        OVERLAPPED at = At(offset + got);
        DWORD n = 0;
        if (!ReadFile(handle_, bytes + got, static_cast<DWORD>(size - got), &n, &at))
            return GetLastError() == ERROR_HANDLE_EOF;
        if (n == 0)
            break;
        got += n;
    }
    return true;
}

bool SystemFile::WriteAt(std::uint64_t offset, const void* data, std::size_t size) {
    const auto* bytes = static_cast<const unsigned char*>(data);
    std::size_t done = 0;
    while (done < size) {
        OVERLAPPED at = At(offset + done);
        DWORD n = 0;
        if (!WriteFile(handle_, bytes + done, static_cast<DWORD>(size - done), &n, &at))
            return false;
        if (n == 0) {
            SetLastError(ERROR_WRITE_FAULT); // nothing written, and no error of the system's
            return false;
        }
        done += n;
    }
    return true;
}

// Setting the end of a file allocates its room on the disk.
bool SystemFile::Reserve(std::uint64_t size) {
    FileFacts facts;
    if (!Facts(facts))
        return false;
    return facts.size >= size || Resize(size);
}

bool SystemFile::Resize(std::uint64_t size) {
    LARGE_INTEGER end{};
    end.QuadPart = static_cast<LONGLONG>(size);
    return SetFilePointerEx(handle_, end, nullptr, FILE_BEGIN) && SetEndOfFile(handle_);
}

bool SystemFile::Flush() {
    return FlushFileBuffers(handle_) != 0;
}

bool SystemFile::Close() {
    if (handle_ == NoHandle)
        return true;
    return CloseHandle(std::exchange(handle_, NoHandle)) != 0;
}

namespace {

// The name the system reaches when it follows the link at `path`; "" when it reaches none.
std::string FinalNameOf(const std::wstring& path) {
    const HANDLE file = CreateFileW(path.c_str(), 0, ShareAll, nullptr, OPEN_EXISTING,
                                    FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return {};
    std::wstring target(MAX_PATH, L'\0');
    DWORD length = GetFinalPathNameByHandleW(file, target.data(), MAX_PATH, FILE_NAME_NORMALIZED);
    if (length >= MAX_PATH) {
        target.resize(length);
        length = GetFinalPathNameByHandleW(file, target.data(), length, FILE_NAME_NORMALIZED);
    }
    CloseHandle(file);
    if (length == 0 || length >= target.size())
        return {};
    target.resize(length);
    return Utf8FromWide(target);
}

} // namespace

SaveTarget::~SaveTarget() = default;

// Windows has no shared folders where one user's link can misdirect another's save, and only a
// privileged user makes links: a link is followed to the name the system reaches, and one that
// reaches nothing is replaced itself.
bool SaveTarget::Find(const std::string& path, std::string& why) {
    const std::wstring wide = WideFromUtf8(path);
    const DWORD attributes = GetFileAttributesW(wide.c_str());
    std::string target = path;
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0)
        if (std::string final = FinalNameOf(wide); !final.empty())
            target = std::move(final);
    return Hold(target, why);
}

bool SaveTarget::Hold(const std::string& path, std::string& why) {
    folder_ = DirectoryOf(path);
    name_ = FileNameOf(path);
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExW(WideFromUtf8(path).c_str(), GetFileExInfoStandard, &data)) {
        const DWORD error = GetLastError();
        if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND)
            return true; // a new file; a missing folder fails when the file is created
        why = LastSystemErrorText();
        return false;
    }
    if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        why = "not a regular file";
        return false;
    }
    exists_ = true;
    old_.regular = true;
    old_.size = (std::uint64_t{data.nFileSizeHigh} << 32) | data.nFileSizeLow;
    return true;
}

// A new file inherits the access rights of its folder, which the target has too.
SystemFile SaveTarget::CreateBeside(const std::string& name) const {
    const HANDLE file = Open(folder_ + name, GENERIC_WRITE, 0, CREATE_NEW);
    if (file == INVALID_HANDLE_VALUE)
        return SystemFile(SystemFile::NoHandle, FailureOf(GetLastError()));
    return SystemFile(file, FileFailure::None);
}

SystemFile SaveTarget::OpenForUpdate() const {
    const HANDLE file = Open(folder_ + name_, GENERIC_READ | GENERIC_WRITE, 0, OPEN_EXISTING);
    if (file == INVALID_HANDLE_VALUE)
        return SystemFile(SystemFile::NoHandle, FailureOf(GetLastError()));
    return SystemFile(file, FileFailure::None);
}

// A plain rename does not replace an existing file on Windows; MOVEFILE_WRITE_THROUGH returns
// once the rename is durable.
bool SaveTarget::ReplaceBy(const std::string& name) const {
    return MoveFileExW(WideFromUtf8(folder_ + name).c_str(), WideFromUtf8(folder_ + name_).c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

void SaveTarget::Remove(const std::string& name) const {
    DeleteFileW(WideFromUtf8(folder_ + name).c_str());
}

// Find never creates a file here.
void SaveTarget::Abandon() const {}

// The message in the user's language, as UTF-8, without its line end.
std::string LastSystemErrorText() {
    const DWORD code = GetLastError();
    wchar_t text[512] = {};
    DWORD length = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                  nullptr, code, 0, text, 512, nullptr);
    while (length > 0 &&
           (text[length - 1] == L'\r' || text[length - 1] == L'\n' || text[length - 1] == L' '))
        --length;
    return length > 0 ? Utf8FromWide(std::wstring(text, length)) : "error " + std::to_string(code);
}
