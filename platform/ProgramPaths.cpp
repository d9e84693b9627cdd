#include "ProgramPaths.h"

#include "Utf8Path.h"

#include <cstdlib>
#include <filesystem>
#include <iterator>
#include <system_error>

#if defined(_WIN32)
#include "WindowsApi.h"
#else
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>
#if defined(__APPLE__)
#include <cstdint>
#include <cstring>
#include <mach-o/dyld.h>
#endif
#endif

std::string AppDir;
std::string PresetDir;
std::string SettingsFile;

namespace {

bool IsDelimiter(char c) {
    return c == '/' || c == '\\';
}

bool HasDriveLetter(const std::string& path) {
    const char c = path.size() >= 2 && path[1] == ':' ? path[0] : '\0';
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

// Where the file-name part of `path` begins.
std::size_t NameStart(const std::string& path) {
    const std::size_t delimiter = path.find_last_of("/\\");
    if (delimiter != std::string::npos)
        return delimiter + 1;
    return HasDriveLetter(path) ? 2 : 0;
}

// The variable's value as UTF-8 text.
std::string Environment(const char* name) {
#if defined(_WIN32)
    const wchar_t* value = _wgetenv(WideFromUtf8(name).c_str());
    return value != nullptr ? Utf8FromWide(value) : "";
#else
    const char* value = std::getenv(name);
    return value != nullptr ? value : "";
#endif
}

} // namespace

std::string DirectoryOf(const std::string& path) {
    std::string directory = path.substr(0, NameStart(path));
    // Only a bare drive ("C:") can end without a delimiter here, and it is a Windows name.
    if (!directory.empty() && !IsDelimiter(directory.back()))
        directory += '\\';
    return directory;
}

std::string FileNameOf(const std::string& path) {
    return path.substr(NameStart(path));
}

std::string WithTrailingDelimiter(const std::string& path) {
    if (path.empty() || IsDelimiter(path.back()))
        return path;
    return path + PathDelimiter;
}

std::string ChangeExtension(const std::string& path, const std::string& extension) {
    const std::size_t dot = path.rfind('.');
    if (dot == std::string::npos || dot <= NameStart(path))
        return path + extension;
    return path.substr(0, dot) + extension;
}

std::string OwnProgramPath() {
#if defined(_WIN32)
    wchar_t buffer[4 * MAX_PATH];
    const DWORD length = GetModuleFileNameW(nullptr, buffer, std::size(buffer));
    // A full buffer means the name was cut short.
    return length > 0 && length < std::size(buffer) ? Utf8FromWide(std::wstring(buffer, length))
                                                    : std::string();
#elif defined(__APPLE__)
    std::uint32_t size = 0;
    _NSGetExecutablePath(nullptr, &size);
    std::string buffer(size, '\0');
    if (_NSGetExecutablePath(buffer.data(), &size) != 0)
        return {};
    buffer.resize(std::strlen(buffer.c_str()));
    return buffer;
#else
    std::error_code error;
    const std::filesystem::path path = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::string() : path.string();
#endif
}

bool DirectoryWritable(const std::string& directory) {
    const std::string path = directory.empty() ? "." : directory;
    std::error_code error;
    if (!std::filesystem::is_directory(PathFromUtf8(path), error))
        return false;
#if defined(_WIN32)
    // Access rights on Windows are ACLs that only an attempt answers reliably.
    const std::string probe =
        WithTrailingDelimiter(path) + "ORQ_SYV_probe_" + std::to_string(GetCurrentProcessId());
    const HANDLE file =
        CreateFileW(WideFromUtf8(probe).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                    FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    CloseHandle(file);
    return true;
#else
    return access(path.c_str(), W_OK) == 0;
#endif
}

std::string InstallBinDir() {
#if defined(ORQ_INSTALL_BINDIR)
    return WithTrailingDelimiter(ORQ_INSTALL_BINDIR);
#else
    return {};
#endif
}

bool IsInstallBinDir(const std::string& directory) {
    const std::string installed = InstallBinDir();
    if (installed.empty() || directory.empty())
        return false;
    if (WithTrailingDelimiter(directory) == installed)
        return true;
    // /bin/x and /usr/bin/x are one program where /bin links to /usr/bin.
    std::error_code error;
    return std::filesystem::equivalent(directory, installed, error);
}

#if !defined(_WIN32)
namespace {

// The superuser running in another user's environment, as sudo -E leaves it: $HOME is a
// directory of another user's.
bool AnotherUsersEnvironment() {
    struct stat home {};
    const std::string path = Environment("HOME");
    return geteuid() == 0 && !path.empty() && stat(path.c_str(), &home) == 0 && home.st_uid != 0;
}

std::string HomeFromPasswordDatabase(uid_t user) {
    const passwd* entry = getpwuid(user);
    return entry != nullptr && entry->pw_dir != nullptr ? entry->pw_dir : "";
}

} // namespace
#endif

std::string UserHomeDir() {
#if defined(_WIN32)
    return WithTrailingDelimiter(Environment("USERPROFILE"));
#else
    std::string home = AnotherUsersEnvironment() ? "" : Environment("HOME");
    if (home.empty())
        home = HomeFromPasswordDatabase(geteuid());
    return WithTrailingDelimiter(home);
#endif
}

#if !defined(_WIN32)
std::string XdgDir(const char* variable, const char* inHome) {
    const std::string base = AnotherUsersEnvironment() ? "" : Environment(variable);
    if (base.starts_with('/'))
        return WithTrailingDelimiter(base);
    const std::string home = UserHomeDir();
    return home.empty() ? "" : home + inHome + PathDelimiter;
}
#endif

std::string UserSettingsDir() {
#if defined(_WIN32)
    const std::string base = WithTrailingDelimiter(Environment("APPDATA"));
#else
    const std::string base = XdgDir("XDG_CONFIG_HOME", ".config");
#endif
    return base.empty() ? "" : base + "ORQ-SYV Settings" + PathDelimiter;
}

ProgramPathSet ProgramPathsFor(const std::string& programPath, bool portable,
                               const std::string& userSettingsDir, const std::string& homeDir) {
    ProgramPathSet paths;
    paths.appDir = DirectoryOf(programPath);
    paths.presetDir = paths.appDir;
    paths.settingsFile = ChangeExtension(programPath, ".dat");
    if (!portable) {
        if (!userSettingsDir.empty())
            paths.settingsFile =
                WithTrailingDelimiter(userSettingsDir) + FileNameOf(paths.settingsFile);
        if (!homeDir.empty())
            paths.presetDir = WithTrailingDelimiter(homeDir);
    }
    return paths;
}

void InitProgramPaths(const std::string& programPath) {
    const std::string directory = DirectoryOf(programPath);
    const bool portable = DirectoryWritable(directory) && !IsInstallBinDir(directory);
    const ProgramPathSet paths =
        ProgramPathsFor(programPath, portable, UserSettingsDir(), UserHomeDir());
    AppDir = paths.appDir;
    PresetDir = paths.presetDir;
    SettingsFile = paths.settingsFile;
}
