// Figures of the device list on simulated units at wire timing: the time from start to the first
// listed unit on the default bus, and the time of one refresh pass that finds the list unchanged,
// with three units and with three units plus a candidate that never answers.
#include "D2XXUnit_mod.h"
#include "ProgramPaths.h"
#include "SimConfig.h"
#include "SimDriver.h"
#include "UnitMain.h"

#include <QApplication>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
using Ms = std::chrono::duration<double, std::milli>;

double MedianPassMs(TFormMain& window, int passes) {
    std::vector<double> times;
    for (int i = 0; i < passes; ++i) {
        const auto start = Clock::now();
        window.TimerTimer(nullptr);
        times.push_back(Ms(Clock::now() - start).count());
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

} // namespace

int main(int argc, char** argv) {
    const auto started = Clock::now();
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    InitProgramPaths(OwnProgramPath());
    const auto bus = sim::DefaultBus();
    sim::InstallBus(bus);
    SetD2xxApi(sim::SimApi());

    TFormMain window;
    window.show();
    double firstUnitMs = -1;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (window.UnitCount > 0 && firstUnitMs < 0) {
            firstUnitMs = Ms(Clock::now() - started).count();
            app.quit();
        }
    });
    poll.start(1);
    app.exec();
    window.Timer->stop();
    std::printf("start to first listed unit, default bus: %.1f ms (goal <= 500 ms)\n", firstUnitMs);

    std::printf("unchanged refresh pass, %d units: %.1f ms (median of 20)\n", window.UnitCount,
                MedianPassMs(window, 20));
    sim::UnitState silent = sim::MakeUnit(0, 1);
    silent.faults.noReply = true;
    bus->Plug({0x1099, FT_DEVICE_232R, "SV730199", "ORQ-SYV-730", false, silent});
    window.TimerTimer(nullptr);
    std::printf("unchanged refresh pass, %d units + 1 silent candidate: %.1f ms (median of 3)\n",
                window.UnitCount, MedianPassMs(window, 3));
    window.Timer->stop();
    return 0;
}
