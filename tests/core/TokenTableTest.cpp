#include "conversion/TokenTable.h"
#include "conversion/RowScan.h"

#include <gtest/gtest.h>

using kalvo::tokenRow;

TEST(TokenTable, HasExactly81RowsNumberedFromOne) {
    EXPECT_FALSE(tokenRow(0));
    EXPECT_FALSE(tokenRow(82));
    EXPECT_FALSE(tokenRow(-1));
    for (int n = 1; n <= 81; ++n) {
        const auto row = tokenRow(n);
        ASSERT_TRUE(row) << n;
        EXPECT_FALSE(row->find.empty()) << n;
        EXPECT_FALSE(row->replace.empty()) << n;
    }
}

TEST(TokenTable, RepeatedRowsMatchTheirEarlierTwins) {
    EXPECT_EQ(tokenRow(48)->find, tokenRow(46)->find);
    EXPECT_EQ(tokenRow(48)->replace, tokenRow(46)->replace);
    EXPECT_EQ(tokenRow(53)->find, tokenRow(50)->find);
    EXPECT_EQ(tokenRow(53)->replace, tokenRow(50)->replace);
    // Same find text, different replacement.
    EXPECT_EQ(tokenRow(1)->find, tokenRow(20)->find);
    EXPECT_EQ(tokenRow(1)->replace, "DelVar ");
    EXPECT_EQ(tokenRow(20)->replace, "DelVar");
}

TEST(TokenTable, NonAsciiCharactersAreSingleWindows1252Bytes) {
    for (int n : {15, 17, 58, 59, 68, 70}) {
        const auto row = *tokenRow(n);
        EXPECT_NE(row.find.find('\xF1'), std::string_view::npos) << n;
        EXPECT_EQ(row.find.back(), '\xF1') << n;
        EXPECT_EQ(row.replace.substr(row.replace.size() - 2), "\xF1(") << n;
    }
    EXPECT_EQ(tokenRow(19)->replace, std::string_view("\xE5\x44\x65\x63", 4)); // å D e c
    EXPECT_EQ(tokenRow(24)->find, std::string_view("Eq\xE5St(", 6));
    EXPECT_EQ(tokenRow(65)->find, std::string_view("St\xE5\x45q(", 6)); // St å E q (
    EXPECT_EQ(tokenRow(65)->replace, std::string_view("String\xE5\x45qu(", 11));
}

TEST(TokenTable, SpotChecksAgainstTheTiSpellings) {
    EXPECT_EQ(tokenRow(2)->replace, "ClrHome");
    EXPECT_EQ(tokenRow(12)->replace, "Clear Entries");
    EXPECT_EQ(tokenRow(36)->replace, "nDeriy(");
    EXPECT_EQ(tokenRow(49)->replace, "pxl-Text(");
    EXPECT_EQ(tokenRow(75)->replace, "Zoom In");
    EXPECT_EQ(tokenRow(76)->replace, "Zoom Out");
    EXPECT_EQ(tokenRow(81)->find, "==");
    EXPECT_EQ(tokenRow(81)->replace, "=");
}

TEST(TokenTable, OnlyRow19InsertsItsOwnFindTextAfterTheFirstCharacter) {
    for (int n = 1; n <= 81; ++n) {
        const auto row = *tokenRow(n);
        EXPECT_EQ(kalvo::insertsOwnFindText(row.find, row.replace), n == 19) << n;
    }
}
