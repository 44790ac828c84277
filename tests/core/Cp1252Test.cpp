#include "document/Cp1252.h"

#include <gtest/gtest.h>

using kalvo::cp1252ToUnicode;
using kalvo::unicodeToCp1252;

TEST(Cp1252, EveryByteRoundTrips) {
    for (int b = 0; b < 256; ++b) {
        const char32_t u = cp1252ToUnicode(static_cast<unsigned char>(b));
        ASSERT_EQ(unicodeToCp1252(u), static_cast<unsigned char>(b)) << "byte " << b;
    }
}

TEST(Cp1252, MapsTheWindowsCharactersAndRefusesOthers) {
    EXPECT_EQ(cp1252ToUnicode(0x80), U'\u20AC');
    EXPECT_EQ(cp1252ToUnicode(0x93), U'\u201C');
    EXPECT_EQ(cp1252ToUnicode(0xF1), U'\u00F1');
    EXPECT_EQ(cp1252ToUnicode(0xE5), U'\u00E5');
    EXPECT_EQ(unicodeToCp1252(U'\u0178'), 0x9F);
    EXPECT_FALSE(unicodeToCp1252(U'\u2192')); // rightwards arrow
    EXPECT_FALSE(unicodeToCp1252(U'\u0100'));
    EXPECT_FALSE(unicodeToCp1252(U'\U0001F600'));
}
