// Debian's libftdi1 and libusb, unchanged, against the emulated chip: they enumerate it, open
// it, set its line up and run request/reply turns with its unit. The emulation is right when a
// stock client sees a real FT232R in it.
#include "EmulatedUsb.h"
#include "Frames.h"

#include <ftdi.h>
#include <gtest/gtest.h>
#include <libusb.h>

#include <chrono>
#include <memory>

namespace {

using namespace ftdiemu;

constexpr int Turns = 200;

struct FtdiDeleter {
    void operator()(ftdi_context* c) const { ftdi_free(c); }
};
using Ftdi = std::unique_ptr<ftdi_context, FtdiDeleter>;

// Reads until `count` bytes came, a read fails, or the patience runs out (never, when the
// emulation works).
std::vector<std::uint8_t> ReadReply(ftdi_context* ftdi, int count) {
    const auto patience = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    std::vector<std::uint8_t> bytes(count);
    int got = 0;
    while (got < count && std::chrono::steady_clock::now() < patience) {
        const int n = ftdi_read_data(ftdi, bytes.data() + got, count - got);
        if (n < 0)
            break;
        got += n;
    }
    bytes.resize(got);
    return bytes;
}

class LibftdiTest : public ::testing::TestWithParam<int> {
protected:
    void SetUp() override {
        ASSERT_TRUE(EmulatedUsb::Available()) << "run under umockdev-wrapper";
        PlugSpec spec;
        spec.port = "1-3.4";
        spec.identity.serial = "OS730123";
        spec.binding = Binding::None;
        node_ = &usb_.Plug(spec);
    }
    EmulatedUsb usb_;
    UsbNode* node_ = nullptr;
};

TEST_P(LibftdiTest, EnumeratesOpensConfiguresAndRunsTurns) {
    Ftdi ftdi(ftdi_new());
    ASSERT_TRUE(ftdi);
    ftdi_device_list* list = nullptr;
    ASSERT_EQ(ftdi_usb_find_all(ftdi.get(), &list, 0x0403, 0x6001), 1);
    char manufacturer[32], description[64], serial[16];
    ASSERT_EQ(ftdi_usb_get_strings(ftdi.get(), list->dev, manufacturer, sizeof manufacturer,
                                   description, sizeof description, serial, sizeof serial),
              0);
    EXPECT_STREQ(description, "ORQ-SYV-730");
    EXPECT_STREQ(serial, "OS730123");
    uint8_t ports[8];
    ASSERT_EQ(libusb_get_port_numbers(list->dev, ports, 8), 2);
    EXPECT_EQ(ports[0], 3);
    EXPECT_EQ(ports[1], 4);
    EXPECT_EQ(libusb_get_bus_number(list->dev), 1);
    ftdi_list_free(&list);

    ASSERT_EQ(ftdi_usb_open_desc(ftdi.get(), 0x0403, 0x6001, nullptr, "OS730123"), 0)
        << ftdi_get_error_string(ftdi.get());
    EXPECT_EQ(ftdi->type, TYPE_R);
    EXPECT_EQ(node_->CurrentBinding(), Binding::Usbfs);
    ASSERT_EQ(ftdi_set_baudrate(ftdi.get(), 115200), 0);
    ASSERT_EQ(ftdi_set_line_property(ftdi.get(), BITS_8, STOP_BIT_1, NONE), 0);
    ASSERT_EQ(ftdi_setflowctrl(ftdi.get(), SIO_DISABLE_FLOW_CTRL), 0);
    ASSERT_EQ(ftdi_set_latency_timer(ftdi.get(), static_cast<unsigned char>(GetParam())), 0);
    unsigned char latency = 0;
    ASSERT_EQ(ftdi_get_latency_timer(ftdi.get(), &latency), 0);
    EXPECT_EQ(latency, GetParam());
    ASSERT_EQ(ftdi_tcioflush(ftdi.get()), 0);
    unsigned short status = 0;
    ASSERT_EQ(ftdi_poll_modem_status(ftdi.get(), &status), 0);
    EXPECT_EQ(status, ModemStatus0 | ModemStatus1 << 8);

    sim::UnitState unit;
    node_->WithChip([&](Ft232rChip& chip) {
        EXPECT_NEAR(chip.BaudRate(), 115200, 115200 * 0.03);
        unit = chip.Unit();
    });
    const StatusReply expected = sim::HealthyReply(unit);
    CommandFrame poll = BuildCommandFrame(PollCode, 0);
    for (int turn = 0; turn < Turns; ++turn) {
        ASSERT_EQ(ftdi_write_data(ftdi.get(), poll.data(), CommandFrameSize), CommandFrameSize);
        const auto reply = ReadReply(ftdi.get(), StatusReplySize);
        ASSERT_EQ(reply, std::vector<std::uint8_t>(expected.begin(), expected.end()))
            << "turn " << turn;
    }
    node_->WithChip([](Ft232rChip& chip) { EXPECT_EQ(chip.Counters().framesReceived, Turns); });

    ASSERT_EQ(ftdi_usb_close(ftdi.get()), 0);
    EXPECT_EQ(node_->CurrentBinding(), Binding::None);
    EXPECT_EQ(node_->Events(), (std::vector<NodeEvent>{NodeEvent::Claimed, NodeEvent::Released}));
}

INSTANTIATE_TEST_SUITE_P(Latency, LibftdiTest, ::testing::Values(1, 16));

} // namespace
