#include "TextField.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

// A field of 8 bytes: at most 7 of text, then zero bytes; a cut never splits a character.
TEST(TextFieldTest, EndsWithAZeroByteAndCutsOnACharacterBoundary) {
    const struct {
        const char* text;
        const char* field;
    } cases[] = {
        {"", ""},
        {"OS73012", "OS73012"},
        {"OS730123", "OS73012"},
        {"OS7301234567", "OS73012"},
        {"ORQ-SY\xC3\xA9", "ORQ-SY"},                       // é would end at byte 8
        {"ORQ-S\xC3\xA9", "ORQ-S\xC3\xA9"},                 // é ends at byte 7
        {"ORQ\xE2\x82\xAC\xE2\x82\xAC", "ORQ\xE2\x82\xAC"}, // the second euro sign does not fit
        {"\xF0\x9F\x8E\x9B\xF0\x9F\x8E\x9B", "\xF0\x9F\x8E\x9B"},
    };
    for (const auto& c : cases) {
        char field[8];
        std::memset(field, 'x', sizeof field);
        ftdi::CopyTextField(field, sizeof field, c.text);
        EXPECT_EQ(std::string(field), c.field) << c.text;
        EXPECT_EQ(field[sizeof field - 1], '\0') << c.text;
    }
}

} // namespace
