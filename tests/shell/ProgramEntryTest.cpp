// One copy at a time: a second copy started while the program runs tells the operator and ends,
// and the running copy goes on. A lock that cannot be taken for another reason is reported, with
// its place and the system's reason, and the program ends with a failure.
#include "ProgramEntry.h"
#include "MessageRecorder.h"
#include "SingleInstance.h"
#include "TestFiles.h"

#include <QApplication>
#include <QProcess>

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

// Waits until some process holds the single-instance lock.
bool LockTaken() {
    for (int i = 0; i < 200; ++i) {
        if (SingleInstanceGuard().State() == InstanceState::AlreadyRunning)
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return false;
}

TEST(ProgramEntry, ASecondCopyWarnsAndEndsWhileTheFirstGoesOn) {
    TempDir runtime;
    ScopedEnv runtimeDir("XDG_RUNTIME_DIR", runtime.Path.string());

    QProcess first;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.insert("ORQ_SYV_D2XX", D2XXSIM_PATH);
    env.insert("ORQ_SYV_SIM", "");
    first.setProcessEnvironment(env);
    first.setWorkingDirectory(QString::fromStdString(runtime.Path.string()));
    first.start(PROGRAM_PATH, {});
    ASSERT_TRUE(first.waitForStarted());
    ASSERT_TRUE(LockTaken());

    int report[2];
    ASSERT_EQ(pipe(report), 0);
    const pid_t second = fork();
    ASSERT_GE(second, 0);
    if (second == 0) {
        // The second copy: everything it tells the operator goes down the pipe.
        close(report[0]);
        int code = 0;
        std::string told;
        {
            MessageRecorder messages;
            code = ProgramEntry(*qApp);
            for (const MessageRequest& m : messages.shown)
                told += m.caption + "|" + m.text + "|" + std::to_string(static_cast<int>(m.icon)) +
                        "\n";
        }
        [[maybe_unused]] const auto written = write(report[1], told.data(), told.size());
        _exit(code);
    }
    close(report[1]);
    std::string told;
    char buffer[256];
    for (ssize_t n; (n = read(report[0], buffer, sizeof buffer)) > 0;)
        told.append(buffer, static_cast<std::size_t>(n));
    close(report[0]);
    int status = 0;
    ASSERT_EQ(waitpid(second, &status, 0), second);

    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    EXPECT_EQ(told, "Cannot run program|USB driver used by another application|" +
                        std::to_string(static_cast<int>(MessageIcon::Warning)) + "\n");
    EXPECT_EQ(first.state(), QProcess::Running);
    EXPECT_EQ(SingleInstanceGuard().State(), InstanceState::AlreadyRunning);
    first.kill();
    first.waitForFinished();
}

TEST(ProgramEntry, ALockThatCannotBeTakenIsReportedAndEndsWithAFailure) {
    TempDir runtime;
    ScopedEnv runtimeDir("XDG_RUNTIME_DIR", runtime.Path.string());
    // Something that is no lock file stands at the lock's place.
    const std::string lock = runtime / OneCopyName;
    fs::create_directory(lock);
    const std::string errors = runtime / "stderr";

    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        // The program's standard error goes to a file; what it shows, to the exit code.
        std::freopen(errors.c_str(), "w", stderr);
        MessageRecorder messages;
        const int code = ProgramEntry(*qApp);
        const std::string expected =
            "Cannot take the single-instance lock " + lock + ": Is a directory";
        const bool told = messages.shown.size() == 1 && messages.shown[0].text == expected &&
                          messages.shown[0].caption == "Error" &&
                          messages.shown[0].icon == MessageIcon::Error &&
                          messages.shown[0].buttons == MessageButtons::Ok;
        std::fflush(stderr);
        _exit(code == 1 ? (told ? 0 : 2) : 3);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "2: wrong message box, 3: wrong exit code";
    EXPECT_EQ(ReadFile(errors),
              "Cannot take the single-instance lock " + lock + ": Is a directory\n");
}

} // namespace
