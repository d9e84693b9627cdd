#include "Crc16.h"

#include <array>

namespace {

// Entry i: the CRC register after shifting byte value i through eight steps of the reflected
// polynomial 0xA001.
constexpr std::array<std::uint16_t, 256> MakeTable() {
    std::array<std::uint16_t, 256> table{};
    for (unsigned i = 0; i < 256; ++i) {
        std::uint16_t crc = static_cast<std::uint16_t>(i);
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc & 1u) ? static_cast<std::uint16_t>((crc >> 1) ^ 0xA001u)
                             : static_cast<std::uint16_t>(crc >> 1);
        table[i] = crc;
    }
    return table;
}

constexpr std::array<std::uint16_t, 256> CrcTable = MakeTable();
static_assert(CrcTable[1] == 0xC0C1);

} // namespace

std::uint16_t Crc16(const std::uint8_t* data, int length) {
    std::uint16_t crc = 0xFFFF;
    for (int i = 0; i < length; ++i)
        crc = static_cast<std::uint16_t>(CrcTable[(crc ^ data[i]) & 0xFFu] ^ (crc >> 8));
    return static_cast<std::uint16_t>(((crc & 0xFFu) << 8) | (crc >> 8));
}

void StoreCrc16(std::uint8_t* data, int length) {
    const std::uint16_t crc = Crc16(data, length);
    data[length] = static_cast<std::uint8_t>(crc & 0xFFu);
    data[length + 1] = static_cast<std::uint8_t>(crc >> 8);
}

bool CheckCrc16(const std::uint8_t* data, int length) {
    const std::uint16_t stored = static_cast<std::uint16_t>(data[length] | (data[length + 1] << 8));
    return stored == Crc16(data, length);
}
