// The panel for keyboard and screen reader users: every control is found by its name as its
// accessible description, every working control is on the Tab chain, and what a screen reader
// reads follows what the panel shows.
#include "PanelFixture.h"

#include "Button.h"
#include "MenuButton.h"
#include "TrackBar.h"
#include "ValuePanel.h"

#include <QAccessible>
#include <QApplication>
#include <QKeyEvent>

#include <set>

namespace {

using Accessibility = PanelTest;

QString Read(QWidget* control, QAccessible::Text what) {
    QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(control);
    return accessible ? accessible->text(what) : QString();
}

// The control whose accessible description is `name`, searched the way a screen reader client
// walks the tree.
QWidget* Find(QAccessibleInterface* node, const QString& name) {
    if (!node)
        return nullptr;
    if (node->text(QAccessible::Description) == name)
        return qobject_cast<QWidget*>(node->object());
    for (int i = 0; i < node->childCount(); ++i)
        if (QWidget* found = Find(node->child(i), name))
            return found;
    return nullptr;
}

TEST_F(Accessibility, EveryNamedControlIsFoundByItsNameThroughTheAccessibleTree) {
    Open(5, 1);
    StartAndShow();
    QAccessibleInterface* root = QAccessible::queryAccessibleInterface(panel.get());
    int named = 0;
    for (QWidget* control : panel->findChildren<QWidget*>()) {
        const QString name = control->objectName();
        if (name.isEmpty() || name.startsWith("qt_") || control->isWindow())
            continue;
        ++named;
        EXPECT_EQ(control->accessibleDescription(), name);
        EXPECT_EQ(Find(root, name), control) << name.toStdString();
    }
    EXPECT_GE(named, 80) << "every family of controls is there";
}

TEST_F(Accessibility, TabReachesEveryWorkingControlAndKeysWorkThem) {
    Open(5, 1);
    panel->show();
    StartAndShow();
    std::set<QWidget*> working;
    for (QWidget* control : panel->findChildren<QWidget*>())
        if (qobject_cast<TButton*>(control) || qobject_cast<TTrackBar*>(control))
            working.insert(control);
    std::set<QWidget*> reached;
    QWidget* at = panel->nextInFocusChain();
    for (std::size_t i = 0; i < 4 * working.size() && reached.size() < working.size(); ++i) {
        if (working.count(at) && (at->focusPolicy() & Qt::TabFocus))
            reached.insert(at);
        at = at->nextInFocusChain();
    }
    EXPECT_EQ(reached.size(), working.size());

    // Page Up moves a gain by a tenth of its range and sends the new position.
    panel->SdiBars[2]->setFocus();
    QKeyEvent pageUp(QEvent::KeyPress, Qt::Key_PageUp, Qt::NoModifier);
    QCoreApplication::sendEvent(panel->SdiBars[2], &pageUp);
    ASSERT_TRUE(AwaitCommands(1));
    EXPECT_EQ(Commands().back(), CommandBytes(20, 72));
}

TEST_F(Accessibility, ScreenReadersReadValuesRolesAndStatesAsShown) {
    Open(4, 2);
    StartAndShow();
    StatusReply reply = UnitReply();
    Reg(reply, RegOutputFormat) = 3;
    Reg(reply, RegSdiSource1 + 2) = 3;
    Reg(reply, RegExtConfig1) = 1;
    Reg(reply, RegOutputAudioGroup1) = 1;
    Reg(reply, RegMicPhantom1 + 1) = 0;
    Feed(0, reply);
    EXPECT_EQ(Read(panel->MBtnFormat, QAccessible::Name), "Output video format: HD 1080i/60");
    EXPECT_EQ(Read(panel->SdiMenuButtons[3], QAccessible::Name), "OUT 5/6 source: SDI IN CH 5/6");
    EXPECT_EQ(Read(panel->ExtConfigButtons[1], QAccessible::Name), "EXT 1 configuration: LINE IN");
    EXPECT_EQ(Read(panel->SdiBars[3], QAccessible::Name), "OUT 5/6 gain");
    EXPECT_EQ(Read(panel->MicBars[2], QAccessible::Name), "MIC 2 gain");
    EXPECT_EQ(Read(panel->AGroupButtons[1], QAccessible::Name), "Audio group 1: on");
    EXPECT_EQ(Read(panel->MicButtons[2], QAccessible::Name), "MIC 2 48 V: off");
    EXPECT_EQ(Read(panel->BtnEDH, QAccessible::Name), "Reset");
    // A value panel is read by its own text.
    EXPECT_EQ(Read(panel->PanSN, QAccessible::Name), QString::fromStdString(PanelUnitSerial));
}

} // namespace
