// Scratch directories, files and environment for tests.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>

namespace fs = std::filesystem;

// A fresh directory, removed with everything in it at the end.
struct TempDir {
    TempDir() {
        std::string pattern = fs::temp_directory_path() / "orq_test_XXXXXX";
        Path = mkdtemp(pattern.data());
    }
    ~TempDir() { fs::remove_all(Path); }
    std::string operator/(const std::string& name) const { return Path / name; }
    fs::path Path;
};

// Sets, or with nullopt unsets, an environment variable for the life of the object.
struct ScopedEnv {
    ScopedEnv(const char* name, const std::optional<std::string>& value) : name(name) {
        if (const char* was = std::getenv(name))
            old = was;
        Set(value);
    }
    ~ScopedEnv() { Set(old); }
    void Set(const std::optional<std::string>& value) {
        value ? setenv(name, value->c_str(), 1) : unsetenv(name);
    }
    const char* name;
    std::optional<std::string> old;
};

inline void WriteFile(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

inline std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}
