// The panel as built for each model variant and generation: its value menus, the captions set at
// construction, the state before the first reply and which groups the first reply reveals.
#include "PanelFixture.h"

#include "Button.h"
#include "GroupBox.h"
#include "MenuButton.h"
#include "PopupMenu.h"
#include "RegisterTexts.h"
#include "Tag.h"
#include "TrackBar.h"
#include "ValuePanel.h"

#include <QAction>
#include <QActionGroup>
#include <QLabel>

#include <algorithm>
#include <cstdlib>
#include <tuple>

namespace {

struct Build {
    int variant;
    int generation;
    bool mic;
    bool ext;
    bool aes;
};

std::string Name(const testing::TestParamInfo<Build>& info) {
    return "Variant" + std::to_string(info.param.variant) + "Gen" +
           std::to_string(info.param.generation);
}

std::vector<std::string> Captions(const QMenu* menu) {
    std::vector<std::string> captions;
    for (const QAction* item : menu->actions())
        captions.push_back(item->text().toStdString());
    return captions;
}

template <std::size_t N> std::vector<std::string> Table(const std::array<const char*, N>& table) {
    return {table.begin(), table.end()};
}

// Every item is a checkable radio item whose index is its value and whose Tag is
// (command code * 256) + value.
void ExpectValueItems(const QMenu* menu, int code) {
    const QList<QAction*> items = menu->actions();
    for (int i = 0; i < items.size(); ++i) {
        SCOPED_TRACE(menu->objectName().toStdString() + " item " + std::to_string(i));
        EXPECT_EQ(TagOf(items[i]), code * 256 + i);
        EXPECT_TRUE(items[i]->isCheckable());
        ASSERT_NE(items[i]->actionGroup(), nullptr);
        EXPECT_TRUE(items[i]->actionGroup()->isExclusive());
        EXPECT_FALSE(items[i]->isChecked());
    }
}

void PrintTo(const Build& build, std::ostream* os) {
    *os << "variant " << build.variant << ", generation " << build.generation;
}

class BuildTest : public PanelTest, public testing::WithParamInterface<Build> {};

TEST_P(BuildTest, ValueMenusFollowVariantAndGeneration) {
    const Build b = GetParam();
    ASSERT_NO_FATAL_FAILURE(Open(b.variant, b.generation));
    TFormEdit& p = *panel;
    EXPECT_EQ(p.MicVariant, b.mic);
    EXPECT_EQ(p.AesVariant, b.aes);

    EXPECT_EQ(Captions(p.PMFormat), Table(OutputFormatNames));
    ExpectValueItems(p.PMFormat, 4);
    EXPECT_EQ(p.PMFormat->actions()[5]->text(), "HD 1080i/50");
    EXPECT_EQ(TagOf(p.PMFormat->actions()[5]), 1024 + 5);
    EXPECT_EQ(Captions(p.PMBars), Table(BarsNames));
    ExpectValueItems(p.PMBars, 5);
    EXPECT_EQ(Captions(p.PMLossMode), Table(LossModeNames));
    ExpectValueItems(p.PMLossMode, 6);

    const std::vector<std::string> sdiTail =
        b.aes ? std::vector<std::string>{"EXT 1", "EXT 2", "TEST"}
              : std::vector<std::string>{"EXT 1/2", "EXT 3/4", "TEST"};
    for (std::size_t n = 1; n <= 8; ++n) {
        const std::vector<std::string> sdi = Captions(p.SdiMenus[n]);
        ASSERT_EQ(sdi.size(), 12u);
        EXPECT_EQ(sdi.front(), "MUTE");
        EXPECT_EQ(std::vector<std::string>(sdi.end() - 3, sdi.end()), sdiTail);
        ExpectValueItems(p.SdiMenus[n], static_cast<int>(10 + n));
        EXPECT_EQ(p.SdiMenuButtons[n]->DropDownMenu(), p.SdiMenus[n]);
    }

    const int sources = b.generation == 1 ? 10 : 12;
    const int configs = b.generation == 1 ? 3 : 2;
    for (std::size_t n = 1; n <= 2; ++n) {
        SCOPED_TRACE("EXT " + std::to_string(n));
        const QList<QAction*> source = p.ExtMenus[n]->actions();
        ASSERT_EQ(source.size(), sources);
        EXPECT_EQ(source.last()->text(), "TEST");
        EXPECT_EQ(TagOf(source.last()), static_cast<int>(36 + n) * 256 + sources - 1);
        ExpectValueItems(p.ExtMenus[n], static_cast<int>(36 + n));

        const QList<QAction*> config = p.ExtConfigMenus[n]->actions();
        ASSERT_EQ(config.size(), configs);
        EXPECT_EQ(config[0]->text(), n == 1 ? "MIC IN 1/2" : "MIC IN 3/4");
        EXPECT_EQ(config[1]->text(), b.aes ? "AES IN" : "LINE IN");
        if (configs == 3) {
            EXPECT_EQ(config[2]->text(), b.aes ? "AES OUT" : "LINE OUT");
        }
        // The microphone use is a choice only on units with microphone inputs.
        EXPECT_EQ(config[0]->isEnabled(), b.mic);
        for (int i = 1; i < configs; ++i)
            EXPECT_TRUE(config[i]->isEnabled());
        ExpectValueItems(p.ExtConfigMenus[n], static_cast<int>(34 + n));
        EXPECT_EQ(p.ExtMenuButtons[n]->DropDownMenu(), p.ExtMenus[n]);
        EXPECT_EQ(p.ExtConfigButtons[n]->DropDownMenu(), p.ExtConfigMenus[n]);
    }

    EXPECT_EQ(p.LabExtOuts[1]->text(), b.aes ? "OUT 1" : "OUT 1/2");
    EXPECT_EQ(p.LabExtOuts[2]->text(), b.aes ? "OUT 2" : "OUT 3/4");
}

TEST_P(BuildTest, ContentsHiddenUntilTheFirstReplyThenShownPerVariant) {
    const Build b = GetParam();
    ASSERT_NO_FATAL_FAILURE(Open(b.variant, b.generation));
    TFormEdit& p = *panel;
    const std::vector<std::pair<QWidget*, bool>> groups = {
        {p.PanFPGA, true},
        {p.PanSN, true},
        {p.PanInputFormat, true},
        {p.PanInputAudio, true},
        {p.BtnEDH, true},
        {p.MBtnFormat, true},
        {p.PanOutputAudio, true},
        {p.SdiMenuButtons[1], true},
        {p.SdiBars[8], true},
        {p.MBtnLoad, true},
        {p.BtnSave, true},
        {p.MicBars[1], b.mic},
        {p.MicButtons[4], b.mic},
        {p.MicLabels[2], b.mic},
        {p.ExtMenuButtons[1], b.ext},
        {p.ExtBars[2], b.ext},
        {p.LabExtOuts[1], b.ext},
        {p.ExtConfigButtons[2], b.ext},
    };
    EXPECT_FALSE(p.GroupsShown);
    EXPECT_EQ(p.GBoxDevice->title(), "");
    for (const auto& [control, shown] : groups)
        EXPECT_FALSE(control->isVisibleTo(&p)) << control->objectName().toStdString();
    // The frames stay, with their captions.
    for (QWidget* box : {p.GBoxDevice, p.GBoxInput, p.GBoxOutput, p.GBoxAudio, p.GBoxSDI, p.GBoxEXT,
                         p.GBoxMIC, p.GBoxPreset})
        EXPECT_TRUE(box->isVisibleTo(&p)) << box->objectName().toStdString();

    Feed(0, sim::HealthyReply(unit));
    EXPECT_TRUE(p.GroupsShown);
    for (const auto& [control, shown] : groups)
        EXPECT_EQ(control->isVisibleTo(&p), shown) << control->objectName().toStdString();
}

// Each caption panel stands just above the frame it names, centred over its column, whether the
// frame's contents are shown or not.
TEST_P(BuildTest, CaptionPanelsStandOverTheirColumns) {
    const Build b = GetParam();
    ASSERT_NO_FATAL_FAILURE(Open(b.variant, b.generation));
    TFormEdit& p = *panel;
    p.show();
    const auto check = [&p] {
        const std::vector<std::tuple<const char*, QWidget*, QWidget*>> captions = {
            {"PanGainSDI", p.SdiBars[1], p.GBoxSDI},
            {"PanGainEXT", p.ExtBars[1], p.GBoxEXT},
            {"PanConfigEXT", p.ExtConfigButtons[1], p.GBoxEXT},
        };
        for (const auto& [name, column, box] : captions) {
            SCOPED_TRACE(name);
            auto* caption = p.findChild<QLabel*>(name);
            ASSERT_NE(caption, nullptr);
            EXPECT_EQ(caption->parentWidget(), p.GBoxAudio);
            EXPECT_TRUE(caption->isVisible());
            const QRect over = QRect(column->mapTo(&p, QPoint()), column->size());
            const QRect at = QRect(caption->mapTo(&p, QPoint()), caption->size());
            const QRect frame = QRect(box->mapTo(&p, QPoint()), box->size());
            EXPECT_LE(std::abs(at.center().x() - over.center().x()), 1)
                << "caption " << at.left() << ".." << at.right() << ", column " << over.left()
                << ".." << over.right();
            EXPECT_LT(at.bottom(), frame.top());
            EXPECT_GT(at.bottom(), frame.top() - at.height());
        }
    };
    check();
    Feed(0, sim::HealthyReply(unit));
    check();
    p.resize(p.width() + 200, p.height());
    QCoreApplication::processEvents();
    check();
}

INSTANTIATE_TEST_SUITE_P(
    Variants, BuildTest,
    testing::Values(Build{0, 1, false, false, false}, Build{1, 2, true, false, false},
                    Build{2, 1, false, true, false}, Build{3, 1, false, true, true},
                    Build{4, 2, true, true, false}, Build{5, 1, true, true, true},
                    Build{5, 2, true, true, true},
                    // Not a known variant: no microphones, AES or EXT.
                    Build{7, 2, false, false, false}),
    Name);

TEST_F(PanelTest, StartValuesBeforeTheFirstReply) {
    ASSERT_NO_FATAL_FAILURE(Open(4, 2));
    TFormEdit& p = *panel;
    StatusReply expected;
    expected.fill(0xFF);
    expected[16] = 250;
    EXPECT_EQ(p.LastShownReply, expected);
    EXPECT_EQ(p.CommandSerial, 0u);
    EXPECT_EQ(p.PendingSerial, 0u);
    ASSERT_NE(p.Worker, nullptr);
    EXPECT_FALSE(p.Worker->IsRunning());

    EXPECT_EQ(TagOf(p.BtnEDH), 769);
    for (std::size_t n = 1; n <= 4; ++n) {
        EXPECT_EQ(TagOf(p.AGroupButtons[n]), 1280);
        EXPECT_EQ(TagOf(p.MicButtons[n]), 1280);
        EXPECT_EQ(p.AGroupButtons[n]->objectName(), QString("BtnAGroup%1").arg(n));
        EXPECT_EQ(p.MicBars[n]->ValueLabel(), p.MicLabels[n]);
        EXPECT_EQ(TagOf(p.MicLabels[n]), static_cast<int>(26 + n));
    }
    for (std::size_t n = 1; n <= 8; ++n) {
        EXPECT_EQ(p.SdiBars[n]->objectName(), QString("TBarSDI%1").arg(n));
        EXPECT_EQ(p.SdiBars[n]->ValueLabel(), p.SdiLabels[n]);
        EXPECT_EQ(TagOf(p.SdiLabels[n]), static_cast<int>(18 + n));
        EXPECT_EQ(p.SdiBars[n]->maximum(), 120);
        EXPECT_EQ(p.SdiBars[n]->tickInterval(), 60);
    }
    for (std::size_t n = 1; n <= 2; ++n) {
        EXPECT_EQ(p.ExtBars[n]->ValueLabel(), p.ExtLabels[n]);
        EXPECT_EQ(TagOf(p.ExtLabels[n]), static_cast<int>(38 + n));
    }
    EXPECT_EQ(p.MicBars[2]->maximum(), 63);
    EXPECT_EQ(p.MicBars[2]->tickInterval(), 32);
}

} // namespace
