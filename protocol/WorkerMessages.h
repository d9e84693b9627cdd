// What the device worker and the window it reports to say to each other. No GUI here: the window
// is reached through DeviceMessageSink, which the GUI side implements.
#pragma once

#include "Frames.h"

#include <cstdint>
#include <memory>

// Message numbers, counted from the first user message (1024).
// To the worker: wParam ReplyTag, lParam (code << 8) | value.
inline constexpr unsigned WM_DEV_COMMAND = 1025;
// To the worker: wParam ReplyTag and an owned RegisterBlock; the worker releases it after use.
inline constexpr unsigned WM_DEV_BLOCK = 1026;
// To the window: wParam the ReplyTag the reply answers (0 for a poll) and an owned reply copy.
inline constexpr unsigned WM_DEV_STATUS = 1027;
// To the window: wParam 0 and no reply; the exchange has ended and its exit report is complete.
inline constexpr unsigned WM_DEV_STOPPED = 1028;

// Chosen by the sender of a command. Nonzero: the reply is delivered even when it equals the
// last one delivered, and comes back as its wParam. 0: untagged.
using ReplyTag = std::uint32_t;

// The window the worker reports to. PostDeviceMessage is called on the worker thread and must
// not block for long: it hands the message over to the window's own thread.
class DeviceMessageSink {
public:
    virtual ~DeviceMessageSink();

    // Posts `message` (WM_DEV_STATUS or WM_DEV_STOPPED) with `wParam` and, for WM_DEV_STATUS,
    // the reply copy, which belongs to the receiver from here on. Returns whether the message
    // was posted; when it was not, the copy is released with its owning pointer.
    virtual bool PostDeviceMessage(unsigned message, std::uint32_t wParam,
                                   std::unique_ptr<StatusReply> reply) = 0;
};
