// `orq-syv load --all` on a rack of 8 simulated units at wire timing: the milliseconds each unit
// costs, from the device list to the last unit closed, beside what the wire alone takes.
#include "Commands.h"
#include "D2XXUnit_mod.h"
#include "DeviceRegisters.h"
#include "SimBus.h"
#include "SimDriver.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

constexpr int Units = 8;
constexpr int Rounds = 15;
// 10 bits a character at 115200 baud.
constexpr double CharacterMs = 10.0 / 115200 * 1000;

std::shared_ptr<sim::SimBus> Rack(std::chrono::microseconds replyDelay) {
    auto bus = std::make_shared<sim::SimBus>(sim::BusTiming{false, replyDelay});
    bus->KeepLogs(false);
    for (int i = 0; i < Units; ++i) {
        sim::DeviceSpec device;
        device.locationId = static_cast<DWORD>(0x1011 + i);
        device.serialNumber = "SV7302" + std::to_string(10 + i);
        device.description = "ORQ-SYV-730";
        device.unit = sim::MakeUnit(i % KnownVariantCount, 1 + i % 2);
        bus->Plug(std::move(device));
    }
    return bus;
}

// The outcome lines would drown the figures: standard output goes nowhere while a run lasts.
class Quiet {
public:
    Quiet() : saved_(dup(STDOUT_FILENO)) {
        std::fflush(stdout);
        const int nowhere = open("/dev/null", O_WRONLY);
        dup2(nowhere, STDOUT_FILENO);
        close(nowhere);
    }
    ~Quiet() {
        std::fflush(stdout);
        dup2(saved_, STDOUT_FILENO);
        close(saved_);
    }

private:
    int saved_;
};

void Run(std::chrono::microseconds replyDelay) {
    sim::InstallBus(Rack(replyDelay));
    const RegisterBlock preset = FactoryDefaultBlock();
    std::vector<double> perUnit;
    for (int round = 0; round < Rounds; ++round) {
        const auto start = Clock::now();
        ExitStatus status = ExitDone;
        {
            const Quiet quiet;
            status = LoadCommand(preset, {});
        }
        const double ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
        if (status != ExitDone)
            std::fprintf(stderr, "load --all ended with status %d\n", status);
        perUnit.push_back(ms / Units);
    }
    std::sort(perUnit.begin(), perUnit.end());
    std::printf("unit reply delay %.2f ms\n", replyDelay.count() / 1000.0);
    std::printf(
        "  load --all on %d units: median %.2f ms per unit, worst %.2f ms (goal <= 15 ms)\n", Units,
        perUnit[perUnit.size() / 2], perUnit.back());
    sim::InstallBus(nullptr);
}

} // namespace

int main() {
    SetD2xxApi(sim::SimApi());
    ShowLinkErrors = false;
    const double blockTurn = (BlockWriteFrameSize + StatusReplySize) * CharacterMs;
    const double pollTurn = (CommandFrameSize + StatusReplySize) * CharacterMs;
    std::printf("wire time of one block turn (46 + 58 bytes): %.2f ms; of the poll that asks the "
                "unit its variant first (7 + 58 bytes): %.2f ms; both: %.2f ms\n",
                blockTurn, pollTurn, blockTurn + pollTurn);
    Run(std::chrono::microseconds(0));
    Run(sim::BusTiming{}.replyDelay);
    return 0;
}
