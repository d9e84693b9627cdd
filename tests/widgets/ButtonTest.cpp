// The flat button: how it is pressed, how it looks and how a screen reader reads it.
#include "Button.h"
#include "Colours.h"
#include "WidgetInput.h"

#include <QImage>

#include <gtest/gtest.h>

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

} // namespace
