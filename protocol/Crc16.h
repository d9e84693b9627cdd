// The frame checksum: CRC-16/MODBUS with its two bytes exchanged, so that storing the result low
// half first puts the checksum on the wire high byte first.
#pragma once

#include <cstdint>

// Returns the checksum of `length` bytes from `data`, high byte in the low half; 0xFFFF for a
// length of 0 or less (data is then not read).
std::uint16_t Crc16(const std::uint8_t* data, int length);

// Writes Crc16 of the `length` bytes at `data` into the two bytes that follow them.
void StoreCrc16(std::uint8_t* data, int length);

// True when the two bytes after the `length` bytes at `data` hold their Crc16 as StoreCrc16
// would have written it.
bool CheckCrc16(const std::uint8_t* data, int length);
