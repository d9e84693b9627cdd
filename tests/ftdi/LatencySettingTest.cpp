#include "Handle.h"

#include <gtest/gtest.h>

namespace {

TEST(LatencySettingTest, MillisecondsFromOneTo255ElseOne) {
    const struct {
        const char* text;
        int latency;
    } cases[] = {
        {nullptr, 1},
        {"", 1},
        {"1", 1},
        {"2", 2},
        {"16", 16},
        {"255", 255},
        {"0", 1},
        {"256", 1},
        {"-5", 1},
        {" 16", 1},
        {"16 ", 1},
        {"16ms", 1},
        {"0x10", 1},
        {"abc", 1},
        {"+16", 1},
        {"0016", 16},
        {"99999999999999999999", 1},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ftdi::LatencyTimerSetting(c.text), c.latency) << (c.text ? c.text : "(unset)");
}

} // namespace
