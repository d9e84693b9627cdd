// The status view: replies decoded onto the controls, only what changed repainted, replies held
// back while a command of the panel's own is unanswered.
#include "LiteralReply.h"
#include "PanelFixture.h"
#include "PanelLook.h"

#include "Button.h"
#include "GroupBox.h"
#include "MenuButton.h"
#include "PopupMenu.h"
#include "RegisterTexts.h"
#include "Tag.h"
#include "TrackBar.h"
#include "ValuePanel.h"

#include <QAction>
#include <QApplication>
#include <QLabel>

namespace {

class StatusViewTest : public PanelTest {
protected:
    void SetUp() override { ASSERT_NO_FATAL_FAILURE(Open(4, 2)); }

    // Every value control, to mark and to find repainted.
    std::vector<QWidget*> ValueControls() const {
        TFormEdit& p = *panel;
        std::vector<QWidget*> controls = {p.PanFPGA,    p.PanSVer,        p.PanPVer,
                                          p.PanSN,      p.PanInputFormat, p.PanEDH,
                                          p.MBtnFormat, p.MBtnBars,       p.MBtnLossMode};
        for (std::size_t i = 1; i <= 4; ++i)
            controls.insert(controls.end(), {p.PanInputAudios[i], p.MicLabels[i]});
        for (std::size_t i = 1; i <= 8; ++i)
            controls.insert(controls.end(), {p.SdiMenuButtons[i], p.SdiLabels[i]});
        for (std::size_t i = 1; i <= 2; ++i)
            controls.insert(controls.end(),
                            {p.ExtMenuButtons[i], p.ExtLabels[i], p.ExtConfigButtons[i]});
        return controls;
    }
};

QString TextOf(QWidget* control) {
    if (auto* label = qobject_cast<QLabel*>(control))
        return label->text();
    return qobject_cast<QAbstractButton*>(control)->text();
}

void Mark(QWidget* control) {
    if (auto* label = qobject_cast<QLabel*>(control))
        label->setText("marker");
    else
        qobject_cast<TMenuButton*>(control)->SetCaption("marker");
}

TEST_F(StatusViewTest, FirstReplyPaintsEveryFieldAndRevealsTheGroups) {
    StatusReply r = sim::HealthyReply(unit);
    Reg(r, RegInputAudioGroups) = 0b0101;
    Reg(r, RegLossMode) = 2;
    Reg(r, RegOutputAudioGroup1 + 2) = 0;
    for (int i = 0; i < 8; ++i) {
        Reg(r, RegSdiSource1 + i) = static_cast<std::uint8_t>(11 - i);
        Reg(r, RegSdiGain1 + i) = static_cast<std::uint8_t>(i * 15);
    }
    for (int i = 0; i < 4; ++i)
        Reg(r, RegMicGain1 + i) = static_cast<std::uint8_t>(i * 21);
    Reg(r, RegMicPhantom1 + 1) = 1;
    Reg(r, RegExtConfig1) = 0;
    Reg(r, RegExtSource1 + 1) = 11;
    Reg(r, RegExtGain1) = 0;
    Reg(r, RegExtGain1 + 1) = 120;
    Feed(0, r);
    TFormEdit& p = *panel;

    EXPECT_EQ(p.GBoxDevice->title(), " ORQ-SYV-730-RK");
    EXPECT_EQ(p.PanSN->text(), "SV730417");
    EXPECT_EQ(p.PanPVer->text(), "4.0");
    EXPECT_EQ(p.PanSVer->text(), "2.1");
    EXPECT_EQ(p.PanFPGA->text(), "2.0  03.11.21");
    EXPECT_EQ(p.PanInputFormat->text(), "LOSS");
    EXPECT_TRUE(InAlarm(p.PanInputFormat));
    const char* audio[] = {"1", "", "3", ""};
    for (std::size_t i = 1; i <= 4; ++i)
        EXPECT_EQ(p.PanInputAudios[i]->text(), audio[i - 1]);
    EXPECT_EQ(p.PanEDH->text(), "1");
    EXPECT_TRUE(InAlarm(p.PanEDH));
    EXPECT_EQ(p.MBtnFormat->text(), "AUTO");
    EXPECT_EQ(TagOf(p.MBtnFormat), 0);
    EXPECT_EQ(p.MBtnBars->text(), "OFF");
    EXPECT_TRUE(OnParent(p.MBtnBars, NormalTextColour));
    EXPECT_EQ(p.MBtnLossMode->text(), "BARS");
    EXPECT_EQ(TagOf(p.MBtnLossMode), 2);
    for (std::size_t i = 1; i <= 4; ++i) {
        const bool on = i != 3;
        EXPECT_EQ(TagOf(p.AGroupButtons[i]), static_cast<int>(6 + i) * 256 + (on ? 0 : 1));
        EXPECT_EQ(TextColourOf(p.AGroupButtons[i]), on ? NormalTextColour : OffTextColour);
        const auto v = static_cast<std::uint8_t>((i - 1) * 21);
        EXPECT_EQ(p.MicBars[i]->value(), v);
        EXPECT_EQ(p.MicLabels[i]->text().toStdString(), MicGainText(v));
        EXPECT_EQ(TagOf(p.MicButtons[i]), static_cast<int>(30 + i) * 256 + (i == 2 ? 0 : 1));
        EXPECT_TRUE(i == 2 ? InAlarm(p.MicButtons[i]) : OnParent(p.MicButtons[i], OffTextColour));
    }
    for (std::size_t i = 1; i <= 8; ++i) {
        const auto source = static_cast<std::uint8_t>(12 - i);
        EXPECT_EQ(p.SdiMenuButtons[i]->text().toStdString(), SdiSourceText(false, source));
        EXPECT_EQ(TagOf(p.SdiMenuButtons[i]), source);
        EXPECT_EQ(p.SdiBars[i]->value(), static_cast<int>(i - 1) * 15);
        EXPECT_EQ(p.SdiLabels[i]->text().toStdString(), GainText(static_cast<int>(i - 1) * 15));
    }
    EXPECT_EQ(p.SdiLabels[1]->text(), "-6.0");
    EXPECT_EQ(p.SdiLabels[5]->text(), "0.0");
    EXPECT_EQ(p.ExtConfigButtons[1]->text(), "MIC IN 1/2");
    EXPECT_EQ(p.ExtConfigButtons[2]->text(), "LINE IN");
    EXPECT_EQ(TagOf(p.ExtConfigButtons[2]), 1);
    EXPECT_EQ(p.ExtMenuButtons[1]->text(), "SDI IN CH 1/2");
    EXPECT_EQ(p.ExtMenuButtons[2]->text(), "TEST");
    EXPECT_EQ(TagOf(p.ExtMenuButtons[2]), 11);
    EXPECT_EQ(p.ExtBars[1]->value(), 0);
    EXPECT_EQ(p.ExtLabels[1]->text(), "-6.0");
    EXPECT_EQ(p.ExtBars[2]->value(), 120);
    EXPECT_EQ(p.ExtLabels[2]->text(), "6.0");

    EXPECT_EQ(p.CurrentReply, r);
    EXPECT_EQ(p.LastShownReply, r);
    EXPECT_TRUE(p.GroupsShown);
}

// The texts are written out here, not taken from the tables: the reply's bytes and what they
// read as are both fixed by hand.
TEST_F(StatusViewTest, ShowsTheLiteralReply) {
    Feed(0, LiteralReply);
    TFormEdit& p = *panel;
    EXPECT_EQ(p.GBoxDevice->title(), " ORQ-SYV-730-RK");
    EXPECT_EQ(p.PanPVer->text(), "4.0");
    EXPECT_EQ(p.PanSVer->text(), "2.7");
    EXPECT_EQ(p.PanFPGA->text(), "2.1  05.11.17");
    EXPECT_EQ(p.PanInputFormat->text(), "HD 1080i/50");
    EXPECT_FALSE(InAlarm(p.PanInputFormat));
    const char* audio[] = {"", "2", "", "4"};
    const bool groupOn[] = {true, false, true, true};
    const char* micGain[] = {"47.00", "23.00", "70.25", "23.75"};
    const bool phantomOn[] = {true, false, false, true};
    for (std::size_t i = 1; i <= 4; ++i) {
        EXPECT_EQ(p.PanInputAudios[i]->text(), audio[i - 1]);
        EXPECT_EQ(TagOf(p.AGroupButtons[i]), int(6 + i) * 256 + (groupOn[i - 1] ? 0 : 1));
        EXPECT_EQ(p.MicLabels[i]->text(), micGain[i - 1]);
        EXPECT_EQ(TagOf(p.MicButtons[i]), int(30 + i) * 256 + (phantomOn[i - 1] ? 0 : 1));
    }
    EXPECT_EQ(p.PanEDH->text(), "7");
    EXPECT_TRUE(InAlarm(p.PanEDH));
    EXPECT_EQ(p.MBtnFormat->text(), "HD 1080i/60");
    EXPECT_EQ(p.MBtnBars->text(), "ON");
    EXPECT_EQ(p.MBtnLossMode->text(), "BARS");
    const char* sdiSource[] = {"EXT 1/2",       "EXT 3/4",        "TEST",
                               "MUTE",          "SDI IN CH 1/2",  "SDI IN CH 3/4",
                               "SDI IN CH 5/6", "SDI IN CH 15/16"};
    const char* sdiGain[] = {"1.5", "-6.0", "0.0", "6.0", "-0.1", "0.1", "-1.0", "1.0"};
    for (std::size_t i = 1; i <= 8; ++i) {
        EXPECT_EQ(p.SdiMenuButtons[i]->text(), sdiSource[i - 1]);
        EXPECT_EQ(p.SdiLabels[i]->text(), sdiGain[i - 1]);
    }
    EXPECT_EQ(p.ExtConfigButtons[1]->text(), "LINE IN");
    EXPECT_EQ(p.ExtConfigButtons[2]->text(), "MIC IN 3/4");
    EXPECT_EQ(p.ExtMenuButtons[1]->text(), "EXT 1/2");
    EXPECT_EQ(p.ExtMenuButtons[2]->text(), "TEST");
    EXPECT_EQ(p.ExtLabels[1]->text(), "1.0");
    EXPECT_EQ(p.ExtLabels[2]->text(), "-1.0");
}

TEST_F(StatusViewTest, FirstReplyLeavesFieldsThatMatchTheStartValues) {
    TFormEdit& p = *panel;
    StatusReply r = sim::HealthyReply(unit);
    Reg(r, RegInputFormat) = 250;
    Reg(r, RegOutputFormat) = 0xFF;
    Reg(r, RegSdiGain1) = 0xFF;
    const QString format = p.PanInputFormat->text();
    SetTag(p.MBtnFormat, 77);
    p.SdiLabels[1]->setText("form");
    Feed(0, r);
    EXPECT_EQ(p.PanInputFormat->text(), format);
    EXPECT_TRUE(OnParent(p.PanInputFormat, NormalTextColour));
    EXPECT_EQ(TagOf(p.MBtnFormat), 77);
    EXPECT_EQ(p.SdiLabels[1]->text(), "form");
    EXPECT_EQ(p.SdiBars[1]->value(), 0);
    EXPECT_EQ(p.MBtnBars->text(), "OFF");
    EXPECT_TRUE(p.GroupsShown);
}

TEST_F(StatusViewTest, LaterRepliesRepaintOnlyWhatChanged) {
    TFormEdit& p = *panel;
    StatusReply r = sim::HealthyReply(unit);
    Feed(0, r);
    for (QWidget* control : ValueControls())
        Mark(control);
    p.GBoxDevice->setTitle("marker");
    p.SdiBars[3]->SetPositionQuietly(5);
    SetTag(p.AGroupButtons[1], 42);
    SetTag(p.MicButtons[1], 42);

    Reg(r, RegBars) = 1;
    Feed(0, r);
    EXPECT_EQ(p.MBtnBars->text(), "ON");
    EXPECT_EQ(TagOf(p.MBtnBars), 1);
    EXPECT_TRUE(InAlarm(p.MBtnBars));
    for (QWidget* control : ValueControls()) {
        if (control != p.MBtnBars) {
            EXPECT_EQ(TextOf(control), "marker") << control->objectName().toStdString();
        }
    }
    EXPECT_EQ(p.GBoxDevice->title(), "marker");
    EXPECT_EQ(p.SdiBars[3]->value(), 5);
    EXPECT_EQ(TagOf(p.AGroupButtons[1]), 42);
    EXPECT_EQ(TagOf(p.MicButtons[1]), 42);

    // The unit's identity byte: the caption and the serial number are written again.
    r[ReplyVariant] = 5;
    Reg(r, RegBars) = 0;
    Feed(0, r);
    EXPECT_EQ(p.GBoxDevice->title(), " ORQ-SYV-730-TK");
    EXPECT_EQ(p.PanSN->text(), "SV730417");
    EXPECT_EQ(p.PanFPGA->text(), "marker");
    EXPECT_TRUE(OnParent(p.MBtnBars, NormalTextColour));
}

TEST_F(StatusViewTest, PendingCommandHoldsBackOtherReplies) {
    TFormEdit& p = *panel;
    const StatusReply first = sim::HealthyReply(unit);
    Feed(0, first);
    p.PendingSerial = 7;
    StatusReply r = first;
    Reg(r, RegOutputFormat) = 3;
    for (std::uint32_t wParam : {0u, 6u, 8u}) {
        Reg(r, RegLossMode) = static_cast<std::uint8_t>(wParam % 4);
        Feed(wParam, r);
        EXPECT_EQ(p.CurrentReply, r) << wParam;
        EXPECT_EQ(p.LastShownReply, first) << wParam;
        EXPECT_EQ(p.PendingSerial, 7u);
        EXPECT_EQ(p.MBtnFormat->text(), "AUTO");
    }
    Feed(7, r);
    EXPECT_EQ(p.PendingSerial, 0u);
    EXPECT_EQ(p.LastShownReply, r);
    EXPECT_EQ(p.MBtnFormat->text(), "HD 1080i/60");
    EXPECT_EQ(p.MBtnLossMode->text(), "BLACK");

    // Nothing outstanding: any reply is shown.
    Reg(r, RegOutputFormat) = 5;
    Feed(123456, r);
    EXPECT_EQ(p.MBtnFormat->text(), "HD 1080i/50");
    EXPECT_EQ(p.LastShownReply, r);
}

TEST_F(StatusViewTest, InputFormatTextAndColoursAlsoRewriteTheErrorCount) {
    TFormEdit& p = *panel;
    StatusReply r = sim::HealthyReply(unit);
    Reg(r, RegEdhCrcErrors) = 0;
    struct Step {
        std::uint8_t code;
        const char* text;
        bool alarm;
    };
    for (const Step& step : {Step{5, "HD 1080i/60", false}, Step{0, "LOSS", true},
                             Step{20, "Unknown", true}, Step{16, "3G-A 1080p/60", false},
                             Step{255, "Unknown", true}, Step{3, "HD 1080i/50", false}}) {
        SCOPED_TRACE(step.text);
        p.PanEDH->setText("marker");
        Reg(r, RegInputFormat) = step.code;
        Feed(0, r);
        EXPECT_EQ(p.PanInputFormat->text(), step.text);
        EXPECT_TRUE(step.alarm ? InAlarm(p.PanInputFormat)
                               : OnParent(p.PanInputFormat, NormalTextColour));
        EXPECT_EQ(p.PanEDH->text(), "0");
    }
}

TEST_F(StatusViewTest, ErrorCountColoursAreSetOnEveryShownReply) {
    TFormEdit& p = *panel;
    StatusReply r = sim::HealthyReply(unit);
    Reg(r, RegEdhCrcErrors) = 3;
    Feed(0, r);
    EXPECT_EQ(p.PanEDH->text(), "3");
    EXPECT_TRUE(InAlarm(p.PanEDH));

    p.PanEDH->setText("marker");
    SetTextColour(p.PanEDH, NormalTextColour);
    UseParentBackground(p.PanEDH);
    Reg(r, RegBars) = 1;
    Feed(0, r);
    EXPECT_EQ(p.PanEDH->text(), "marker");
    EXPECT_TRUE(InAlarm(p.PanEDH));

    Reg(r, RegEdhCrcErrors) = 0;
    Feed(0, r);
    EXPECT_EQ(p.PanEDH->text(), "0");
    EXPECT_TRUE(OnParent(p.PanEDH, NormalTextColour));
}

TEST_F(StatusViewTest, TogglesKeepTheOppositeCommandInTheirTags) {
    TFormEdit& p = *panel;
    struct Toggle {
        int offset;
        std::uint8_t from, to;
        TButton* button;
        int tag;
        bool on;
    };
    const Toggle toggles[] = {
        {RegOutputAudioGroup1, 0, 1, p.AGroupButtons[1], 1792, true},
        {RegOutputAudioGroup1, 1, 0, p.AGroupButtons[1], 1793, false},
        {RegOutputAudioGroup1, 0, 2, p.AGroupButtons[1], 1793, true},
        {RegOutputAudioGroup1 + 3, 1, 0, p.AGroupButtons[4], 10 * 256 + 1, false},
        {RegMicPhantom1, 0, 1, p.MicButtons[1], 7936, true},
        {RegMicPhantom1, 1, 0, p.MicButtons[1], 7937, false},
        {RegMicPhantom1 + 3, 0, 1, p.MicButtons[4], 34 * 256, true},
    };
    for (const Toggle& t : toggles) {
        SCOPED_TRACE(t.button->objectName().toStdString() + " to " + std::to_string(t.to));
        Feed(0, ReplyWith(t.offset, t.from));
        Feed(0, ReplyWith(t.offset, t.to));
        EXPECT_EQ(TagOf(t.button), t.tag);
        const bool phantom = t.offset >= RegMicPhantom1;
        EXPECT_TRUE(phantom && t.on ? InAlarm(t.button)
                                    : OnParent(t.button, t.on ? NormalTextColour : OffTextColour));
        EXPECT_TRUE(t.button->accessibleName().endsWith(t.on ? ": on" : ": off"));
    }
}

TEST_F(StatusViewTest, SourceTextsFollowVariantAndGeneration) {
    struct Case {
        int variant, generation;
        const char* sdi9;
        const char* ext9;
        const char* config2;
    };
    for (const Case& c :
         {Case{0, 1, "EXT 1/2", "TEST", "LINE OUT"}, Case{1, 2, "EXT 1/2", "EXT 1/2", "2"},
          Case{2, 1, "EXT 1/2", "TEST", "LINE OUT"}, Case{3, 2, "EXT 1", "EXT 1/2", "2"},
          Case{4, 2, "EXT 1/2", "EXT 1/2", "2"}, Case{5, 1, "EXT 1", "TEST", "AES OUT"}}) {
        SCOPED_TRACE("variant " + std::to_string(c.variant));
        panel.reset();
        LinkClose();
        ASSERT_NO_FATAL_FAILURE(Open(c.variant, c.generation));
        StatusReply r = sim::HealthyReply(unit);
        Reg(r, RegSdiSource1) = 9;
        Reg(r, RegExtSource1) = 9;
        Reg(r, RegExtConfig1 + 1) = 2;
        Feed(0, r);
        EXPECT_EQ(panel->SdiMenuButtons[1]->text(), c.sdi9);
        EXPECT_EQ(panel->ExtMenuButtons[1]->text(), c.ext9);
        EXPECT_EQ(TagOf(panel->ExtMenuButtons[1]), 9);
        // Generation 2 has no code 2 here: the number stands in for a text.
        EXPECT_EQ(panel->ExtConfigButtons[2]->text(), c.config2);
    }
}

TEST_F(StatusViewTest, GainsFromARepliesMoveTheBarsAndSendNothing) {
    ASSERT_NO_FATAL_FAILURE(StartAndShow());
    TFormEdit& p = *panel;
    struct Gain {
        int offset;
        std::uint8_t value;
        TTrackBar* bar;
        QLabel* label;
        const char* text;
    };
    for (const Gain& g : {Gain{RegSdiGain1 + 2, 75, p.SdiBars[3], p.SdiLabels[3], "1.5"},
                          Gain{RegSdiGain1, 59, p.SdiBars[1], p.SdiLabels[1], "-0.1"},
                          Gain{RegSdiGain1 + 7, 61, p.SdiBars[8], p.SdiLabels[8], "0.1"},
                          Gain{RegMicGain1 + 1, 63, p.MicBars[2], p.MicLabels[2], "70.25"},
                          Gain{RegMicGain1, 1, p.MicBars[1], p.MicLabels[1], "23.75"},
                          Gain{RegExtGain1 + 1, 0, p.ExtBars[2], p.ExtLabels[2], "-6.0"},
                          Gain{RegExtGain1, 120, p.ExtBars[1], p.ExtLabels[1], "6.0"}}) {
        Feed(0, ReplyWith(g.offset, g.value));
        EXPECT_EQ(g.bar->value(), g.value) << g.text;
        EXPECT_EQ(g.label->text(), g.text);
    }
    EXPECT_EQ(p.CommandSerial, 0u);
    EXPECT_EQ(p.PendingSerial, 0u);
    // Anything queued would go out with the next turn.
    const std::size_t frames = bus->Frames().size();
    ASSERT_TRUE(PumpUntil([&] { return bus->Frames().size() >= frames + 20; }));
    EXPECT_TRUE(Commands().empty());
}

TEST_F(StatusViewTest, ValueMenuCheckMarkFollowsTheButtonsTag) {
    TFormEdit& p = *panel;
    p.show();
    Feed(0, ReplyWith(RegLossMode, 2));
    p.MBtnLossMode->DropDown();
    ASSERT_EQ(QApplication::activePopupWidget(), p.PMLossMode);
    EXPECT_EQ(p.PMLossMode->PopupComponent(), p.MBtnLossMode);
    EXPECT_TRUE(p.PMLossMode->actions()[2]->isChecked());
    p.PMLossMode->close();

    // A Tag that is no index of the menu checks nothing.
    SetTag(p.MBtnBars, 7);
    p.MBtnBars->DropDown();
    for (const QAction* item : p.PMBars->actions())
        EXPECT_FALSE(item->isChecked());
    p.PMBars->close();
}

TEST_F(StatusViewTest, ValueChangeClosesAnOpenMenuOtherChangesDoNot) {
    TFormEdit& p = *panel;
    p.show();
    StatusReply r = sim::HealthyReply(unit);
    Feed(0, r);
    p.MBtnFormat->DropDown();
    ASSERT_NE(QApplication::activePopupWidget(), nullptr);
    for (int offset : std::initializer_list<int>{
             RegInputFormat, RegInputAudioGroups, RegEdhCrcErrors, RegOutputAudioGroup1,
             RegSdiGain1 + 2, RegMicGain1, RegMicPhantom1, RegExtGain1 + 1}) {
        ++Reg(r, offset);
        Feed(0, r);
        EXPECT_EQ(QApplication::activePopupWidget(), p.PMFormat) << "register " << offset;
    }
    ++Reg(r, RegOutputFormat);
    Feed(0, r);
    EXPECT_EQ(QApplication::activePopupWidget(), nullptr);

    for (int offset : std::initializer_list<int>{RegOutputFormat, RegBars, RegLossMode,
                                                 RegSdiSource1, RegExtSource1, RegExtConfig1 + 1}) {
        p.SdiMenuButtons[3]->DropDown();
        ASSERT_EQ(QApplication::activePopupWidget(), p.SdiMenus[3]);
        Reg(r, offset) ^= 1;
        Feed(0, r);
        EXPECT_EQ(QApplication::activePopupWidget(), nullptr) << "register " << offset;
    }
}

} // namespace
