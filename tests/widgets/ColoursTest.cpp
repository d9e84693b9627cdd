// Own text and background colours against the colours a parent passes down.
#include "Colours.h"
#include "ValuePanel.h"

#include <QWidget>

#include <gtest/gtest.h>

namespace {

const QColor Grey(128, 128, 128);
const QColor White(255, 255, 255);
const QColor PaleYellow(255, 255, 170);
const QColor Red(255, 0, 0);
const QColor Green(0, 128, 0);

class Colours : public testing::Test {
protected:
    Colours() {
        SetBackgroundColour(&parent, Grey);
        SetTextColour(&parent, White);
    }

    QWidget parent;
    TValuePanel control{"PanEDH", &parent};
};

TEST_F(Colours, ControlTakesItsParentsUntilItSetsItsOwn) {
    EXPECT_EQ(TextColourOf(&control), White);
    EXPECT_FALSE(HasOwnBackground(&control));
    EXPECT_EQ(BackgroundColourOf(&control), Grey);

    SetTextColour(&control, PaleYellow);
    SetTextColour(&parent, Green);
    EXPECT_EQ(TextColourOf(&control), PaleYellow);
}

TEST_F(Colours, SwitchesBetweenOwnAndParentBackground) {
    SetTextColour(&control, PaleYellow);
    SetBackgroundColour(&control, Red);
    EXPECT_TRUE(HasOwnBackground(&control));
    EXPECT_EQ(BackgroundColourOf(&control), Red);

    UseParentBackground(&control);
    EXPECT_FALSE(HasOwnBackground(&control));
    EXPECT_EQ(BackgroundColourOf(&control), Grey);
    // The palette roles follow the parent again; the own text colour stays.
    EXPECT_EQ(control.palette().color(QPalette::Window), Grey);
    EXPECT_EQ(control.palette().color(QPalette::Button), parent.palette().color(QPalette::Button));
    SetBackgroundColour(&parent, Green);
    EXPECT_EQ(control.palette().color(QPalette::Window), Green);
    EXPECT_EQ(TextColourOf(&control), PaleYellow);

    // Behind a panel on parent colour, the nearest ancestor that fills its background shows.
    TValuePanel inner("PanInputAudio1", &control);
    EXPECT_EQ(BackgroundColourOf(&inner), Green);
}

} // namespace
