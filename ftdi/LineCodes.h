// The driver's line-setting codes as FT_SetBaudRate, FT_SetDataCharacteristics and
// FT_SetFlowControl take them, and which of them an FT232R can do. Both ways to the chip check
// with these, so that a setting one path takes the other takes too.
#pragma once

#include "D2xxTypes.h"

namespace ftdi {

inline constexpr ULONG MinBaudRate = 300;
inline constexpr ULONG MaxBaudRate = 3000000; // the FT232R's fastest rate

enum : UCHAR {
    Bits7 = 7,
    Bits8 = 8,
    OneStopBit = 0,
    TwoStopBits = 2,
    ParityNone = 0,
    ParityOdd = 1,
    ParityEven = 2,
    ParityMark = 3,
    ParitySpace = 4,
};

// The codes are the chip's own request values.
enum : USHORT {
    FlowNone = 0x0000,
    FlowRtsCts = 0x0100,
    FlowDtrDsr = 0x0200,
    FlowXonXoff = 0x0400,
};

constexpr bool BaudRateInRange(ULONG baudRate) {
    return baudRate >= MinBaudRate && baudRate <= MaxBaudRate;
}

constexpr bool DataCharacteristicsValid(UCHAR wordLength, UCHAR stopBits, UCHAR parity) {
    return (wordLength == Bits7 || wordLength == Bits8) &&
           (stopBits == OneStopBit || stopBits == TwoStopBits) && parity <= ParitySpace;
}

constexpr bool FlowControlValid(USHORT flowControl) {
    return flowControl == FlowNone || flowControl == FlowRtsCts || flowControl == FlowDtrDsr ||
           flowControl == FlowXonXoff;
}

} // namespace ftdi
