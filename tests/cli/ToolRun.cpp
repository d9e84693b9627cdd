#include "ToolRun.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/wait.h>

namespace {

std::string Quoted(const std::string& word) {
    std::string quoted = "'";
    for (const char c : word)
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

std::string Slurp(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

std::vector<SentFrame> ReadFrames(const std::string& path) {
    std::vector<SentFrame> frames;
    std::ifstream file(path);
    for (std::string line; std::getline(file, line);) {
        std::istringstream words(line);
        SentFrame frame{};
        words >> std::hex >> frame.location;
        for (unsigned byte = 0; words >> byte;)
            frame.bytes.push_back(static_cast<std::uint8_t>(byte));
        frames.push_back(frame);
    }
    return frames;
}

template <typename Frame> std::vector<std::uint8_t> BytesOf(const Frame& frame) {
    return {frame.begin(), frame.end()};
}

// An empty directory named after the running test and `kind`.
std::string FreshDir(const std::string& kind) {
    const testing::TestInfo* test = testing::UnitTest::GetInstance()->current_test_info();
    std::string name = std::string(test->test_suite_name()) + "." + test->name();
    for (char& c : name)
        if (c == '/')
            c = '_';
    const auto dir = std::filesystem::temp_directory_path() / ("orq-syv-cli-" + kind + "-" + name);
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    return dir.string();
}

} // namespace

std::string ScratchDir() {
    return FreshDir("files");
}

ToolRun RunTool(const std::vector<std::string>& args, const std::string& bus,
                const std::string& prefix) {
    const std::string dir = FreshDir("run");
    std::string command = "ORQ_SYV_D2XX=" + Quoted(ORQ_SYV_SIM_LIBRARY) +
                          " ORQ_SYV_SIM=" + Quoted(bus) +
                          " ORQ_SYV_SIM_FRAMES=" + Quoted(dir + "/frames") + " " + prefix + " " +
                          Quoted(ORQ_SYV_TOOL);
    for (const std::string& arg : args)
        command += " " + Quoted(arg);
    command += " >" + Quoted(dir + "/out") + " 2>" + Quoted(dir + "/err");
    const int raw = std::system(command.c_str());
    ToolRun run;
    run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    run.out = Slurp(dir + "/out");
    run.err = Slurp(dir + "/err");
    run.frames = ReadFrames(dir + "/frames");
    return run;
}

SentFrame Poll(unsigned location) {
    return Command(location, 0, 0);
}

SentFrame Command(unsigned location, std::uint8_t code, std::uint8_t value) {
    return {location, BytesOf(BuildCommandFrame(code, value))};
}

SentFrame Block(unsigned location, const RegisterBlock& block) {
    return {location, BytesOf(BuildBlockWriteFrame(block))};
}

void WriteBytes(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream file(path, std::ios::binary);
    file.write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
}

std::vector<std::uint8_t> ReadBytes(const std::string& path) {
    const std::string text = Slurp(path);
    return {text.begin(), text.end()};
}
