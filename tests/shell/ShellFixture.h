// A device list window on a simulated bus, with the settings file in a scratch directory and
// every message box recorded.
#pragma once

#include "D2XXUnit_mod.h"
#include "ListView.h"
#include "MessageRecorder.h"
#include "ProgramPaths.h"
#include "QtWindowOwner.h"
#include "SimDriver.h"
#include "TestFiles.h"
#include "UnitMain.h"

#include <gtest/gtest.h>

#include <memory>

class ShellTest : public testing::Test {
protected:
    ShellTest() {
        SettingsFile = dir / "orq-syv-settings.dat";
        AppDir = PresetDir = dir.Path.string() + "/";
        bus->SetTiming({true, {}});
        sim::InstallBus(bus);
        SetD2xxApi(sim::SimApi());
    }
    ~ShellTest() override {
        window.reset();
        sim::InstallBus(nullptr);
    }

    // A healthy unit of the family, free, on the bus.
    static sim::DeviceSpec Unit(DWORD location, int variant = 0, int generation = 1) {
        return {location,      FT_DEVICE_232R, "SN" + std::to_string(location),
                "ORQ-SYV-730", false,          sim::MakeUnit(variant, generation)};
    }

    TFormMain& Window() {
        if (!window)
            window = std::make_unique<TFormMain>();
        return *window;
    }

    // The rows of the list: name and serial number.
    std::vector<std::pair<std::string, std::string>> Rows() {
        std::vector<std::pair<std::string, std::string>> rows;
        for (int i = 0; i < Window().LView->topLevelItemCount(); ++i) {
            const QTreeWidgetItem* item = Window().LView->topLevelItem(i);
            rows.emplace_back(item->text(0).toStdString(), item->text(1).toStdString());
        }
        return rows;
    }

    TempDir dir;
    std::shared_ptr<sim::SimBus> bus = std::make_shared<sim::SimBus>();
    MessageRecorder messages;
    std::unique_ptr<TFormMain> window;
};
