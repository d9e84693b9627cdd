// Runs the built orq-syv against the simulator's driver library with a given bus, and collects
// what a user would see (exit status, standard output, standard error) and what the simulated
// units received.
#pragma once

#include "Frames.h"

#include <cstdint>
#include <string>
#include <vector>

struct SentFrame {
    unsigned location;
    std::vector<std::uint8_t> bytes;
    bool operator==(const SentFrame&) const = default;
};

struct ToolRun {
    int status = -1;
    std::string out;
    std::string err;
    // Unit by unit in location order, each unit's frames in the order it received them: units
    // worked on at once interleave on the wire.
    std::vector<SentFrame> frames;
};

// How the tool is run: a shell command in which {tool} is the tool with its environment and
// arguments, {out}, {err} and {status} the files that become the run's fields (the status
// file holds the exit status as `echo $?` writes it).
inline const std::string PlainRun = "{tool} >{out} 2>{err}; echo $? >{status}";

// `args` are passed as they are, each one word. `bus` is the ORQ_SYV_SIM text.
ToolRun RunTool(const std::vector<std::string>& args, const std::string& bus,
                const std::string& shape = PlainRun);

// A scratch directory of the test's own, emptied first.
std::string ScratchDir();

SentFrame Poll(unsigned location);
SentFrame Command(unsigned location, std::uint8_t code, std::uint8_t value);
SentFrame Block(unsigned location, const RegisterBlock& block);

// Writes `bytes` as the whole file at `path`; reads a whole file.
void WriteBytes(const std::string& path, const std::vector<std::uint8_t>& bytes);
std::vector<std::uint8_t> ReadBytes(const std::string& path);
