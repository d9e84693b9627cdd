// Radio items of a popup menu: one checked at a time, Tags in order of appending.
#include "PopupMenu.h"
#include "Tag.h"

#include <gtest/gtest.h>

TEST(PopupMenu, RadioItemsAreExclusiveAndTaggedInOrder) {
    TPopupMenu menu("PMBars", nullptr);
    EXPECT_EQ(menu.accessibleDescription(), "PMBars");
    QList<QAction*> added;
    for (int i = 0; i < 3; ++i)
        added.append(menu.AddRadioItem(QString::number(i), 1280 + i));
    ASSERT_EQ(menu.actions(), added);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(TagOf(added[i]), 1280 + i);
    added[0]->setChecked(true);
    added[2]->setChecked(true);
    EXPECT_FALSE(added[0]->isChecked());
    EXPECT_TRUE(added[2]->isChecked());
}
