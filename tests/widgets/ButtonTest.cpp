// The flat button: how it is pressed, how it looks and how a screen reader reads it.
#include "Button.h"
#include "Colours.h"
#include "WidgetInput.h"

#include <QApplication>
#include <QImage>

#include <gtest/gtest.h>

#include <optional>

namespace {

class Pressing : public testing::TestWithParam<std::pair<int, int>> {}; // key (0: click), clicks

TEST_P(Pressing, ClicksOnSpaceEnterReturnAndMouse) {
    TButton button("BtnEDH", "Reset", nullptr);
    int clicks = 0;
    QObject::connect(&button, &QAbstractButton::clicked, [&clicks] { ++clicks; });
    Press(&button, GetParam().first);
    EXPECT_EQ(clicks, GetParam().second);
}

INSTANTIATE_TEST_SUITE_P(Keys, Pressing,
                         testing::Values(std::pair{Qt::Key_Space, 1}, std::pair{Qt::Key_Enter, 1},
                                         std::pair{Qt::Key_Return, 1}, std::pair{0, 1},
                                         std::pair{Qt::Key_A, 0}));

TEST(Button, ReadsCaptionOrToggleRoleAndState) {
    TButton button("BtnMIC2", "48 V", nullptr);
    EXPECT_EQ(Read(&button, QAccessible::Name), "48 V");
    EXPECT_EQ(Read(&button, QAccessible::Description), "BtnMIC2");
    EXPECT_EQ(button.focusPolicy(), Qt::StrongFocus);
    button.SetToggleState(true);
    button.SetToggleRole("MIC 2 48 V");
    EXPECT_EQ(Read(&button, QAccessible::Name), "MIC 2 48 V: on");
    button.SetToggleState(false);
    EXPECT_EQ(Read(&button, QAccessible::Name), "MIC 2 48 V: off");
    EXPECT_EQ(button.text(), "48 V");
}

struct LookCase {
    bool ownBackground;
    bool hovered;
    Qt::GlobalColor inside;
};

class Look : public testing::TestWithParam<LookCase> {};

TEST_P(Look, FramedAndFilledByState) {
    QWidget parent;
    SetBackgroundColour(&parent, Qt::gray);
    TButton button("BtnAGroup1", "", &parent);
    button.setGeometry(0, 0, 40, 20);
    button.SetFrameColour(Qt::black);
    button.SetHotTrackColour(Qt::yellow);
    if (GetParam().ownBackground)
        SetBackgroundColour(&button, Qt::darkGray);
    button.setAttribute(Qt::WA_UnderMouse, GetParam().hovered);

    const QImage picture = parent.grab(button.geometry()).toImage();
    EXPECT_EQ(picture.pixelColor(0, 0), QColor(Qt::black));
    EXPECT_EQ(picture.pixelColor(39, 19), QColor(Qt::black));
    EXPECT_EQ(picture.pixelColor(3, 3), QColor(GetParam().inside));
}

INSTANTIATE_TEST_SUITE_P(States, Look,
                         testing::Values(LookCase{false, false, Qt::gray},
                                         LookCase{true, false, Qt::darkGray},
                                         LookCase{false, true, Qt::yellow}));

struct FocusCase {
    const char* name;
    QColor text;
    std::optional<QColor> background; // none: on the parent's colour
};

class FocusedLook : public testing::TestWithParam<FocusCase> {};

// A focused button keeps the fill and text colours of its state and shows the focus as a ring
// inside its frame; only the mouse lights it in the hot-track colour.
TEST_P(FocusedLook, KeepsFillAndTextAndShowsARing) {
    const QColor parentGrey(128, 128, 128);
    QWidget parent;
    parent.resize(120, 40);
    SetBackgroundColour(&parent, parentGrey);
    TButton button("BtnMIC1", "48 V", &parent);
    button.setGeometry(0, 0, 120, 30);
    QFont bold = button.font();
    bold.setPixelSize(16);
    bold.setBold(true);
    button.setFont(bold);
    button.SetFrameColour(QColor(100, 100, 100));
    button.SetHotTrackColour(QColor(192, 192, 192));
    SetTextColour(&button, GetParam().text);
    if (GetParam().background)
        SetBackgroundColour(&button, *GetParam().background);
    parent.show();
    QApplication::setActiveWindow(&parent);
    button.setFocus();
    ASSERT_TRUE(button.hasFocus());

    const QColor fill = GetParam().background.value_or(parentGrey);
    const QImage picture = parent.grab(button.geometry()).toImage();
    EXPECT_EQ(picture.pixelColor(1, 15).name(), fill.name()) << "just inside the frame";
    EXPECT_EQ(picture.pixelColor(5, 15).name(), fill.name()) << "between ring and caption";
    EXPECT_EQ(picture.pixelColor(114, 15).name(), fill.name());
    int ring = 0;
    for (int x = 3; x < 117; ++x)
        ring += picture.pixelColor(x, 2) == GetParam().text;
    EXPECT_GE(ring, 30) << "a ring in the text colour, two pixels in";
    int caption = 0;
    for (int y = 5; y < 25; ++y)
        for (int x = 30; x < 90; ++x)
            caption += picture.pixelColor(x, y) == GetParam().text;
    EXPECT_GE(caption, 10) << "the caption in its own colour";

    button.setAttribute(Qt::WA_UnderMouse, true);
    EXPECT_EQ(parent.grab(button.geometry()).toImage().pixelColor(5, 15).name(), "#c0c0c0")
        << "the mouse still lights it";
}

INSTANTIATE_TEST_SUITE_P(States, FocusedLook,
                         testing::Values(FocusCase{"normal", QColor(255, 255, 170), std::nullopt},
                                         FocusCase{"alarm", QColor(255, 255, 255),
                                                   QColor(204, 85, 85)},
                                         FocusCase{"off", QColor(85, 85, 85), std::nullopt}),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
