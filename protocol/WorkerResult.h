// How an exchange with a unit ended; the numbers are those the panel's error texts are keyed by.
#pragma once

#include <cstdint>

enum WorkerResult : std::int32_t {
    ResultNone = 0,        // no failure
    ResultWriteFailed = 1, // driver error on the write, or a short write
    ResultReadFailed = 2,  // driver error, short read, time-out or stop while waiting
    ResultBadHeader = 3,   // reply header not "PR"
    ResultBadChecksum = 4, // reply checksum wrong
    ResultBadProtocol = 5, // reply protocol byte not 0x40
    ResultDeviceError = 6, // reply byte 15 nonzero
};
