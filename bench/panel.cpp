// Figures of the control panel on a simulated unit at 115200 baud: the cost of handling one
// status reply with nothing changed and with every field changed, the time from opening a unit
// to its groups being shown, and the latency from a click to the unit's answer on screen.
#include "D2XXUnit_mod.h"
#include "ProgramPaths.h"
#include "SimDriver.h"
#include "UnitGPI.h"
#include "UnitMain.h"

#include "Button.h"
#include "ListView.h"

#include <QApplication>
#include <QEventLoop>
#include <QTimer>
#include <QTreeWidget>

#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
using Us = std::chrono::duration<double, std::micro>;
using Ms = std::chrono::duration<double, std::milli>;

constexpr DWORD Location = 0x1011;
constexpr double TurnMs = (CommandFrameSize + StatusReplySize) * 10 * 1000 / 115200.0;

// Resident memory of this process, in MiB.
double ResidentMiB() {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("VmRSS:", 0) == 0)
            return std::stod(line.substr(6)) / 1024.0;
    return 0;
}

// User and system CPU time of the whole process so far.
double CpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// Lets the event loop run for `ms` milliseconds.
void RunFor(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

double Percentile(std::vector<double> values, double p) {
    std::sort(values.begin(), values.end());
    return values[static_cast<std::size_t>(p * static_cast<double>(values.size() - 1))];
}

// Every identity byte and register moved to another valid value.
StatusReply Changed(StatusReply reply) {
    reply[ReplyVariant] = 4;
    reply[ReplySoftwareMinor] ^= 1;
    for (int i = ReplyFpga; i < ReplyFpga + 5; ++i)
        reply[i] ^= 1;
    for (int offset = 0; offset < RegisterCount; ++offset) {
        std::uint8_t& v = reply[ReplyRegistersOffset + offset];
        v = v == 0 ? 1 : static_cast<std::uint8_t>(v - 1);
    }
    return reply;
}

void StatusHandling() {
    ModelVariant = 5;
    DeviceGeneration = 1;
    TFormEdit panel(nullptr);
    const StatusReply a = sim::HealthyReply(sim::MakeUnit(5, 1));
    const StatusReply b = Changed(a);
    constexpr int rounds = 2000;
    std::vector<double> same, every;
    panel.WMDevStatus(0, std::make_unique<StatusReply>(a));
    const StatusReply* shown = &a;
    for (int i = 0; i < rounds; ++i) {
        auto start = Clock::now();
        panel.WMDevStatus(0, std::make_unique<StatusReply>(*shown));
        same.push_back(Us(Clock::now() - start).count());
        shown = shown == &a ? &b : &a;
        start = Clock::now();
        panel.WMDevStatus(0, std::make_unique<StatusReply>(*shown));
        every.push_back(Us(Clock::now() - start).count());
    }
    std::printf("WM_DEV_STATUS, nothing changed: median %.1f us, p99 %.1f us (goal <= 20 us)\n",
                Percentile(same, 0.5), Percentile(same, 0.99));
    std::printf("WM_DEV_STATUS, every field changed: median %.1f us, p99 %.1f us (goal <= 1 ms)\n",
                Percentile(every, 0.5), Percentile(every, 0.99));
}

// Opens the unit from the list and measures until its groups are shown; then, with the panel
// running, clicks an audio group toggle and waits until the unit's answer is on the panel.
void OpenAndClick() {
    const auto bus = std::make_shared<sim::SimBus>();
    bus->KeepLogs(false);
    bus->Plug({Location, FT_DEVICE_232R, "SV730101", "ORQ-SYV-730", false, sim::MakeUnit(5, 1)});
    sim::InstallBus(bus);
    SetD2xxApi(sim::SimApi());
    TFormMain window;
    window.show();
    window.TimerTimer(nullptr);
    window.Timer->stop();
    RunFor(200);
    std::printf("resident memory with the list: %.1f MiB\n", ResidentMiB());
    window.LView->setCurrentItem(window.LView->topLevelItem(0));

    const auto opened = Clock::now();
    double shownMs = -1;
    double idleCpu = -1;
    std::vector<double> clicks;
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] {
        auto* panel = qobject_cast<TFormEdit*>(QApplication::activeModalWidget());
        if (!panel || !panel->GroupsShown)
            return;
        watch.stop();
        shownMs = Ms(Clock::now() - opened).count();
        std::printf("resident memory with a panel open: %.1f MiB\n", ResidentMiB());
        // An idle open panel: the worker polls an unchanged unit, nothing reaches the window.
        const double cpuStart = CpuSeconds();
        const auto idleStart = Clock::now();
        RunFor(5000);
        idleCpu = (CpuSeconds() - cpuStart) /
                  std::chrono::duration<double>(Clock::now() - idleStart).count();
        for (int i = 0; i < 300; ++i) {
            const auto start = Clock::now();
            panel->CommandBtnClick(panel->AGroupButtons[1]);
            while (panel->PendingSerial != 0)
                QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
            clicks.push_back(Ms(Clock::now() - start).count());
        }
        panel->reject();
    });
    watch.start(1);
    window.OpenSelected();
    window.Timer->stop();
    std::printf("OpenUnit to groups shown: %.1f ms (500 ms of it the worker's start delay)\n",
                shownMs);
    std::printf("CPU of an idle open panel: %.2f %% of one core (goal <= 2 %%)\n", idleCpu * 100);
    std::printf("click to the unit's answer shown: median %.2f ms, p99 %.2f ms "
                "(one turn on the wire: %.2f ms; goal p99 <= %.2f ms)\n",
                Percentile(clicks, 0.5), Percentile(clicks, 0.99), TurnMs, TurnMs + 2);
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // The offscreen platform complains about every fixed-size window it resizes.
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
    QApplication app(argc, argv);
    InitProgramPaths(OwnProgramPath());
    StatusHandling();
    OpenAndClick();
    return 0;
}
