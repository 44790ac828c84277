// SPDX-License-Identifier: GPL-3.0-or-later
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

// The whole table: ASCII and Latin-1 map to themselves, and 0x80-0x9F to the
// characters Windows shows for them (written out from its code page chart),
// the five undefined bytes to their C1 controls. A swapped pair fails here
// even though it would still round-trip.
TEST(Cp1252, EveryByteIsTheCharacterWindowsShows) {
    const char32_t high[32] = {
        U'\u20AC', U'\u0081', U'\u201A', U'\u0192', U'\u201E', U'\u2026', U'\u2020', U'\u2021',
        U'\u02C6', U'\u2030', U'\u0160', U'\u2039', U'\u0152', U'\u008D', U'\u017D', U'\u008F',
        U'\u0090', U'\u2018', U'\u2019', U'\u201C', U'\u201D', U'\u2022', U'\u2013', U'\u2014',
        U'\u02DC', U'\u2122', U'\u0161', U'\u203A', U'\u0153', U'\u009D', U'\u017E', U'\u0178',
    };
    for (int b = 0; b < 256; ++b) {
        const char32_t expected = b >= 0x80 && b < 0xA0 ? high[b - 0x80] : char32_t(b);
        EXPECT_EQ(cp1252ToUnicode(static_cast<unsigned char>(b)), expected) << "byte " << b;
    }
}
