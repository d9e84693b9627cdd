// orq-syv-settings-sim.exe, the target of the Start-menu entry "ORQ-SYV Settings (simulated
// units)": starts orq-syv-settings.exe from its own folder with ORQ_SYV_D2XX naming the
// simulator library installed there (d2xxsim.dll), waits for it and ends with its exit code.
// A shortcut cannot set an environment variable itself; everything else (the single-instance
// guard, the settings file) is the program's own business.
#include <windows.h>

#include <string>

namespace {

// The folder of this program file, ending in a backslash; "" when the system does not tell.
std::wstring OwnFolder() {
    std::wstring path(32768, L'\0');
    const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length == 0 || length >= path.size())
        return {};
    path.resize(length);
    return path.substr(0, path.find_last_of(L"\\/") + 1);
}

} // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    const std::wstring folder = OwnFolder();
    const std::wstring program = folder + L"orq-syv-settings.exe";
    std::wstring commandLine = L"\"" + program + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (folder.empty() ||
        !SetEnvironmentVariableW(L"ORQ_SYV_D2XX", (folder + L"d2xxsim.dll").c_str()) ||
        !CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        nullptr, &startup, &process)) {
        MessageBoxW(nullptr, (L"Cannot start " + program).c_str(), L"Error",
                    MB_OK | MB_ICONERROR);
        return 1;
    }
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD code = 1;
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return static_cast<int>(code);
}
