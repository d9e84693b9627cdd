// The fixture of the open driver's own cases on the emulated USB tree: a tree, the driver the
// build made, one handle, and the steps most cases share. A chip plugged with ftdi_sio is reached
// through its tty, one with no driver through libusb.
#pragma once

#include "EmulatedUsb.h"
#include "Frames.h"
#include "OpenDriver.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <utility>
#include <vector>

namespace ftdiemu {

using namespace std::chrono_literals;

inline constexpr auto Patience = 5s; // never reached when the driver works

class OpenDriverTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(EmulatedUsb::Available()) << "run under umockdev-wrapper"; }
    void TearDown() override {
        if (handle_)
            api_.Close(handle_);
    }

    UsbNode& Plug(const std::string& port, Binding binding = Binding::FtdiSio) {
        PlugSpec spec;
        spec.port = port;
        spec.binding = binding;
        return usb_.Plug(spec);
    }
    FT_STATUS Open(DWORD location) {
        return api_.OpenEx(reinterpret_cast<void*>(std::uintptr_t{location}), FT_OPEN_BY_LOCATION,
                           &handle_);
    }
    FT_STATUS Close() { return api_.Close(std::exchange(handle_, nullptr)); }
    void SetUpLine(ULONG readTimeout) {
        ASSERT_EQ(api_.SetBaudRate(handle_, 115200), FT_OK);
        ASSERT_EQ(api_.SetDataCharacteristics(handle_, 8, 0, 0), FT_OK);
        ASSERT_EQ(api_.SetFlowControl(handle_, 0, 0x11, 0x13), FT_OK);
        ASSERT_EQ(api_.SetTimeouts(handle_, readTimeout, 1000), FT_OK);
        ASSERT_EQ(api_.Purge(handle_, FT_PURGE_RX | FT_PURGE_TX), FT_OK);
    }
    void SendPoll() {
        CommandFrame poll = BuildCommandFrame(PollCode, 0);
        DWORD written = 0;
        ASSERT_EQ(api_.Write(handle_, poll.data(), CommandFrameSize, &written), FT_OK);
        ASSERT_EQ(written, DWORD{CommandFrameSize});
    }
    // Reads one reply whole within the read time-out and checks it.
    void ReadValidReply() {
        StatusReply reply{};
        DWORD got = 0;
        ASSERT_EQ(api_.Read(handle_, reply.data(), StatusReplySize, &got), FT_OK);
        ASSERT_EQ(got, DWORD{StatusReplySize});
        EXPECT_EQ(ValidateReply(reply).result, ResultNone);
    }
    std::vector<FT_DEVICE_LIST_INFO_NODE> List() {
        DWORD count = 0;
        EXPECT_EQ(api_.CreateDeviceInfoList(&count), FT_OK);
        std::vector<FT_DEVICE_LIST_INFO_NODE> nodes(count);
        EXPECT_EQ(api_.GetDeviceInfoList(nodes.data(), &count), FT_OK);
        return nodes;
    }

    EmulatedUsb usb_;
    const D2xxApi& api_ = OpenDriverApi();
    FT_HANDLE handle_ = nullptr;
};

// Cases that hold on both ways to a chip: the parameter is the chip's binding, ftdi_sio (its tty)
// or none (libusb).
class BothPaths : public OpenDriverTest, public ::testing::WithParamInterface<Binding> {};

inline std::string PathName(const ::testing::TestParamInfo<Binding>& info) {
    return info.param == Binding::FtdiSio ? "Tty" : "Usb";
}

} // namespace ftdiemu
