// `orq-syv load --all` as a user runs it, whole processes on the simulator's driver library at
// wire timing: one unit, a rack of 8 units done at once and one after the other, and a rack of 8
// with three units that never answer. Prints the times beside their goals.
#include "DeviceRegisters.h"
#include "PresetFile.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <vector>

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

constexpr int Rounds = 15;
constexpr int SilentRounds = 3;

// A rack of `units` units at wire timing, the last `silent` of them never answering.
std::string Rack(int units, int silent) {
    std::string rack;
    for (int i = 0; i < units; ++i)
        rack += "unit,variant=" + std::to_string(i % KnownVariantCount) +
                ",gen=" + std::to_string(1 + i % 2) + (i >= units - silent ? ",silent" : "") + ";";
    return rack;
}

// Runs the tool with `args` on `rack`, its output thrown away; the milliseconds from start to
// end, and its exit status.
double RunMs(const std::vector<std::string>& args, const std::string& rack, int& status) {
    std::vector<std::string> env = {"ORQ_SYV_D2XX=" ORQ_SYV_SIM_LIBRARY, "ORQ_SYV_SIM=" + rack};
    std::vector<char*> envp;
    for (std::string& entry : env)
        envp.push_back(entry.data());
    for (char** e = environ; *e; ++e)
        if (std::string_view(*e).rfind("ORQ_SYV_", 0) != 0)
            envp.push_back(*e);
    envp.push_back(nullptr);
    std::vector<std::string> words = {ORQ_SYV_TOOL};
    words.insert(words.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& word : words)
        argv.push_back(word.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t quiet;
    posix_spawn_file_actions_init(&quiet);
    posix_spawn_file_actions_addopen(&quiet, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&quiet, 2, "/dev/null", O_WRONLY, 0);
    const auto start = Clock::now();
    pid_t pid = 0;
    int raw = -1;
    if (posix_spawn(&pid, argv[0], &quiet, nullptr, argv.data(), envp.data()) == 0)
        waitpid(pid, &raw, 0);
    const auto end = Clock::now();
    posix_spawn_file_actions_destroy(&quiet);
    status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    return std::chrono::duration<double, std::milli>(end - start).count();
}

// The median of `rounds` runs; tells a run that did not end as `expected`.
double MedianMs(const std::vector<std::string>& args, const std::string& rack, int rounds,
                int expected) {
    std::vector<double> times;
    for (int round = 0; round < rounds; ++round) {
        int status = 0;
        times.push_back(RunMs(args, rack, status));
        if (status != expected)
            std::fprintf(stderr, "orq-syv ended with status %d, not %d\n", status, expected);
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

} // namespace

int main() {
    const auto preset = std::filesystem::temp_directory_path() / "bench-cli-load.orq730";
    const PresetFileBytes bytes = PresetBytes(FactoryDefaultBlock());
    std::ofstream(preset, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    const std::vector<std::string> loadAll = {"load", preset.string(), "--all"};
    std::vector<std::string> oneAtATime = loadAll;
    oneAtATime.insert(oneAtATime.end(), {"--jobs", "1"});

    const double one = MedianMs(loadAll, Rack(1, 0), Rounds, 0);
    const double eight = MedianMs(loadAll, Rack(8, 0), Rounds, 0);
    const double inTurn = MedianMs(oneAtATime, Rack(8, 0), Rounds, 0);
    const double silent = MedianMs(loadAll, Rack(8, 3), SilentRounds, 3);
    std::printf("whole processes, units at wire timing, median of %d runs (%d with silent units)\n",
                Rounds, SilentRounds);
    std::printf("load --all on 1 unit: %.1f ms\n", one);
    std::printf("load --all on 8 units at once: %.1f ms, %.2f x one unit (goal <= 1.5 x)\n", eight,
                eight / one);
    std::printf("load --all --jobs 1 on 8 units, one after the other: %.1f ms, %.2f x one unit\n",
                inTurn, inTurn / one);
    std::printf("load --all on 8 units, 3 of them silent: %.2f s (goal <= 2.3 s)\n", silent / 1000);
    std::filesystem::remove(preset);
    return 0;
}
