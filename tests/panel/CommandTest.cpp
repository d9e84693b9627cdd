// The panel's commands on a running exchange: each control sends its frame, numbered, and the
// unit's answer is what the panel then shows.
#include "PanelFixture.h"

#include "Button.h"
#include "MenuButton.h"
#include "PopupMenu.h"
#include "RegisterTexts.h"
#include "Tag.h"
#include "TrackBar.h"
#include "ValuePanel.h"

#include <QAction>
#include <QLabel>

#include <functional>

namespace {

struct Control {
    const char* name;
    int variant;
    int generation;
    std::function<void(TFormEdit&)> use;
    std::uint8_t code;
    std::uint8_t value;
    // What the panel shows once the unit has answered, and the gain label right after the move.
    std::function<QString(TFormEdit&)> shown;
    const char* expected;
    bool gain = false; // a gain label follows its bar before the unit answers
};

void Choose(QMenu* menu, int index) {
    menu->actions()[index]->trigger();
}

const Control Controls[] = {
    {"ResetErrors", 4, 2, [](TFormEdit& p) { p.BtnEDH->click(); }, 3, 1,
     [](TFormEdit& p) { return p.PanEDH->text(); }, "0"},
    {"OutputFormat", 4, 2, [](TFormEdit& p) { Choose(p.PMFormat, 3); }, 4, 3,
     [](TFormEdit& p) { return p.MBtnFormat->text(); }, "HD 1080i/60"},
    {"Bars", 4, 2, [](TFormEdit& p) { Choose(p.PMBars, 1); }, 5, 1,
     [](TFormEdit& p) { return p.MBtnBars->text(); }, "ON"},
    {"LossMode", 0, 1, [](TFormEdit& p) { Choose(p.PMLossMode, 3); }, 6, 3,
     [](TFormEdit& p) { return p.MBtnLossMode->text(); }, "NONE"},
    {"SdiSource", 4, 2, [](TFormEdit& p) { Choose(p.SdiMenus[2], 9); }, 12, 9,
     [](TFormEdit& p) { return p.SdiMenuButtons[2]->text(); }, "EXT 1/2"},
    {"SdiSourceAes", 5, 1, [](TFormEdit& p) { Choose(p.SdiMenus[8], 10); }, 18, 10,
     [](TFormEdit& p) { return p.SdiMenuButtons[8]->text(); }, "EXT 2"},
    {"AudioGroup", 0, 1, [](TFormEdit& p) { p.AGroupButtons[1]->click(); }, 7, 0,
     [](TFormEdit& p) { return QString::number(TagOf(p.AGroupButtons[1])); }, "1793"},
    {"Phantom", 1, 2, [](TFormEdit& p) { p.MicButtons[2]->click(); }, 32, 1,
     [](TFormEdit& p) { return QString::number(TagOf(p.MicButtons[2])); }, "8192"},
    {"SdiGain", 0, 1, [](TFormEdit& p) { p.SdiBars[3]->setValue(75); }, 21, 75,
     [](TFormEdit& p) { return p.SdiLabels[3]->text(); }, "1.5", true},
    {"MicGain", 4, 2, [](TFormEdit& p) { p.MicBars[2]->setValue(63); }, 28, 63,
     [](TFormEdit& p) { return p.MicLabels[2]->text(); }, "70.25", true},
    {"ExtGain", 2, 1, [](TFormEdit& p) { p.ExtBars[2]->setValue(120); }, 40, 120,
     [](TFormEdit& p) { return p.ExtLabels[2]->text(); }, "6.0", true},
    {"ExtConfigGen1", 3, 1, [](TFormEdit& p) { Choose(p.ExtConfigMenus[1], 2); }, 35, 2,
     [](TFormEdit& p) { return p.ExtConfigButtons[1]->text(); }, "AES OUT"},
    {"ExtConfigMic", 4, 2, [](TFormEdit& p) { Choose(p.ExtConfigMenus[2], 0); }, 36, 0,
     [](TFormEdit& p) { return p.ExtConfigButtons[2]->text(); }, "MIC IN 3/4"},
    {"ExtSourceGen1", 2, 1, [](TFormEdit& p) { Choose(p.ExtMenus[1], 9); }, 37, 9,
     [](TFormEdit& p) { return p.ExtMenuButtons[1]->text(); }, "TEST"},
    {"ExtSourceGen2", 5, 2, [](TFormEdit& p) { Choose(p.ExtMenus[2], 11); }, 38, 11,
     [](TFormEdit& p) { return p.ExtMenuButtons[2]->text(); }, "TEST"},
};

void PrintTo(const Control& control, std::ostream* os) {
    *os << control.name;
}

class ControlTest : public PanelTest, public testing::WithParamInterface<Control> {};

TEST_P(ControlTest, SendsItsFrameAndShowsTheUnitsAnswer) {
    const Control& c = GetParam();
    ASSERT_NO_FATAL_FAILURE(Open(c.variant, c.generation));
    ASSERT_NO_FATAL_FAILURE(StartAndShow());
    c.use(*panel);
    EXPECT_EQ(panel->CommandSerial, 1u);
    EXPECT_EQ(panel->PendingSerial, 1u);
    if (c.gain) {
        EXPECT_EQ(c.shown(*panel), c.expected) << "the label follows the bar at once";
    }

    ASSERT_TRUE(AwaitAnswer());
    EXPECT_EQ(Commands(), std::vector<Bytes>{CommandBytes(c.code, c.value)});
    if (c.code != 3) { // the reset takes the count to 0
        EXPECT_EQ(bus->Unit(PanelUnitLocation).registers[c.code - 1u], c.value);
    }
    EXPECT_EQ(c.shown(*panel), c.expected);
}

INSTANTIATE_TEST_SUITE_P(Controls, ControlTest, testing::ValuesIn(Controls),
                         [](const testing::TestParamInfo<Control>& info) {
                             return std::string(info.param.name);
                         });

TEST_F(PanelTest, AudioGroupToggleAsksForTheOppositeOfWhatIsShown) {
    ASSERT_NO_FATAL_FAILURE(Open(0, 1));
    ASSERT_NO_FATAL_FAILURE(StartAndShow());
    TButton* group = panel->AGroupButtons[1];
    group->click(); // shown on: off
    ASSERT_TRUE(AwaitAnswer());
    group->click(); // shown off: on
    ASSERT_TRUE(AwaitAnswer());
    EXPECT_EQ(Commands(), (std::vector<Bytes>{CommandBytes(7, 0), CommandBytes(7, 1)}));
    EXPECT_EQ(panel->CommandSerial, 2u);
    EXPECT_EQ(TagOf(group), 1792);
}

TEST_F(PanelTest, DisabledMicrophoneEntryIsNeverSent) {
    ASSERT_NO_FATAL_FAILURE(Open(2, 1));
    ASSERT_NO_FATAL_FAILURE(StartAndShow());
    for (std::size_t n = 1; n <= 2; ++n) {
        QAction* microphone = panel->ExtConfigMenus[n]->actions()[0];
        ASSERT_FALSE(microphone->isEnabled());
        microphone->trigger();
        // Even enabled again, the entry has no click handler.
        microphone->setEnabled(true);
        microphone->trigger();
    }
    EXPECT_EQ(panel->CommandSerial, 0u);
    Choose(panel->ExtConfigMenus[1], 2);
    ASSERT_TRUE(AwaitAnswer());
    // Commands go out in the order queued: a microphone entry would have come first.
    EXPECT_EQ(Commands(), std::vector<Bytes>{CommandBytes(35, 2)});
    EXPECT_EQ(panel->CommandSerial, 1u);
}

// Notes, each time a message from the worker arrives, what the panel shows before handling it.
class ArrivalLog : public QObject {
public:
    explicit ArrivalLog(TFormEdit& panel) : panel_(panel) { panel.installEventFilter(this); }

    struct Arrival {
        std::uint32_t pending;
        std::uint8_t shownGain;
        QString label;
    };
    std::vector<Arrival> arrivals;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == &panel_ && event->type() >= QEvent::User)
            arrivals.push_back({panel_.PendingSerial,
                                panel_.LastShownReply[ReplyRegistersOffset + RegSdiGain1],
                                panel_.SdiLabels[1]->text()});
        return false;
    }

private:
    TFormEdit& panel_;
};

TEST_F(PanelTest, DragSendsEveryPositionAndShowsOnlyTheLastAnswer) {
    ASSERT_NO_FATAL_FAILURE(Open(4, 2));
    ASSERT_NO_FATAL_FAILURE(StartAndShow());
    ArrivalLog log(*panel);
    for (int position : {61, 62, 63})
        panel->SdiBars[1]->setValue(position);
    EXPECT_EQ(panel->SdiLabels[1]->text(), "0.3");
    EXPECT_EQ(panel->CommandSerial, 3u);
    EXPECT_EQ(panel->PendingSerial, 3u);
    ASSERT_TRUE(AwaitAnswer());
    EXPECT_EQ(Commands(), (std::vector<Bytes>{CommandBytes(19, 61), CommandBytes(19, 62),
                                              CommandBytes(19, 63)}));
    // The answers to 61 and 62 arrived, and were not shown: the screen kept 60 behind the
    // operator's 63 until the last answer.
    ASSERT_GE(log.arrivals.size(), 3u);
    for (const ArrivalLog::Arrival& arrival : log.arrivals) {
        EXPECT_EQ(arrival.pending, 3u);
        EXPECT_EQ(arrival.shownGain, 60);
        EXPECT_EQ(arrival.label, "0.3");
    }
    EXPECT_EQ(panel->LastShownReply[ReplyRegistersOffset + RegSdiGain1], 63);
    EXPECT_EQ(panel->SdiBars[1]->value(), 63);
    EXPECT_EQ(panel->SdiLabels[1]->text(), "0.3");
}

TEST_F(PanelTest, RefusedGainLeavesTheBarWhereTheOperatorPutIt) {
    ASSERT_NO_FATAL_FAILURE(Open(4, 2));
    ASSERT_NO_FATAL_FAILURE(StartAndShow());
    TFormEdit& p = *panel;
    p.SdiBars[4]->setValue(90);
    ASSERT_EQ(p.PendingSerial, 1u);
    // The unit answers the command with the register unchanged.
    StatusReply refused = p.LastShownReply;
    Reg(refused, RegLossMode) = 3;
    Feed(1, refused);
    EXPECT_EQ(p.PendingSerial, 0u);
    EXPECT_EQ(p.MBtnLossMode->text(), "NONE");
    EXPECT_EQ(p.SdiBars[4]->value(), 90);
    EXPECT_EQ(p.SdiLabels[4]->text(), "3.0");
    // A later change of the register moves the bar again.
    Reg(refused, RegSdiGain1 + 3) = 70;
    Feed(0, refused);
    EXPECT_EQ(p.SdiBars[4]->value(), 70);
    EXPECT_EQ(p.SdiLabels[4]->text(), "1.0");
}

TEST_F(PanelTest, SerialNumbersStartAgainAtOneAfterTheLast) {
    ASSERT_NO_FATAL_FAILURE(Open(4, 2));
    ASSERT_NO_FATAL_FAILURE(StartAndShow());
    panel->CommandSerial = 4294967293u;
    panel->BtnEDH->click();
    EXPECT_EQ(panel->CommandSerial, 4294967294u);
    ASSERT_TRUE(AwaitAnswer());
    panel->PMBars->actions()[1]->trigger();
    EXPECT_EQ(panel->CommandSerial, 1u);
    EXPECT_EQ(panel->PendingSerial, 1u);
    ASSERT_TRUE(AwaitAnswer());
    EXPECT_EQ(panel->MBtnBars->text(), "ON");
    EXPECT_EQ(Commands(), (std::vector<Bytes>{CommandBytes(3, 1), CommandBytes(5, 1)}));
}

TEST_F(PanelTest, BlockWriteIsSentWholeAndAnswered) {
    ASSERT_NO_FATAL_FAILURE(Open(4, 2));
    ASSERT_NO_FATAL_FAILURE(StartAndShow());
    RegisterBlock block = FactoryDefaultBlock();
    block[RegOutputFormat] = 3;
    block[RegSdiGain1 + 2] = 75;
    panel->QueueBlock(block);
    EXPECT_EQ(panel->PendingSerial, 1u);
    ASSERT_TRUE(AwaitAnswer());
    const BlockWriteFrame frame = BuildBlockWriteFrame(block);
    EXPECT_EQ(Commands(), std::vector<Bytes>{Bytes(frame.begin(), frame.end())});
    EXPECT_EQ(panel->MBtnFormat->text(), "HD 1080i/60");
    EXPECT_EQ(panel->SdiLabels[3]->text(), "1.5");
}

TEST_F(PanelTest, NothingIsQueuedOnceTheExchangeHasEnded) {
    ASSERT_NO_FATAL_FAILURE(Open(4, 2));
    ASSERT_NO_FATAL_FAILURE(StartAndShow());
    panel->BtnEDH->click();
    ASSERT_TRUE(AwaitAnswer());
    // The exchange ends by itself; the panel, not shown, stays open.
    bus->SetFaults(PanelUnitLocation, {.wrongChecksum = true});
    ASSERT_TRUE(PumpUntil([this] { return !panel->Worker->IsRunning(); }));
    ASSERT_EQ(panel->Worker->ExitResult, ResultBadChecksum);
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_TRUE(panel->GroupsShown);
    const std::size_t frames = bus->Frames().size();
    panel->QueueBlock(FactoryDefaultBlock());
    panel->QueueCommand(4, 3);
    panel->SdiBars[2]->setValue(100);
    EXPECT_EQ(panel->CommandSerial, 1u);
    EXPECT_EQ(panel->PendingSerial, 0u);
    EXPECT_EQ(bus->Frames().size(), frames);
    // The label still follows the operator's hand.
    EXPECT_EQ(panel->SdiLabels[2]->text(), "4.0");
}

} // namespace
