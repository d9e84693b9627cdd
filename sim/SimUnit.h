// One simulated unit of the family: its identity, its forty registers, its fault switches, and
// what it does with the frames it receives. Pure state and functions, no timing.
#pragma once

#include "DeviceRegisters.h"
#include "Frames.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace sim {

// Fault switches. The defaults make a healthy unit.
struct UnitFaults {
    bool noReply = false;              // receives and obeys, never answers
    int replyLength = StatusReplySize; // 57 drops the last reply byte, 59 appends a zero byte
    bool wrongHeader = false;          // reply begins "RP"
    bool wrongChecksum = false;        // reply checksum off by one in its low byte
    std::uint8_t protocolByte = AcceptedProtocol;
    std::uint8_t deviceError = 0; // reply byte 15, under a valid checksum
    bool stubborn = false;        // takes no one-register command over, answers all the same
    bool unplugMidReply = false;  // on the next frame: unplugged halfway through the reply
    // Above 0: counts the frames received down, and the frame that brings it to 0 sets
    // unplugMidReply. So 2 lets one turn through and pulls the unit out during the second.
    int framesBeforeUnplug = 0;
};

struct UnitState {
    std::uint16_t modelNumber = FamilyModelNumber;
    std::uint8_t variant = 0;
    std::uint8_t byte7 = 0;
    std::uint8_t softwareMajor = 1;
    std::uint8_t softwareMinor = 4;
    std::array<std::uint8_t, 5> fpga = {1, 2, 7, 12, 9};
    RegisterBlock registers = FactoryDefaultBlock();
    UnitFaults faults;
    bool liveInput = false; // input status moves by itself, so that a demo looks alive
    std::size_t liveErrorStep =
        static_cast<std::size_t>(-1); // last live step that counted an error

    // 1 or 2 from the version bytes; a unit with another sum ranges its registers as 1.
    int Generation() const;
};

// A healthy unit of a variant and generation (1: software 1.4, FPGA 1.2; 2: software 2.1,
// FPGA 2.0) with factory settings.
UnitState MakeUnit(int variant, int generation);

// Collects the bytes a unit receives and cuts them into host frames: "RP", length 2 or 41, and
// a good checksum. Bytes that cannot start a frame are dropped one at a time; a frame with a bad
// checksum is dropped whole. Incomplete frames wait for more bytes.
class FrameReceiver {
public:
    std::vector<std::vector<std::uint8_t>> Feed(const std::uint8_t* bytes, std::size_t count);
    void Reset() { pending_.clear(); }

private:
    std::vector<std::uint8_t> pending_;
};

// Obeys a complete host frame: a command 1..40 sets its register when the value is in range
// (command 3 takes only 1, which clears the error count; 1 and 2 change nothing), a block write
// takes over every setting whose value is in range, a poll and any other code change nothing.
void ApplyFrame(UnitState& unit, const std::vector<std::uint8_t>& frame);

// The bytes the unit sends in answer to a frame, with its faults applied; empty for noReply.
std::vector<std::uint8_t> BuildReply(const UnitState& unit);

// The valid 58-byte reply of a unit, ignoring its faults.
StatusReply HealthyReply(const UnitState& unit);

// Moves the input status (format, audio groups, error count) of a live unit to where it stands
// `elapsedSeconds` after the unit was plugged.
void UpdateLiveInput(UnitState& unit, double elapsedSeconds);

} // namespace sim
