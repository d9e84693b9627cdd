// The records behind the bus: a plugged device and an open handle. Used by the bus only.
#pragma once

#include "SimBus.h"

#include <deque>
#include <optional>
#include <utility>

namespace sim {

inline constexpr ULONG UnitBaudRate = 115200;
inline constexpr ULONG DefaultBaudRate = 9600; // what the driver sets up when a device is opened

struct SimBus::Device {
    DeviceSpec spec;
    bool plugged = true;
    Clock::time_point pluggedAt = Clock::now();
    // Set by a mid-reply unplug: the device is gone from this moment on.
    std::optional<Clock::time_point> goneAt;
    FT_HANDLE openBy = nullptr;
    FrameReceiver receiver;
    Clock::time_point unitTxFreeAt{};
    FT_STATUS failures[DriverCallCount] = {};

    bool Gone(Clock::time_point now) const { return !plugged || (goneAt && now >= *goneAt); }
};

struct SimBus::Handle {
    Device* device = nullptr;
    ULONG baudRate = DefaultBaudRate;
    UCHAR wordLength = 8;
    UCHAR stopBits = 0;
    UCHAR parity = 0;
    USHORT flowControl = 0;
    ULONG readTimeout = 0; // ms; 0 returns at once with what has arrived
    std::deque<std::pair<Clock::time_point, std::uint8_t>> rx; // in arrival order
    Clock::time_point txFreeAt{};

    // Time one character takes on the line: start bit, data bits, parity, stop bits.
    Clock::duration ByteTime() const {
        const int bits = 1 + wordLength + (parity != 0 ? 1 : 0) + (stopBits == 2 ? 2 : 1);
        return std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(
            static_cast<double>(bits) / static_cast<double>(baudRate)));
    }
    // A unit understands only 115200 baud, 8 data bits, one stop bit, no parity.
    bool LineMatchesUnit() const {
        return baudRate == UnitBaudRate && wordLength == 8 && stopBits == 0 && parity == 0;
    }
};

} // namespace sim
