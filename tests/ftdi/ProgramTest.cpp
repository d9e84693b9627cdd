// The program itself through the open driver, once: its device list finds a unit on the
// emulated USB tree behind a hub, and opening it shows the unit's panel with its first reply.
#include "D2XXUnit_mod.h"
#include "EmulatedUsb.h"
#include "ListView.h"
#include "MessageRecorder.h"
#include "OpenDriver.h"
#include "ProgramPaths.h"
#include "TestFiles.h"
#include "UnitGPI.h"
#include "UnitMain.h"

#include <QApplication>
#include <QKeyEvent>
#include <QTimer>
#include <QTreeWidget>

#include <gtest/gtest.h>

namespace {

using namespace ftdiemu;

TEST(Program, ListsAndOpensAnEmulatedUnitThroughTheOpenDriver) {
    ASSERT_TRUE(EmulatedUsb::Available()) << "run under umockdev-wrapper";
    TempDir dir;
    SettingsFile = dir / "orq-syv-settings.dat";
    AppDir = PresetDir = dir.Path.string() + "/";
    MessageRecorder messages;
    EmulatedUsb usb;
    PlugSpec spec;
    spec.port = "1-3.4";
    spec.identity.serial = "OS730134";
    spec.unit = sim::MakeUnit(4, 2);
    UsbNode& node = usb.Plug(spec);
    SetD2xxApi(OpenDriverApi());

    TFormMain window;
    window.show();
    window.TimerTimer(nullptr);
    ASSERT_EQ(window.UnitCount, 1);
    EXPECT_EQ(window.LView->topLevelItem(0)->text(1).toStdString(), "OS730134");
    window.LView->setCurrentItem(window.LView->topLevelItem(0));

    bool groupsShown = false;
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] {
        auto* panel = qobject_cast<TFormEdit*>(QApplication::activeModalWidget());
        if (!panel || !panel->GroupsShown)
            return;
        groupsShown = true;
        QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
        QCoreApplication::sendEvent(panel, &escape);
    });
    watch.start(5);
    window.OpenSelected();
    watch.stop();

    EXPECT_TRUE(groupsShown);
    EXPECT_TRUE(messages.shown.empty());
    node.WithChip([](Ft232rChip& chip) { EXPECT_GT(chip.Counters().framesReceived, 0); });
    EXPECT_TRUE(node.Events().empty()); // through the tty: nothing detached, nothing claimed
}

} // namespace
