// A control panel on one simulated unit, opened and configured through the link layer as the
// device list does it, with every message box recorded. A test either feeds the status view
// replies of its own (Feed), or starts the panel's worker and pumps the event loop until what it
// expects has happened, looking at the frames the unit received.
#pragma once

#include "D2XXUnit_mod.h"
#include "D2xxLoader.h"
#include "DeviceRegisters.h"
#include "MessageRecorder.h"
#include "OpenSimulatedUnit.h"
#include "SimBus.h"
#include "SimDriver.h"
#include "UnitGPI.h"

#include <QCoreApplication>

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <string>
#include <thread>
#include <vector>

inline constexpr DWORD PanelUnitLocation = 0x2021;
inline const std::string PanelUnitSerial = "SV730417";

using Bytes = std::vector<std::uint8_t>;

inline Bytes CommandBytes(std::uint8_t code, std::uint8_t value) {
    const CommandFrame frame = BuildCommandFrame(code, value);
    return {frame.begin(), frame.end()};
}

class PanelTest : public testing::Test {
protected:
    ~PanelTest() override {
        if (panel)
            panel->Worker->Stop();
        panel.reset();
        LinkClose();
        sim::InstallBus(nullptr);
        SetD2xxApi(UnloadedD2xxApi());
        ShowLinkErrors = true;
    }

    // Plugs a unit of `variant` and `generation`, opens it for an exchange and builds its panel.
    void Open(int variant, int generation, sim::BusTiming timing = {true, {}}) {
        unit = sim::MakeUnit(variant, generation);
        bus = std::make_shared<sim::SimBus>(timing);
        bus->Plug({PanelUnitLocation, FT_DEVICE_232R, PanelUnitSerial, "ORQ-SYV-730", false, unit});
        sim::InstallBus(bus);
        OpenSimulatedUnit(PanelUnitLocation);
        if (HasFatalFailure())
            return;
        bus->ClearLogs();
        ModelVariant = static_cast<std::uint32_t>(variant);
        DeviceGeneration = generation;
        UnitSerial = PanelUnitSerial;
        panel = std::make_unique<TFormEdit>(nullptr);
    }

    // Pumps the panel's event loop until `done` holds or `limit` has passed; returns `done`.
    template <typename Condition>
    bool PumpUntil(Condition done, std::chrono::milliseconds limit = std::chrono::seconds(10)) {
        const auto deadline = std::chrono::steady_clock::now() + limit;
        while (!done()) {
            if (std::chrono::steady_clock::now() > deadline)
                return false;
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        return true;
    }

    // Starts the exchange and waits until the first reply has been shown.
    void StartAndShow() {
        panel->Worker->Start();
        ASSERT_TRUE(PumpUntil([this] { return panel->GroupsShown; }));
    }

    // Waits until the newest command has been answered on screen.
    bool AwaitAnswer() {
        return PumpUntil([this] { return panel->PendingSerial == 0; });
    }

    // The frames the unit received other than polls, in order.
    std::vector<Bytes> Commands() const {
        const Bytes poll = CommandBytes(PollCode, 0);
        std::vector<Bytes> commands;
        for (const sim::SimFrame& frame : bus->Frames())
            if (frame.bytes != poll)
                commands.push_back(frame.bytes);
        return commands;
    }

    bool AwaitCommands(std::size_t count) {
        return PumpUntil([&] { return Commands().size() >= count; });
    }

    // The reply the unit gives now.
    StatusReply UnitReply() const { return sim::HealthyReply(bus->Unit(PanelUnitLocation)); }

    // A reply of the unit as plugged, with register `offset` holding `value`.
    StatusReply ReplyWith(int offset, std::uint8_t value) const {
        sim::UnitState changed = unit;
        changed.registers[static_cast<std::size_t>(offset)] = value;
        return sim::HealthyReply(changed);
    }

    static std::uint8_t& Reg(StatusReply& reply, int offset) {
        return reply[static_cast<std::size_t>(ReplyRegistersOffset + offset)];
    }

    void Feed(std::uint32_t wParam, const StatusReply& reply) {
        panel->WMDevStatus(wParam, std::make_unique<StatusReply>(reply));
    }

    MessageRecorder messages;
    sim::UnitState unit;
    std::shared_ptr<sim::SimBus> bus;
    std::unique_ptr<TFormEdit> panel;
};
