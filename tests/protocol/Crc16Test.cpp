#include "Crc16.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::vector<std::uint8_t> Bytes(const std::string& text) {
    return {text.begin(), text.end()};
}

struct CrcCase {
    std::vector<std::uint8_t> data;
    std::uint16_t expected; // high byte of the checksum in the low half
};

TEST(Crc16Test, KnownValues) {
    const CrcCase cases[] = {
        {Bytes("123456789"), 0x374B},
        {{}, 0xFFFF},
        // The classic "read one holding register" request, whose checksum is 84 0A low first.
        {{0x01, 0x03, 0x00, 0x00, 0x00, 0x01}, 0x840A},
        {{0x52, 0x50, 0x02, 0x00, 0x00}, 0x2D0C},
    };
    for (const CrcCase& c : cases)
        EXPECT_EQ(Crc16(c.data.data(), static_cast<int>(c.data.size())), c.expected)
            << ::testing::PrintToString(c.data);
}

TEST(Crc16Test, NonPositiveLengthReadsNothing) {
    EXPECT_EQ(Crc16(nullptr, 0), 0xFFFF);
    EXPECT_EQ(Crc16(nullptr, -1), 0xFFFF);
}

TEST(Crc16Test, StorePutsHighByteFirstAndCheckAcceptsIt) {
    std::vector<std::uint8_t> buffer = Bytes("123456789??");
    StoreCrc16(buffer.data(), 9);
    EXPECT_EQ(buffer[9], 0x4B);
    EXPECT_EQ(buffer[10], 0x37);
    EXPECT_TRUE(CheckCrc16(buffer.data(), 9));
}

TEST(Crc16Test, CheckRejectsAnyAlteration) {
    const std::vector<std::uint8_t> good = Bytes("123456789\x4B\x37");
    for (std::size_t i = 0; i < good.size(); ++i) {
        std::vector<std::uint8_t> bad = good;
        bad[i] ^= 0x01;
        EXPECT_FALSE(CheckCrc16(bad.data(), 9)) << "byte " << i;
    }
    const std::vector<std::uint8_t> lowFirst = Bytes("123456789\x37\x4B");
    EXPECT_FALSE(CheckCrc16(lowFirst.data(), 9));
}

} // namespace
