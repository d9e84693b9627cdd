#include "Ft232rChip.h"

#include <algorithm>
#include <cmath>

namespace ftdiemu {

namespace {

constexpr std::uint8_t VendorOut = 0x40;
constexpr std::uint8_t VendorIn = 0xC0;
constexpr std::uint8_t StandardIn = 0x80;
constexpr std::uint8_t StandardOut = 0x00;

// Vendor requests of the chip.
enum : std::uint8_t {
    Reset = 0x00,
    ModemControl = 0x01,
    SetFlowControl = 0x02,
    SetBaudRate = 0x03,
    SetData = 0x04,
    PollModemStatus = 0x05,
    SetEventChar = 0x06,
    SetErrorChar = 0x07,
    SetLatencyTimer = 0x09,
    GetLatencyTimer = 0x0A,
    SetBitMode = 0x0B,
    ReadPins = 0x0C,
    ReadEeprom = 0x90,
};

// wValue of the reset request: the whole chip, or one of its two buffers as the chip names
// them (its receive buffer holds what the host sent).
enum : std::uint16_t { ResetChip = 0, PurgeTowardsLine = 1, PurgeTowardsHost = 2 };

constexpr double UnitBaud = 115200;
constexpr double ClockBase = 3000000; // the divisor's reference, in characters' bits a second
// Eighths of the divisor's fraction, by the three-bit code the host sends.
constexpr int FractionEighths[8] = {0, 4, 2, 1, 3, 5, 6, 7};

std::vector<std::uint8_t> StringDescriptor(const std::string& text) {
    std::vector<std::uint8_t> out{static_cast<std::uint8_t>(2 + 2 * text.size()), 3};
    for (char c : text) {
        out.push_back(static_cast<std::uint8_t>(c));
        out.push_back(0);
    }
    return out;
}

} // namespace

Ft232rChip::Ft232rChip(ChipIdentity identity, sim::UnitState unit)
    : identity_(std::move(identity)), unit_(std::move(unit)) {}

std::vector<std::uint8_t> Ft232rChip::Descriptors() {
    return {
        // Device: USB 2.0, vendor 0403, product 6001, release 6.00, strings 1-3, one config.
        18,
        1,
        0x00,
        0x02,
        0,
        0,
        0,
        8,
        0x03,
        0x04,
        0x01,
        0x60,
        0x00,
        0x06,
        1,
        2,
        3,
        1,
        // Configuration 1, bus powered, 90 mA, one interface.
        9,
        2,
        32,
        0,
        1,
        1,
        0,
        0xA0,
        45,
        // Interface 0: two bulk endpoints, vendor class.
        9,
        4,
        0,
        0,
        2,
        0xFF,
        0xFF,
        0xFF,
        2,
        // Endpoint 0x81 IN and 0x02 OUT, 64 bytes each.
        7,
        5,
        0x81,
        2,
        64,
        0,
        0,
        7,
        5,
        0x02,
        2,
        64,
        0,
        0,
    };
}

std::optional<std::vector<std::uint8_t>>
Ft232rChip::StandardRequest(const ControlSetup& setup) const {
    constexpr std::uint8_t GetStatus = 0, GetConfiguration = 8, SetConfiguration = 9,
                           GetDescriptor = 6;
    if (setup.requestType == StandardOut && setup.request == SetConfiguration)
        return std::vector<std::uint8_t>{};
    if (setup.requestType != StandardIn)
        return std::nullopt;
    if (setup.request == GetStatus)
        return std::vector<std::uint8_t>{0, 0};
    if (setup.request == GetConfiguration)
        return std::vector<std::uint8_t>{1};
    if (setup.request != GetDescriptor)
        return std::nullopt;
    const std::vector<std::uint8_t> all = Descriptors();
    switch (setup.value >> 8) {
    case 1:
        return std::vector<std::uint8_t>(all.begin(), all.begin() + 18);
    case 2:
        return std::vector<std::uint8_t>(all.begin() + 18, all.end());
    case 3:
        switch (setup.value & 0xFF) {
        case 0:
            return std::vector<std::uint8_t>{4, 3, 0x09, 0x04}; // English (US)
        case 1:
            return StringDescriptor(identity_.manufacturer);
        case 2:
            return StringDescriptor(identity_.product);
        case 3:
            return StringDescriptor(identity_.serial);
        }
    }
    return std::nullopt;
}

std::optional<std::vector<std::uint8_t>> Ft232rChip::Control(const ControlSetup& setup,
                                                             Clock::time_point now) {
    if (setup.requestType != VendorOut && setup.requestType != VendorIn)
        return StandardRequest(setup);
    const std::vector<std::uint8_t> none;
    switch (setup.request) {
    case Reset:
        if (setup.value == ResetChip || setup.value == PurgeTowardsHost) {
            while (!rx_.empty() && rx_.front().first <= now)
                rx_.pop_front();
            ++counters_.rxPurges;
        }
        if (setup.value == ResetChip || setup.value == PurgeTowardsLine)
            ++counters_.txPurges;
        if (setup.value == ResetChip) {
            ++counters_.resets;
            latencyMs_ = FactoryLatencyMs;
        }
        return none;
    case SetBaudRate: {
        const int integer = setup.value & 0x3FFF;
        const int code = (setup.value >> 14) | ((setup.index & 1) << 2);
        const int eighths = integer * 8 + FractionEighths[code];
        line_.baudRate = eighths == 0   ? ClockBase
                         : eighths == 8 ? 2000000
                                        : ClockBase * 8 / eighths;
        return none;
    }
    case SetData:
        line_.properties = setup.value;
        return none;
    case SetFlowControl:
        line_.flowControl = static_cast<std::uint8_t>(setup.index >> 8);
        if (line_.flowControl == 4) {
            line_.xon = static_cast<std::uint8_t>(setup.value & 0xFF);
            line_.xoff = static_cast<std::uint8_t>(setup.value >> 8);
        }
        return none;
    case SetLatencyTimer:
        latencyMs_ = std::max(1, setup.value & 0xFF);
        return none;
    case GetLatencyTimer:
        return std::vector<std::uint8_t>{static_cast<std::uint8_t>(latencyMs_)};
    case PollModemStatus:
        return std::vector<std::uint8_t>{ModemStatus0, ModemStatus1};
    case ReadPins:
        return std::vector<std::uint8_t>{0xFF};
    case ReadEeprom:
        return std::vector<std::uint8_t>{0xFF, 0xFF}; // a blank EEPROM word
    case ModemControl:
    case SetEventChar:
    case SetErrorChar:
    case SetBitMode:
        return none;
    }
    return std::nullopt;
}

void Ft232rChip::SetLine(double baudRate, std::uint16_t properties) {
    line_.baudRate = baudRate;
    line_.properties = properties;
}

Clock::duration Ft232rChip::ByteTime() const {
    const int dataBits = line_.properties & 0xFF;
    const int parity = (line_.properties >> 8) & 0x7;
    const int stop = (line_.properties >> 11) & 0x3;
    const int bits = 1 + dataBits + (parity != 0 ? 1 : 0) + (stop == 0 ? 1 : 2);
    return std::chrono::duration_cast<Clock::duration>(
        std::chrono::duration<double>(bits / line_.baudRate));
}

bool Ft232rChip::LineMatchesUnit() const {
    // A UART takes a speed within 3 % of its own; the chip's divisor makes 115384 of 115200.
    return std::abs(line_.baudRate - UnitBaud) / UnitBaud < 0.03 && line_.properties == 8;
}

void Ft232rChip::BulkOut(const std::uint8_t* bytes, std::size_t count, Clock::time_point now) {
    const Clock::duration byteTime = ByteTime();
    const Clock::time_point arrival = std::max(now, lineFreeAt_) + byteTime * count;
    lineFreeAt_ = arrival;
    if (!LineMatchesUnit()) {
        receiver_.Reset(); // characters at the wrong speed arrive as noise
        return;
    }
    for (const auto& frame : receiver_.Feed(bytes, count)) {
        ++counters_.framesReceived;
        sim::ApplyFrame(unit_, frame);
        const std::vector<std::uint8_t> reply = sim::BuildReply(unit_);
        const Clock::time_point start = std::max(arrival + replyDelay_, unitFreeAt_);
        for (std::size_t k = 0; k < reply.size(); ++k)
            rx_.emplace_back(start + byteTime * (k + 1), reply[k]);
        unitFreeAt_ = start + byteTime * reply.size();
    }
}

std::size_t Ft232rChip::Waiting(Clock::time_point now) const {
    return static_cast<std::size_t>(
        std::count_if(rx_.begin(), rx_.end(), [now](const auto& b) { return b.first <= now; }));
}

void Ft232rChip::EmitPacket(InTransfer& transfer, Clock::time_point at, std::size_t payload) {
    const std::size_t room = transfer.capacity - transfer.data.size();
    payload = std::min(payload, room < 2 ? 0 : room - 2);
    transfer.data.push_back(ModemStatus0);
    transfer.data.push_back(ModemStatus1);
    for (std::size_t k = 0; k < payload; ++k) {
        transfer.data.push_back(rx_.front().second);
        rx_.pop_front();
    }
    lastPacketAt_ = at;
    if (payload < PacketPayload || transfer.capacity - transfer.data.size() < PacketSize) {
        transfer.done = true;
        transfer.doneAt = at;
    }
}

Clock::time_point Ft232rChip::NextInEvent(const InTransfer& transfer) const {
    const Clock::time_point expiry =
        std::max(lastPacketAt_ + std::chrono::milliseconds(latencyMs_), transfer.submittedAt);
    if (rx_.size() >= PacketPayload)
        return std::min(expiry, std::max(rx_[PacketPayload - 1].first, transfer.submittedAt));
    return expiry;
}

void Ft232rChip::ServeIn(InTransfer& transfer, Clock::time_point now) {
    while (!transfer.done) {
        const Clock::time_point at = NextInEvent(transfer);
        if (at > now)
            return;
        const bool full = rx_.size() >= PacketPayload && rx_[PacketPayload - 1].first <= at;
        std::size_t payload = PacketPayload;
        if (!full) // the latency timer ran out: whatever has arrived goes
            payload = static_cast<std::size_t>(std::count_if(
                rx_.begin(), rx_.end(), [at](const auto& b) { return b.first <= at; }));
        EmitPacket(transfer, at, payload);
    }
}

} // namespace ftdiemu
