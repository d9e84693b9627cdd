// Tags on controls and on menu items.
#include "Tag.h"

#include <QAction>

#include <gtest/gtest.h>

TEST(Tag, IsZeroUntilSetThenRoundTrips) {
    QAction item(nullptr);
    EXPECT_EQ(TagOf(&item), 0);
    for (const int tag : {1027, -1, 0, 0x7FFFFFFF}) {
        SetTag(&item, tag);
        EXPECT_EQ(TagOf(&item), tag);
    }
}
