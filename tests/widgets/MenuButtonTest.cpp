// The menu button drops its menu down and tells it who opened it; it reads as role and value.
#include "MenuButton.h"
#include "PopupMenu.h"
#include "WidgetInput.h"

#include <QApplication>

#include <gtest/gtest.h>

namespace {

class Opening : public testing::TestWithParam<std::pair<int, bool>> {}; // key (0: click), opens

TEST_P(Opening, DropsTheMenuDownKnowingTheButton) {
    QWidget window;
    TMenuButton button("MBtnFormat", "Output video format", &window);
    TPopupMenu menu("PMFormat", &window);
    button.SetDropDownMenu(&menu);
    QWidget* openedBy = nullptr;
    QObject::connect(&menu, &QMenu::aboutToShow, [&] { openedBy = menu.PopupComponent(); });
    Press(&button, GetParam().first);
    EXPECT_EQ(QApplication::activePopupWidget(), GetParam().second ? &menu : nullptr);
    EXPECT_EQ(openedBy, GetParam().second ? &button : nullptr);
    while (QWidget* popup = QApplication::activePopupWidget())
        popup->close();
}

INSTANTIATE_TEST_SUITE_P(Keys, Opening,
                         testing::Values(std::pair{Qt::Key_Down, true},
                                         std::pair{Qt::Key_Space, true},
                                         std::pair{Qt::Key_Enter, true},
                                         std::pair{Qt::Key_Return, true}, std::pair{0, true},
                                         std::pair{Qt::Key_Up, false}));

TEST(MenuButton, ReadsRoleAndCurrentValue) {
    TMenuButton button("MBtnSDI3", "OUT 5/6 source", nullptr);
    EXPECT_EQ(Read(&button, QAccessible::Name), "OUT 5/6 source");
    button.SetCaption("SDI IN CH 5/6");
    EXPECT_EQ(Read(&button, QAccessible::Name), "OUT 5/6 source: SDI IN CH 5/6");
    EXPECT_EQ(Read(&button, QAccessible::Description), "MBtnSDI3");
    EXPECT_EQ(button.text(), "SDI IN CH 5/6");

    TMenuButton load("MBtnLoad", "", nullptr);
    load.SetCaption("Load...");
    EXPECT_EQ(Read(&load, QAccessible::Name), "Load...");
}

} // namespace
