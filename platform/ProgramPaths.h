// The paths the program derives from its own location, computed once at start by
// InitProgramPaths before anything else reads them. Every path here is UTF-8 text, on Windows
// too: the file helpers convert it at the system call.
//
// A portable install keeps its settings beside the program. When the program's directory is not
// writable (a system-wide install), the settings file of the same name lives in the user's
// configuration directory instead and preset dialogs start in the user's home directory.
#pragma once

#include <string>

// The delimiter this platform appends to a directory that lacks one.
#if defined(_WIN32)
inline constexpr char PathDelimiter = '\\';
#else
inline constexpr char PathDelimiter = '/';
#endif

// The directory that holds the program, ending in a path delimiter.
extern std::string AppDir;
// The directory last used for a preset file, ending in a path delimiter. Starts as AppDir
// (the home directory on a system-wide install); the window settings and the preset dialogs
// replace it.
extern std::string PresetDir;
// The program's own path with its extension replaced by ".dat", or the file of that name in
// the user's settings directory on a system-wide install.
extern std::string SettingsFile;

// The directory part of a file path: everything up to and including the last '/' or '\', or
// the drive colon of a leading drive letter ("C:x" gives "C:\"). A path with neither has no
// directory part and gives "" (the current directory), never a root.
std::string DirectoryOf(const std::string& path);

// The file-name part of `path`: what follows its directory part (DirectoryOf).
std::string FileNameOf(const std::string& path);

// `path` with PathDelimiter appended unless it already ends in '/' or '\'; "" stays "".
std::string WithTrailingDelimiter(const std::string& path);

// `path` with the extension of its file-name part replaced by `extension`, or `extension`
// appended when the name has none. A dot in a directory name, or at the start of the file name,
// does not begin an extension.
std::string ChangeExtension(const std::string& path, const std::string& extension);

// The full path of the running program file; "" when the system does not tell.
std::string OwnProgramPath();

// True when `directory` exists and the program may create files in it ("" is the current
// directory).
bool DirectoryWritable(const std::string& directory);

// The directory the install rules put the programs in (the bin directory under the install
// prefix), ending in a path delimiter; "" where the program is never installed that way
// (Windows).
std::string InstallBinDir();

// True when `directory` is InstallBinDir(), by name or as the same directory on disk.
bool IsInstallBinDir(const std::string& directory);

// The user's folder for this program's settings (XdgDir("XDG_CONFIG_HOME", ".config"), or
// %APPDATA% on Windows, followed by "ORQ-SYV Settings"), ending in a path delimiter; "" when the
// user's directories are unknown. Not created here: saving the settings creates it.
std::string UserSettingsDir();

// The user's home directory ending in a path delimiter; "" when unknown. On Windows
// %USERPROFILE%; elsewhere $HOME, or the password database's entry when it is unset. The
// superuser whose $HOME is another user's directory (sudo -E keeps it) takes his own from the
// password database: folders he made there would be his, and that user could no longer use them.
std::string UserHomeDir();

#if !defined(_WIN32)
// The directory that the base-directory variable `variable` names ($XDG_CONFIG_HOME), ending in
// a path delimiter; `inHome` in UserHomeDir() when the variable is unset or not absolute (which
// makes it invalid), or when the superuser runs with another user's $HOME, whose variables name
// that user's directories too; "" when the home is unknown.
std::string XdgDir(const char* variable, const char* inHome);
#endif

struct ProgramPathSet {
    std::string appDir;
    std::string presetDir;
    std::string settingsFile;
};

// The paths of a program stored at `programPath`. `userSettingsDir` and `homeDir` count only for
// a program that is not `portable`, and each only when it is not "": without them the portable
// layout stands.
ProgramPathSet ProgramPathsFor(const std::string& programPath, bool portable,
                               const std::string& userSettingsDir, const std::string& homeDir);

// Sets AppDir, PresetDir and SettingsFile for the program file at `programPath` (normally
// OwnProgramPath()), consulting the file system and the user's environment. The program is
// portable when its directory is writable and is not InstallBinDir().
void InitProgramPaths(const std::string& programPath);
