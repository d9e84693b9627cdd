// Opening a unit from the list: what goes to the driver, when a panel appears, and how
// everything is put back when it closes.
#include "ShellFixture.h"
#include "UnitGPI.h"

#include <QApplication>
#include <QKeyEvent>
#include <QTimer>

#include <functional>

namespace {

constexpr DWORD Location = 0x6101;
using C = sim::DriverCall;
using Call = std::pair<C, std::vector<std::uint64_t>>;

class OpenUnit : public ShellTest {
protected:
    void SetUp() override {
        bus->Plug(Unit(Location, 4, 2));
        Window().show();
        Window().TimerTimer(nullptr);
        ASSERT_EQ(Window().UnitCount, 1);
        Window().LView->setCurrentItem(Window().LView->topLevelItem(0));
        bus->ClearLogs();
    }

    // Opens the selected unit; while its panel runs, presses Escape on it once `ready` says so.
    void OpenAndCloseWhen(std::function<bool(TFormEdit&)> ready) {
        QTimer watch;
        QObject::connect(&watch, &QTimer::timeout, [&] {
            auto* panel = qobject_cast<TFormEdit*>(QApplication::activeModalWidget());
            if (!panel)
                return;
            panelSeen = true;
            listHidden = !Window().isVisible();
            groupsShown = panel->GroupsShown;
            if (!ready(*panel))
                return;
            QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
            QCoreApplication::sendEvent(panel, &escape);
        });
        watch.start(5);
        Window().OpenSelected();
        watch.stop();
    }

    std::vector<Call> Calls() const {
        std::vector<Call> calls;
        for (const sim::SimCall& call : bus->Calls())
            calls.emplace_back(call.call, call.args);
        return calls;
    }

    static std::vector<Call> Opening() {
        return {{C::OpenEx, {Location, 4}},
                {C::ResetDevice, {}},
                {C::SetBaudRate, {115200}},
                {C::SetDataCharacteristics, {8, 0, 0}},
                {C::SetFlowControl, {0, 0x11, 0x13}},
                {C::SetTimeouts, {2000, 2000}},
                {C::Purge, {1}},
                {C::Purge, {2}}};
    }
    static std::vector<Call> Closing() {
        return {{C::GetStatus, {}}, {C::Purge, {1}}, {C::Purge, {2}}, {C::Close, {}}};
    }
    // The calls from the first one of `kind` on, up to the refresh pass that follows.
    std::vector<Call> Until(C kind) const {
        std::vector<Call> calls = Calls();
        const auto end = std::find_if(calls.begin(), calls.end(),
                                      [kind](const Call& c) { return c.first == kind; });
        return {calls.begin(), end};
    }

    bool panelSeen = false;
    bool listHidden = false;
    bool groupsShown = false;
};

TEST_F(OpenUnit, EscapeBeforeTheFirstReplyClosesEverythingSilently) {
    OpenAndCloseWhen([](TFormEdit&) { return true; });
    EXPECT_TRUE(panelSeen);
    EXPECT_TRUE(listHidden) << "the list hides while the panel runs";
    EXPECT_FALSE(groupsShown);
    std::vector<Call> expected = Opening();
    for (const Call& call : Closing())
        expected.push_back(call);
    EXPECT_EQ(Until(C::CreateDeviceInfoList), expected) << "no frame went out";
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_TRUE(Window().isVisible());
    EXPECT_FALSE(ShowLinkErrors);
    EXPECT_TRUE(Window().Timer->isActive()) << "the list refreshed at once";
}

TEST_F(OpenUnit, APanelShowsTheUnitAndTheUnitIsClosedAfterwards) {
    OpenAndCloseWhen([](TFormEdit& panel) { return panel.GroupsShown; });
    EXPECT_TRUE(groupsShown);
    EXPECT_EQ(ModelVariant, 4u);
    EXPECT_EQ(DeviceGeneration, 2);
    EXPECT_EQ(UnitSerial, "SN24833");
    const std::vector<Call> calls = Until(C::CreateDeviceInfoList);
    ASSERT_GE(calls.size(), 12u);
    EXPECT_EQ(std::vector<Call>(calls.begin(), calls.begin() + 8), Opening());
    EXPECT_EQ(std::vector<Call>(calls.end() - 4, calls.end()), Closing());
    ASSERT_FALSE(bus->Frames().empty());
    const CommandFrame poll = BuildCommandFrame(0, 0);
    EXPECT_EQ(bus->Frames().front().bytes, std::vector<std::uint8_t>(poll.begin(), poll.end()));
}

struct FailingStep {
    const char* name;
    C call;
    FT_STATUS status;
    const char* dialog;
    bool panel;
    bool closed;
};

class OpenUnitFailure : public OpenUnit, public testing::WithParamInterface<FailingStep> {};

TEST_P(OpenUnitFailure, ShowsTheDriverDialog) {
    const FailingStep& f = GetParam();
    bus->FailCall(Location, f.call, f.status);
    OpenAndCloseWhen([](TFormEdit&) { return true; });
    EXPECT_EQ(panelSeen, f.panel);
    ASSERT_FALSE(messages.shown.empty());
    EXPECT_EQ(messages.shown[0].text, f.dialog);
    EXPECT_EQ(WindowOf(messages.shown[0].owner), &Window()) << "the list opens the unit";
    const std::vector<Call> calls = Until(C::CreateDeviceInfoList);
    const bool closed =
        std::any_of(calls.begin(), calls.end(), [](const Call& c) { return c.first == C::Close; });
    EXPECT_EQ(closed, f.closed);
    EXPECT_FALSE(ShowLinkErrors);
    EXPECT_TRUE(Window().isVisible());
}

INSTANTIATE_TEST_SUITE_P(
    Steps, OpenUnitFailure,
    testing::Values(FailingStep{"open", C::OpenEx, FT_DEVICE_NOT_FOUND,
                                "Open_USB_Device_By_Device_Location - Device not found...", false,
                                false},
                    FailingStep{"baudRate", C::SetBaudRate, FT_INVALID_BAUD_RATE,
                                "FT_SetBaudRate - Invalid baud rate...", false, true},
                    FailingStep{"purge", C::Purge, FT_IO_ERROR, "FT_Purge RX - General IO error...",
                                false, true},
                    FailingStep{"reset", C::ResetDevice, FT_IO_ERROR,
                                "FT_ResetDevice - General IO error...", true, true}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(OpenUnit, WithNoRowSelectedNothingIsOpened) {
    Window().LView->clearSelection();
    Window().OpenUnit();
    EXPECT_TRUE(bus->Calls().empty());
}

} // namespace
