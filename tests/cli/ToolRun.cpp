#include "ToolRun.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

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

// `text` with every {key} replaced by its value.
std::string Filled(std::string text, const std::vector<std::pair<std::string, std::string>>& keys) {
    for (const auto& [key, value] : keys)
        for (auto at = text.find(key); at != std::string::npos;
             at = text.find(key, at + value.size()))
            text.replace(at, key.size(), value);
    return text;
}

} // namespace

std::string ScratchDir() {
    return FreshDir("files");
}

ToolRun RunTool(const std::vector<std::string>& args, const std::string& bus,
                const std::string& shape) {
    const std::string dir = FreshDir("run");
    std::string tool =
        "env ORQ_SYV_D2XX=" + Quoted(ORQ_SYV_SIM_LIBRARY) + " ORQ_SYV_SIM=" + Quoted(bus) +
        " ORQ_SYV_SIM_FRAMES=" + Quoted(dir + "/frames") + " " + Quoted(ORQ_SYV_TOOL);
    for (const std::string& arg : args)
        tool += " " + Quoted(arg);
    const std::string command = Filled(shape, {{"{tool}", tool},
                                               {"{out}", Quoted(dir + "/out")},
                                               {"{err}", Quoted(dir + "/err")},
                                               {"{status}", Quoted(dir + "/status")}});
    // The status is the tool's, from its file; the shell's own says nothing more.
    const int shell = std::system(command.c_str());
    static_cast<void>(shell);
    ToolRun run;
    const std::string status = Slurp(dir + "/status");
    run.status = status.empty() ? -1 : std::stoi(status);
    run.out = Slurp(dir + "/out");
    run.err = Slurp(dir + "/err");
    run.frames = ReadFrames(dir + "/frames");
    std::stable_sort(
        run.frames.begin(), run.frames.end(),
        [](const SentFrame& a, const SentFrame& b) { return a.location < b.location; });
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
