// The named mutex across two processes: this test program holds it and starts itself again as
// the second copy.
#include "SingleInstance.h"
#include "ProgramPaths.h"
#include "SecondProcess.h"

#include <gtest/gtest.h>

#include <string>

#include "WindowsApi.h"

bool IsSecondProcessMode(std::string_view argument) {
    return argument == GuardStateMode || argument == MutexErrorMode;
}

int RunSecondProcessMode(std::string_view mode) {
    if (mode == GuardStateMode)
        return static_cast<int>(SingleInstanceGuard(OneCopyName).State());
    const HANDLE mutex = CreateMutexA(nullptr, TRUE, OneCopyName);
    const DWORD error = GetLastError();
    if (mutex == nullptr)
        return -1;
    CloseHandle(mutex);
    return static_cast<int>(error);
}

namespace {

constexpr DWORD SecondProcessFailed = 0xFFFFFFFF;

// Starts this program again with `mode`, waits for it to end and returns its exit code.
DWORD SecondProcess(std::string_view mode) {
    const std::string program = OwnProgramPath();
    std::string commandLine = "\"" + program + "\" " + std::string(mode);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessA(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        nullptr, &startup, &process)) {
        ADD_FAILURE() << "CreateProcess: error " << GetLastError();
        return SecondProcessFailed;
    }
    DWORD code = SecondProcessFailed;
    if (WaitForSingleObject(process.hProcess, 60000) == WAIT_OBJECT_0)
        GetExitCodeProcess(process.hProcess, &code);
    else
        ADD_FAILURE() << "the second process did not end";
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return code;
}

DWORD Code(InstanceState state) {
    return static_cast<DWORD>(state);
}

TEST(WindowsSingleInstanceTest, SecondProcessFindsTheMutexAndLeavesTheHolderUndisturbed) {
    {
        const SingleInstanceGuard holder;
        ASSERT_EQ(holder.State(), InstanceState::First);
        EXPECT_EQ(SecondProcess(MutexErrorMode), DWORD{ERROR_ALREADY_EXISTS});
        EXPECT_EQ(SecondProcess(GuardStateMode), Code(InstanceState::AlreadyRunning));
        EXPECT_EQ(holder.State(), InstanceState::First);
        EXPECT_EQ(SecondProcess(GuardStateMode), Code(InstanceState::AlreadyRunning));
    }
    // The holder's end releases the name: the next copy is the first again.
    EXPECT_NE(SecondProcess(MutexErrorMode), DWORD{ERROR_ALREADY_EXISTS});
    EXPECT_EQ(SecondProcess(GuardStateMode), Code(InstanceState::First));
}

TEST(WindowsSingleInstanceTest, TheGuardIsTheNamedMutex) {
    const SingleInstanceGuard holder;
    ASSERT_EQ(holder.State(), InstanceState::First);
    const HANDLE opened = OpenMutexA(SYNCHRONIZE, FALSE, "ORQ_SYV_OneCopy");
    EXPECT_NE(opened, nullptr) << "error " << GetLastError();
    if (opened != nullptr)
        CloseHandle(opened);
}

} // namespace
