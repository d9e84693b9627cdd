// One reply of a unit written out byte by byte, as it arrives on the line: the referee for the
// readers of replies, which must not agree with the simulator merely because both use the same
// offset names. A unit of variant 4 (EXT connectors with line audio, microphones), generation 2.
#pragma once

#include "Frames.h"

// clang-format off
inline constexpr StatusReply LiteralReply = {
    0x50, 0x52,             // "PR"
    0x35,                   // length byte, not examined
    0x40,                   // protocol 4.0
    0x02, 0xDA,             // model 730
    0x04,                   // variant 4: "-RK"
    0x00,                   // not interpreted
    0x02, 0x07,             // software 2.7
    0x02, 0x01, 0x05, 0x0B, 0x11, // FPGA 2.1  05.11.17; 2 + 2 names generation 2
    0x00,                   // no device error
    0x03,                   // input "HD 1080i/50"
    0x0A,                   // audio groups 2 and 4 present
    0x07,                   // 7 EDH/CRC errors
    0x03,                   // output "HD 1080i/60"
    0x01,                   // bars "ON"
    0x02,                   // loss mode "BARS"
    0x01, 0x00, 0x01, 0x01, // output audio groups 1 on, 2 off, 3 on, 4 on
    0x09, 0x0A, 0x0B, 0x00, 0x01, 0x02, 0x03, 0x08, // SDI sources: "EXT 1/2", "EXT 3/4",
                            // "TEST", "MUTE", "SDI IN CH 1/2", "SDI IN CH 3/4",
                            // "SDI IN CH 5/6", "SDI IN CH 15/16"
    0x4B, 0x00, 0x3C, 0x78, 0x3B, 0x3D, 0x32, 0x46, // SDI gains 1.5, -6.0, 0.0, 6.0, -0.1,
                            // 0.1, -1.0, 1.0
    0x20, 0x00, 0x3F, 0x01, // microphone gains 47.00, 23.00, 70.25, 23.75
    0x01, 0x00, 0x00, 0x01, // phantom power 1 on, 2 off, 3 off, 4 on
    0x01, 0x00,             // EXT 1 "LINE IN", EXT 2 "MIC IN 3/4"
    0x09, 0x0B,             // EXT sources "EXT 1/2", "TEST"
    0x46, 0x32,             // EXT gains 1.0, -1.0
    0x5D, 0x3E,             // checksum, high byte first
};
// clang-format on
