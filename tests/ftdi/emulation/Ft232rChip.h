// An FT232R as its USB side sees it, with a unit of the family on its serial line: the vendor
// control requests, bulk OUT bytes that go out at the configured speed to the unit, and bulk IN
// packets of 64 bytes that each begin with the two modem-status bytes. A packet leaves the chip
// when 62 bytes wait or when the latency timer runs out, as on the real chip. Time is passed in,
// so the model itself never sleeps; it is not thread-safe (its owner locks).
#pragma once

#include "SimUnit.h"

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace ftdiemu {

using Clock = std::chrono::steady_clock;

inline constexpr std::size_t PacketSize = 64;
inline constexpr std::size_t PacketPayload = 62;
// The modem-status bytes at the start of every IN packet: CTS and DSR up, transmitter empty.
inline constexpr std::uint8_t ModemStatus0 = 0x31;
inline constexpr std::uint8_t ModemStatus1 = 0x60;

// The strings the chip's descriptors carry.
struct ChipIdentity {
    std::string manufacturer = "FTDI";
    std::string product = "ORQ-SYV-730";
    std::string serial = "OS730001";
};

// The eight bytes of a control transfer's setup stage.
struct ControlSetup {
    std::uint8_t requestType = 0;
    std::uint8_t request = 0;
    std::uint16_t value = 0;
    std::uint16_t index = 0;
    std::uint16_t length = 0;
};

// One IN transfer the host has waiting: the chip fills it packet by packet.
struct InTransfer {
    std::size_t capacity = 0;
    Clock::time_point submittedAt{};
    std::vector<std::uint8_t> data; // whole packets, status bytes included
    bool done = false;
    Clock::time_point doneAt{}; // when the packet that ended it left the chip
};

// The chip's timer after power-up or a reset.
inline constexpr int FactoryLatencyMs = 16;

// The line as the chip has been set up, in its own request values: data bits | parity << 8 |
// stop bits << 11, and flow control 0 none, 1 RTS/CTS, 2 DTR/DSR, 4 XON/XOFF with its characters.
struct LineView {
    double baudRate = 9600;
    std::uint16_t properties = 8;
    std::uint8_t flowControl = 0;
    std::uint8_t xon = 0x11;
    std::uint8_t xoff = 0x13;
};

// What the host has asked of the chip, for tests to check.
struct ChipCounters {
    int resets = 0;
    int rxPurges = 0; // the chip's buffer towards the host emptied
    int txPurges = 0; // the chip's buffer towards the line emptied
    int framesReceived = 0;
};

class Ft232rChip {
public:
    Ft232rChip(ChipIdentity identity, sim::UnitState unit);

    // The device descriptor followed by the configuration descriptor, as sysfs offers them.
    static std::vector<std::uint8_t> Descriptors();
    const ChipIdentity& Identity() const { return identity_; }

    // Answers a control transfer: the bytes of its data stage for a request towards the host,
    // an empty vector for one from the host, nothing for a request the chip stalls.
    std::optional<std::vector<std::uint8_t>> Control(const ControlSetup& setup,
                                                     Clock::time_point now);

    // Bytes from the host: they go out on the line one character time after another; every
    // complete frame the unit receives is obeyed and answered after its reply delay.
    void BulkOut(const std::uint8_t* bytes, std::size_t count, Clock::time_point now);

    // Moves to `transfer` every packet the chip has sent by `now`; sets `done` when a short
    // packet ended it or it has no room for another packet.
    void ServeIn(InTransfer& transfer, Clock::time_point now);
    // When ServeIn could next move a packet into `transfer`.
    Clock::time_point NextInEvent(const InTransfer& transfer) const;

    // Line settings as the host last set them.
    double BaudRate() const { return line_.baudRate; }
    const LineView& Line() const { return line_; }
    int LatencyMs() const { return latencyMs_; }
    // For a host that sets the line up through another way than the chip's requests (the
    // kernel's serial driver, emulated beside it).
    void SetLine(double baudRate, std::uint16_t properties);
    void SetLatency(int ms) { latencyMs_ = ms; }
    // Whether bytes from the line wait for the host, or are still on their way.
    bool Pending() const { return !rx_.empty(); }
    const ChipCounters& Counters() const { return counters_; }
    sim::UnitState& Unit() { return unit_; }
    // Bytes that have reached the chip from the line by `now` and wait for the host.
    std::size_t Waiting(Clock::time_point now) const;
    // The unit's think time between a frame's last byte and its reply's first.
    void SetReplyDelay(std::chrono::microseconds delay) { replyDelay_ = delay; }

private:
    std::optional<std::vector<std::uint8_t>> StandardRequest(const ControlSetup& setup) const;
    Clock::duration ByteTime() const;
    bool LineMatchesUnit() const;
    void EmitPacket(InTransfer& transfer, Clock::time_point at, std::size_t payload);

    ChipIdentity identity_;
    sim::UnitState unit_;
    sim::FrameReceiver receiver_;
    std::chrono::microseconds replyDelay_{200};
    LineView line_;
    int latencyMs_ = FactoryLatencyMs;
    Clock::time_point lineFreeAt_{};                            // host to unit
    Clock::time_point unitFreeAt_{};                            // unit to chip
    Clock::time_point lastPacketAt_{};                          // the latency timer restarts here
    std::deque<std::pair<Clock::time_point, std::uint8_t>> rx_; // in arrival order
    ChipCounters counters_;
};

} // namespace ftdiemu
