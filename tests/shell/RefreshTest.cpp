// When the list is rebuilt and when it is left alone, and what a failing device list does.
#include "ShellFixture.h"

#include <QApplication>
#include <QKeyEvent>
#include <QTimer>

namespace {

constexpr DWORD A = 0x5101;
constexpr DWORD B = 0x5102;
constexpr DWORD C = 0x5103;

class Refresh : public ShellTest {
protected:
    void SetUp() override {
        bus->Plug(Unit(A));
        bus->Plug(Unit(B, 4, 2));
        Window().TimerTimer(nullptr);
        ASSERT_EQ(Window().UnitCount, 2);
        Window().LView->setCurrentItem(Window().LView->topLevelItem(1));
        first = Window().LView->topLevelItem(0);
    }

    bool Untouched() {
        return Window().LView->topLevelItem(0) == first &&
               Window().LView->currentItem() == Window().LView->topLevelItem(1) &&
               Window().LView->currentItem()->isSelected();
    }

    void Press(int key) {
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
        QCoreApplication::sendEvent(Window().LView, &press);
    }

    QTreeWidgetItem* first = nullptr;
};

TEST_F(Refresh, AnUnchangedPassTouchesNeitherItemsNorSelection) {
    Window().TimerTimer(Window().Timer);
    EXPECT_TRUE(Untouched());
    EXPECT_TRUE(Window().Timer->isActive());
}

TEST_F(Refresh, APluggedUnitRebuildsTheList) {
    bus->Plug(Unit(C, 5, 1));
    Window().TimerTimer(Window().Timer);
    EXPECT_FALSE(Untouched());
    EXPECT_EQ(Window().UnitCount, 3);
    EXPECT_EQ(Window().LView->selectedItems().size(), 0) << "a rebuild leaves nothing selected";
}

TEST_F(Refresh, AnUnpluggedUnitRebuildsTheList) {
    bus->Unplug(A);
    Window().TimerTimer(Window().Timer);
    ASSERT_EQ(Rows().size(), 1u);
    EXPECT_EQ(Rows()[0].first, "ORQ-SYV-730-RK");
}

TEST_F(Refresh, AUnitThatMovesRebuildsTheList) {
    // The same units, but a device now stands before them in the driver's list.
    bus->Unplug(A);
    bus->Unplug(B);
    bus->Plug({C, FT_DEVICE_232R, "X", "Printer cable", false, std::nullopt});
    bus->Plug(Unit(A));
    bus->Plug(Unit(B, 4, 2));
    Window().TimerTimer(Window().Timer);
    EXPECT_FALSE(Untouched());
    EXPECT_EQ(Window().Units[0].ListIndex, 1);
}

TEST_F(Refresh, ATickWhileTheTimerIsOffIsIgnored) {
    Window().Timer->stop();
    bus->ClearLogs();
    Window().TimerTimer(Window().Timer);
    EXPECT_TRUE(bus->Calls().empty());
}

TEST_F(Refresh, AFailingListIsReportedOnceAndStopsTheTimerUntilTheOperatorActs) {
    bus->FailCall(0, sim::DriverCall::GetDeviceInfoList, FT_OTHER_ERROR);
    Window().TimerTimer(Window().Timer);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text, "Cannot get USB Device List");
    EXPECT_EQ(messages.shown[0].caption, "Error");
    EXPECT_EQ(messages.shown[0].icon, MessageIcon::Error);
    EXPECT_EQ(WindowOf(messages.shown[0].owner), &Window());
    EXPECT_FALSE(Window().Timer->isActive());
    EXPECT_TRUE(Untouched()) << "the rows stay as they were";

    Window().TimerTimer(Window().Timer); // a late tick
    EXPECT_EQ(messages.shown.size(), 1u);

    bus->FailCall(0, sim::DriverCall::GetDeviceInfoList, FT_OK);
    Window().LView->clearSelection(); // with a row selected, Space would open its unit
    Press(Qt::Key_Space);
    EXPECT_TRUE(Window().Timer->isActive());
    EXPECT_EQ(messages.shown.size(), 1u);
}

TEST_F(Refresh, EnterSpaceAndDoubleClickRunAPassOtherKeysDoNot) {
    const auto passes = [&] {
        int count = 0;
        for (const sim::SimCall& call : bus->Calls())
            count += call.call == sim::DriverCall::CreateDeviceInfoList;
        return count;
    };
    Window().LView->clearSelection(); // nothing to open: each of these only refreshes
    bus->ClearLogs();
    Press(Qt::Key_Return);
    Press(Qt::Key_Enter);
    Press(Qt::Key_Space);
    Press(Qt::Key_Down);
    Press(Qt::Key_A);
    EXPECT_EQ(passes(), 3);
    Window().LView->clearSelection();
    QMouseEvent click(QEvent::MouseButtonDblClick, QPointF(5, 200), QPointF(5, 200), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(Window().LView->viewport(), &click);
    EXPECT_EQ(passes(), 4) << "a double click even off the rows";
    EXPECT_FALSE(ShowLinkErrors);
}

TEST_F(Refresh, AfterARebuildNothingIsCurrentAndOnlyKeysAndClicksSelect) {
    Window().show();
    QApplication::setActiveWindow(&Window());
    Window().LView->setFocus();
    bus->Plug(Unit(C, 5, 1));
    Window().TimerTimer(Window().Timer);
    ASSERT_EQ(Window().UnitCount, 3);
    EXPECT_EQ(Window().LView->currentItem(), nullptr);
    EXPECT_TRUE(Window().LView->selectedItems().isEmpty());

    // The list gets the focus again, as by Tab: still nothing marked.
    Window().LView->clearFocus();
    Window().LView->setFocus(Qt::TabFocusReason);
    ASSERT_TRUE(Window().LView->hasFocus());
    ASSERT_TRUE(Window().LView->selectedItems().isEmpty()) << "Enter would open a unit";
    EXPECT_EQ(Window().LView->currentItem(), nullptr);

    // Enter opens nothing and refreshes at once.
    bus->ClearLogs();
    Press(Qt::Key_Return);
    ASSERT_FALSE(bus->Calls().empty());
    EXPECT_EQ(bus->Calls().front().call, sim::DriverCall::CreateDeviceInfoList);
    for (const sim::SimCall& call : bus->Calls())
        EXPECT_NE(call.args, (std::vector<std::uint64_t>{2000, 2000})) << "no unit was opened";

    // The first arrow key marks the first row; a click marks the one clicked.
    Press(Qt::Key_Down);
    EXPECT_EQ(Window().LView->selectedItems(),
              QList<QTreeWidgetItem*>{Window().LView->topLevelItem(0)});
    QTreeWidgetItem* third = Window().LView->topLevelItem(2);
    const QPoint at = Window().LView->visualItemRect(third).center();
    QMouseEvent down(QEvent::MouseButtonPress, at, Window().LView->viewport()->mapToGlobal(at),
                     Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QMouseEvent up(QEvent::MouseButtonRelease, at, Window().LView->viewport()->mapToGlobal(at),
                   Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(Window().LView->viewport(), &down);
    QCoreApplication::sendEvent(Window().LView->viewport(), &up);
    EXPECT_EQ(Window().LView->selectedItems(), QList<QTreeWidgetItem*>{third});
}

TEST_F(Refresh, ClosingEmptiesTheListBeforeTheSettingsAreWritten) {
    Window().close();
    EXPECT_EQ(Window().UnitCount, 0);
    EXPECT_EQ(Window().LView->topLevelItemCount(), 0);
    EXPECT_NE(ReadFile(SettingsFile).find("[WINDOW]"), std::string::npos);
}

} // namespace
