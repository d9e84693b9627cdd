#include "UsbLocation.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace {

struct Case {
    unsigned bus;
    const char* devpath;
    unsigned address;
    DWORD location;
};

// One hex digit per level, bus first.
TEST(UsbLocationTest, OneDigitPerLevelBusFirst) {
    const Case cases[] = {
        {1, "3.4", 5, 0x134},
        {1, "3", 2, 0x13},
        {2, "1.2.3", 9, 0x2123},
        {15, "15", 7, 0xFF},
        {1, "0", 1, 0x1}, // a root hub has no port path
        {3, "1.2.3.4.5.6.7", 20, 0x31234567},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ftdi::LocationId(c.bus, c.devpath, c.address), c.location) << c.devpath;
}

// Beyond the digit form: 0xF00 followed by the bus (two digits) and address (three digits).
TEST(UsbLocationTest, BeyondTheDigitsTheBusAndAddressStandIn) {
    const Case cases[] = {
        {16, "1", 5, 0xF0010005},
        {1, "16", 12, 0xF000100C},
        {2, "1.17.3", 127, 0xF000207F},
        {1, "1.2.3.4.5.6.7.1", 3, 0xF0001003}, // eight ports: nine levels
        {255, "3", 1, 0xF00FF001},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ftdi::LocationId(c.bus, c.devpath, c.address), c.location) << c.devpath;
}

TEST(UsbLocationTest, WhatIsNoUsbDeviceHasNoLocation) {
    const Case cases[] = {
        {0, "1", 1, 0},   {256, "1", 1, 0}, {1, "1", 0, 0},  {1, "1", 128, 0},
        {1, "", 1, 0},    {1, "3.", 1, 0},  {1, ".3", 1, 0}, {1, "3..4", 1, 0},
        {1, "3.0", 1, 0}, {1, "3a", 1, 0},  {1, "-3", 1, 0},
    };
    for (const Case& c : cases)
        EXPECT_FALSE(ftdi::LocationId(c.bus, c.devpath, c.address)) << c.bus << " " << c.devpath;
}

// The two forms never meet: every digit form has only non-zero digits, every stand-in has two
// zero digits after its leading F. Checked over every bus and a spread of paths, each device
// with an address of its own as on a real bus.
TEST(UsbLocationTest, TheTwoFormsNeverCollide) {
    std::set<DWORD> seen;
    const char* paths[] = {
        "1", "15", "16", "1.1", "15.15", "1.16", "2.3.4", "9.9.9.9.9.9.9", "9.9.9.9.9.9.9.9"};
    for (unsigned bus = 1; bus <= 255; ++bus)
        for (unsigned i = 0; i < std::size(paths); ++i) {
            const char* path = paths[i];
            const auto location = ftdi::LocationId(bus, path, i + 1);
            ASSERT_TRUE(location);
            EXPECT_TRUE(seen.insert(*location).second) << bus << "-" << path;
        }
}

} // namespace
