// The end of the exchange: a failure is reported with its exact text behind hidden groups and the
// panel closes; a panel closed by the operator reports nothing. And the gain labels' decimal
// point under a locale that writes a comma.
#include "PanelFixture.h"

#include "ExchangeErrors.h"
#include "GroupBox.h"
#include "MenuButton.h"
#include "QtWindowOwner.h"
#include "TrackBar.h"
#include "ValuePanel.h"

#include <QKeyEvent>
#include <QLabel>
#include <QLocale>

#include <clocale>
#include <functional>

namespace {

using namespace std::chrono_literals;

TEST(ExchangeErrorTextTest, EveryResultHasItsText) {
    struct Case {
        std::int32_t result, linkStatus;
        std::uint8_t deviceError;
        const char* text;
    };
    for (const Case& c : {
             Case{1, 4, 0, "USB Connection Write Failed\r\n\r\n(IO_error = 4)"},
             Case{1, 31, 0, "USB Connection Write Failed\r\n\r\n(IO_error = 31)"},
             Case{2, 32, 0, "USB Connection Read Failed\r\n\r\n(IO_error = 32)"},
             Case{2, -1, 0, "USB Connection Read Failed\r\n\r\n(IO_error = -1)"},
             Case{3, 0, 0, "Invalid Packet Header"},
             Case{4, 0, 0, "CRC Error"},
             Case{5, 0, 0, "Unsupported protocol version"},
             Case{6, 0, 3, "Device Error: 3"},
             Case{6, 0, 255, "Device Error: 255"},
             Case{7, 0, 0, "Unkonown Error"},
             Case{9, 0, 0, "Unkonown Error"},
             Case{-2, 0, 0, "Unkonown Error"},
         })
        EXPECT_EQ(ExchangeErrorText(c.result, c.linkStatus, c.deviceError), c.text) << c.result;
}

struct Failure {
    const char* name;
    std::function<void(sim::SimBus&)> inject;
    const char* text;
};

const Failure Failures[] = {
    {"SilentUnit", [](sim::SimBus& bus) { bus.SetFaults(PanelUnitLocation, {.noReply = true}); },
     "USB Connection Read Failed\r\n\r\n(IO_error = 32)"},
    {"WriteRefused",
     [](sim::SimBus& bus) { bus.FailCall(PanelUnitLocation, sim::DriverCall::Write, 4); },
     "USB Connection Write Failed\r\n\r\n(IO_error = 4)"},
    {"BadHeader", [](sim::SimBus& bus) { bus.SetFaults(PanelUnitLocation, {.wrongHeader = true}); },
     "Invalid Packet Header"},
    {"BadChecksum",
     [](sim::SimBus& bus) { bus.SetFaults(PanelUnitLocation, {.wrongChecksum = true}); },
     "CRC Error"},
    {"BadProtocol",
     [](sim::SimBus& bus) { bus.SetFaults(PanelUnitLocation, {.protocolByte = 0x41}); },
     "Unsupported protocol version"},
    {"DeviceError", [](sim::SimBus& bus) { bus.SetFaults(PanelUnitLocation, {.deviceError = 3}); },
     "Device Error: 3"},
};

void PrintTo(const Failure& failure, std::ostream* os) {
    *os << failure.name;
}

class FailureTest : public PanelTest, public testing::WithParamInterface<Failure> {};

TEST_P(FailureTest, IsReportedBehindHiddenGroupsAndThePanelCloses) {
    ASSERT_NO_FATAL_FAILURE(Open(5, 2));
    panel->show();
    ASSERT_NO_FATAL_FAILURE(StartAndShow());
    bool shownBehind = true;
    // The recorder's handler comes back when it goes.
    SetMessageHandler([&](const MessageRequest& request) {
        messages.shown.push_back(request);
        shownBehind = panel->GroupsShown || panel->PanFPGA->isVisibleTo(panel.get()) ||
                      !panel->GBoxDevice->title().isEmpty();
        return MessageAnswer::Ok;
    });
    GetParam().inject(*bus);
    ASSERT_TRUE(PumpUntil([this] { return !panel->isVisible(); }));
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text, GetParam().text);
    EXPECT_EQ(messages.shown[0].caption, "Error");
    EXPECT_EQ(messages.shown[0].icon, MessageIcon::Warning);
    EXPECT_EQ(messages.shown[0].buttons, MessageButtons::Ok);
    EXPECT_EQ(WindowOf(messages.shown[0].owner), panel.get());
    EXPECT_FALSE(shownBehind);
    EXPECT_EQ(panel->result(), QDialog::Rejected);
    EXPECT_FALSE(panel->GroupsShown);
    EXPECT_FALSE(panel->MBtnBars->isVisibleTo(panel.get()));
}

INSTANTIATE_TEST_SUITE_P(Failures, FailureTest, testing::ValuesIn(Failures),
                         [](const testing::TestParamInfo<Failure>& info) {
                             return std::string(info.param.name);
                         });

TEST_F(PanelTest, SilentUnitIsReportedAfterTheStartDelayAndTheReplyLimit) {
    ASSERT_NO_FATAL_FAILURE(Open(0, 1, {false, std::chrono::microseconds(200)}));
    bus->SetFaults(PanelUnitLocation, {.noReply = true});
    panel->show();
    const auto start = std::chrono::steady_clock::now();
    panel->Worker->Start();
    ASSERT_TRUE(PumpUntil([this] { return !messages.shown.empty(); }));
    EXPECT_GE(std::chrono::steady_clock::now() - start, 2400ms);
    EXPECT_EQ(messages.shown[0].text, "USB Connection Read Failed\r\n\r\n(IO_error = 32)");
    EXPECT_FALSE(panel->isVisible());
    EXPECT_EQ(panel->result(), QDialog::Rejected);
    // The unit got the first poll only.
    ASSERT_EQ(bus->Frames().size(), 1u);
    EXPECT_EQ(bus->Frames()[0].bytes, CommandBytes(PollCode, 0));
}

void PressEscape(QWidget* widget) {
    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QCoreApplication::sendEvent(widget, &escape);
}

TEST_F(PanelTest, EscapeClosesThePanelWithoutAMessage) {
    ASSERT_NO_FATAL_FAILURE(Open(4, 2));
    panel->show();
    ASSERT_NO_FATAL_FAILURE(StartAndShow());
    PressEscape(panel.get());
    EXPECT_FALSE(panel->isVisible());
    EXPECT_EQ(panel->result(), QDialog::Rejected);
    panel->Worker->Stop();
    QCoreApplication::sendPostedEvents(panel.get());
    EXPECT_TRUE(panel->Worker->StoppedByRequest);
    EXPECT_TRUE(messages.shown.empty());
    // The end of the exchange finds the panel closed and leaves it as it is.
    EXPECT_TRUE(panel->GroupsShown);
}

TEST_F(PanelTest, EscapeBeforeTheFirstReplyClosesAtOnce) {
    ASSERT_NO_FATAL_FAILURE(Open(4, 2));
    panel->show();
    panel->Worker->Start();
    PressEscape(panel->SdiBars[1]);
    EXPECT_FALSE(panel->isVisible());
    EXPECT_EQ(panel->result(), QDialog::Rejected);
    panel->Worker->Stop();
    QCoreApplication::sendPostedEvents(panel.get());
    EXPECT_EQ(panel->Worker->ExitResult, ResultNone);
    EXPECT_FALSE(panel->GroupsShown);
    EXPECT_TRUE(bus->Frames().empty());
    EXPECT_TRUE(messages.shown.empty());
}

// Switches the C library and Qt to German number formats for the life of the object.
class CommaLocale {
public:
    CommaLocale() : qtLocale_(QLocale()) {
        if (const char* current = std::setlocale(LC_ALL, nullptr))
            cLocale_ = current;
        // Its name on glibc, then on Windows.
        available = std::setlocale(LC_ALL, "de_DE.UTF-8") != nullptr ||
                    std::setlocale(LC_ALL, "German_Germany.1252") != nullptr;
        QLocale::setDefault(QLocale(QLocale::German));
    }
    ~CommaLocale() {
        std::setlocale(LC_ALL, cLocale_.c_str());
        QLocale::setDefault(qtLocale_);
    }
    bool available = false;

private:
    std::string cLocale_ = "C";
    QLocale qtLocale_;
};

TEST_F(PanelTest, GainLabelsWriteAPointUnderACommaLocale) {
    CommaLocale comma;
    if (!comma.available)
        GTEST_SKIP() << "no German locale installed";
    ASSERT_NO_FATAL_FAILURE(Open(4, 2));
    ASSERT_NO_FATAL_FAILURE(StartAndShow());
    panel->SdiBars[3]->setValue(75);
    panel->MicBars[2]->setValue(63);
    EXPECT_EQ(panel->SdiLabels[3]->text(), "1.5");
    EXPECT_EQ(panel->MicLabels[2]->text(), "70.25");
    ASSERT_TRUE(AwaitAnswer());
    StatusReply r = panel->LastShownReply;
    Reg(r, RegExtGain1) = 45;
    Reg(r, RegMicGain1 + 3) = 1;
    Feed(0, r);
    EXPECT_EQ(panel->ExtLabels[1]->text(), "-1.5");
    EXPECT_EQ(panel->MicLabels[4]->text(), "23.75");
}

} // namespace
