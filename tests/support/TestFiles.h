// Scratch directories, files and environment for tests.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <random>
#include <string>

namespace fs = std::filesystem;

// Sets an environment variable for this process and the libraries it has loaded.
inline void SetEnv(const char* name, const std::string& value) {
#if defined(_WIN32)
    _putenv_s(name, value.c_str());
#else
    setenv(name, value.c_str(), 1);
#endif
}

inline void UnsetEnv(const char* name) {
#if defined(_WIN32)
    _putenv_s(name, ""); // an empty value removes the variable
#else
    unsetenv(name);
#endif
}

// A fresh directory, removed with everything in it at the end.
struct TempDir {
    TempDir() {
#if defined(_WIN32)
        // No mkdtemp: try random names until one is new.
        std::random_device source;
        do
            Path = fs::temp_directory_path() / ("orq_test_" + std::to_string(source()));
        while (!fs::create_directory(Path));
#else
        std::string pattern = (fs::temp_directory_path() / "orq_test_XXXXXX").string();
        Path = mkdtemp(pattern.data());
#endif
    }
    ~TempDir() {
        fs::remove_all(Path);
    }
    std::string operator/(const std::string& name) const {
        return (Path / name).string();
    }
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
        value ? SetEnv(name, *value) : UnsetEnv(name);
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
