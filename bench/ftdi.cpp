// Turns per second through the open driver (libd2xxftdi.so) against the emulated FT232R, whose
// latency timer is modelled: a packet leaves the chip when 62 bytes wait or the timer runs out.
// A 58-byte reply never fills a packet, so every turn waits for the timer. Measured on both ways
// to the chip (its tty, with ftdi_sio holding it; libusb, with no driver), at the driver's
// default of 1 ms and at the chip's factory 16 ms (ORQ_SYV_FTDI_LATENCY=16), once with the device
// worker as the program runs it and once with bare FT_Write/FT_Read turns.
// Run under umockdev-wrapper.
#include "D2XXUnit_mod.h"
#include "EmulatedUsb.h"
#include "OpenDriver.h"
#include "UnitThread.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

constexpr DWORD Location = 0x134;
constexpr double Baud = 115200;
// One turn on the wire: a 7-byte command out, a 58-byte reply in, 10 bits a character.
constexpr double TurnMs = (CommandFrameSize + StatusReplySize) * 10 * 1000 / Baud;
constexpr auto Measured = 4s;

class NoSink final : public DeviceMessageSink {
public:
    bool PostDeviceMessage(unsigned, std::uint32_t, std::unique_ptr<StatusReply>) override {
        return true;
    }
};

bool OpenUnit() {
    BaudRate = static_cast<std::uint32_t>(Baud);
    WordLength = 8;
    StopBits = 0;
    Parity = 0;
    FlowControl = 0;
    return Open_USB_Device_By_Device_Location(Location) == FT_OK && LinkReset() == FT_OK &&
           LinkSetBaudRate() == FT_OK && LinkSetDataCharacteristics() == FT_OK &&
           LinkSetFlowControl() == FT_OK && LinkSetTimeouts(2000, 2000) == FT_OK &&
           LinkPurgeRx() == FT_OK && LinkPurgeTx() == FT_OK;
}

int Frames(ftdiemu::UsbNode& node) {
    int frames = 0;
    node.WithChip([&](ftdiemu::Ft232rChip& chip) { frames = chip.Counters().framesReceived; });
    return frames;
}

// Turns per second of the device worker polling the unit, counted by the frames it received.
double WorkerTurns(ftdiemu::UsbNode& node) {
    NoSink sink;
    TDeviceThread worker(&sink);
    worker.Start();
    std::this_thread::sleep_for(1s); // past the worker's start delay
    const int before = Frames(node);
    const auto start = Clock::now();
    std::this_thread::sleep_for(Measured);
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    const int turns = Frames(node) - before;
    worker.Stop();
    return turns / seconds;
}

// Turns per second of bare driver calls: write a poll, read its 58-byte reply.
double BareTurns() {
    const D2xxApi& api = ftdiemu::OpenDriverApi();
    CommandFrame poll = BuildCommandFrame(PollCode, 0);
    StatusReply reply{};
    int turns = 0;
    const auto start = Clock::now();
    while (Clock::now() - start < Measured) {
        DWORD written = 0, read = 0;
        if (api.Write(DeviceHandle, poll.data(), CommandFrameSize, &written) != FT_OK ||
            api.Read(DeviceHandle, reply.data(), StatusReplySize, &read) != FT_OK ||
            read != StatusReplySize)
            return 0;
        ++turns;
    }
    return turns / std::chrono::duration<double>(Clock::now() - start).count();
}

struct Figures {
    double worker = 0, bare = 0;
};

Figures Run(ftdiemu::Binding binding, const char* latency) {
    if (latency)
        setenv("ORQ_SYV_FTDI_LATENCY", latency, 1);
    else
        unsetenv("ORQ_SYV_FTDI_LATENCY");
    Figures figures;
    ftdiemu::EmulatedUsb usb;
    ftdiemu::PlugSpec spec;
    spec.port = "1-3.4";
    spec.binding = binding;
    ftdiemu::UsbNode& node = usb.Plug(spec);
    if (!OpenUnit()) {
        std::printf("cannot open the emulated unit\n");
        return figures;
    }
    figures.worker = WorkerTurns(node);
    // The worker may have left a reply on its way: it must not count for the bare turns.
    std::this_thread::sleep_for(100ms);
    if (LinkPurgeRx() != FT_OK)
        return figures;
    figures.bare = BareTurns();
    LinkClose();
    return figures;
}

} // namespace

int main() {
    if (!ftdiemu::EmulatedUsb::Available()) {
        std::fprintf(stderr, "run under umockdev-wrapper\n");
        return 1;
    }
    SetD2xxApi(ftdiemu::OpenDriverApi());
    ShowLinkErrors = false;
    std::printf("wire limit %.1f turns/s (%.2f ms a turn)\n", 1000 / TurnMs, TurnMs);
    const struct {
        ftdiemu::Binding binding;
        const char* name;
    } paths[] = {{ftdiemu::Binding::FtdiSio, "through the tty (ftdi_sio)"},
                 {ftdiemu::Binding::None, "through libusb (no kernel driver)"}};
    for (const auto& path : paths) {
        const Figures slow = Run(path.binding, "16");
        const Figures fast = Run(path.binding, nullptr);
        std::printf("%s, latency timer 16 ms: device worker %.1f turns/s, bare driver %.1f "
                    "turns/s\n",
                    path.name, slow.worker, slow.bare);
        std::printf("%s, latency timer 1 ms (the driver's default): device worker %.1f turns/s, "
                    "bare driver %.1f turns/s\n",
                    path.name, fast.worker, fast.bare);
        std::printf("%s, 1 ms against 16 ms: device worker %.2fx, bare driver %.2fx (goal >= 2x)\n",
                    path.name, fast.worker / slow.worker, fast.bare / slow.bare);
    }
    return 0;
}
