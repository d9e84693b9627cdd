// The track bar: keys move it, a quiet move neither leaves the range nor raises the handler.
#include "TrackBar.h"
#include "WidgetInput.h"

#include <gtest/gtest.h>

namespace {

class TrackBar : public testing::Test {
protected:
    TrackBar() {
        QObject::connect(&bar, &QSlider::valueChanged, [this](int v) { changes.push_back(v); });
    }

    TTrackBar bar{"TBarSDI3", "OUT 5/6 gain", 120, 60, nullptr};
    std::vector<int> changes;
};

TEST_F(TrackBar, KeysMoveItByOneAndByATenth) {
    EXPECT_EQ(Read(&bar, QAccessible::Name), "OUT 5/6 gain");
    EXPECT_EQ(Read(&bar, QAccessible::Description), "TBarSDI3");
    EXPECT_EQ(bar.tickInterval(), 60);
    bar.SetPositionQuietly(60);
    for (const int key : {Qt::Key_Right, Qt::Key_Left, Qt::Key_PageUp, Qt::Key_PageDown})
        Press(&bar, key);
    EXPECT_EQ(changes, (std::vector<int>{61, 60, 72, 60}));
}

TEST_F(TrackBar, QuietMoveClampsAndRaisesNothing) {
    for (const auto& [asked, position] : {std::pair{-5, 0}, {130, 120}, {37, 37}}) {
        bar.SetPositionQuietly(asked);
        EXPECT_EQ(bar.value(), position);
    }
    EXPECT_TRUE(changes.empty());
    bar.setValue(30);
    EXPECT_EQ(changes, std::vector<int>{30});
}

} // namespace
